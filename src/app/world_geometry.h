// world_geometry.h -- every generated mesh, the morphs, the trails and the ribbon
#pragma once
#include "app/world.h"
#include "geometry/trail.h"

class Mesh;
class MorphSequence;

extern Mesh* ringMesh;
extern Mesh* terrainMesh;
extern Mesh* bigShape;
extern Mesh* shape1;
extern Mesh* shape2;
extern Mesh* shape3;
extern Mesh* shape4;
extern Mesh* shape5;
extern Mesh* shape6;
extern Mesh* shape5Fine;
extern Mesh* shape7;

extern MorphSequence* morphA;
extern MorphSequence* morphB;
extern MorphSequence* morphC;

extern Trail trails[kTrailCount];
extern Ribbon ribbon;

void setUpWorldGeometry();
