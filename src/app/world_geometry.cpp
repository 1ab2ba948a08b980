// world_geometry.cpp -- PLACEHOLDER until the geometry set-up lands
#include "app/world_geometry.h"

Mesh* ringMesh = nullptr;
Mesh* terrainMesh = nullptr;
Mesh* bigShape = nullptr;
Mesh* shape1 = nullptr;
Mesh* shape2 = nullptr;
Mesh* shape3 = nullptr;
Mesh* shape4 = nullptr;
Mesh* shape5 = nullptr;
Mesh* shape6 = nullptr;
Mesh* shape5Fine = nullptr;
Mesh* shape7 = nullptr;
MorphSequence* morphA = nullptr;
MorphSequence* morphB = nullptr;
MorphSequence* morphC = nullptr;
Trail trails[kTrailCount];
Ribbon ribbon;

void setUpWorldGeometry() {}
