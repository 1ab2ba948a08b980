// tube_centre_line.h -- the frames of a swept tube, and camera flights fitted to its centre line
#pragma once
#include <vector>

#include "geometry/vertex.h"

// One segment's frame in world space: its ring (radius 3, scaled) lies in the local x-y plane
// around origin, and the tube runs on along local z.
struct TubeFrame {
    double origin[3];
    double axis[3][3];  // axis[0..2]: local x, y, z as unit vectors in world space
};

// Frame i of Mesh::drawTube(segments, style) on a mesh with position 0, rotation 0 and a
// uniform scale: the placement, then the turns and advances of segments 0 .. i.
std::vector<TubeFrame> tubeFrames(int segments, int style, float scale);

// A flight along a tube's centre line. Arc 0 is the tube's start; frame i
// lies at arc (i + 1) x the scaled segment advance.
struct TubeFlight {
    int segments = 0;
    int style = 0;
    float scale = 1;
    int pointCount = 0;          // n control points give 50 (n - 2) samples
    double arcPerSample = 0;     // world units between neighbouring samples
    double lastSampleArc = 0;    // arc of sample 50 (n - 2) - 1
    // A stretch flown at slowFactor x the speed, eased in and out over slowRamp units: where
    // the tube coils tighter than the spline can follow at full speed.
    double slowFrom = 0, slowTo = 0, slowFactor = 1, slowRamp = 1;
};

// Control points whose B-spline samples (50 per segment) follow the centre line, the eye at
// the flight's arc for each sample and the angles turning Camera::look's view along the tube.
// Fitted by least squares to every sample. The camera keeps the horizon level (no roll), so a
// flight must not look straight up or down.
void fitTubeFlight(const TubeFlight& flight, std::vector<Vertex>& eyePoints,
                   std::vector<Vertex>& anglePoints);
