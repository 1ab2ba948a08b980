// scenes_1_4_test.cpp -- the cube cloud, the two tunnel flights and the rings of cubes
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "app/random.h"
#include "app/world.h"
#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/drifting_triangles.h"
#include "scenes/scene_steps.h"
#include "support/gl_test.h"

namespace {

// The show's random sequence as its definition gives it, for checking the order of calls.
struct ReferenceRandom {
    uint32_t state = 1;
    int next()
    {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 32767);
    }
};

}  // namespace

// ---- entry 1: the spin and its reset windows ---------------------------------------------

TEST(CubeCloudSpin, FirstCallTurnsOnlyTheMiddleCopy)
{
    cubeCloudSpin = SpinState();
    advanceSpin(16);
    EXPECT_FLOAT_EQ(cubeCloudSpin.angleA, 0);  // sin 0
    EXPECT_FLOAT_EQ(cubeCloudSpin.angleB, 1);  // cos 0
    EXPECT_FLOAT_EQ(cubeCloudSpin.angleC, 0);
    EXPECT_FLOAT_EQ(cubeCloudSpin.clock, 0);
    advanceSpin(36);  // the clock follows the time between calls
    EXPECT_FLOAT_EQ(cubeCloudSpin.clock, 20);
    EXPECT_GT(cubeCloudSpin.angleA, 0);
    EXPECT_GT(cubeCloudSpin.angleB, 1.9f);
}

TEST(CubeCloudSpin, ResetWindowsAreStrictAndTakenInOrder)
{
    cubeCloudSpin = SpinState();
    advanceSpin(300);
    advanceSpin(400);  // the window's opening value itself: no reset
    EXPECT_EQ(cubeCloudSpin.resetIndex, 0);
    EXPECT_FLOAT_EQ(cubeCloudSpin.clock, 100);
    EXPECT_NE(cubeCloudSpin.angleA, 0);
    advanceSpin(401);  // just inside
    EXPECT_EQ(cubeCloudSpin.resetIndex, 2);
    EXPECT_EQ(cubeCloudSpin.angleA, 0);
    EXPECT_EQ(cubeCloudSpin.angleB, 0);
    EXPECT_EQ(cubeCloudSpin.angleC, 0);
    EXPECT_EQ(cubeCloudSpin.clock, 0);
    advanceSpin(450);  // the window is used up: no second reset
    EXPECT_EQ(cubeCloudSpin.resetIndex, 2);
    EXPECT_FLOAT_EQ(cubeCloudSpin.clock, 49);

    // The closing value is outside too.
    cubeCloudSpin = SpinState();
    advanceSpin(500);
    EXPECT_EQ(cubeCloudSpin.resetIndex, 0);
    advanceSpin(1799);
    EXPECT_EQ(cubeCloudSpin.resetIndex, 0);  // the first window was never hit

    // A window that no call hits blocks all later ones.
    cubeCloudSpin = SpinState();
    for (float t : {450.0f, 1750.0f, 2650.0f, 2850.0f, 4950.0f}) advanceSpin(t);
    EXPECT_EQ(cubeCloudSpin.resetIndex, 10);
    advanceSpin(4960);  // all used: the spin runs on
    EXPECT_NE(cubeCloudSpin.angleB, 0);

    cubeCloudSpin = SpinState();
    for (float t : {450.0f, 1900.0f, 2650.0f, 2850.0f, 4950.0f}) advanceSpin(t);
    EXPECT_EQ(cubeCloudSpin.resetIndex, 2);
    EXPECT_FLOAT_EQ(cubeCloudSpin.clock, 4500);
}

// ---- entries 2 and 3: the end of each flight ---------------------------------------------

namespace {

// A path whose eye x and angle y grow by 10 and 5 per control point.
std::string writeStraightPath(const char* name, int32_t pointCount)
{
    std::string path = testing::TempDir() + name;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    std::fwrite(&pointCount, 4, 1, file);
    for (int k = 0; k < pointCount; ++k) {
        Vertex eye(10.0f * k, 0, 0);
        std::fwrite(&eye, sizeof eye, 1, file);
    }
    for (int k = 0; k < pointCount; ++k) {
        Vertex angles(0, 5.0f * k, 0);
        std::fwrite(&angles, sizeof angles, 1, file);
    }
    std::fclose(file);
    return path;
}

void placeCamera(float x, float y, float z)
{
    camera.eyeX = x;
    camera.eyeY = y;
    camera.eyeZ = z;
    camera.rotX = camera.rotY = camera.rotZ = 0;
}

}  // namespace

