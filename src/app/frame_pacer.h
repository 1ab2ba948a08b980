// frame_pacer.h -- the live show's frames drawn for the moment they are seen, cuts on the beat
#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>

// A frame is seen some time after it is begun: the drawing, then the present. Drawn for the
// clock as it begins, every frame would show the show as it was that long ago, and a scene's
// first frame would come up to a frame's time plus that after its section of the soundtrack.
// The pacer draws each frame for the clock plus the usual time to its present, and where the
// next cut falls before the frame after this one could show it, waits so that this frame is
// the new scene's first and is seen at the cut.
class FramePacer {
public:
    struct Plan {
        uint32_t waitMs = 0;  // to sleep before drawing
        uint32_t showMs = 0;  // the clock the frame is drawn for
    };
    // The frame about to begin at clock `nowMs`; `nextCutMs` is the next scene start after it.
    Plan plan(uint32_t nowMs, uint32_t nextCutMs) const;
    // The frame begun at wall time `begunMs` (after any wait) was presented at `presentedMs`.
    void framePresented(double begunMs, double presentedMs);

private:
    static constexpr size_t kFramesKept = 15;
    double usual(const std::deque<double>& values) const;
    std::deque<double> toPresent_, betweenBegins_;
    double lastBegunMs_ = -1;
};
