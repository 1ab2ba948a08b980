// scene_table.cpp -- the scenes' init, draw and starting state, and the one place that applies it
#include "scenes/scene_table.h"

#include <GL/gl.h>

#include "render/blur.h"
#include "render/camera.h"
#include "scenes/scenes.h"
#include "world/world.h"

namespace {

constexpr Switch Keep = Switch::Keep, On = Switch::On, Off = Switch::Off;
constexpr BlurStart kBlurOff = {false, 0, 0, {}};
constexpr BlurStart kBlur15White = {true, 15, 0.01f, {1, 1, 1}};
constexpr BlurStart kBlur25Grey = {true, 25, 0.01f, {0.8f, 0.8f, 0.8f}};
constexpr ColourRGB kBlack = {0, 0, 0}, kWhite = {1, 1, 1}, kNavy = {0, 0, 0.2f};

void set(GLenum capability, Switch to)
{
    if (to == Switch::On) glEnable(capability);
    if (to == Switch::Off) glDisable(capability);
}

}  // namespace

// Each row: the scene, its init and draw, then its starting state. The columns of the state: the
// lens's near and far planes, the eye's z, whether the camera turns back to level, the background,
// the blur, the GL switches (lighting, lights 0 to 2, face culling), whether a new blur target is
// made, the texture then bound, texturing. Keep: as the scene before left it. So face culling,
// which the terrain corridor switches on, stays on through the morph shells until the spline
// rings turn it off (their darkening quad would otherwise be culled).
constexpr SceneRow kScenes[kSceneCount] = {
    //                                             near  far   eye z   level  bg      blur          light L0    L1    L2    cull  new    texture          tex 2D
    {Scene::Title, scene0Init, scene0Draw,        {5,    2000, 0,      false, kBlack, kBlurOff,     Off,  Keep, Keep, Keep, Keep, false, nullptr,         Keep}},
    {Scene::CubeCloud, scene1Init, scene1Draw,    {5,    2000, -30,    false, kBlack, kBlur15White, Off,  Keep, Keep, Keep, Keep, false, nullptr,         Keep}},
    {Scene::ThinTube, scene2Init, scene2Draw,     {5,    2000, -400,   false, kWhite, kBlurOff,     On,   On,   Keep, Keep, Keep, true,  &terrainTexture, On}},
    {Scene::WideTube, scene3Init, scene3Draw,     {5,    2000, -450,   false, kWhite, kBlurOff,     On,   On,   Keep, Keep, Keep, true,  &texture2,       On}},
    {Scene::TurningRings, scene4Init, scene4Draw, {5,    2000, -9,     true,  kBlack, kBlur25Grey,  On,   Off,  On,   Keep, Keep, true,  nullptr,         Keep}},
    {Scene::Morph, scene5Init, scene5Draw,        {0.1f, 200,  -20.4f, true,  kBlack, kBlurOff,     On,   On,   Off,  Keep, Keep, true,  nullptr,         Keep}},
    {Scene::Corridor, scene6Init, scene6Draw,     {5,    2000, 0,      false, kBlack, kBlurOff,     On,   On,   Off,  Off,  On,   false, &terrainTexture, Keep}},
    {Scene::Shells, scene7Init, scene7Draw,       {0.1f, 2000, -8.4f,  true,  kNavy,  kBlurOff,     On,   Off,  On,   Keep, Keep, true,  nullptr,         Keep}},
    {Scene::SplineRings, scene8Init, scene8Draw,  {0.1f, 200,  -108,   true,  kBlack, kBlurOff,     On,   Off,  On,   Keep, Off,  true,  nullptr,         Keep}},
    {Scene::Ribbon, scene9Init, scene9Draw,       {0.1f, 200,  -20,    false, kBlack, kBlurOff,     Keep, Keep, Keep, Keep, Off,  false, nullptr,         Keep}},
    {Scene::LastTube, scene10Init, scene10Draw,   {0.1f, 2000, -450,   false, kBlack, kBlurOff,     On,   Off,  Off,  On,   Off,  true,  &terrainTexture, On}},
};
static_assert(inRunningOrder(kScenes), "one row per scene, in the schedule's order");

void applySceneStart(Scene scene)
{
    const SceneStart& start = kScenes[sceneIndex(scene)].start;
    camera.setPerspective(start.nearPlane, start.farPlane);
    camera.eyeX = 0;
    camera.eyeY = 0;
    camera.eyeZ = start.eyeZ;
    if (start.level) camera.rotX = camera.rotY = camera.rotZ = 0;

    clearColour = start.background;
    blurEnabled = start.blur.on;
    blurInsetAnimated = false;
    if (start.blur.on) {
        blurPasses = start.blur.passes;
        blurSpread = start.blur.spread;
        blurColour = start.blur.colour;
    }

    set(GL_LIGHTING, start.lighting);
    set(GL_LIGHT0, start.light0);
    set(GL_LIGHT1, start.light1);
    set(GL_LIGHT2, start.light2);
    set(GL_CULL_FACE, start.culling);
    if (start.newBlurTarget) newBlurTarget();
    if (start.texture && *start.texture) glBindTexture(GL_TEXTURE_2D, (*start.texture)->id);
    set(GL_TEXTURE_2D, start.texturing);
}
