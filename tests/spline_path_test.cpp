// spline_path_test.cpp -- B-spline sampling, CMVM files good and broken, the shared sample helpers
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "support/gl_test.h"
#include "support/stills.h"

namespace {
// Points evenly spaced on a straight line, which a uniform cubic B-spline reproduces exactly.
std::vector<Vertex> line(int n)
{
    std::vector<Vertex> points;
    for (float i = 0; i < n; ++i) points.push_back(Vertex(6 * i, -3 * i, 12 * i));
    return points;
}

const ScratchDir scratch;
std::string writeTempFile(const std::vector<uint8_t>& bytes) { return scratch.write("path.CMVM", bytes); }

// The file bytes of a path (the test support writes host floats, little-endian here).
std::vector<uint8_t> cmvmBytes(const std::vector<Vertex>& eyes, const std::vector<Vertex>& angles)
{
    writeCameraPath(scratch.path + "/bytes.CMVM", eyes, angles);
    std::ifstream in(scratch.path + "/bytes.CMVM", std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

SplinePath* pathOf(const std::vector<Vertex>& points)
{
    SplinePath* path = new SplinePath(static_cast<int>(points.size()));
    std::copy(points.begin(), points.end(), path->eyePoints);
    std::copy(points.begin(), points.end(), path->anglePoints);
    return path;
}

void expectPosition(const Vertex& v, double x, double y, double z)
{
    EXPECT_NEAR(v.x, x, 1e-4);
    EXPECT_NEAR(v.y, y, 1e-4);
    EXPECT_NEAR(v.z, z, 1e-4);
}
}  // namespace

// n points give n - 2 segments of 50 samples; segment k starts at point k + 1. The point past
// the last one is the last one again, so the last segment is that of the path with it repeated.
TEST(SplinePathSampling, SegmentsFollowTheLineAndRepeatTheLastPoint)
{
    std::vector<Vertex> repeated = line(5);
    repeated.push_back(repeated.back());
    std::unique_ptr<SplinePath> path(pathOf(line(5))), longer(pathOf(repeated));
    std::vector<Vertex> out(151, Vertex(-7, -7, -7)), expected(200);
    EXPECT_EQ(path->sampleEye(50, out.data()), 0);
    longer->sampleEye(50, expected.data());
    for (int s = 0; s < 100; ++s) expectPosition(out[s], 6 + 0.12 * s, -3 - 0.06 * s, 12 + 0.24 * s);
    for (int s = 100; s < 150; ++s) expectPosition(out[s], expected[s].x, expected[s].y, expected[s].z);
    EXPECT_EQ(out[150].x, -7) << "written past the samples";
}

TEST(SplinePathFile, BrokenFilesKeepTheProvisionalPath)
{
    std::vector<uint8_t> good = cmvmBytes(line(4), line(4));
    std::vector<Vertex> nanEye = line(4), infiniteAngle = line(4);
    nanEye[2].x = std::nanf("");
    infiniteAngle[3].v = -INFINITY;
    // Missing, a folder and a FIFO nobody writes (refused at once, not waited on) have no bytes to decode.
    const std::string fifo = scratch.path + "/fifo.CMVM";
    mkfifo(fifo.c_str(), 0600);
    struct Case { const char* what; std::vector<uint8_t> bytes; std::string path = ""; };
    const Case cases[] = {
        {"empty", {}},
        {"3 bytes", {4, 0, 0}},
        {"negative count", {0xff, 0xff, 0xff, 0xff}},
        {"most negative count", {0, 0, 0, 0x80}},
        {"huge count in a small file", {0xff, 0xff, 0xff, 0x7f, 1, 2, 3, 4}},
        {"4 + 72 n wraps in 32 bits", {0xe4, 0x38, 0x8e, 0x03}},  // n = 59652324: 72 n = 2^32 + 32
        {"just over the point cap", cmvmBytes(std::vector<Vertex>(10001), std::vector<Vertex>(10001))},
        {"a NaN position", cmvmBytes(nanEye, line(4))},
        {"an infinite angle record", cmvmBytes(line(4), infiniteAngle)},
        {"one byte short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"missing", {}, "/nonexistent/sc9.CMVM"}, {"a folder", {}, scratch.path}, {"a FIFO", {}, fifo},
    };
    collectMessageBoxes(true);
    for (const Case& c : cases) {
        collectedMessageBoxes().clear();
        SplinePath path(20);
        path.eyePoints[5].setPosition(1, 2, 3);
        const std::string file = c.path.empty() ? writeTempFile(c.bytes) : c.path;
        path.load(file.c_str());
        ASSERT_EQ(collectedMessageBoxes().size(), 1u) << c.what;
        EXPECT_EQ(collectedMessageBoxes()[0].caption, file) << c.what;
        EXPECT_EQ(collectedMessageBoxes()[0].text, "Could not load camera path") << c.what;
        EXPECT_EQ(path.pointCount, 20) << c.what;
        expectPosition(path.eyePoints[5], 1, 2, 3);
        if (!c.path.empty()) continue;
        // The memory decoder refuses the same bytes and leaves its outputs alone.
        Vertex *eyes = nullptr, *angles = nullptr;
        int32_t n = -5;
        EXPECT_FALSE(decodeCmvm(c.bytes.data(), c.bytes.size(), eyes, angles, n)) << c.what;
        EXPECT_EQ(eyes, nullptr) << c.what;
        EXPECT_EQ(angles, nullptr) << c.what;
        EXPECT_EQ(n, -5) << c.what;
    }

    // The exact size loads: the boundary just after "one byte short".
    SplinePath exact(20);
    exact.load(writeTempFile(good).c_str());
    EXPECT_EQ(exact.pointCount, 4);
    collectMessageBoxes(false);
}

TEST(SplinePathShared, LoadLookUpAndApply)
{
    collectMessageBoxes(true);
    std::vector<Vertex> eyes = line(4);
    eyes[1].r = 0.25f;
    std::vector<uint8_t> bytes = cmvmBytes(eyes, std::vector<Vertex>(4, Vertex(15, 30, 45)));
    bytes.insert(bytes.end(), {0xde, 0xad, 0xbe, 0xef, 0x01});  // trailing bytes are ignored
    loadCameraPath(writeTempFile(bytes).c_str(), 20);
    EXPECT_TRUE(collectedMessageBoxes().empty());
    ASSERT_EQ(cameraPath->pointCount, 4);
    EXPECT_EQ(cameraPath->eyePoints[1].r, 0.25f);
    // 50 n - 100 eye and 50 n - 2 angle records; the angle records past the samples keep their defaults.
    ASSERT_EQ(cameraPathEyeSampleCount, 100);
    ASSERT_EQ(cameraPathAngleSampleCount, 198);
    expectPosition(cameraPathAngleSamples[99], 15, 30, 45);
    for (int i : {100, 197}) expectPosition(cameraPathAngleSamples[i], 0, 0, 0);

    // Look-ahead past the end reads the last sample.
    Vertex v, last;
    ASSERT_TRUE(eyeSampleClamped(50, v));
    expectPosition(v, 12, -6, 24);
    ASSERT_TRUE(eyeSampleClamped(99, last));
    for (int i : {100, 100000}) {
        ASSERT_TRUE(eyeSampleClamped(i, v));
        EXPECT_EQ(v.x, last.x) << i;
        EXPECT_EQ(v.z, last.z) << i;
    }

    camera = Camera();
    applyCameraPathSample(50);
    applyCameraPathSample(100);  // no such sample: the camera stays
    applyCameraPathSample(-1);
    EXPECT_NEAR(camera.eyeX, 12, 1e-4);
    EXPECT_NEAR(camera.rotZ, 45, 1e-4);

    // setEyePoint moves x, y, z only, and ignores an index outside the path.
    Vertex moved(1, 2, 3);
    moved.r = 0;
    for (int i : {1, 4, -1}) cameraPath->setEyePoint(i, moved);
    expectPosition(cameraPath->eyePoints[1], 1, 2, 3);
    EXPECT_EQ(cameraPath->eyePoints[1].r, 0.25f);

    // Fewer than 3 points make no curve: the message names the file and the count, and the
    // provisional points fly instead.
    for (int count : {0, 1, 2}) {
        collectedMessageBoxes().clear();
        std::string file = writeTempFile(cmvmBytes(line(count), line(count)));
        loadCameraPath(file.c_str(), 20);
        ASSERT_EQ(collectedMessageBoxes().size(), 1u) << count;
        EXPECT_EQ(collectedMessageBoxes()[0].detail, file + ": " + std::to_string(count) + " points; a path needs at least 3");
        EXPECT_EQ(cameraPath->pointCount, 20) << count;
        EXPECT_EQ(cameraPathEyeSampleCount, 900) << count;
    }

    // A provisional path too short to sample: empty arrays, and every look-up fails safely.
    loadCameraPath("/nonexistent/sc2.CMVM", 2);
    EXPECT_EQ(cameraPathEyeSampleCount + cameraPathAngleSampleCount, 0);
    EXPECT_FALSE(eyeSampleClamped(0, v));
    applyCameraPathSample(0);
    EXPECT_NEAR(camera.eyeX, 12, 1e-4);
    collectMessageBoxes(false);
}
