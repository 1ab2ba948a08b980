// sound_follower.cpp -- the real clock started with the sound that is heard, and held to it
#include "app/sound_follower.h"

#include <algorithm>
#include <cmath>

#include "audio/music_player.h"
#include "platform/platform.h"

double startSoundForClock(uint32_t showMs)
{
    if (!musicPlayer || !musicPlayer->stream) return wallMilliseconds();
    musicPlayer->startAt(showMs);
    return wallMilliseconds() + MusicPlayer::outputLatencyMs();
}

void startClockAt(uint32_t showMs, double heardAtMs)
{
    double early = heardAtMs - wallMilliseconds();
    if (early > 0) sleepMilliseconds(static_cast<uint32_t>(std::lround(early)));
    useRealClockFrom(showMs + static_cast<uint32_t>(std::max(0.0, wallMilliseconds() - heardAtMs)));
}

void startClockWithSound(uint32_t showMs) { startClockAt(showMs, startSoundForClock(showMs)); }

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
