// scenes_8_10_test.cpp -- the spline rings, the ribbon flight and the last tube, as a viewer sees them
#include <GL/gl.h>
#include <GL/glu.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "app/random.h"
#include "app/world.h"
#include "app/world_geometry.h"
#include "geometry/mesh.h"
#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scenes.h"
#include "support/gl_test.h"

namespace {

constexpr int kRibbonSceneFrames = 990;  // 16500 ms at 60 fps
constexpr int kTunnelSceneFrames = 960;  // 16000 ms

// The scenes read their data files from the working directory; the world is set up once.
void setUpWorldOnce()
{
    static bool done = false;
    if (done) return;
    done = true;
    ASSERT_EQ(chdir(testDataDir().c_str()), 0);
    setUpWorld();
}

uint32_t msOfFrame(int frame) { return static_cast<uint32_t>(frame * 1000 / 60); }

long residentKilobytes()
{
    long pages = 0, resident = 0;
    std::ifstream statm("/proc/self/statm");
    statm >> pages >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

struct PixelCounts {
    double mean = 0;
    double black = 0;  // share of pixels darker than 12 in every channel
    double green = 0;  // share of clearly green pixels
    double bright = 0;  // share of pixels brighter than 60 in some channel
};

PixelCounts countPixels(const FramePixels& frame)
{
    PixelCounts counts;
    const size_t pixels = static_cast<size_t>(frame.width) * frame.height;
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = &frame.rgb[3 * i];
        counts.mean += (p[0] + p[1] + p[2]) / 3.0;
        if (p[0] < 12 && p[1] < 12 && p[2] < 12) counts.black += 1;
        if (p[1] > 40 && p[1] > 2 * p[0] && p[1] > 2 * p[2]) counts.green += 1;
        if (p[0] > 60 || p[1] > 60 || p[2] > 60) counts.bright += 1;
    }
    counts.mean /= pixels;
    counts.black /= pixels;
    counts.green /= pixels;
    counts.bright /= pixels;
    return counts;
}

// Draws one frame of a scene as the frame body does (blur is off in these scenes).
void drawOnly(void (*draw)(uint32_t), uint32_t ms)
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    draw(ms);
    glFlush();
}

FramePixels drawFrame(void (*draw)(uint32_t), uint32_t ms)
{
    drawOnly(draw, ms);
    return readTestFrame();
}

// The timeline runs an entry's init inside the frame, after the frame body's reset, and the
// first draw at once: the init may leave the projection matrix current.
FramePixels startScene(void (*init)(), void (*draw)(uint32_t))
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    init();
    draw(0);
    glFlush();
    return readTestFrame();
}

// Window position of a world point through the current camera; false when behind the eye
// or outside the 1024 x 768 picture.
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

struct SampledPath {
    int pointCount = 0;
    std::vector<Vertex> eyes, angles;
    const Vertex& eye(int i) const { return eyes[i < int(eyes.size()) ? i : eyes.size() - 1]; }
    const Vertex& angle(int i) const { return angles[i < int(eyes.size()) ? i : eyes.size() - 1]; }
};

SampledPath samplePathFile(const std::string& name)
{
    SampledPath sampled;
    SplinePath path(3);
    collectMessageBoxes(true);
    collectedMessageBoxes().clear();
    path.load((testDataDir() + "/" + name).c_str());
    EXPECT_TRUE(collectedMessageBoxes().empty()) << name << " did not load";
    collectMessageBoxes(false);
    sampled.pointCount = path.pointCount;
    int count = 50 * (path.pointCount - 2);
    if (count <= 0) return sampled;
    sampled.eyes.resize(count);
    sampled.angles.resize(count);
    path.sampleEye(50, sampled.eyes.data());
    path.sampleAngles(50, sampled.angles.data());
    return sampled;
}

void placeCameraOnSample(const SampledPath& path, int i, float zFar)
{
    const Vertex& e = path.eye(i);
    const Vertex& a = path.angle(i);
    camera.eyeX = e.x;
    camera.eyeY = e.y;
    camera.eyeZ = e.z;
    camera.rotX = a.x;
    camera.rotY = a.y;
    camera.rotZ = a.z;
    camera.fovy = 45;
    camera.aspect = 1.3333334f;
    camera.zNear = 0.1f;
    camera.zFar = zFar;
    camera.project();
}

