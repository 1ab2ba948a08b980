// timeline.h -- plays the scenes one after another by the tick counter
#pragma once
#include <cstdint>

struct TimelineScene {
    void (*draw)(uint32_t ms) = nullptr;  // never null in a filled timeline
    void (*init)() = nullptr;             // may be null
    uint32_t duration = 0;                // ms
    uint32_t start = 0;                   // ms after Timeline::startTick, set when current
};

struct Timeline {
    TimelineScene* scenes = nullptr;
    int count = 0;
    int current = 0;
    uint32_t startTick = 0;
    bool running = false;
    bool firstUpdate = true;

    void setScene(int index, uint32_t duration, void (*draw)(uint32_t));
    void setInit(int index, void (*init)());
    void update();

    // True once the last scene has run its time (nothing is drawn any more).
    bool finished() const { return !firstUpdate && !running; }
};

// Milliseconds between successive calls; the first call returns 0.
struct FrameClock {
    static uint32_t elapsed();
    static void reset();  // back to "not started", as at program start
};
