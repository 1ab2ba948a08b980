// schedule.h -- how long each of the show's scenes lasts, and where each starts
#pragma once
#include <cstdint>

constexpr int kSceneCount = 11;
constexpr uint32_t kSceneDurationsMs[kSceneCount] = {10000, 18800, 19000, 14500, 9000, 10000,
                                                     10000, 16000, 10000, 16500, 16000};

// Show time (ms since the first frame) at which scene `index` starts, inits taking no time;
// an index past the last scene gives the show's end.
constexpr uint32_t sceneStartMs(int index)
{
    uint32_t start = 0;
    for (int i = 0; i < index && i < kSceneCount; ++i) start += kSceneDurationsMs[i];
    return start;
}

constexpr uint32_t showDurationMs() { return sceneStartMs(kSceneCount); }
