// path_angles.cpp -- the camera angles that look along a direction, shared by the flight generators
#include "path_angles.h"

#include <cmath>

ViewAngles viewAnglesAlong(double dx, double dy, double dz)
{
    double length = std::sqrt(dx * dx + dy * dy + dz * dz);
    return {std::asin(dy / length) * kDegreesPerRadian, std::atan2(dx, dz) * kDegreesPerRadian};
}
