// recorder_test.cpp -- clicks record the camera into the current path, then re-sample it
#include <gtest/gtest.h>

#include <vector>

#include "app/recorder.h"
#include "geometry/spline_path.h"
#include "render/camera.h"

namespace {
// A fresh current path of n points, sampled as a path scene's init would.
void newPath(int n)
{
    delete cameraPath;
    cameraPath = new SplinePath(n);
    for (int i = 0; i < n; ++i) {
        cameraPath->eyePoints[i].setPosition(static_cast<float>(i), 0, static_cast<float>(10 * i));
        cameraPath->eyePoints[i].r = 0.5f;  // colour of an eye point survives a click
    }
    resampleCameraPath();
}
}  // namespace

// One run of the program: the counter never resets, so the cases follow each other in order.
TEST(Recorder, RecordsThenResamplesAndCarriesTheCountOn)
{
    // No path yet: nothing happens.
    delete cameraPath;
    cameraPath = nullptr;
    recordCameraPathClick();
    EXPECT_EQ(cameraPathPointCount, 0);

    newPath(4);
    Vertex* samplesBefore = cameraPathEyeSamples;
    for (int i = 0; i < 4; ++i) {
        camera.eyeX = 100.0f + i, camera.eyeY = 200.0f + i, camera.eyeZ = 300.0f + i;
        camera.rotX = 10.0f * i, camera.rotY = 20.0f * i, camera.rotZ = -30.0f * i;
        recordCameraPathClick();
        EXPECT_EQ(cameraPathPointCount, i + 1);
        const Vertex &e = cameraPath->eyePoints[i], &a = cameraPath->anglePoints[i];
        EXPECT_EQ(e.x, 100.0f + i) << i;
        EXPECT_EQ(e.z, 300.0f + i) << i;
        EXPECT_EQ(e.r, 0.5f) << i;
        EXPECT_EQ(a.x, 10.0f * i) << i;
        EXPECT_EQ(a.y, 20.0f * i) << i;
        EXPECT_EQ(a.z, -30.0f * i) << i;
        EXPECT_EQ(a.r, 1) << i;
        EXPECT_EQ(a.u, 0) << i;
    }
    EXPECT_EQ(cameraPathEyeSamples, samplesBefore) << "recording alone does not re-sample";

    // The fifth click re-samples into fresh arrays of 50 n - 100 and 50 n - 2 records. The
    // recorded points lie on a line, so sample 50 k is point k + 1.
    recordCameraPathClick();
    EXPECT_EQ(cameraPathPointCount, 4);
    ASSERT_EQ(cameraPathEyeSampleCount, 100);
    ASSERT_EQ(cameraPathAngleSampleCount, 198);
    EXPECT_NEAR(cameraPathEyeSamples[0].x, 101, 1e-4);
    EXPECT_NEAR(cameraPathAngleSamples[50].y, 40, 1e-4);

    // The next path: with 4 recorded in the run, a 6-point path records into points 4 and 5
    // (going on with its line), then re-samples; its points 0 to 3 keep what the file gave them.
    newPath(6);
    for (float x : {4.0f, 5.0f}) {
        camera.eyeX = x, camera.eyeY = 0, camera.eyeZ = 10 * x, camera.rotZ = x;
        recordCameraPathClick();
    }
    EXPECT_EQ(cameraPathPointCount, 6);
    EXPECT_EQ(cameraPath->eyePoints[3].x, 3);
    EXPECT_EQ(cameraPath->eyePoints[4].x, 4);
    EXPECT_EQ(cameraPath->anglePoints[5].z, 5);
    recordCameraPathClick();
    EXPECT_EQ(cameraPathEyeSampleCount, 200);
    EXPECT_EQ(cameraPathAngleSampleCount, 298);
    EXPECT_NEAR(cameraPathEyeSamples[150].x, 4, 1e-4);

    // A path shorter than the count so far: a click re-samples it at once, recording nothing.
    newPath(3);
    for (int i = 0; i < 3; ++i) cameraPath->eyePoints[i].x += 10;
    recordCameraPathClick();
    EXPECT_EQ(cameraPathPointCount, 6);
    EXPECT_NEAR(cameraPathEyeSamples[0].x, 11, 1e-4);

    // A path too short to sample: a click keeps the arrays there are.
    delete cameraPath;
    cameraPath = new SplinePath(2);
    recordCameraPathClick();
    EXPECT_EQ(cameraPathEyeSampleCount, 50);
}
