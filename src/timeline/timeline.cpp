// timeline.cpp -- scene switching and the frame clock, on the platform ticks only
#include "timeline/timeline.h"

#include "platform/platform.h"

void Timeline::setScene(int index, uint32_t duration, void (*draw)(uint32_t))
{
    scenes[index].duration = duration;
    scenes[index].draw = draw;
}

void Timeline::setInit(int index, void (*init)()) { scenes[index].init = init; }

void Timeline::update()
{
    if (firstUpdate) {
        startTick = tickCount();
        scenes[0].start = 0;  // fixed before the init: scene 0's init counts against it
        running = true;
        current = 0;
        firstUpdate = false;
        if (scenes[0].init) scenes[0].init();
    }
    if (!running) return;

    TimelineScene* scene = &scenes[current];
    if (tickCount() - startTick >= scene->duration + scene->start) {
        ++current;
        if (current >= count) {
            running = false;
            return;
        }
        scene = &scenes[current];
        if (scene->init) scene->init();
        // Taken after the init, so a slow init does not shorten its scene.
        scene->start = tickCount() - startTick;
    }
    scene->draw(tickCount() - scene->start - startTick);
}

namespace {
bool clockStarted = false;
uint32_t clockLastTick = 0;
}  // namespace

uint32_t FrameClock::elapsed()
{
    if (!clockStarted) {
        clockStarted = true;
        clockLastTick = tickCount();
    }
    uint32_t now = tickCount();
    // Through a float on purpose: gaps up to 2^24 ms (4.6 hours) come back exact, and every frame's
    // gap is far below that; only a jump across the counter's wrap rounds.
    uint32_t result = static_cast<uint32_t>(static_cast<float>(now - clockLastTick));
    clockLastTick = tickCount();
    return result;
}

void FrameClock::reset()
{
    clockStarted = false;
    clockLastTick = 0;
}