TEST(TunnelFlights, FirstTunnelComesToRestOnTheLastSegmentStart)
{
    collectMessageBoxes(true);
    loadCameraPath(writeStraightPath("four.CMVM", 4).c_str(), 20);
    ASSERT_EQ(cameraPath->pointCount, 4);
    cameraPathStep = 0;

    followTunnelPath();
    EXPECT_EQ(cameraPathStep, 1);
    EXPECT_FLOAT_EQ(camera.eyeX, 10);  // (P0 + 4 P1 + P2) / 6
    EXPECT_FLOAT_EQ(camera.rotY, 5);
    for (int call = 2; call <= 50; ++call) followTunnelPath();
    EXPECT_EQ(cameraPathStep, 50);
    EXPECT_NEAR(camera.eyeX, 19.8f, 1e-4);  // sample 49 of a straight path
    followTunnelPath();                      // sample 50 = 50 n - 150, the last one taken
    EXPECT_EQ(cameraPathStep, 51);
    EXPECT_FLOAT_EQ(camera.eyeX, 20);  // (P1 + 4 P2 + P3) / 6
    EXPECT_FLOAT_EQ(camera.rotY, 10);
    placeCamera(0, 0, -25);
    followTunnelPath();  // beyond the end: the same sample again, the step stays
    followTunnelPath();
    EXPECT_EQ(cameraPathStep, 51);
    EXPECT_FLOAT_EQ(camera.eyeX, 20);
    EXPECT_FLOAT_EQ(camera.eyeZ, 0);
    EXPECT_TRUE(collectedMessageBoxes().empty());
}

TEST(TunnelFlights, WideTunnelTakesEvenSamplesThenLeavesTheCamera)
{
    collectMessageBoxes(true);
    loadCameraPath(writeStraightPath("five.CMVM", 5).c_str(), 30);
    ASSERT_EQ(cameraPath->pointCount, 5);
    ASSERT_GE(cameraPathEyeSampleCount, 150);
    cameraPathStep = 0;

    followWideTunnelPath();
    EXPECT_EQ(cameraPathStep, 2);
    EXPECT_FLOAT_EQ(camera.eyeX, 10);
    for (int call = 2; call <= 74; ++call) followWideTunnelPath();
    EXPECT_EQ(cameraPathStep, 148);
    EXPECT_FLOAT_EQ(camera.eyeX, cameraPathEyeSamples[146].x);
    followWideTunnelPath();  // 148, the largest even index below 50 (n - 2) = 150
    EXPECT_EQ(cameraPathStep, 150);
    EXPECT_FLOAT_EQ(camera.eyeX, cameraPathEyeSamples[148].x);
    EXPECT_FLOAT_EQ(camera.rotY, cameraPathAngleSamples[148].y);
    placeCamera(0, 0, -25);  // what the triangles leave in the camera
    followWideTunnelPath();
    EXPECT_EQ(cameraPathStep, 150);
    EXPECT_FLOAT_EQ(camera.eyeX, 0);
    EXPECT_FLOAT_EQ(camera.eyeZ, -25);
}

TEST(TunnelFlights, PathsTooShortToSampleLeaveTheCameraWhereItIs)
{
    collectMessageBoxes(true);
    loadCameraPath(writeStraightPath("two.CMVM", 2).c_str(), 20);
    ASSERT_EQ(cameraPath->pointCount, 2);
    cameraPathStep = 0;
    placeCamera(0, 0, -400);
    for (int call = 0; call < 3; ++call) followTunnelPath();
    EXPECT_EQ(cameraPathStep, 0);
    EXPECT_FLOAT_EQ(camera.eyeZ, -400);
    placeCamera(0, 0, -450);
    for (int call = 0; call < 3; ++call) followWideTunnelPath();
    EXPECT_EQ(cameraPathStep, 0);
    EXPECT_FLOAT_EQ(camera.eyeZ, -450);
}

// ---- entries 2 and 3: the drifting triangles ---------------------------------------------

TEST(DriftingTriangles, SeedingTakesFourRandomValuesPerTriangleInOrder)
{
    demo::resetRandom();
    seedDriftingTriangles();
    ReferenceRandom reference;
    int flagged = 0;
    for (int i = 0; i < kDriftingTriangleCount; ++i) {
        int r8 = reference.next() % 8, r10 = reference.next() % 10;
        int r2 = reference.next() % 2, flag = reference.next() % 10;
        SCOPED_TRACE(i);
        EXPECT_FLOAT_EQ(particles[i].y, static_cast<float>(r8 * std::cos(i)));
        EXPECT_FLOAT_EQ(particles[i].x, static_cast<float>(r10 * std::sin(i) - 10));
        EXPECT_EQ(particles[i].z, 0);
        EXPECT_FLOAT_EQ(particleSpeeds[i], r2 ? 0.4f : 0.3f);
        EXPECT_EQ(particleFlags[i], flag == 3);
        EXPECT_GE(particles[i].x, -19);
        EXPECT_LE(particles[i].x, -1);
        flagged += particleFlags[i];
    }
    EXPECT_EQ(demo::rand(), reference.next());  // exactly 200 calls
    EXPECT_LT(flagged, 20);
}

