// path_angles.h -- the camera angles that look along a direction, shared by the flight generators
#pragma once

constexpr double kDegreesPerRadian = 180.0 / 3.14159265358979323846;

// Camera::look angles in degrees (no roll) that turn the view from +z to a direction:
// pitch (rotX) lifts the view towards +y, yaw (rotY) turns it towards +x.
struct ViewAngles {
    double pitch, yaw;
};
ViewAngles viewAnglesAlong(double dx, double dy, double dz);