// Largest change of any angle from one sample to the next (a wrap would show as ~360).
double largestAngleStep(const SampledPath& path)
{
    double largest = 0;
    for (size_t i = 1; i < path.angles.size(); ++i) {
        const Vertex& a = path.angles[i - 1];
        const Vertex& b = path.angles[i];
        largest = std::max({largest, double(std::fabs(b.x - a.x)), double(std::fabs(b.y - a.y)),
                            double(std::fabs(b.z - a.z))});
    }
    return largest;
}

// A ribbon as the world set-up builds it: 500 cross-sections along -z, 4 wide.
void buildFreshRibbon(Ribbon& replica, std::vector<Vertex>& vertices, std::vector<int32_t>& indices)
{
    vertices.assign(1500, Vertex());
    indices.assign(6000, 0);
    for (int s = 0; s < 500; ++s)
        for (int k = 0; k < 3; ++k) vertices[3 * s + k].setPosition(-2.0f + 2 * k, 0, -float(s));
    replica.stripVertices = vertices.data();
    replica.stripIndices = indices.data();
    replica.stripSegmentCount = 500;
}

Vertex ribbonWobble(uint32_t ms)
{
    return Vertex(static_cast<float>(0.05 * std::sin(ms * 0.0011111111f)),
                  static_cast<float>(0.16 * std::sin(ms * 0.00125)),
                  static_cast<float>(-0.07 * std::sin(ms * 0.001)));
}

}  // namespace

// ---- the path files: each flight lasts its scene and keeps its subject in the picture ----

TEST_F(GlTest, RibbonFlightCirclesTheWindingRibbon)
{
    SampledPath path = samplePathFile("sc12.CMVM");
    ASSERT_GE(path.pointCount, 3);
    EXPECT_LE(std::abs(50 * (path.pointCount - 2) - kRibbonSceneFrames), 50);
    EXPECT_LT(largestAngleStep(path), 3.0) << "the view must not spin between two frames";

    // The ribbon moves as the scene moves it; the first 40 cross-sections must be on screen.
    Ribbon replica;
    std::vector<Vertex> vertices;
    std::vector<int32_t> indices;
    buildFreshRibbon(replica, vertices, indices);
    int worstFrame = -1;
    double worstShare = 1;
    for (int frame = 0; frame < kRibbonSceneFrames; ++frame) {
        placeCameraOnSample(path, frame, 200);
        int seen = 0;
        for (int s = 0; s < 40; ++s) {
            const Vertex& v = vertices[3 * s + 1];
            seen += projectsIntoPicture(v.x, v.y, v.z);
        }
        if (seen / 40.0 < worstShare) {
            worstShare = seen / 40.0;
            worstFrame = frame;
        }
        replica.update(ribbonWobble(msOfFrame(frame)));
    }
    EXPECT_GE(worstShare, 0.9) << "at frame " << worstFrame;
    replica.stripVertices = nullptr;
    replica.stripIndices = nullptr;
}

