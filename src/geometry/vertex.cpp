// vertex.cpp -- vector arithmetic in double precision, stored as floats
#include "geometry/vertex.h"

#include <cmath>

float Vector3::length() const
{
    double dx = x, dy = y, dz = z;
    return static_cast<float>(std::sqrt(dx * dx + dy * dy + dz * dz));
}

Vector3 cross(Vector3 a, Vector3 b)
{
    double ax = a.x, ay = a.y, az = a.z, bx = b.x, by = b.y, bz = b.z;
    return Vector3(static_cast<float>(ay * bz - az * by),
                   static_cast<float>(az * bx - ax * bz),
                   static_cast<float>(ax * by - ay * bx));
}
