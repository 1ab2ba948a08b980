// scenes_1_4_test.cpp -- the opening picture, the cube cloud, the two tunnel flights and the rings of cubes
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <algorithm>
#include <cstdlib>

#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scene_steps.h"
#include "support/gl_test.h"
#include "support/stills.h"
#include "timeline/schedule.h"

namespace {

// A path whose eye x and angle y grow by 10 and 5 per control point.
void loadStraightPath(int pointCount)
{
    std::vector<Vertex> eyes, angles;
    for (int k = 0; k < pointCount; ++k) {
        eyes.emplace_back(10.0f * k, 0, 0);
        angles.emplace_back(0, 5.0f * k, 0);
    }
    const std::string path = testing::TempDir() + "straight.CMVM";
    writeCameraPath(path, eyes, angles);
    loadCameraPath(path.c_str(), 20);
}

}  // namespace

// ---- scene 1: the spin and its reset windows (400-500, 1700-1800, ... 4900-5000) ---------

TEST(CubeCloudSpin, TurnsPerCallAndResetsOnlyStrictlyInsideEachWindowInTurn)
{
    // Calls in turn: the reset index and the clock (ms since the first call or the last reset)
    // after them, and whether the last call reset the angles.
    struct Case { std::vector<float> times; int resetIndex; float clock; bool reset; };
    const Case cases[] = {
        {{16}, 0, 0, false},  // the first call takes its own time as the previous one
        {{16, 36}, 0, 20, false},
        {{300, 400}, 0, 100, false},  // the opening value itself: no reset
        {{300, 400, 401}, 2, 0, true},
        {{300, 400, 401, 450}, 2, 49, false},  // used up
        {{500, 1799}, 0, 1299, false},         // the closing value is outside; a missed window blocks the next
        {{450, 1750, 2650, 2850, 4950, 4960}, 10, 10, false},  // all used: the spin runs on
        {{450, 1900, 2650, 2850, 4950}, 2, 4500, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.times));
        cubeCloudSpin = SpinState();
        for (float t : c.times) advanceSpin(t);
        EXPECT_EQ(cubeCloudSpin.resetIndex, c.resetIndex);
        EXPECT_FLOAT_EQ(cubeCloudSpin.clock, c.clock);
        const bool zero = cubeCloudSpin.angleA == 0 && cubeCloudSpin.angleB == 0 && cubeCloudSpin.angleC == 0;
        EXPECT_EQ(zero, c.reset);
    }
}

// ---- scenes 2 and 3: the end of each flight ---------------------------------------------

// On a straight path of five points (samples 0 .. 149): scene 2 takes one sample a call up to
// sample 50 n - 150 = 100 and then keeps taking it, whatever moved the camera; scene 3 takes two
// a call while below 50 (n - 2) = 150, then leaves the camera alone. Two points give no samples.
TEST(TunnelFlights, EachFlightRestsAtItsEnd)
{
    struct Flight { void (*step)(); int perCall, restStep, restSample; bool keepsTheSample; };
    for (Flight f : {Flight{followTunnelPath, 1, 101, 100, true}, {followWideTunnelPath, 2, 150, 148, false}}) {
        SCOPED_TRACE(f.perCall);
        loadStraightPath(5);
        ASSERT_EQ(cameraPathEyeSampleCount, 150);
        cameraPathStep = 0;
        f.step();
        EXPECT_EQ(cameraPathStep, f.perCall);
        EXPECT_FLOAT_EQ(camera.eyeX, 10);  // (P0 + 4 P1 + P2) / 6
        EXPECT_FLOAT_EQ(camera.rotY, 5);
        for (int call = 2; call <= f.restStep / f.perCall; ++call) f.step();
        EXPECT_EQ(cameraPathStep, f.restStep);
        EXPECT_FLOAT_EQ(camera.eyeX, cameraPathEyeSamples[f.restSample].x);
        EXPECT_FLOAT_EQ(camera.rotY, cameraPathAngleSamples[f.restSample].y);
        camera.eyeX = -25;  // what the triangles leave in the camera
        f.step();
        f.step();
        EXPECT_EQ(cameraPathStep, f.restStep);
        EXPECT_FLOAT_EQ(camera.eyeX, f.keepsTheSample ? cameraPathEyeSamples[f.restSample].x : -25);

        collectMessageBoxes(true);
        loadCameraPath("/nonexistent/sc2.CMVM", 2);  // two provisional points: no samples
        collectMessageBoxes(false);
        cameraPathStep = 0;
        camera.eyeX = -400;
        f.step();
        EXPECT_EQ(cameraPathStep, 0);
        EXPECT_FLOAT_EQ(camera.eyeX, -400);
    }
}

// ---- the show from scene 0 to scene 4, as a viewer sees it --------------------------------

