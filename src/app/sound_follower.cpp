// sound_follower.cpp -- the real clock started with the sound that is heard, and held to it
#include "app/sound_follower.h"

#include <algorithm>
#include <cmath>

#include "audio/music_player.h"
#include "platform/platform.h"

void startClockWithSound(uint32_t showMs)
{
    if (musicPlayer && musicPlayer->stream) {
        musicPlayer->startAt(showMs);
        sleepMilliseconds(MusicPlayer::outputLatencyMs());
    }
    useRealClockFrom(showMs);
}

void SoundFollower::frame(double musicMs, double wallMs)
{
    if (musicMs < 0) return;
    if (firstWallMs_ < 0) firstWallMs_ = wallMs;
    leads_.push_back({wallMs, musicMs - tickCount()});
    while (wallMs - leads_.front().wallMs > kWindowMs) leads_.pop_front();
    double least = leads_.front().lead;
    for (const Lead& l : leads_) least = std::min(least, l.lead);
    if (wallMs - firstWallMs_ < kSettleMs) {
        reference_ = least;
        return;
    }
    double error = reference_ - least;  // > 0: the clock is ahead of the sound
    if (std::fabs(error) < kToleranceMs) return;
    if (error > 0)
        holdRealClock(static_cast<uint32_t>(error));
    else
        useRealClockFrom(tickCount() + static_cast<uint32_t>(-error));
    for (Lead& l : leads_) l.lead += error;
}
