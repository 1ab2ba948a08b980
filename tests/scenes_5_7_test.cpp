// scenes_5_7_test.cpp -- the morph in its shell, the terrain corridor, the layered shells
#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "app/world.h"
#include "app/world_geometry.h"
#include "geometry/mesh.h"
#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scenes.h"
#include "support/gl_test.h"

namespace {

// The world is built once per process, from the generated data files.
class ScenesTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        static bool worldReady = false;
        if (!worldReady) {
            ASSERT_EQ(chdir(testDataDir().c_str()), 0);
            setUpWorld();
            worldReady = true;
        }
        ASSERT_EQ(chdir(testDataDir().c_str()), 0);
    }
};

bool sameEye(const Vertex& sample)
{
    return camera.eyeX == sample.x && camera.eyeY == sample.y && camera.eyeZ == sample.z;
}

TEST_F(ScenesTest, MorphSceneFollowsItsPathOnceThenRests)
{
    scene5Init();
    ASSERT_NE(cameraPath, nullptr);
    int n = cameraPath->pointCount;
    ASSERT_GE(n, 3);
    int flight = 50 * (n - 2);
    EXPECT_GE(flight, 540) << "the flight should last about the scene's ten seconds";
    EXPECT_LE(flight, 660);

    scene5Draw(0);
    EXPECT_EQ(cameraPathStep, 1);
    EXPECT_TRUE(sameEye(cameraPathEyeSamples[0]));
    EXPECT_EQ(camera.rotY, cameraPathAngleSamples[0].y);
    // GL state the draw restores at its end.
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));

    scene5Draw(16);
    EXPECT_EQ(cameraPathStep, 2);
    EXPECT_TRUE(sameEye(cameraPathEyeSamples[1]));

    // The last two samples of the flight, then rest.
    cameraPathStep = flight - 2;
    scene5Draw(16);
    scene5Draw(16);
    EXPECT_EQ(cameraPathStep, flight);
    EXPECT_TRUE(sameEye(cameraPathEyeSamples[flight - 1]));
    scene5Draw(16);
    scene5Draw(16);
    EXPECT_EQ(cameraPathStep, flight) << "past the end the camera rests on the last sample";
    EXPECT_TRUE(sameEye(cameraPathEyeSamples[flight - 1]));
}

// Every sample of the orbit looks at the morph: the origin lies near the view's centre line.
TEST_F(ScenesTest, MorphOrbitKeepsTheShapeInView)
{
    scene5Init();
    for (int i = 0; i < cameraPathEyeSampleCount; i += 10) {
        const Vertex& eye = cameraPathEyeSamples[i];
        const Vertex& angle = cameraPathAngleSamples[i];
        double pitch = angle.x * M_PI / 180, yaw = angle.y * M_PI / 180;
        double view[3] = {std::cos(pitch) * std::sin(yaw), std::sin(pitch), std::cos(pitch) * std::cos(yaw)};
        double toShape[3] = {-eye.x, -eye.y, -eye.z};
        double distance = std::sqrt(toShape[0] * toShape[0] + toShape[1] * toShape[1] + toShape[2] * toShape[2]);
        double cosine = (view[0] * toShape[0] + view[1] * toShape[1] + view[2] * toShape[2]) / distance;
        EXPECT_GT(cosine, std::cos(5 * M_PI / 180)) << "sample " << i;
        EXPECT_GT(distance, 6) << "sample " << i << " comes too close to the morph";
        EXPECT_LT(distance, 25) << "sample " << i << " leaves the shell too small";
    }
}

