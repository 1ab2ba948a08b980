// frame.h -- the body of one drawn frame, and what watches each frame
#pragma once
#include <cstdint>

struct Timeline;

void renderFrame(Timeline& timeline);

// Off: the frames that follow rasterize nothing (their GL calls still run, so everything the
// scenes advance per call advances). Nothing carries from one frame's pixels to the next (every
// frame clears; the blur copies its source inside the frame that uses it), so a painted frame
// after any number of unpainted ones is the same bytes as in a run that paints them all.
void setFramePainted(bool painted);

// Watches every drawn frame: presents it, stores it, measures it. frameDone returning
// false ends the loop.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    // Whether the frame about to be drawn, at show time `showMs`, must reach the pixels. A frame
    // that no output needs is fast-forwarded: its scenes run and advance all their state, but
    // nothing is rasterized. No margin before an output frame is painted: the clock gives its
    // show time before it is drawn, and no frame reads pixels an earlier frame left.
    virtual bool needsPixels(uint32_t /*showMs*/) const { return true; }
    virtual void frameBegins() {}
    // False: the frame is not drawn at all and the one before is kept (a paused show).
    virtual bool drawsFrame() const { return true; }
    virtual bool frameDone(Timeline& timeline) = 0;
    // Closes what the observer writes (a video, JSON) once the loop has ended; the exit code.
    virtual int finish(int loopExitCode) { return loopExitCode; }
};
