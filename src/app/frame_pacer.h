// frame_pacer.h -- the live show's frames drawn for the moment they are seen, cuts on the beat
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>

// A frame is seen some time after it is begun: the drawing, then the present. Drawn for the
// clock as it begins, every frame would show the show as it was that long ago, and a scene's
// first frame would come up to a frame's time plus that after its section of the soundtrack.
// The pacer draws each frame for the clock plus the usual time to its present. The frame begun
// when the next cut is less than two frames and 20 ms away is drawn for the cut and held until
// then: a new scene's first frame (its init, its first lists) takes longer than the usual one,
// and the time to the cut leaves room for it. The scene before loses two or three frames. A held
// frame is finished before it waits (a software GL rasterizes while the next call runs), so its
// present is the swap alone, which the held frames before it measured.
class FramePacer {
public:
    struct Plan {
        uint32_t showMs = 0;       // the clock the frame is drawn for
        bool held = false;         // drawn ahead for a cut: presented when the clock reads presentAtMs
        uint32_t presentAtMs = 0;
    };
    // The frame about to begin at clock `nowMs`; `nextCutMs` is the next scene start after it.
    Plan plan(uint32_t nowMs, uint32_t nextCutMs) const;
    // Wall times of a frame: begun, drawn, its present begun (after any hold) and done.
    void framePresented(double begunMs, double drawnMs, double presentBegunMs, double presentedMs, bool held);

private:
    static constexpr size_t kFramesKept = 15;
    static constexpr double kInitAllowanceMs = 20;
    static double usual(const std::deque<double>& values);
    static void keep(std::deque<double>& values, double value);
    std::deque<double> drawing_, presenting_, swapping_, betweenBegins_;
    double lastBegunMs_ = -1;
};
