// capture_span.h -- the frames and soundtrack samples that a capture of a stretch holds
#pragma once

struct CaptureSpan {
    long long firstFrame = 0;   // index on the virtual clock
    long long frames = 0;
    long long firstSample = 0;  // index into the soundtrack
    long long samples = 0;
};

// Frame k of the virtual clock shows time floor(k * 1000 / fps) ms.
inline long long firstFrameAtOrAfter(long long ms, int fps) { return (ms * fps + 999) / 1000; }

// From the first frame at or after `fromMs` to the last before `endMs`: stretches cut at the
// same times neither drop nor repeat a frame. The sound covers the frames exactly.
inline CaptureSpan captureSpan(long long fromMs, long long endMs, int fps, int sampleRate)
{
    CaptureSpan span;
    span.firstFrame = firstFrameAtOrAfter(fromMs, fps);
    long long end = firstFrameAtOrAfter(endMs, fps);
    span.frames = end > span.firstFrame ? end - span.firstFrame : 0;
    span.firstSample = span.firstFrame * sampleRate / fps;
    span.samples = span.frames * sampleRate / fps;
    return span;
}
