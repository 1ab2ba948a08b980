// spline_path_test.cpp -- B-spline sampling, CMVM files good and broken, the shared sample helpers
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "support/stills.h"

namespace {
std::vector<Vertex> fourPoints()
{
    return {Vertex(0, 0, 0), Vertex(6, 12, -6), Vertex(18, 0, 6), Vertex(30, -6, 60)};
}

// The file bytes of a path (the test support writes host floats, little-endian here).
std::vector<uint8_t> cmvmBytes(const std::vector<Vertex>& eyes, const std::vector<Vertex>& angles)
{
    std::string file = testing::TempDir() + "/path_bytes.CMVM";
    writeCameraPath(file, eyes, angles);
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::string writeTempFile(const std::vector<uint8_t>& bytes)
{
    std::string path = testing::TempDir() + "/path_test.CMVM";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

SplinePath* pathOf(const std::vector<Vertex>& eyes, const std::vector<Vertex>& angles)
{
    SplinePath* path = new SplinePath(static_cast<int>(eyes.size()));
    for (size_t i = 0; i < eyes.size(); ++i) {
        path->eyePoints[i] = eyes[i];
        path->anglePoints[i] = angles[i];
    }
    return path;
}

void expectPosition(const Vertex& v, double x, double y, double z)
{
    EXPECT_NEAR(v.x, x, 1e-4);
    EXPECT_NEAR(v.y, y, 1e-4);
    EXPECT_NEAR(v.z, z, 1e-4);
}
}  // namespace

TEST(SplinePathSampling, FourPointsGiveTwoSegmentsOfFifty)
{
    std::vector<Vertex> p = fourPoints();
    SplinePath* path = pathOf(p, p);
    std::vector<Vertex> out(101);
    out[100].setPosition(-7, -7, -7);  // one past the samples: must stay untouched
    EXPECT_EQ(path->sampleEye(50, out.data()), 0);
    // Segment starts: (P0 + 4 P1 + P2) / 6 and (P1 + 4 P2 + P3) / 6.
    expectPosition(out[0], (0 + 24 + 18) / 6.0, (0 + 48 + 0) / 6.0, (0 - 24 + 6) / 6.0);
    expectPosition(out[50], (6 + 72 + 30) / 6.0, (12 + 0 - 6) / 6.0, (-6 + 24 + 60) / 6.0);
    // Segment 1 at t = 0.5: weights 1/48, 23/48, 23/48, 1/48.
    expectPosition(out[25], (6 * 23 + 18 * 23 + 30) / 48.0, (12 * 23 - 6) / 48.0, (-6 * 23 + 6 * 23 + 60) / 48.0);
    // The last segment ends near P3 with the point past the end taken as P3 itself:
    // t = 0.98 weighs P1..P3 and the repeated P3.
    double t = 0.98, b0 = (1 - t) * (1 - t) * (1 - t), b3 = t * t * t;
    double b1 = 4 - 6 * t * t + 3 * t * t * t, b2 = 1 + 3 * t + 3 * t * t - 3 * t * t * t;
    expectPosition(out[99], (b0 * 6 + b1 * 18 + (b2 + b3) * 30) / 6, (b0 * 12 + b1 * 0 + (b2 + b3) * -6) / 6,
                   (b0 * -6 + b1 * 6 + (b2 + b3) * 60) / 6);
    EXPECT_EQ(out[100].x, -7);
    EXPECT_EQ(out[0].r, 1);  // colour fields are not touched
    delete path;
}

TEST(SplinePathSampling, ShortPathsAndTheAngleTail)
{
    // Two points or fewer: no segment, nothing written. Three: one segment.
    for (int n : {0, 1, 2, 3}) {
        std::vector<Vertex> points(n, Vertex(5, 5, 5));
        std::unique_ptr<SplinePath> path(pathOf(points, points));
        std::vector<Vertex> out(51, Vertex(-1, -1, -1));
        path->sampleEye(50, out.data());
        path->sampleAngles(50, out.data());
        EXPECT_EQ(out[0].x, n < 3 ? -1 : 5) << n;
        EXPECT_EQ(out[50].x, -1) << n;
    }

    // The shared arrays: 50 n - 2 angle records, the last 98 left at their defaults.
    std::vector<Vertex> p = fourPoints();
    std::vector<Vertex> angles(4, Vertex(10, 20, 30));
    delete cameraPath;
    cameraPath = pathOf(p, angles);
    resampleCameraPath();
    ASSERT_EQ(cameraPathEyeSampleCount, 100);
    ASSERT_EQ(cameraPathAngleSampleCount, 198);
    expectPosition(cameraPathAngleSamples[99], 10, 20, 30);
    for (int i = 100; i < 198; ++i) {
        const Vertex& v = cameraPathAngleSamples[i];
        EXPECT_TRUE(v.x == 0 && v.y == 0 && v.z == 0 && v.r == 1 && v.a == 1 && v.u == 0) << i;
    }
}

static std::vector<uint8_t> withFloatAt(std::vector<uint8_t> bytes, size_t at, uint32_t bits)
{
    for (size_t i = 0; i < 4; ++i) bytes.at(at + i) = static_cast<uint8_t>(bits >> (8 * i));
    return bytes;
}

TEST(SplinePathFile, BrokenFilesKeepTheProvisionalPath)
{
    std::vector<Vertex> p = fourPoints();
    std::vector<uint8_t> good = cmvmBytes(p, p);
    struct Broken {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    std::vector<Broken> cases = {
        {"empty", {}},
        {"1 byte", {4}},
        {"3 bytes", {4, 0, 0}},
        {"negative count", {0xff, 0xff, 0xff, 0xff}},
        {"most negative count", {0, 0, 0, 0x80}},
        {"huge count in a small file", {0xff, 0xff, 0xff, 0x7f, 1, 2, 3, 4}},
        {"4 + 72 n wraps in 32 bits", {0xe4, 0x38, 0x8e, 0x03}},  // n = 59652324: 72 n = 2^32 + 32
        {"just over the point cap", cmvmBytes(std::vector<Vertex>(10001), std::vector<Vertex>(10001))},
        {"a NaN position", withFloatAt(good, 4 + 36 * 2, 0x7fc00000)},
        {"an infinite angle", withFloatAt(good, 4 + 36 * 7 + 32, 0xff800000)},
        {"record cut short", std::vector<uint8_t>(good.begin(), good.begin() + 4 + 36 * 3 + 20)},
        {"second block missing", std::vector<uint8_t>(good.begin(), good.begin() + 4 + 36 * 4)},
        {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
    };
    collectMessageBoxes(true);
    for (const Broken& c : cases) {
        collectedMessageBoxes().clear();
        SplinePath path(20);
        path.eyePoints[5].setPosition(1, 2, 3);
        path.load(writeTempFile(c.bytes).c_str());
        ASSERT_EQ(collectedMessageBoxes().size(), 1u) << c.what;
        EXPECT_EQ(collectedMessageBoxes()[0].text, "Could not load camera path") << c.what;
        EXPECT_EQ(path.pointCount, 20) << c.what;
        expectPosition(path.eyePoints[5], 1, 2, 3);

        // The memory decoder refuses the same bytes and leaves its outputs alone.
        Vertex* eyes = nullptr;
        Vertex* angles = nullptr;
        int32_t n = -5;
        EXPECT_FALSE(decodeCmvm(c.bytes.data(), c.bytes.size(), eyes, angles, n)) << c.what;
        EXPECT_TRUE(eyes == nullptr && angles == nullptr && n == -5) << c.what;
    }

    // Missing, a folder, a FIFO nobody writes (refused at once, not waited on).
    std::string fifo = testing::TempDir() + "path_fifo_" + std::to_string(getpid());
    mkfifo(fifo.c_str(), 0600);
    for (std::string name : {std::string("/nonexistent/sc9.CMVM"), testing::TempDir(), fifo}) {
        collectedMessageBoxes().clear();
        SplinePath missing(25);
        missing.load(name.c_str());
        ASSERT_EQ(collectedMessageBoxes().size(), 1u) << name;
        EXPECT_EQ(collectedMessageBoxes()[0].caption, name);
        EXPECT_EQ(missing.pointCount, 25);
    }
    unlink(fifo.c_str());

    // The exact size loads: the boundary just after "one byte short".
    collectedMessageBoxes().clear();
    SplinePath exact(20);
    exact.load(writeTempFile(good).c_str());
    EXPECT_TRUE(collectedMessageBoxes().empty());
    EXPECT_EQ(exact.pointCount, 4);
    collectMessageBoxes(false);
}

TEST(SplinePathShared, LoadLookUpAndApply)
{
    collectMessageBoxes(true);
    collectedMessageBoxes().clear();
    std::vector<Vertex> eyes = fourPoints();
    eyes[1].r = 0.25f;
    std::vector<Vertex> angles(4, Vertex(15, 30, 45));
    std::vector<uint8_t> bytes = cmvmBytes(eyes, angles);
    bytes.insert(bytes.end(), {0xde, 0xad, 0xbe, 0xef, 0x01});  // trailing bytes are ignored
    loadCameraPath(writeTempFile(bytes).c_str(), 20);
    EXPECT_TRUE(collectedMessageBoxes().empty());
    ASSERT_NE(cameraPath, nullptr);
    ASSERT_EQ(cameraPath->pointCount, 4);
    expectPosition(cameraPath->eyePoints[3], 30, -6, 60);
    EXPECT_EQ(cameraPath->eyePoints[1].r, 0.25f);
    expectPosition(cameraPath->anglePoints[2], 15, 30, 45);
    EXPECT_EQ(cameraPathEyeSampleCount, 100);

    Vertex v;
    ASSERT_TRUE(eyeSampleClamped(50, v));
    expectPosition(v, 18, 1, 13);
    ASSERT_TRUE(eyeSampleClamped(99, v));
    Vertex last = v;
    ASSERT_TRUE(eyeSampleClamped(100, v));  // look-ahead past the end: the last sample
    EXPECT_EQ(v.x, last.x);
    ASSERT_TRUE(eyeSampleClamped(100000, v));
    EXPECT_EQ(v.z, last.z);

    camera = Camera();
    applyCameraPathSample(50);
    EXPECT_NEAR(camera.eyeX, 18, 1e-4);
    EXPECT_NEAR(camera.rotZ, 45, 1e-4);
    applyCameraPathSample(100);  // no such sample: the camera stays
    applyCameraPathSample(-1);
    EXPECT_NEAR(camera.eyeX, 18, 1e-4);

    // setEyePoint moves x, y, z only, and ignores an index outside the path.
    Vertex moved(1, 2, 3);
    moved.r = 0;
    for (int i : {1, 4, -1}) cameraPath->setEyePoint(i, moved);
    expectPosition(cameraPath->eyePoints[1], 1, 2, 3);
    EXPECT_EQ(cameraPath->eyePoints[1].r, 0.25f);
    expectPosition(cameraPath->eyePoints[3], 30, -6, 60);

    // A missing file: the message, the provisional 20 default points, 900 and 998 samples.
    loadCameraPath("/nonexistent/sc2.CMVM", 20);
    EXPECT_EQ(collectedMessageBoxes().size(), 1u);
    EXPECT_EQ(cameraPath->pointCount, 20);
    EXPECT_EQ(cameraPathEyeSampleCount, 900);
    EXPECT_EQ(cameraPathAngleSampleCount, 998);

    // Too short to sample: empty arrays, and every look-up fails safely.
    loadCameraPath(writeTempFile(cmvmBytes({Vertex(1, 1, 1), Vertex(2, 2, 2)}, {Vertex(), Vertex()})).c_str(), 20);
    EXPECT_EQ(cameraPath->pointCount, 2);
    EXPECT_EQ(cameraPathEyeSampleCount, 0);
    EXPECT_EQ(cameraPathAngleSampleCount, 0);
    EXPECT_FALSE(eyeSampleClamped(0, v));
    camera.eyeX = 7;
    applyCameraPathSample(0);
    EXPECT_EQ(camera.eyeX, 7);

    // An empty path is a well-formed file: no points, no message.
    collectedMessageBoxes().clear();
    loadCameraPath(writeTempFile({0, 0, 0, 0}).c_str(), 20);
    EXPECT_EQ(cameraPath->pointCount, 0);
    EXPECT_TRUE(collectedMessageBoxes().empty());
    collectMessageBoxes(false);
}