TEST_F(ScenesTest, ShortOrMissingPathLeavesTheCameraAtTheInitEye)
{
    std::string dir = std::filesystem::temp_directory_path() / ("scenes57_" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    {
        // Two control points: no samples.
        std::ofstream file(dir + "/sc6.CMVM", std::ios::binary);
        int32_t count = 2;
        file.write(reinterpret_cast<const char*>(&count), 4);
        Vertex points[4];
        file.write(reinterpret_cast<const char*>(points), sizeof points);
    }
    ASSERT_EQ(chdir(dir.c_str()), 0);
    collectMessageBoxes(true);
    scene5Init();
    for (int i = 0; i < 3; ++i) scene5Draw(16);
    EXPECT_EQ(cameraPathStep, 0);
    EXPECT_EQ(camera.eyeX, 0);
    EXPECT_EQ(camera.eyeY, 0);
    EXPECT_FLOAT_EQ(camera.eyeZ, -20.4f);
    EXPECT_EQ(camera.rotX, 0);
    EXPECT_TRUE(collectedMessageBoxes().empty());

    // A missing file: one message, and the provisional path is flown without a crash.
    std::filesystem::remove(dir + "/sc6.CMVM");
    scene5Init();
    scene5Draw(16);
    ASSERT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(collectedMessageBoxes()[0].caption, "sc6.CMVM");
    EXPECT_EQ(collectedMessageBoxes()[0].text, "Could not load camera path");
    collectMessageBoxes(false);
    std::filesystem::remove_all(dir);
}

TEST_F(ScenesTest, CorridorStreaksAndStillFrames)
{
    scene6Init();
    for (int i = 0; i < kParticleCount; ++i) {
        const Vertex& bright = particles[i];
        const Vertex& faded = particleTails[i];
        EXPECT_EQ(bright.y, -300);
        EXPECT_TRUE(bright.x >= -100 && bright.x <= 199 && bright.x == std::floor(bright.x)) << i;
        EXPECT_TRUE(bright.z >= 0 && bright.z <= 449 && bright.z == std::floor(bright.z)) << i;
        EXPECT_EQ(faded.x, bright.x + 50);
        EXPECT_EQ(faded.y, 100);
        EXPECT_EQ(faded.z, bright.z - 50);
    }
    bool streaksDiffer = particles[0].x != particles[1].x || particles[0].z != particles[1].z;
    EXPECT_TRUE(streaksDiffer);

    // At the end of the flight nothing moves any more, so two frames are the same picture.
    int flight = 50 * (cameraPath->pointCount - 2);
    cameraPathStep = flight - 1;
    scene6Draw(16);
    scene6Draw(16);
    EXPECT_EQ(cameraPathStep, flight);
    EXPECT_TRUE(sameEye(cameraPathEyeSamples[flight - 1]));
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene6Draw(9000);
    FramePixels first = readTestFrame();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    scene6Draw(9990);
    FramePixels second = readTestFrame();
    EXPECT_TRUE(first.rgb == second.rgb);
    EXPECT_GT(first.meanBrightness(0, 0, 1024, 768), 1.0) << "the corridor's end should show something";
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_FOG));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    glDisable(GL_CULL_FACE);
}

// The corridor path keeps clear of the twelve terrain copies: at every sample the floors below
// and the ceilings above the eye (as the terrain generator places them) leave the near plane free.
TEST_F(ScenesTest, CorridorFlightStaysBetweenFloorAndCeiling)
{
    scene6Init();
    ASSERT_GT(cameraPathEyeSampleCount, 0);
    for (int i = 0; i < cameraPathEyeSampleCount; ++i) {
        const Vertex& eye = cameraPathEyeSamples[i];
        float highestFloor = -1e9f, lowestCeiling = 1e9f;
        const float floorX[2] = {0, 120}, ceilingX[3][2] = {{0, 100}, {0, 120}, {0, 120}};
        for (int row = 0; row < 3; ++row)
            for (int copy = 0; copy < 2; ++copy) {
                // Floors: vertex (c, r) at (x0 + 2c, 100 - h, 2r - 170 + 100 row).
                int c = static_cast<int>(std::lround((eye.x - floorX[copy]) / 2));
                int r = static_cast<int>(std::lround((eye.z + 170 - 100 * row) / 2));
                if (c >= 0 && c < 80 && r >= 0 && r < 80)
                    highestFloor = std::max(highestFloor, terrainMesh->vertices[r * 80 + c].y + 100);
                // Ceilings, turned over: vertex (c, r) at (x0 + 2c, h, 100 row - 2r).
                c = static_cast<int>(std::lround((eye.x - ceilingX[row][copy]) / 2));
                r = static_cast<int>(std::lround((100 * row - eye.z) / 2));
                if (c >= 0 && c < 80 && r >= 0 && r < 80)
                    lowestCeiling = std::min(lowestCeiling, -terrainMesh->vertices[r * 80 + c].y);
            }
        EXPECT_GT(eye.y, highestFloor + 5) << "sample " << i;
        EXPECT_LT(eye.y, lowestCeiling - 5) << "sample " << i;
        EXPECT_LT(std::fabs(cameraPathAngleSamples[i].y), 30) << "sample " << i << " looks sideways";
    }
}

