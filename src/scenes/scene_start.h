// scene_start.h -- the state a scene's init sets before its own work, one table row per scene
#pragma once
#include <memory>

#include "geometry/vertex.h"

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

// The table, in show order.
extern const SceneStart kSceneStarts[];

// Applies scene `index`'s row; everything the row leaves at Keep the scene inherits.
void applySceneStart(int index);
