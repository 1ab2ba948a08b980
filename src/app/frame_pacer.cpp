// frame_pacer.cpp -- the live show's frames drawn for the moment they are seen, cuts on the beat
#include "app/frame_pacer.h"

#include <cmath>
#include <vector>

#include "app/frame_stats.h"

double FramePacer::usual(const std::deque<double>& values) const
{
    return percentile(std::vector<double>(values.begin(), values.end()), 0.5);
}

FramePacer::Plan FramePacer::plan(uint32_t nowMs, uint32_t nextCutMs) const
{
    const uint32_t lead = static_cast<uint32_t>(std::lround(usual(toPresent_)));
    const double period = usual(betweenBegins_);
    const uint32_t seen = nowMs + lead;
    const int32_t toCut = static_cast<int32_t>(nextCutMs - seen);
    // Drawn now, this frame is still the old scene's; the next would show the cut late.
    if (toCut > 0 && toCut < period) return {static_cast<uint32_t>(toCut), nextCutMs};
    return {0, seen};
}

void FramePacer::framePresented(double begunMs, double presentedMs)
{
    toPresent_.push_back(presentedMs - begunMs);
    if (lastBegunMs_ >= 0) betweenBegins_.push_back(begunMs - lastBegunMs_);
    lastBegunMs_ = begunMs;
    if (toPresent_.size() > kFramesKept) toPresent_.pop_front();
    if (betweenBegins_.size() > kFramesKept) betweenBegins_.pop_front();
}
