// drifting_triangles.h -- the fifty black triangle outlines of the two tunnel flights
#pragma once

// Scene 2 seeds them, scene 3 carries on with the same positions, speeds and flags.
// Positions are particles[0..49] (world/world.h).
constexpr int kDriftingTriangleCount = 50;
extern float particleSpeeds[kDriftingTriangleCount];  // units per draw call: 0.3 or 0.4
extern bool particleFlags[kDriftingTriangleCount];    // about one in ten; drawn larger in scene 3

// Four rand calls per triangle, in the order %8, %10, %2, %10.
void seedDriftingTriangles();

// Draws each triangle from the fixed triangle camera (which the camera must already hold),
// then moves it; one that has passed x = 20 comes back on the left (three rand calls).
void drawDriftingTriangles(bool enlargeFlagged);
// The tunnels' use: sets the triangle camera (eye 0, 0, -25, no turn) and draws them unlit
// and untextured, then switches lighting and texturing back on.
void drawDriftingTrianglesOverTube(bool enlargeFlagged);
