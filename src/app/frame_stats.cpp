// frame_stats.cpp -- per-scene frame counts and frame times of the live show
#include "app/frame_stats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    size_t index = static_cast<size_t>(std::ceil(fraction * values.size())) - 1;
    return values[std::min(index, values.size() - 1)];
}

void FrameStatistics::frameShown(int scene, double wallMs)
{
    if (scene < 0 || scene >= static_cast<int>(frames_.size())) return;
    ++frames_[scene];
    if (lastWallMs_ >= 0) frameTimes_[scene].push_back(wallMs - lastWallMs_);
    lastWallMs_ = wallMs;
}

SceneFrames FrameStatistics::scene(int index, double refreshMs) const
{
    const std::vector<double>& times = frameTimes_[index];
    SceneFrames result;
    result.frames = frames_[index];
    result.medianMs = percentile(times, 0.5);
    result.p95Ms = percentile(times, 0.95);
    result.late = std::count_if(times.begin(), times.end(), [&](double ms) { return ms > 1.5 * refreshMs; });
    return result;
}

std::string FrameStatistics::report(double refreshMs) const
{
    std::string text;
    char line[200];
    for (size_t i = 0; i < frames_.size(); ++i) {
        if (frames_[i] == 0) continue;
        SceneFrames s = scene(static_cast<int>(i), refreshMs);
        std::snprintf(line, sizeof line,
                      "scene %zu: %zu frames, frame time median %.1f ms, 95th percentile %.1f ms, "
                      "%zu late (refresh %.1f ms)\n",
                      i, s.frames, s.medianMs, s.p95Ms, s.late, refreshMs);
        text += line;
    }
    return text;
}
