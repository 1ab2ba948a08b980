// scenes_8_10_test.cpp -- the spline rings, the ribbon flight and the last tube, as a viewer sees them
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "geometry/spline_path.h"
#include "render/camera.h"
#include "scenes/scenes.h"
#include "support/gl_test.h"
#include "support/stills.h"
#include "timeline/schedule.h"
#include "world/world_geometry.h"

namespace {

bool black(const uint8_t* p) { return p[0] < 12 && p[1] < 12 && p[2] < 12; }
bool green(const uint8_t* p) { return p[1] > 40 && p[1] > 2 * p[0] && p[1] > 2 * p[2]; }
bool bright(const uint8_t* p) { return p[0] > 60 || p[1] > 60 || p[2] > 60; }

// False when the world point is behind the eye or outside the picture of the current camera.
bool projectsIntoPicture(double x, double y, double z)
{
    camera.look();
    double model[16], projection[16];
    int viewport[4] = {0, 0, 1024, 768};
    glGetDoublev(GL_MODELVIEW_MATRIX, model);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    double wx, wy, wz;
    if (gluProject(x, y, z, model, projection, viewport, &wx, &wy, &wz) != GL_TRUE) return false;
    return wz > 0 && wz < 1 && wx >= 0 && wx < 1024 && wy >= 0 && wy < 768;
}

}  // namespace

// ---- scene 8 -----------------------------------------------------------------------------

TEST_F(GlTest, SplineRingsApproachThenFadeToBlack)
{
    setUpWorldOnce();
    glEnable(GL_CULL_FACE);  // as scene 6 leaves it; the darkening quad must still be drawn
    // The camera closes in by ms / 100 a frame, during the first second only and only while z < -8.
    drawSceneFrame(scene8Draw, 0, scene8Init);
    EXPECT_FLOAT_EQ(camera.eyeZ, -108);
    struct Step { float from; uint32_t ms; float to; };
    for (Step c : {Step{-108, 999, -98.01f}, Step{-108, 1000, -108}, Step{-8, 500, -8}, Step{-8.5f, 500, -3.5f}}) {
        camera.eyeZ = c.from;
        drawSceneFrame(scene8Draw, c.ms);
        EXPECT_NEAR(camera.eyeZ, c.to, 1e-4) << c.from << " at " << c.ms;
    }

    // The picture itself (green loops on black) is checked in the whole show below.
    camera.eyeZ = -40;
    // At 6000 ms nothing darkens, however often it is drawn; the first later frame is unchanged
    // (alpha 1), each further one 0.01 darker, black after a hundred.
    for (int i = 0; i < 30; ++i) drawSceneFrame(scene8Draw, 6000);
    const double at6000 = drawSceneStill(scene8Draw, 6000).mean();
    ASSERT_GT(at6000, 1.0);
    EXPECT_NEAR(drawSceneStill(scene8Draw, 6001).mean(), at6000, 0.03 * at6000);
    for (int i = 0; i < 49; ++i) drawSceneFrame(scene8Draw, 6001);
    EXPECT_NEAR(drawSceneStill(scene8Draw, 6001).mean(), 0.5 * at6000, 0.06 * at6000);  // alpha 0.5
    for (int i = 0; i < 51; ++i) drawSceneFrame(scene8Draw, 6001);
    EXPECT_GT(drawSceneStill(scene8Draw, 6001).share(black), 0.999);
}

// ---- scene 9 -----------------------------------------------------------------------------

// One sample a frame up to the path's end, then the camera rests there (as after the other
// flights through the shared path step).
TEST_F(GlTest, RibbonWindsOnBlackAndTheCameraStopsAtThePathEnd)
{
    setUpWorldOnce();
    Still picture = drawSceneStill(scene9Draw, 0, scene9Init);
    ASSERT_NE(cameraPath, nullptr);
    const int samples = cameraPathEyeSampleCount;
    for (int frame = 0; frame <= samples + 10; ++frame) {
        if (frame % 300 == 0) {
            if (frame > 0) picture = drawSceneStill(scene9Draw, msOfFrame(frame));
            EXPECT_GT(picture.share(bright), 0.01) << "frame " << frame << ": the ribbon is not in sight";
            EXPECT_GT(picture.share(black), 0.3) << "frame " << frame;
        } else {
            drawSceneFrame(scene9Draw, msOfFrame(frame));
        }
        ASSERT_EQ(cameraPathStep, std::min(frame + 1, samples)) << frame;
    }
    const Vertex last = cameraPathEyeSamples[samples - 1];
    EXPECT_EQ(camera.eyeX, last.x);
    EXPECT_EQ(camera.eyeZ, last.z);
}