TEST_F(ScenesTest, LayeredShellsTimeWindows)
{
    scene7Init();
    EXPECT_EQ(particles[0].x, -10);
    EXPECT_EQ(particles[49].x, -34.5);
    float before = particles[0].x;

    scene7Draw(3000);
    EXPECT_EQ(particles[0].x, before) << "no triangles at 3000 ms";
    scene7Draw(3001);
    EXPECT_FLOAT_EQ(particles[0].x, before + 0.15f);
    scene7Draw(11999);
    EXPECT_FLOAT_EQ(particles[0].x, before + 0.3f);
    scene7Draw(12000);
    EXPECT_FLOAT_EQ(particles[0].x, before + 0.3f) << "no triangles at 12000 ms";
    EXPECT_FLOAT_EQ(particles[49].x, -34.5f + 0.3f);

    // The pull-back begins only after 15000 ms and takes effect from the next frame.
    EXPECT_FLOAT_EQ(camera.eyeZ, -8.4f);
    scene7Draw(15000);
    EXPECT_FLOAT_EQ(camera.eyeZ, -8.4f);
    scene7Draw(15100);
    EXPECT_FLOAT_EQ(camera.eyeZ, -9.4f);
    scene7Draw(15900);
    EXPECT_FLOAT_EQ(camera.eyeZ, -18.4f);
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// A white triangle outline near the middle of the view shows only inside 3000 < ms < 12000.
TEST_F(ScenesTest, PassingTrianglesAreDrawnOnlyInTheirWindow)
{
    scene7Init();
    layerAlpha = 0;  // shells still clear, so only the triangles can be white
    auto whitePixelsAt = [](uint32_t ms) {
        for (int i = 0; i < 50; ++i) particles[i].x = -40;
        particles[0].x = -1;  // drawn at scale 1 / 0.9, in view
        glClearColor(0, 0, 0.2f, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        scene7Draw(ms);
        layerAlpha = 0;
        FramePixels frame = readTestFrame();
        int white = 0;
        for (size_t p = 0; p + 2 < frame.rgb.size(); p += 3)
            white += frame.rgb[p] > 200 && frame.rgb[p + 1] > 200 && frame.rgb[p + 2] > 200;
        return white;
    };
    EXPECT_EQ(whitePixelsAt(3000), 0);
    EXPECT_GT(whitePixelsAt(3001), 500);
    EXPECT_GT(whitePixelsAt(11999), 500);
    EXPECT_EQ(whitePixelsAt(12000), 0);
}

TEST_F(ScenesTest, LayerAlphaStopsAfter201Calls)
{
    scene7Init();
    layerAlpha = 0;
    for (int i = 0; i < 200; ++i) scene7Draw(100);
    EXPECT_LE(layerAlpha, 1.0f);
    EXPECT_GT(layerAlpha, 0.99f);
    scene7Draw(100);
    EXPECT_FLOAT_EQ(layerAlpha, 1.0049993f);
    float stopped = layerAlpha;
    for (int i = 0; i < 5; ++i) scene7Draw(100);
    EXPECT_EQ(layerAlpha, stopped);
}

// --- The whole show, rendered by the demo binary: entry 5 runs from 71300 ms of show time,
// entry 6 from 81300, entry 7 from 91300 to 107300. The virtual clock runs at 10 frames a
// second here to keep the run short: frames fall on whole 100 ms, so 81200 is entry 5's last.
// (Per-frame motion is then six times slower than at 60; the checks allow for that.) ---

struct Still {
    int width = 0, height = 0;
    unsigned char* pixels = nullptr;
    const unsigned char* at(int x, int y) const { return pixels + (static_cast<size_t>(y) * width + x) * 3; }
};

// What a viewer sees, counted on every second pixel of every second row.
struct Census {
    int total = 0, black = 0, reddish = 0, greenish = 0, darkBlue = 0, white = 0, lit = 0;
};

Census census(const Still& s)
{
    Census c;
    for (int y = 0; y < s.height; y += 2)
        for (int x = 0; x < s.width; x += 2) {
            const unsigned char* p = s.at(x, y);
            int r = p[0], g = p[1], b = p[2];
            ++c.total;
            if (r + g + b < 12) ++c.black;
            if (r > 20 && r > 2 * g && r > 2 * b) ++c.reddish;
            if (g > 12 && g > 2 * r && g > 2 * b) ++c.greenish;
            if (r < 8 && g < 8 && b >= 45 && b <= 60) ++c.darkBlue;  // clear colour (0, 0, 0.2)
            if (r > 200 && g > 200 && b > 200) ++c.white;
            if (r + g + b > 90) ++c.lit;
        }
    return c;
}

// Renders the stills in one run of the demo; empty when that fails.
std::string renderStills()
{
    const char* binary = std::getenv("DEMO_BINARY");
    if (!binary) return "";
    std::string dir = std::filesystem::temp_directory_path() / ("stills57_" + std::to_string(getpid()));
    std::string command = std::string(binary) + " --data '" + testDataDir() + "' --stills '" + dir +
                          "' --fps 10 --at 71300,72000,76000,81000,81200,81300,82000,86000,91000,91200,"
                          "91300,92000,106300,107000,107200 >/dev/null 2>&1";
    return std::system(command.c_str()) == 0 ? dir : "";
}

Census look(const std::string& dir, int ms)
{
    Still still;
    int channels = 0;
    std::string path = dir + "/" + std::to_string(ms) + ".png";
    still.pixels = stbi_load(path.c_str(), &still.width, &still.height, &channels, 3);
    if (!still.pixels) {
        ADD_FAILURE() << "no still at " << ms << " ms";
        return {};
    }
    Census c = census(still);
    stbi_image_free(still.pixels);
    return c;
}

// One test, so that the show is rendered once (the test runner starts a process per test).
TEST(ShowStills, EntriesFiveToSevenShowWhatTheyShould)
{
    std::string dir = renderStills();
    ASSERT_FALSE(dir.empty()) << "the demo binary did not render the stills";

    // Entry 5: the dark-red morph inside its green wire shell, on black, first frame to last.
    for (int ms : {71300, 72000, 76000, 81000, 81200}) {
        Census c = look(dir, ms);
        EXPECT_GT(c.black, c.total / 4) << ms << ": black background";
        EXPECT_GT(c.reddish, 100) << ms << ": the dark-red morph";
        EXPECT_GT(c.greenish, c.total / 20) << ms << ": the green wire shell";
        EXPECT_EQ(c.darkBlue, 0) << ms;
    }

    // Entry 6: the fogged terrain corridor crossed by white streaks.
    for (int ms : {81300, 82000, 86000, 91000, 91200}) {
        Census c = look(dir, ms);
        EXPECT_GT(c.lit, c.total / 5) << ms << ": lit terrain walls";
        EXPECT_GT(c.black, c.total / 100) << ms << ": the fog's black in the distance";
        EXPECT_GT(c.white, 200) << ms << ": white streaks";
        EXPECT_LT(c.greenish, 50) << ms << ": no wire shell any more";
    }

    // Entry 7's first frame was cleared before its init chose dark blue: black, shells still
    // clear, no corridor. Then dark blue with the shells fading in.
    Census first = look(dir, 91300), early = look(dir, 92000);
    EXPECT_EQ(first.lit, 0);
    EXPECT_GT(first.black, first.total * 9 / 10);
    EXPECT_GT(early.darkBlue, early.total / 2);
    EXPECT_LT(early.darkBlue, early.total);

    // The camera stands until 15 s in, then pulls back: the shells shrink towards the centre.
    Census standing = look(dir, 106300), pulling = look(dir, 107000), last = look(dir, 107200);
    int shellsStanding = standing.total - standing.darkBlue;
    int shellsPulling = pulling.total - pulling.darkBlue;
    int shellsLast = last.total - last.darkBlue;
    EXPECT_LT(shellsPulling, shellsStanding * 0.8);
    EXPECT_LT(shellsLast, shellsPulling);
    EXPECT_GT(last.darkBlue, last.total / 2);

    std::filesystem::remove_all(dir);
}

}  // namespace
