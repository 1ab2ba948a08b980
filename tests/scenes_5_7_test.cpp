// scenes_5_7_test.cpp -- the morph in its shell, the terrain corridor, the layered shells
#include <GL/gl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/morph.h"
#include "geometry/spline_path.h"
#include "render/camera.h"
#include "scenes/scenes.h"
#include "support/gl_test.h"
#include "support/stills.h"
#include "timeline/schedule.h"
#include "world/world_geometry.h"

namespace {

TEST_F(GlTest, MorphFlightOrbitsTheShapeOnce)
{
    setUpWorldOnce();
    scene5Init();
    ASSERT_NE(cameraPath, nullptr);
    const int flight = cameraPathEyeSampleCount;
    EXPECT_NEAR(flight, 600, 60) << "the flight should last about the scene's ten seconds";
    // Every sample looks at the morph at the origin from close by, clear of its spikes (the
    // largest radius over its keys). A yaw that wraps round between points looks away.
    float spikes = 0;
    for (int k = 0; k < morphB->keyCount; ++k)
        for (int i = 0; i < morphB->keyMeshes[k]->vertexCount; ++i)
            spikes = std::max(spikes, Vector3(morphB->keyMeshes[k]->vertices[i]).length());
    for (int i = 0; i < cameraPathEyeSampleCount; ++i) {
        const Vertex &eye = cameraPathEyeSamples[i], &turn = cameraPathAngleSamples[i];
        double pitch = turn.x * M_PI / 180, yaw = turn.y * M_PI / 180, distance = Vector3(eye).length();
        double cosine = -(std::cos(pitch) * (std::sin(yaw) * eye.x + std::cos(yaw) * eye.z) + std::sin(pitch) * eye.y);
        EXPECT_GT(cosine / distance, std::cos(3 * M_PI / 180)) << "sample " << i;
        EXPECT_GT(distance, spikes + 0.5) << "sample " << i << ": distance from the morph";
        EXPECT_LT(distance, 7) << "sample " << i << ": distance from the morph";
    }

    // The first draw takes the first sample (resting at the end is checked with the other flights).
    scene5Draw(0);
    EXPECT_EQ(cameraPathStep, 1);
    const Vertex& first = cameraPathEyeSamples[0];
    EXPECT_EQ(camera.eyeX, first.x);
    EXPECT_EQ(camera.eyeY, first.y);
    EXPECT_EQ(camera.eyeZ, first.z);
    EXPECT_EQ(camera.rotY, cameraPathAngleSamples[0].y);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));  // as the draw leaves it
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// The white triangle outlines pass only while 3000 < ms < 12000 (the shells kept clear, so only
// they can be white); the pull-back starts after 15000 ms.
TEST_F(GlTest, LayeredShellsTriangleWindowAndPullBack)
{
    setUpWorldOnce();
    scene7Init();
    struct Case { uint32_t ms; bool triangles; };
    for (Case c : {Case{3000, false}, Case{3001, true}, Case{11999, true}, Case{12000, false}}) {
        SCOPED_TRACE(c.ms);
        for (int i = 0; i < 50; ++i) particles[i].x = -40;
        particles[0].x = -1;  // drawn at scale 1 / 0.9, in view
        layerAlpha = 0;
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene7Draw(c.ms);  // as it is, without the frame body's reset: the projection is current
        Still s = readTestFrame();
        double white = s.share([](const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; });
        EXPECT_FLOAT_EQ(particles[0].x, c.triangles ? -0.85f : -1);  // and moved on
        EXPECT_TRUE(c.triangles ? white * 1024 * 768 > 500 : white == 0) << white * 1024 * 768 << " white pixels";
    }
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    scene7Draw(15000);
    EXPECT_FLOAT_EQ(camera.eyeZ, -8.4f);
    scene7Draw(15100);
    EXPECT_FLOAT_EQ(camera.eyeZ, -9.4f);
}

// The whole show, rendered by the demo binary. At 10 frames a second frames fall on whole 100 ms,
// so 100 ms before a scene's start is the scene before's last frame (motion per frame is then
// six times slower than at 60).
TEST(ShowStills, ScenesFiveToSevenShowWhatTheyShould)
{
    auto at = [](int scene, int ms) { return static_cast<int>(sceneStartMs(scene)) + ms; };
    const std::vector<int> times = {at(5, 0),    at(5, 700),  at(5, 4700),   at(6, -300), at(6, -100),
                                    at(6, 0),    at(6, 700),  at(6, 4700),   at(7, -300), at(7, -100),
                                    at(7, 0),    at(7, 700),  at(8, -1000),  at(8, -300), at(8, -100)};
    std::vector<Still> stills = renderShowStills(times, 10);
    for (size_t i = 0; i < stills.size(); ++i) ASSERT_TRUE(stills[i].ok()) << times[i];
    auto black = [](const uint8_t* p) { return p[0] + p[1] + p[2] < 12; };
    auto reddish = [](const uint8_t* p) { return p[0] > 20 && p[0] > 2 * p[1] && p[0] > 2 * p[2]; };
    auto greenish = [](const uint8_t* p) { return p[1] > 12 && p[1] > 2 * p[0] && p[1] > 2 * p[2]; };
    auto darkBlue = [](const uint8_t* p) { return p[0] < 8 && p[1] < 8 && p[2] >= 45 && p[2] <= 60; };
    auto white = [](const uint8_t* p) { return p[0] > 200 && p[1] > 200 && p[2] > 200; };
    auto lit = [](const uint8_t* p) { return p[0] + p[1] + p[2] > 90; };

    for (size_t i = 0; i < 10; ++i) {
        SCOPED_TRACE(times[i]);
        const Still& s = stills[i];
        if (i < 5) {  // scene 5: the dark-red morph inside its green wire shell, on black
            EXPECT_GT(s.share(black), 0.25);
            EXPECT_GT(s.share(reddish), 0.00051);  // about 400 pixels
            EXPECT_GT(s.share(greenish), 0.05);
            EXPECT_EQ(s.share(darkBlue), 0);
        } else {  // scene 6: the fogged terrain corridor crossed by white streaks
            EXPECT_GT(s.share(lit), 0.2);
            EXPECT_GT(s.share(black), 0.01);  // the fog's black in the distance
            EXPECT_GT(s.share(white), 0.00102);
            EXPECT_LT(s.share(greenish), 0.00025);  // no wire shell any more
        }
    }
    // Scene 7's first frame was cleared before its init chose dark blue: black, shells still
    // clear. Then dark blue with the shells fading in.
    EXPECT_EQ(stills[10].share(lit), 0);
    EXPECT_GT(stills[10].share(black), 0.9);
    EXPECT_GT(stills[11].share(darkBlue), 0.5);
    EXPECT_LT(stills[11].share(darkBlue), 1);
    // The camera stands until 15 s in, then pulls back: the shells shrink towards the centre.
    double standing = 1 - stills[12].share(darkBlue), pulling = 1 - stills[13].share(darkBlue);
    EXPECT_LT(pulling, standing * 0.8);
    EXPECT_LT(1 - stills[14].share(darkBlue), pulling);
    EXPECT_GT(stills[14].share(darkBlue), 0.5);
}

}  // namespace