// ---- scene 10 ----------------------------------------------------------------------------

TEST_F(GlTest, LastTubeWithTheSwarmAndTheGreyVeil)
{
    setUpWorldOnce();
    Still first = drawSceneStill(scene10Draw, 0, scene10Init);

    // The first draw only compiles the tube; from the second on the eye is inside it.
    EXPECT_GT(first.share(black), 0.8);
    EXPECT_LT(drawSceneStill(scene10Draw, 16).share(black), 0.05);
    for (int i = 0; i < kTrailCount; ++i)
        EXPECT_TRUE(projectsIntoPicture(trailHeads[i].x, trailHeads[i].y, trailHeads[i].z)) << "head " << i;

    // Past the end of the path the camera rests and the swarm leads from the last sample.
    ASSERT_NE(cameraPath, nullptr);
    const int samples = cameraPathEyeSampleCount;
    cameraPathStep = samples - 2;
    for (int i = 0; i < 3; ++i) drawSceneFrame(scene10Draw, 13000);
    EXPECT_EQ(cameraPathStep, samples);
    const Vertex last = cameraPathEyeSamples[samples - 1];
    EXPECT_EQ(camera.eyeZ, last.z);
    EXPECT_EQ(trailHeads[7].x, last.x + particles[7].x);

    // Resting camera, settled trails: 13500 ms draws no veil, 13501 one of alpha 0, and
    // from then on a grey that grows by 0.01 a frame.
    for (int i = 0; i < 60; ++i) drawSceneFrame(scene10Draw, 13500);
    const double settled = drawSceneStill(scene10Draw, 13500).mean();
    EXPECT_NEAR(drawSceneStill(scene10Draw, 13500).mean(), settled, 0.05);
    Still zeroVeil = drawSceneStill(scene10Draw, 13501);
    EXPECT_NEAR(zeroVeil.mean(), settled, 0.05);
    for (int i = 0; i < 59; ++i) drawSceneFrame(scene10Draw, 13600);
    Still veiled = drawSceneStill(scene10Draw, 13600);  // alpha 0.6
    double gain[3] = {0, 0, 0};
    for (size_t i = 0; i < veiled.rgb.size(); ++i) gain[i % 3] += (veiled.rgb[i] - zeroVeil.rgb[i]) / (1024.0 * 768);
    EXPECT_GT(gain[0], 20) << "the veil brightens the picture";
    EXPECT_NEAR(gain[1], gain[0], 0.15 * gain[0]) << "and it is grey";
    EXPECT_NEAR(gain[2], gain[0], 0.15 * gain[0]);
}

// ---- the whole show, by the program itself: every scene starts exactly on a frame --------

TEST(ShowLateScenes, StartOnTimeAndLeaveOnlyTheBackground)
{
    const int end = 149800;  // the show's length, which the scene durations must add up to
    auto at = [](int scene, int ms) { return static_cast<int>(sceneStartMs(scene)) + ms; };
    const std::vector<int> times = {at(8, 0), at(9, 0), at(10, 100), end - 100, end};
    std::vector<Still> s = renderShowStills(times, 10);
    for (size_t i = 0; i < s.size(); ++i) ASSERT_TRUE(s[i].ok()) << times[i];
    EXPECT_GT(s[0].share(green), 0.0005) << "scene 8 begins with the green rings";
    EXPECT_GT(s[1].share(bright), 0.01) << "scene 9 begins with the ribbon";
    EXPECT_GT(s[1].share(black), 0.5);
    EXPECT_LT(s[2].share(black), 0.05) << "scene 10 begins inside the tube";
    EXPECT_GT(s[3].mean(), 20);
    EXPECT_EQ(s[4].share(black), 1.0) << "after the show only the background";
}