class DriftingTrianglesGl : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        camera.fovy = 45;
        camera.aspect = 1.3333334f;
        camera.zNear = 5;
        camera.zFar = 2000;
        camera.project();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_BLEND);
        glDisable(GL_FOG);
        // Everything parked far off to the side.
        for (int i = 0; i < kDriftingTriangleCount; ++i) {
            particles[i] = Vertex(-100, 0, 0);
            particleSpeeds[i] = 0.3f;
            particleFlags[i] = false;
        }
    }

    void drawOnWhite(bool enlargeFlagged)
    {
        glClearColor(1, 1, 1, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        placeCamera(0, 0, -25);
        drawDriftingTriangles(enlargeFlagged);
        glFinish();
    }
};

TEST_F(DriftingTrianglesGl, ATriangleAtXTwentyIsDrawnAgainAndRespawnsOnlyBeyond)
{
    particles[0] = Vertex(19.5f, 3, 0);
    particleSpeeds[0] = 0.5f;
    particleFlags[0] = true;
    demo::resetRandom();
    drawOnWhite(false);
    EXPECT_EQ(particles[0].x, 20);  // reached exactly 20: stays in play
    EXPECT_EQ(particles[0].y, 3);

    drawOnWhite(false);  // drawn at 20, moved to 20.5: back on the left
    ReferenceRandom reference;
    int r8 = reference.next() % 8, r10 = reference.next() % 10, flag = reference.next() % 10;
    EXPECT_FLOAT_EQ(particles[0].y, static_cast<float>(r8 * std::cos(0.0)));
    EXPECT_FLOAT_EQ(particles[0].x, static_cast<float>(r10 * std::sin(0.0) - 10));
    EXPECT_EQ(particleFlags[0], flag == 3);
    EXPECT_EQ(particleSpeeds[0], 0.5f);          // the speed is kept
    EXPECT_EQ(demo::rand(), reference.next());  // three calls, no more
    EXPECT_FLOAT_EQ(particles[1].x, -99.4f);     // the others moved on twice
}

namespace {

// Brightness (0..255) of the darkest pixel of a rectangle, top-left origin.
int darkest(const FramePixels& frame, int x0, int y0, int x1, int y1)
{
    int least = 255;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = frame.at(x, y);
            least = std::min(least, (p[0] + p[1] + p[2]) / 3);
        }
    return least;
}

}  // namespace

// With the camera 25 units away, 1 world unit is about 37 pixels at the centre of the frame:
// the base, 2 units below the apex, lies about 74 pixels below the centre (row 458).
TEST_F(DriftingTrianglesGl, BlackOutlineOnWhiteAndFlaggedOnesLarger)
{
    particles[0] = Vertex(0, 0, 0);
    drawOnWhite(false);
    FramePixels frame = readTestFrame();
    EXPECT_LT(darkest(frame, 500, 450, 524, 466), 60);    // the base line
    EXPECT_EQ(darkest(frame, 500, 400, 524, 445), 255);   // white inside the outline
    EXPECT_EQ(darkest(frame, 500, 470, 524, 500), 255);   // and below it
    EXPECT_EQ(darkest(frame, 0, 0, 1024, 300), 255);      // nothing else drawn

    particles[0] = Vertex(0, 0, 0);
    particleFlags[0] = true;
    drawOnWhite(false);  // the flag alone changes nothing in the first tunnel
    EXPECT_LT(darkest(readTestFrame(), 500, 450, 524, 466), 60);

    particles[0] = Vertex(0, 0, 0);
    drawOnWhite(true);  // 1.3 times larger: the base about 96 pixels below the centre
    frame = readTestFrame();
    EXPECT_EQ(darkest(frame, 500, 450, 524, 466), 255);
    EXPECT_LT(darkest(frame, 500, 472, 524, 488), 60);
}
// ---- the show from entry 1 to entry 4, as a viewer sees it --------------------------------

namespace {

struct Still {
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    bool ok() const { return width == 1024 && height == 768; }
    const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }

    // Share of the pixels of a rectangle (top-left origin) that pass a test.
    template <typename Test>
    double share(int x0, int y0, int x1, int y1, Test test) const
    {
        long hits = 0, count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x, ++count) hits += test(at(x, y));
        return count ? static_cast<double>(hits) / count : 0;
    }
    double mean(int x0, int y0, int x1, int y1) const
    {
        double sum = 0;
        long count = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x, ++count) sum += (at(x, y)[0] + at(x, y)[1] + at(x, y)[2]) / 3.0;
        return count ? sum / count : 0;
    }
};

int brightness(const uint8_t* p) { return (p[0] + p[1] + p[2]) / 3; }
int colourfulness(const uint8_t* p)
{
    return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]});
}

