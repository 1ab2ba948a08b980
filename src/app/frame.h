// frame.h -- the body of one drawn frame, and what watches each frame
#pragma once

struct Timeline;

void renderFrame(Timeline& timeline);

// Watches every drawn frame: presents it, stores it, measures it. frameDone returning
// false ends the loop.
class FrameObserver {
public:
    virtual ~FrameObserver() = default;
    virtual void frameBegins() {}
    virtual bool frameDone(Timeline& timeline) = 0;
    // Closes what the observer writes (a video, JSON) once the loop has ended; the exit code.
    virtual int finish(int loopExitCode) { return loopExitCode; }
};
