// sound_follower.h -- the real clock started with the sound that is heard, and held to it
#pragma once
#include <cstdint>
#include <deque>

// Starts the soundtrack `showMs` into it; returns the wall time (ms) at which its first sample
// will be heard (now, without a soundtrack): a clock started as the mixer takes the first block
// would run ahead of the sound by the output's latency.
double startSoundForClock(uint32_t showMs);
// The real clock reading `showMs` at wall time `heardAtMs`: waits for it if it is still to come.
void startClockAt(uint32_t showMs, double heardAtMs);
// Both: the clock starts as the sound is heard.
void startClockWithSound(uint32_t showMs);

// Keeps the real clock with the sound where the sound stalls (an output that ran dry on a busy
// machine plays late from then on). The mixer's position leads what is heard by the output's
// buffer and moves a block at a time, so its least lead over the clock within a few seconds is the
// lead just before a block is taken: steady while the two keep step. Against the lead of the
// first seconds, a smaller one means the sound fell behind (the clock is held back by as much,
// never backwards: at most the time since the previous frame, each frame), a larger one that it
// ran ahead (the clock jumps on). Each start of the sound needs a fresh follower.
class SoundFollower {
public:
    void frame(double musicMs, double wallMs);

private:
    static constexpr double kWindowMs = 3000, kSettleMs = 3000, kToleranceMs = 8;
    struct Lead {
        double wallMs, lead;
    };
    std::deque<Lead> leads_;
    double firstWallMs_ = -1;
    double reference_ = 0;
};
