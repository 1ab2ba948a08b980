// world_geometry.h -- every generated mesh, the morphs, the trails and the ribbon
#pragma once
#include <memory>

#include "geometry/mesh.h"
#include "geometry/morph.h"
#include "geometry/trail.h"
#include "world/world.h"

extern std::unique_ptr<Mesh> ringMesh;
extern std::unique_ptr<Mesh> terrainMesh;
extern std::unique_ptr<Mesh> bigShape;
extern std::unique_ptr<Mesh> shape1;
extern std::unique_ptr<Mesh> shape2;
extern std::unique_ptr<Mesh> shape3;
extern std::unique_ptr<Mesh> shape4;
extern std::unique_ptr<Mesh> shape5;
extern std::unique_ptr<Mesh> shape6;
extern std::unique_ptr<Mesh> shape5Fine;
extern std::unique_ptr<Mesh> shape7;

extern std::unique_ptr<MorphSequence> morphA;
extern std::unique_ptr<MorphSequence> morphB;
extern std::unique_ptr<MorphSequence> morphC;

extern Trail trails[kTrailCount];
extern Ribbon ribbon;

void setUpWorldGeometry();
