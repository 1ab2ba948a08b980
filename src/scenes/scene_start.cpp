// scene_start.cpp -- what every scene sets at its start, and the one place that applies it
#include "scenes/scene_start.h"

#include <GL/gl.h>

#include "render/blur.h"
#include "render/camera.h"
#include "timeline/schedule.h"
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

// Columns: the lens's near and far planes, the eye's z, whether the camera turns back to level,
// the background, the blur, the GL switches (lighting, lights 0 to 2, face culling), whether a new
// blur target is made, the texture then bound, texturing. Keep: as the scene before left it.
// So face culling, which scene 6 switches on, stays on through scene 7 until scene 8 turns it
// off (scene 8's darkening quad would otherwise be culled).
const SceneStart kSceneStarts[kSceneCount] = {
    //near  far   eye z   level  bg      blur          light L0    L1    L2    cull  new    texture          tex 2D
    {5,    2000, 0,      false, kBlack, kBlurOff,     Off,  Keep, Keep, Keep, Keep, false, nullptr,         Keep},  // 0 title
    {5,    2000, -30,    false, kBlack, kBlur15White, Off,  Keep, Keep, Keep, Keep, false, nullptr,         Keep},  // 1 cube cloud
    {5,    2000, -400,   false, kWhite, kBlurOff,     On,   On,   Keep, Keep, Keep, true,  &terrainTexture, On},  // 2 thin tube
    {5,    2000, -450,   false, kWhite, kBlurOff,     On,   On,   Keep, Keep, Keep, true,  &texture2,       On},  // 3 wide tube
    {5,    2000, -9,     true,  kBlack, kBlur25Grey,  On,   Off,  On,   Keep, Keep, true,  nullptr,         Keep},  // 4 cube rings
    {0.1f, 200,  -20.4f, true,  kBlack, kBlurOff,     On,   On,   Off,  Keep, Keep, true,  nullptr,         Keep},  // 5 morph
    {5,    2000, 0,      false, kBlack, kBlurOff,     On,   On,   Off,  Off,  On,   false, &terrainTexture, Keep},  // 6 corridor
    {0.1f, 2000, -8.4f,  true,  kNavy,  kBlurOff,     On,   Off,  On,   Keep, Keep, true,  nullptr,         Keep},  // 7 shells
    {0.1f, 200,  -108,   true,  kBlack, kBlurOff,     On,   Off,  On,   Keep, Off,  true,  nullptr,         Keep},  // 8 rings
    {0.1f, 200,  -20,    false, kBlack, kBlurOff,     Keep, Keep, Keep, Keep, Off,  false, nullptr,         Keep},  // 9 ribbon
    {0.1f, 2000, -450,   false, kBlack, kBlurOff,     On,   Off,  Off,  On,   Off,  true,  &terrainTexture, On},  // 10 last tube
};

void applySceneStart(int index)
{
    const SceneStart& start = kSceneStarts[index];
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
