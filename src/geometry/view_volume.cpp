// view_volume.cpp -- bounding spheres and the clip planes of a camera
#include "geometry/view_volume.h"

#include <algorithm>
#include <cmath>

BoundingSphere sphereAround(const std::vector<double>& xyz, double margin)
{
    BoundingSphere sphere;
    if (xyz.size() < 3) return sphere;
    double low[3] = {xyz[0], xyz[1], xyz[2]}, high[3] = {xyz[0], xyz[1], xyz[2]};
    for (size_t i = 0; i + 2 < xyz.size(); i += 3)
        for (int k = 0; k < 3; ++k) {
            low[k] = std::min(low[k], xyz[i + k]);
            high[k] = std::max(high[k], xyz[i + k]);
        }
    sphere.x = (low[0] + high[0]) / 2;
    sphere.y = (low[1] + high[1]) / 2;
    sphere.z = (low[2] + high[2]) / 2;
    double farthest = 0;
    for (size_t i = 0; i + 2 < xyz.size(); i += 3) {
        const double dx = xyz[i] - sphere.x, dy = xyz[i + 1] - sphere.y, dz = xyz[i + 2] - sphere.z;
        farthest = std::max(farthest, dx * dx + dy * dy + dz * dz);
    }
    sphere.radius = std::sqrt(farthest) + margin;
    return sphere;
}

// A point p is inside when -w <= x, y, z <= w in clip space: each plane is the fourth row
// of the matrix plus or minus one of the first three.
ViewVolume::ViewVolume(const double m[16])
{
    for (int axis = 0; axis < 3; ++axis)
        for (int side = 0; side < 2; ++side) {
            double* plane = planes_[2 * axis + side];
            const double sign = side == 0 ? 1 : -1;
            for (int column = 0; column < 4; ++column)
                plane[column] = m[4 * column + 3] + sign * m[4 * column + axis];
            const double length = std::sqrt(plane[0] * plane[0] + plane[1] * plane[1] + plane[2] * plane[2]);
            if (length > 0)
                for (int c = 0; c < 4; ++c) plane[c] /= length;
        }
}

bool ViewVolume::mayContain(const BoundingSphere& s) const
{
    if (s.radius < 0) return false;
    for (const auto& p : planes_)
        if (p[0] * s.x + p[1] * s.y + p[2] * s.z + p[3] < -s.radius) return false;
    return true;
}

void multiplyMatrices(const double a[16], const double b[16], double out[16])
{
    for (int column = 0; column < 4; ++column)
        for (int row = 0; row < 4; ++row) {
            double sum = 0;
            for (int k = 0; k < 4; ++k) sum += a[4 * k + row] * b[4 * column + k];
            out[4 * column + row] = sum;
        }
}
