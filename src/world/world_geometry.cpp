// world_geometry.cpp -- builds every mesh, morph, trail and the ribbon once at start-up
#include "world/world_geometry.h"

#include <initializer_list>
#include <vector>

#include "geometry/generators.h"
#include "geometry/mesh.h"
#include "geometry/morph.h"
#include "world/random.h"

std::unique_ptr<Mesh> ringMesh;
std::unique_ptr<Mesh> terrainMesh;
std::unique_ptr<Mesh> bigShape;
std::unique_ptr<Mesh> shape1;
std::unique_ptr<Mesh> shape2;
std::unique_ptr<Mesh> shape3;
std::unique_ptr<Mesh> shape4;
std::unique_ptr<Mesh> shape5;
std::unique_ptr<Mesh> shape6;
std::unique_ptr<Mesh> shape5Fine;
std::unique_ptr<Mesh> shape7;
std::unique_ptr<MorphSequence> morphA;
std::unique_ptr<MorphSequence> morphB;
std::unique_ptr<MorphSequence> morphC;
Trail trails[kTrailCount];
Ribbon ribbon;

namespace {

std::unique_ptr<Mesh> newSupershape(int type, int resolution)
{
    auto mesh = std::make_unique<Mesh>();
    makeSupershape(mesh.get(), type, resolution);
    computeNormals(mesh.get());
    return mesh;
}

void makeMeshes()
{
    ringMesh = std::make_unique<Mesh>();
    makeRing(ringMesh.get());

    terrainMesh = std::make_unique<Mesh>();
    // Without a colour map the terrain stays empty.
    makeTerrain(terrainMesh.get(), kColourMapSide, kColourMapSide, 2.0f, colourMap.get());
    terrainMesh->scale = MeshScale();
    computeNormals(terrainMesh.get());

    bigShape = newSupershape(3, 10);
    bigShape->scale = MeshScale{100, 100, 100};

    shape1 = newSupershape(1, 20);
    shape2 = newSupershape(2, 20);
    shape4 = newSupershape(4, 20);
    shape5 = newSupershape(5, 20);
    shape6 = newSupershape(6, 40);
    shape5Fine = newSupershape(5, 40);
    shape7 = newSupershape(7, 40);
    shape3 = newSupershape(3, 20);
}

std::unique_ptr<MorphSequence> newMorph(float steps, std::initializer_list<Mesh*> keys)
{
    auto morph = std::make_unique<MorphSequence>();
    morph->init(static_cast<int>(keys.size()), steps);
    int index = 0;
    for (Mesh* key : keys) morph->setKey(index++, key);
    return morph;
}

void makeMorphs()
{
    morphA = newMorph(100, {shape1.get(), shape4.get(), shape2.get(), shape5.get()});
    morphB = newMorph(100, {shape6.get(), shape5Fine.get(), shape7.get()});
    morphC = newMorph(3.6f, {shape3.get(), shape5.get()});
    morphC->step();
    morphC->step();
}

const int kTrailPoints = 15;
std::vector<Vertex> trailPoints;  // every trail's points, one run per trail

// Takes two values of the shared random sequence per trail: these are the run's first 200.
void makeTrails()
{
    trailPoints.assign(static_cast<size_t>(kTrailCount) * kTrailPoints, Vertex());
    for (int i = 0; i < kTrailCount; ++i) {
        Trail& trail = trails[i];
        trail = Trail();
        trail.pointCount = kTrailPoints;
        trail.points = &trailPoints[static_cast<size_t>(i) * kTrailPoints];
        float alpha = 0.5f;
        for (int j = 0; j < kTrailPoints; ++j) {
            trail.points[j].setPosition(0.1f * static_cast<float>(j), 0, 0);
            trail.points[j].a = alpha;
            alpha -= 0.033333335f;
        }
        const int first = demo::rand();
        const int second = demo::rand();
        trailHeads[i] = Vertex(static_cast<float>(second % 4 - 2), static_cast<float>(first % 4 - 1), 1);
    }
}

const int kRibbonSegments = 500;
std::vector<Vertex> ribbonVertices;
std::vector<int32_t> ribbonIndices;

void makeRibbon()
{
    ribbon = Ribbon();
    ribbon.stripSegmentCount = kRibbonSegments;
    ribbonVertices.assign(3 * kRibbonSegments, Vertex());
    ribbonIndices.assign(4 * 3 * kRibbonSegments, 0);
    ribbon.stripVertices = ribbonVertices.data();
    ribbon.stripIndices = ribbonIndices.data();
    float u = 0;
    for (int i = 0; i < kRibbonSegments; ++i) {
        const int b = 3 * i;
        const float rowZ = -static_cast<float>(i);
        const float xs[3] = {-2, 0, 2}, alphas[3] = {0.1f, 0.7f, 0.1f}, vs[3] = {-2, 0, 2};
        for (int e = 0; e < 3; ++e) {
            Vertex& v = ribbon.stripVertices[b + e];
            v.setPosition(xs[e], 0, rowZ);
            v.a = alphas[e];
            v.u = u;
            v.v = vs[e];
        }
        // Row i joins row i + 1; the last row's triples name vertices past the store and
        // are never drawn.
        const int32_t quads[12] = {b, b + 3, b + 1, b + 3, b + 4, b + 1, b + 4, b + 5, b + 2, b + 4, b + 2, b + 1};
        for (int k = 0; k < 12; ++k) ribbon.stripIndices[12 * i + k] = quads[k];
        u += 0.05f;
    }
}

}  // namespace

void setUpWorldGeometry()
{
    makeMeshes();
    makeMorphs();
    makeTrails();
    makeRibbon();
}