TEST_F(GlTest, TunnelFlightStaysInsideTheTubeWithTheSwarmAhead)
{
    SampledPath path = samplePathFile("sc9.CMVM");
    ASSERT_GE(path.pointCount, 3);
    const int samples = 50 * (path.pointCount - 2);
    EXPECT_LE(std::abs(samples - kTunnelSceneFrames), 50);
    EXPECT_LT(largestAngleStep(path), 3.0);

    // The tube's segment origins, from GL's own matrices: scale 25, then each segment's turns.
    std::vector<Vertex> origins;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(25, 25, 25);
    for (int i = 0; i < 3000; ++i) {
        float tx, ty, tz;
        tubeTurn(i, 1, tx, ty, tz);
        glRotatef(360 - tx, 1, 0, 0);
        glRotatef(360 - ty, 0, 1, 0);
        glRotatef(360 - tz, 0, 0, 1);
        glTranslatef(0, 0, kTubeSegmentAdvance);
        float m[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        origins.emplace_back(m[12], m[13], m[14]);
    }

    const float corners[2][3] = {{0, 0, 0}, {27, 17, 19}};  // the box of the heads' offsets
    double farthestFromAxis = 0;
    int swarmMissing = 0;
    for (int f = 0; f < kTunnelSceneFrames; ++f) {
        const Vertex& eye = path.eye(f);
        double nearest = 1e9;
        for (const Vertex& o : origins)
            nearest = std::min(nearest, double(std::hypot(eye.x - o.x, eye.y - o.y, eye.z - o.z)));
        farthestFromAxis = std::max(farthestFromAxis, nearest);

        placeCameraOnSample(path, f, 2000);
        const Vertex& lead = path.eye(f + 41);  // the scene's step after advancing, plus 40
        for (int c = 0; c < 8; ++c) {
            swarmMissing += !projectsIntoPicture(lead.x + corners[c & 1][0], lead.y + corners[(c >> 1) & 1][1],
                                                 lead.z + corners[(c >> 2) & 1][2]);
        }
    }
    EXPECT_LT(farthestFromAxis, 30.0) << "the tube's radius is 75";
    EXPECT_EQ(swarmMissing, 0);
}

// ---- entry 8 -----------------------------------------------------------------------------

TEST_F(GlTest, SplineRingsApproachTurnGreenAndFadeToBlack)
{
    setUpWorldOnce();
    glEnable(GL_CULL_FACE);  // as entry 6 leaves it; the darkening quad must still be drawn
    // The camera closes in during the first second only, and only while z < -8.
    startScene(scene8Init, scene8Draw);
    EXPECT_FLOAT_EQ(camera.eyeZ, -108);
    drawFrame(scene8Draw, 999);
    EXPECT_NEAR(camera.eyeZ, -108 + 9.99, 1e-4);
    drawFrame(scene8Draw, 1000);
    EXPECT_NEAR(camera.eyeZ, -108 + 9.99, 1e-4);
    camera.eyeZ = -8;
    drawFrame(scene8Draw, 500);
    EXPECT_FLOAT_EQ(camera.eyeZ, -8);
    camera.eyeZ = -8.5f;
    drawFrame(scene8Draw, 500);
    EXPECT_FLOAT_EQ(camera.eyeZ, -3.5f);

    // Nested green loops on black.
    camera.eyeZ = -40;
    PixelCounts early = countPixels(drawFrame(scene8Draw, 3000));
    EXPECT_GT(early.green, 0.01);
    EXPECT_GT(early.black, 0.3);
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));

    // At 6000 ms nothing darkens, however often it is drawn; the first later frame is unchanged
    // (alpha 1), each further one 0.01 darker, black after a hundred.
    for (int i = 0; i < 30; ++i) drawOnly(scene8Draw, 6000);
    const double at6000 = countPixels(drawFrame(scene8Draw, 6000)).mean;
    ASSERT_GT(at6000, 1.0);
    EXPECT_NEAR(countPixels(drawFrame(scene8Draw, 6001)).mean, at6000, 0.03 * at6000);
    for (int i = 0; i < 49; ++i) drawOnly(scene8Draw, 6001);
    const double half = countPixels(drawFrame(scene8Draw, 6001)).mean;
    EXPECT_NEAR(half, 0.5 * at6000, 0.06 * at6000);  // the 51st darkened frame: alpha 0.5
    for (int i = 0; i < 51; ++i) drawOnly(scene8Draw, 6001);
    PixelCounts dark = countPixels(drawFrame(scene8Draw, 6001));
    EXPECT_GT(dark.black, 0.999);
}

TEST_F(GlTest, SplineRingsResampleWithoutGrowingMemory)
{
    setUpWorldOnce();
    startScene(scene8Init, scene8Draw);
    // The renderer's own buffers grow to fit the 84,000 lines of a frame first.
    for (int frame = 1; frame < 60; ++frame) drawOnly(scene8Draw, msOfFrame(frame));
    glFinish();
    long before = residentKilobytes();
    for (int frame = 60; frame < 180; ++frame) drawOnly(scene8Draw, msOfFrame(frame));
    glFinish();
    long after = residentKilobytes();
    // A leaked sample array per ring would be 210 x 600 x 36 bytes, 4.5 MB a frame: 540 MB
    // over these 120 frames.
    EXPECT_LT(after - before, 6144) << before << " kB before, " << after << " kB after";
    EXPECT_GE(cameraPathEyeSampleCount, 401);  // the drawn loop reads samples 0 .. 400
}

// ---- entry 9 -----------------------------------------------------------------------------