// The stills of one run of the show (the virtual clock at `fps`), by show time.
std::vector<Still> renderStills(const std::vector<int>& times, int fps)
{
    const char* binary = std::getenv("DEMO_BINARY");
    std::string dir = testing::TempDir() + "scenes_1_4_stills";
    std::string list;
    for (int t : times) list += (list.empty() ? "" : ",") + std::to_string(t);
    std::string command = std::string(binary ? binary : "./demo") + " --data '" + testDataDir() +
                          "' --stills '" + dir + "' --fps " + std::to_string(fps) + " --at " + list;
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    std::vector<Still> stills;
    for (int t : times) {
        Still still;
        int channels = 0;
        std::string path = dir + "/" + std::to_string(t) + ".png";
        if (uint8_t* data = stbi_load(path.c_str(), &still.width, &still.height, &channels, 3)) {
            still.rgb.assign(data, data + static_cast<size_t>(still.width) * still.height * 3);
            stbi_image_free(data);
        }
        stills.push_back(std::move(still));
    }
    return stills;
}

}  // namespace

// Entries start at 10000, 28800, 47800 and 62300 ms of show time. The show runs at 10 frames
// a second here to keep the test short: every entry start falls on a frame, the paths and
// the triangles simply move less far.
TEST(ShowEntries1To4, WhatAViewerSees)
{
    const std::vector<int> times = {12000, 20000, 28000, 30000, 38000, 47000,
                                    49000, 55000, 62000, 63000, 67000, 71000};
    std::vector<Still> stills = renderStills(times, 10);
    ASSERT_EQ(stills.size(), times.size());
    for (size_t i = 0; i < stills.size(); ++i) ASSERT_TRUE(stills[i].ok()) << times[i];
    auto dark = [](const uint8_t* p) { return brightness(p) < 60; };
    auto light = [](const uint8_t* p) { return brightness(p) > 200; };
    auto coloured = [](const uint8_t* p) { return colourfulness(p) > 60; };

    // Entry 1: white wire cubes glowing on black; the logo strip in colour at the right edge.
    for (int i : {0, 1}) {
        SCOPED_TRACE(times[i]);
        const Still& s = stills[i];
        EXPECT_GT(s.share(900, 300, 1000, 650, coloured), 0.2);  // the logo strip
        EXPECT_LT(s.share(0, 0, 880, 768, coloured), 0.01);       // all else is grey
        EXPECT_GT(s.mean(0, 0, 1024, 768), s.mean(0, 0, 60, 60));  // darker in the corner
    }
    EXPECT_GT(stills[0].mean(384, 256, 640, 512), 150);  // the glow at the centre
    EXPECT_GT(stills[0].share(0, 0, 120, 120, dark), 0.5);
    // From 10 s into the entry the glow's inset grows: the picture floods with light.
    EXPECT_GT(stills[2].mean(0, 0, 880, 768), stills[1].mean(0, 0, 880, 768) + 20);
    EXPECT_GT(stills[2].share(0, 0, 1024, 768, light), 0.5);

    // Entries 2 and 3: from inside the tubes their walls fill the middle of the picture; the
    // first wears the earthy terrain texture (not the black copy that the blur pass of entry
    // 2's first frame left bound), the second the grey panels.
    auto notWhite = [](const uint8_t* p) { return brightness(p) < 200; };
    for (int i : {3, 4, 5, 6, 7, 8}) {
        SCOPED_TRACE(times[i]);
        const Still& s = stills[i];
        EXPECT_GT(s.share(256, 192, 768, 576, notWhite), 0.8);  // a wall, not the white sky
        EXPECT_LT(s.share(0, 0, 1024, 768, dark), 0.5);         // lit, not a silhouette
    }
    auto earthy = [](const uint8_t* p) { return p[0] > p[2] + 25; };
    for (int i : {3, 4, 5}) EXPECT_GT(stills[i].share(0, 0, 1024, 768, earthy), 0.1) << times[i];
    for (int i : {6, 7, 8}) EXPECT_LT(stills[i].share(0, 0, 1024, 768, earthy), 0.05) << times[i];
    for (int i : {6, 7, 8}) EXPECT_LT(stills[i].share(0, 0, 1024, 768, coloured), 0.05) << times[i];

    // Entry 4: lit cubes on black in a grey glow, without colour.
    for (int i : {9, 10, 11}) {
        SCOPED_TRACE(times[i]);
        const Still& s = stills[i];
        EXPECT_LT(s.share(0, 0, 1024, 768, coloured), 0.001);
        EXPECT_GT(s.share(0, 0, 1024, 768, dark), 0.3);
        EXPECT_GT(s.share(0, 0, 1024, 768, [](const uint8_t* p) { return brightness(p) > 50; }), 0.001);
    }
}
