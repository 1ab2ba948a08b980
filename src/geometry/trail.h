// trail.h -- fading line trails and the textured ribbon, each point chasing the one before
#pragma once
#include <cstdint>

#include "geometry/vertex.h"

struct TrailRotation {
    float angle = 0, x = 0, y = 0, z = 0;
};

struct Trail {
    int32_t pointCount = 0;
    TrailRotation rotation;
    Vertex* points = nullptr;  // point 0 is the head

    void update(Vertex head);
    void draw();
};

struct Ribbon {
    Vertex* stripVertices = nullptr;  // 3 per cross-section
    int32_t* stripIndices = nullptr;  // 4 index triples per cross-section
    int32_t stripSegmentCount = 0;
    float position[3] = {0, 0, 0};
    TrailRotation rotation;

    void update(Vertex offset);
    void draw();
};

// One follow step: f moves 1/k of the way toward leader, position only.
void followPoint(Vertex& f, const Vertex& leader, float k);