// At 10 frames a second every scene start falls on a frame; the paths and the triangles simply
// move less far. Times are ms after (or, negative, before the end of) the scenes' starts.
TEST(ShowScenes0To4, WhatAViewerSees)
{
    auto at = [](int scene, int ms) { return static_cast<int>(sceneStartMs(scene)) + ms; };
    const std::vector<int> times = {at(1, 2000), at(1, 10000), at(2, -800), at(2, 1200), at(2, 9200), at(3, -800),
                                    at(3, 1200), at(3, 7200), at(4, -300), at(4, 700), at(4, 4700), at(5, -300),
                                    at(0, 0),    at(0, 9900)};
    std::vector<Still> stills = renderShowStills(times, 10);
    for (size_t i = 0; i < stills.size(); ++i) ASSERT_TRUE(stills[i].ok()) << times[i];
    auto dark = [](const uint8_t* p) { return brightness(p) < 60; };
    auto coloured = [](const uint8_t* p) { return colourfulness(p) > 60; };

    // Scene 0: the opening picture stands in (256, 128)-(768, 512) on black, all scene long.
    auto black = [](const uint8_t* p) { return p[0] + p[1] + p[2] == 0; };
    EXPECT_EQ(stills[12].share(256, 128, 768, 512, black), 0);
    const int around[4][4] = {{0, 0, 1024, 128}, {0, 512, 1024, 768}, {0, 128, 256, 512}, {768, 128, 1024, 512}};
    for (const auto& strip : around)
        EXPECT_EQ(stills[12].share(strip[0], strip[1], strip[2], strip[3], black), 1) << strip[0] << ", " << strip[1];
    EXPECT_TRUE(stills[12].rgb == stills[13].rgb);

    // Scene 1: white wire cubes glowing on black; the logo strip in colour at the right edge.
    for (int i : {0, 1}) {
        SCOPED_TRACE(times[i]);
        const Still& s = stills[i];
        EXPECT_GT(s.share(900, 300, 1000, 650, coloured), 0.2);
        EXPECT_LT(s.share(0, 0, 880, 768, coloured), 0.01);
        EXPECT_GT(s.mean(), s.mean(0, 0, 60, 60));  // darker in the corner
    }
    EXPECT_GT(stills[0].mean(384, 256, 640, 512), 150);  // the glow at the centre
    EXPECT_GT(stills[0].share(0, 0, 120, 120, dark), 0.5);
    // From 10 s into the scene the glow's inset grows: the picture floods with light.
    EXPECT_GT(stills[2].mean(0, 0, 880, 768), stills[1].mean(0, 0, 880, 768) + 20);
    EXPECT_GT(stills[2].share([](const uint8_t* p) { return brightness(p) > 200; }), 0.5);

    // Scenes 2 and 3: from inside the tubes their walls fill the middle of the picture; the
    // first wears the earthy terrain texture (not the black copy that the blur pass of scene
    // 2's first frame left bound), the second the grey panels.
    auto earthy = [](const uint8_t* p) { return p[0] > p[2] + 25; };
    for (int i = 3; i <= 8; ++i) {
        SCOPED_TRACE(times[i]);
        const Still& s = stills[i];
        // A wall, not the white sky; lit, not a silhouette.
        EXPECT_GT(s.share(256, 192, 768, 576, [](const uint8_t* p) { return brightness(p) < 200; }), 0.8);
        EXPECT_LT(s.share(dark), 0.5);
        if (i <= 5) {
            EXPECT_GT(s.share(earthy), 0.1);
        } else {
            EXPECT_LT(s.share(earthy), 0.05);
            EXPECT_LT(s.share(coloured), 0.05);
        }
    }

    // Scene 4: lit cubes on black in a grey glow, without colour.
    for (int i : {9, 10, 11}) {
        SCOPED_TRACE(times[i]);
        EXPECT_LT(stills[i].share(coloured), 0.001);
        EXPECT_GT(stills[i].share(dark), 0.3);
        EXPECT_GT(stills[i].share([](const uint8_t* p) { return brightness(p) > 50; }), 0.001);
    }
}

// ---- scene 2's tube with the chunks out of view skipped, against every chunk drawn ---------

// Every 100 ms of scene 2, at 10 frames a second so that each frame is a still, with the chunks
// out of view skipped and with every chunk drawn: the skipped chunks give no pixels, and the
// turns they still make must leave the drawn bands on the very same bytes.
TEST(ShowScene2Culling, CulledTubeGivesTheBytesOfEveryChunkDrawn)
{
    ScratchDir dir;
    std::string times;
    for (uint32_t ms = sceneStartMs(2); ms < sceneStartMs(3); ms += 100) times += (times.empty() ? "" : ",") + std::to_string(ms);
    const std::string run = "\"$DEMO_BINARY\" --fps 10 --data " + testDataDir() + " --at " + times + " --stills " + dir.path;
    ASSERT_EQ(std::system((run + "/culled & " + run + "/whole --draw-all-chunks; code=$?; wait $! && exit $code").c_str()), 0);
    for (uint32_t ms = sceneStartMs(2); ms < sceneStartMs(3); ms += 100) {
        const Still culled = loadStill(dir.path + "/culled/" + std::to_string(ms) + ".png");
        const Still whole = loadStill(dir.path + "/whole/" + std::to_string(ms) + ".png");
        ASSERT_TRUE(culled.ok()) << ms;
        ASSERT_TRUE(whole.ok()) << ms;
        long pixels = 0;
        for (size_t i = 0; i < whole.rgb.size(); i += 3)
            pixels += !std::equal(&whole.rgb[i], &whole.rgb[i] + 3, &culled.rgb[i]);
        EXPECT_EQ(pixels, 0) << "at " << ms << " ms";
    }
}
