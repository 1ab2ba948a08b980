// scene_table.h -- one row per scene of the schedule: its init, its draw and the state it starts in
#pragma once
#include <cstdint>
#include <memory>

#include "geometry/vertex.h"
#include "timeline/schedule.h"

class Texture;

// A GL capability at a scene's start: as the scene before left it, or switched.
enum class Switch { Keep, On, Off };

// The blur at a scene's start: on with this look, or off (the look then stays as it was).
struct BlurStart {
    bool on;
    int passes;
    float spread;
    ColourRGB colour;
};

struct SceneStart {
    float nearPlane, farPlane;  // the show's lens, 45 degrees high and 4:3
    float eyeZ;                 // the eye at (0, 0, eyeZ)
    bool level;                 // turns the camera back to 0 about every axis; else it keeps its turn
    ColourRGB background;
    BlurStart blur;
    Switch lighting, light0, light1, light2, culling;
    bool newBlurTarget;                       // a fresh blank copy target, left bound
    const std::unique_ptr<Texture>* texture;  // then bound, if any
    Switch texturing;
};

struct SceneRow {
    Scene scene;
    void (*init)();  // sets the row's starting state (applySceneStart) among its own work
    void (*draw)(uint32_t ms);
    SceneStart start;
};

// The table, in the schedule's running order.
extern const SceneRow kScenes[kSceneCount];

// Applies the scene's starting state; everything its row leaves at Keep the scene inherits.
void applySceneStart(Scene scene);
