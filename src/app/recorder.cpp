// recorder.cpp -- a left click records the camera into the current path, then re-samples it
#include "app/recorder.h"

#include "geometry/spline_path.h"
#include "render/camera.h"

int cameraPathPointCount = 0;

namespace {
void recordCameraIntoPoint(SplinePath& path, int index)
{
    const Camera& seen = seenCamera();
    path.eyePoints[index].setPosition(seen.eyeX, seen.eyeY, seen.eyeZ);
    path.anglePoints[index] = Vertex(seen.rotX, seen.rotY, seen.rotZ);
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
