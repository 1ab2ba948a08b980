// schedule.h -- the show's running order: each scene's name and duration, and where each starts
#pragma once
#include <cstdint>

// The scenes, in the order the show plays them. A scene's init, draw and starting state stand in
// its row of src/scenes/scene_table.cpp, its music in the soundtrack's sections, both keyed by this.
enum class Scene {
    Title, CubeCloud, ThinTube, WideTube, TurningRings, Morph, Corridor, Shells, SplineRings, Ribbon, LastTube
};

struct ScheduledScene {
    Scene scene;
    const char* name;
    uint32_t durationMs;
};

constexpr ScheduledScene kSchedule[] = {
    {Scene::Title, "title", 10000},
    {Scene::CubeCloud, "cube cloud", 18800},
    {Scene::ThinTube, "thin tube", 19000},
    {Scene::WideTube, "wide tube", 14500},
    {Scene::TurningRings, "turning rings", 9000},
    {Scene::Morph, "morph", 10000},
    {Scene::Corridor, "terrain corridor", 10000},
    {Scene::Shells, "morph shells", 16000},
    {Scene::SplineRings, "spline rings", 10000},
    {Scene::Ribbon, "ribbon", 16500},
    {Scene::LastTube, "last tube", 16000},
};

constexpr int kSceneCount = sizeof(kSchedule) / sizeof(kSchedule[0]);

constexpr int sceneIndex(Scene scene) { return static_cast<int>(scene); }

// True when row i of a table keyed by Scene (any type with a member `scene`) is scene i, for every
// scene of the schedule: checked where each such table is defined.
template <typename Row, int N>
constexpr bool inRunningOrder(const Row (&rows)[N])
{
    if (N != kSceneCount) return false;
    for (int i = 0; i < N; ++i)
        if (sceneIndex(rows[i].scene) != i) return false;
    return true;
}
static_assert(inRunningOrder(kSchedule), "the schedule lists every scene once, in order");

// Show time (ms since the first frame) at which scene `index` starts, inits taking no time;
// an index past the last scene gives the show's end.
constexpr uint32_t sceneStartMs(int index)
{
    uint32_t start = 0;
    for (int i = 0; i < index && i < kSceneCount; ++i) start += kSchedule[i].durationMs;
    return start;
}

constexpr uint32_t sceneStartMs(Scene scene) { return sceneStartMs(sceneIndex(scene)); }

constexpr uint32_t showDurationMs() { return sceneStartMs(kSceneCount); }