TEST_F(GlTest, RibbonWindsOnBlackAndTheCameraStopsAtThePathEnd)
{
    setUpWorldOnce();
    FramePixels picture = startScene(scene9Init, scene9Draw);
    ASSERT_NE(cameraPath, nullptr);
    const int samples = 50 * (cameraPath->pointCount - 2);
    for (int frame = 0; frame <= 900; ++frame) {
        if (frame % 300 != 0) {
            drawOnly(scene9Draw, msOfFrame(frame));
            EXPECT_EQ(cameraPathStep, std::min(frame + 1, samples));
            continue;
        }
        if (frame > 0) picture = drawFrame(scene9Draw, msOfFrame(frame));
        PixelCounts counts = countPixels(picture);
        EXPECT_GT(counts.bright, 0.01) << "frame " << frame << ": the ribbon is not in sight";
        EXPECT_GT(counts.black, 0.3) << "frame " << frame << ": the background is black";
    }

    // The last sample is taken once; after it the camera stays where it is.
    cameraPathStep = samples - 1;
    drawFrame(scene9Draw, 16400);
    const Vertex last = cameraPathEyeSamples[samples - 1];
    EXPECT_EQ(cameraPathStep, samples);
    EXPECT_EQ(camera.eyeX, last.x);
    EXPECT_EQ(camera.eyeZ, last.z);
    camera.eyeX += 1;
    drawFrame(scene9Draw, 16450);
    EXPECT_EQ(cameraPathStep, samples);
    EXPECT_EQ(camera.eyeX, last.x + 1);
}

// ---- entry 10 ----------------------------------------------------------------------------

TEST_F(GlTest, LastTubeWithTheSwarmAndTheGreyVeil)
{
    setUpWorldOnce();

    // The heads' offsets take 300 numbers of the show's sequence, three per trail.
    demo::resetRandom();
    PixelCounts first = countPixels(startScene(scene10Init, scene10Draw));
    uint32_t state = 1;
    auto next = [&state] {
        state = state * 214013u + 2531011u;
        return static_cast<int>((state >> 16) & 32767);
    };
    for (int i = 0; i < kTrailCount; ++i) {
        int z = next() % 20, y = next() % 18, x = next() % 28;
        ASSERT_EQ(particles[i].x, x);
        ASSERT_EQ(particles[i].y, y);
        ASSERT_EQ(particles[i].z, z);
    }
    EXPECT_EQ(demo::rand(), next());

    // The first draw only compiles the tube; from the second on the eye is inside it.
    EXPECT_GT(first.black, 0.8);
    PixelCounts inside = countPixels(drawFrame(scene10Draw, 16));
    EXPECT_LT(inside.black, 0.05);
    for (int i = 0; i < kTrailCount; ++i)
        EXPECT_TRUE(projectsIntoPicture(trailHeads[i].x, trailHeads[i].y, trailHeads[i].z)) << "head " << i;

    // Past the end of the path the camera rests and the swarm leads from the last sample.
    ASSERT_NE(cameraPath, nullptr);
    const int samples = 50 * (cameraPath->pointCount - 2);
    ASSERT_GT(samples, 0);
    cameraPathStep = samples - 2;
    for (int i = 0; i < 3; ++i) drawFrame(scene10Draw, 13000);  // before the veil: its alpha only grows
    EXPECT_EQ(cameraPathStep, samples);
    const Vertex last = cameraPathEyeSamples[samples - 1];
    EXPECT_EQ(camera.eyeZ, last.z);
    EXPECT_EQ(trailHeads[7].x, last.x + particles[7].x);
    EXPECT_EQ(trailHeads[7].z, last.z + particles[7].z);

    // Resting camera, settled trails: 13500 ms draws no veil, 13501 one of alpha 0, and
    // from then on a grey that grows by 0.01 a frame.
    for (int i = 0; i < 60; ++i) drawOnly(scene10Draw, 13500);
    const double settled = countPixels(drawFrame(scene10Draw, 13500)).mean;
    EXPECT_NEAR(countPixels(drawFrame(scene10Draw, 13500)).mean, settled, 0.05);
    FramePixels zeroVeil = drawFrame(scene10Draw, 13501);
    EXPECT_NEAR(countPixels(zeroVeil).mean, settled, 0.05);
    for (int i = 0; i < 59; ++i) drawOnly(scene10Draw, 13600);
    FramePixels veiled = drawFrame(scene10Draw, 13600);  // alpha 0.6
    double gain[3] = {0, 0, 0};
    for (size_t i = 0; i < veiled.rgb.size(); ++i) gain[i % 3] += veiled.rgb[i] - zeroVeil.rgb[i];
    const double pixels = veiled.rgb.size() / 3.0;
    for (double& g : gain) g /= pixels;
    EXPECT_GT(gain[0], 20) << "the veil brightens the picture";
    EXPECT_NEAR(gain[1], gain[0], 0.15 * gain[0]) << "and it is grey";
    EXPECT_NEAR(gain[2], gain[0], 0.15 * gain[0]);
}

