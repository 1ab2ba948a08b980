// fuzz_cmvm.cpp -- fuzz target: CMVM decoding and sampling of whatever it accepts
#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/spline_path.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    SplinePath path;
    if (!decodeCmvm(data, size, path.eyePoints, path.anglePoints, path.pointCount)) return 0;
    // Sampling reads every point, including the one past the end of the last segment.
    const int n = path.pointCount;
    if (n > 2 && n <= 2000) {
        std::vector<Vertex> eyes(50 * n - 100), angles(50 * n - 2);
        path.sampleEye(50, eyes.data());
        path.sampleAngles(50, angles.data());
    }
    return 0;
}
