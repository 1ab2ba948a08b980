// frame_pacer.cpp -- the live show's frames drawn for the moment they are seen, cuts on the beat
#include "app/frame_pacer.h"

#include <cmath>
#include <vector>

#include "app/frame_stats.h"

double FramePacer::usual(const std::deque<double>& values)
{
    return percentile(std::vector<double>(values.begin(), values.end()), 0.5);
}

void FramePacer::keep(std::deque<double>& values, double value)
{
    values.push_back(value);
    if (values.size() > kFramesKept) values.pop_front();
}

FramePacer::Plan FramePacer::plan(uint32_t nowMs, uint32_t nextCutMs) const
{
    const double present = usual(presenting_);
    const uint32_t seen = nowMs + static_cast<uint32_t>(std::lround(usual(drawing_) + present));
    const int32_t toCut = static_cast<int32_t>(nextCutMs - seen);
    if (toCut > 0 && toCut < 2 * usual(betweenBegins_) + kInitAllowanceMs)
        return {nextCutMs, true, nextCutMs - static_cast<uint32_t>(std::lround(usual(swapping_)))};
    return {seen, false, 0};
}

void FramePacer::framePresented(double begunMs, double drawnMs, double presentBegunMs, double presentedMs, bool held)
{
    if (held) {
        keep(swapping_, presentedMs - presentBegunMs);
    } else {
        keep(drawing_, drawnMs - begunMs);
        keep(presenting_, presentedMs - presentBegunMs);
    }
    if (lastBegunMs_ >= 0) keep(betweenBegins_, begunMs - lastBegunMs_);
    lastBegunMs_ = begunMs;
}
