// recorder.cpp -- a left click records the camera into the current path, then re-samples it
#include "app/recorder.h"

#include "geometry/spline_path.h"
#include "render/camera.h"

int cameraPathPointCount = 0;

namespace {
void recordCameraIntoPoint(SplinePath& path, int index)
{
    path.eyePoints[index].setPosition(camera.eyeX, camera.eyeY, camera.eyeZ);
    path.anglePoints[index] = Vertex(camera.rotX, camera.rotY, camera.rotZ);
}
}  // namespace

void recordCameraPathClick()
{
    if (!cameraPath) return;
    const int n = cameraPath->pointCount;
    if (cameraPathPointCount < n) {
        recordCameraIntoPoint(*cameraPath, cameraPathPointCount);
        ++cameraPathPointCount;
        return;
    }
    // All points recorded: rebuild the samples so the flight follows the new curve at once.
    // A path too short to sample keeps the arrays it has.
    if (n < 3) return;
    resampleCameraPath();
}