// A path too short to sample, or none at all: the camera keeps the init's eye, and the
// look-aheads fall back on it; nothing is read outside an array.
TEST_F(GlTest, LastTubeWithoutSamplesKeepsTheInitEye)
{
    setUpWorldOnce();
    char here[4096];
    ASSERT_NE(getcwd(here, sizeof here), nullptr);
    std::string dir = testing::TempDir() + "scenes_8_10_short_path";
    std::string command = "mkdir -p '" + dir + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    ASSERT_EQ(chdir(dir.c_str()), 0);
    {
        std::FILE* file = std::fopen("sc9.CMVM", "wb");
        const int32_t count = 2;
        const Vertex points[4] = {Vertex(5, 5, 5), Vertex(6, 6, 6), Vertex(10, 0, 0), Vertex(20, 0, 0)};
        std::fwrite(&count, 4, 1, file);
        std::fwrite(points, sizeof points, 1, file);
        std::fclose(file);
    }
    startScene(scene10Init, scene10Draw);
    for (int frame = 1; frame < 4; ++frame) drawOnly(scene10Draw, msOfFrame(frame));
    EXPECT_EQ(cameraPath->pointCount, 2);
    EXPECT_EQ(cameraPathStep, 0);
    EXPECT_EQ(camera.eyeZ, -450);
    EXPECT_EQ(trailHeads[3].z, -450 + particles[3].z);

    // A missing file: the message, and the provisional path of 25 points at the origin.
    std::remove("sc9.CMVM");
    collectMessageBoxes(true);
    collectedMessageBoxes().clear();
    startScene(scene10Init, scene10Draw);
    ASSERT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(collectedMessageBoxes()[0].caption, "sc9.CMVM");
    EXPECT_EQ(collectedMessageBoxes()[0].text, "Could not load camera path");
    collectMessageBoxes(false);
    EXPECT_EQ(cameraPath->pointCount, 25);
    EXPECT_EQ(cameraPathStep, 1);
    EXPECT_EQ(camera.eyeZ, 0);
    ASSERT_EQ(chdir(here), 0);
}

// ---- the whole show, by the program itself ----------------------------------------------

TEST(LateScenesInTheShow, StartOnTimeAndLeaveOnlyTheBackground)
{
    const char* binary = std::getenv("DEMO_BINARY");
    ASSERT_NE(binary, nullptr);
    std::string dir = testing::TempDir() + "scenes_8_10_stills";
    // At 10 frames a second every entry starts exactly on its time, and the run stays short.
    std::string command = "rm -rf '" + dir + "' && '" + binary + "' --data '" + testDataDir() + "' --stills '" +
                          dir + "' --fps 10 --at 107200,107300,117300,133900,149700,149800,149900 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0);
    auto load = [&](int ms) {
        FramePixels frame;
        int channels = 0;
        std::string file = dir + "/" + std::to_string(ms) + ".png";
        unsigned char* data = stbi_load(file.c_str(), &frame.width, &frame.height, &channels, 3);
        EXPECT_NE(data, nullptr) << file;
        if (!data) return frame;
        // PNG rows come top first; FramePixels keeps GL's bottom row first.
        frame.rgb.resize(static_cast<size_t>(frame.width) * frame.height * 3);
        for (int y = 0; y < frame.height; ++y)
            std::copy(data + static_cast<size_t>(y) * frame.width * 3, data + static_cast<size_t>(y + 1) * frame.width * 3,
                      frame.rgb.begin() + static_cast<size_t>(frame.height - 1 - y) * frame.width * 3);
        stbi_image_free(data);
        return frame;
    };
    PixelCounts before = countPixels(load(107200));
    PixelCounts rings = countPixels(load(107300));
    EXPECT_GT(rings.green, 0.0005) << "entry 8 begins at 107300 ms with the green rings";
    EXPECT_LT(before.green, 0.1 * rings.green);
    PixelCounts ribbonStart = countPixels(load(117300));
    EXPECT_GT(ribbonStart.bright, 0.01) << "entry 9 begins at 117300 ms with the ribbon";
    EXPECT_GT(ribbonStart.black, 0.5);
    PixelCounts tube = countPixels(load(133900));
    EXPECT_LT(tube.black, 0.05) << "entry 10 begins at 133800 ms inside the tube";
    PixelCounts lastFrame = countPixels(load(149700));
    EXPECT_GT(lastFrame.mean, 20);
    EXPECT_EQ(countPixels(load(149800)).black, 1.0) << "after 149800 ms only the background";
    EXPECT_EQ(countPixels(load(149900)).black, 1.0);
}
