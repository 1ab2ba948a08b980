// view_volume.h -- bounding spheres of geometry chunks, and the test against what a camera sees
#pragma once
#include <vector>

struct BoundingSphere {
    double x = 0, y = 0, z = 0;
    double radius = -1;  // negative: holds nothing
};

// The smallest box around the points, then the sphere around the box, widened by `margin`.
BoundingSphere sphereAround(const std::vector<double>& xyz, double margin);

// The six clip planes of a matrix that takes object coordinates to clip coordinates
// (projection x model-view, column-major as GL hands it out).
class ViewVolume {
public:
    explicit ViewVolume(const double objectToClip[16]);
    // False only when the sphere lies wholly outside one of the planes.
    bool mayContain(const BoundingSphere& sphere) const;

private:
    double planes_[6][4];
};

// Column-major a x b.
void multiplyMatrices(const double a[16], const double b[16], double out[16]);
