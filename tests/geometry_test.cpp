// geometry_test.cpp -- generators, normals, morphs, trails, ribbon and the world geometry, no GL
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "geometry/generators.h"
#include "geometry/mesh.h"
#include "geometry/view_volume.h"
#include "geometry/morph.h"
#include "geometry/trail.h"
#include "world/random.h"
#include "world/world.h"
#include "world/world_geometry.h"

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

void expectIndicesInRange(const Mesh& m)
{
    for (int i = 0; i < 3 * m.triangleCount; ++i) ASSERT_TRUE(m.triangles[i] >= 0 && m.triangles[i] < m.vertexCount) << i;
}

// The plain quadratic normal pass: for every vertex, scan every triangle. Same arithmetic.
void quadraticNormals(Mesh* m)
{
    for (int j = 0; j < m->vertexCount; ++j) {
        Vector3 sum;
        for (int t = 0; t < m->triangleCount; ++t) {
            const int32_t* tri = m->triangles + 3 * t;
            if (tri[0] != j && tri[1] != j && tri[2] != j) continue;
            Vertex ab = m->vertices[tri[0]], bc = m->vertices[tri[1]];
            ab.subtract(m->vertices[tri[1]]);
            bc.subtract(m->vertices[tri[2]]);
            sum.add(cross(Vector3(ab), Vector3(bc)));
        }
        const float length = sum.length();
        if (length > 0)
            sum.divide(length);
        else
            sum = Vector3();
        m->normals[j] = sum;
    }
}

// A copy of a mesh's positions and triangles with zero normals.
std::unique_ptr<Mesh> copyWithoutNormals(const Mesh& source)
{
    auto copy = std::make_unique<Mesh>();
    copy->allocateVertices(source.vertexCount);
    copy->allocateTriangles(source.triangleCount);
    std::memcpy(copy->vertices, source.vertices, sizeof(Vertex) * source.vertexCount);
    std::memcpy(copy->triangles, source.triangles, sizeof(int32_t) * 3 * source.triangleCount);
    return copy;
}

// Largest difference of position or normal between two meshes of the same size.
float largestGap(const Mesh& m, const Mesh& key)
{
    float gap = 0;
    for (int i = 0; i < key.vertexCount; ++i) {
        const Vertex &p = m.vertices[i], &q = key.vertices[i];
        const Vector3 &n = m.normals[i], &o = key.normals[i];
        gap = std::max({gap, std::fabs(p.x - q.x), std::fabs(p.y - q.y), std::fabs(p.z - q.z),
                        std::fabs(n.x - o.x), std::fabs(n.y - o.y), std::fabs(n.z - o.z)});
    }
    return gap;
}

// A colour map with slopes, pure blue lakes inside and on every border, and near-blue pixels.
std::vector<unsigned char> hillyColourMap()
{
    std::vector<unsigned char> map(kColourMapBytes);
    for (int k = 0; k < kColourMapSide * kColourMapSide; ++k) {
        const int r = k / kColourMapSide, c = k % kColourMapSide;
        const int level = static_cast<int>(127 + 120 * std::sin(r * 0.21) * std::cos(c * 0.17));
        const bool lake = (r * 7 + c * 13) % 29 == 0 || k == 0 || k == 6399 || k == 40 || k == 6360;
        const bool nearBlue = (r * 5 + c * 3) % 31 == 0;
        map[3 * k] = map[3 * k + 1] = lake || nearBlue ? 0 : level;
        map[3 * k + 2] = lake ? 255 : nearBlue ? 254 : level;
    }
    return map;
}

std::vector<unsigned char> worldColourMap = hillyColourMap();
int randomValueAfterSetUp = -1;

// The world geometry exists once per process, built from the start of the random sequence.
void setUpWorldOnce()
{
    if (ringMesh) return;
    colourMap = std::make_unique<unsigned char[]>(worldColourMap.size());
    std::copy(worldColourMap.begin(), worldColourMap.end(), colourMap.get());
    demo::resetRandom();
    setUpWorldGeometry();
    randomValueAfterSetUp = demo::rand();
}

}  // namespace

TEST(Mesh, AllocationRefusesEmptyCountsAndStartsWhiteAtTheOrigin)
{
    Mesh mesh;
    EXPECT_FALSE(mesh.allocateVertices(0));
    EXPECT_FALSE(mesh.allocateTriangles(-1));
    EXPECT_FALSE(mesh.allocateTriangles(0));
    EXPECT_TRUE(mesh.vertices == nullptr && mesh.triangles == nullptr);
    EXPECT_EQ(mesh.vertexCount + mesh.triangleCount, 0);

    ASSERT_TRUE(mesh.allocateVertices(1));
    ASSERT_TRUE(mesh.allocateTriangles(2));
    EXPECT_FALSE(mesh.allocateVertices(-1));
    EXPECT_EQ(std::make_pair(mesh.vertexCount, mesh.triangleCount), std::make_pair(1, 2));
    const Vertex& v = mesh.vertices[0];
    const Vector3& n = mesh.normals[0];
    const float got[] = {v.x, v.y, v.z, v.r, v.g, v.b, v.a, v.u, v.v, n.x, n.y, n.z, mesh.extras[0].s, mesh.extras[0].unused[3]};
    const float want[] = {0, 0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 14; ++i) EXPECT_EQ(got[i], want[i]) << i;
    for (int i = 0; i < 6; ++i) EXPECT_EQ(mesh.triangles[i], 0);
    // Only one-point triangles: the sum is zero and the normal stays the zero vector.
    computeNormals(&mesh);
    EXPECT_TRUE(n.x == 0 && n.y == 0 && n.z == 0) << n.x << " " << n.y << " " << n.z;
}

TEST(Generators, SupershapeCountsPolesAndTheSphereOfType3)
{
    const int counts[3][3] = {{10, 120, 200}, {20, 440, 800}, {40, 1680, 3200}};
    for (const auto& count : counts) {
        const int res = count[0];
        for (int type = 1; type <= 7; ++type) {
            Mesh mesh;
            makeSupershape(&mesh, type, res);
            ASSERT_EQ(mesh.vertexCount, count[1]);
            ASSERT_EQ(mesh.triangleCount, count[2]);
            expectIndicesInRange(mesh);
            for (int i = 0; i < res; ++i)  // row j = 0 is the +y pole
                EXPECT_TRUE(mesh.vertices[i].x == 0 && mesh.vertices[i].z == 0) << type << " " << i;
            for (int k = 0; k < mesh.vertexCount; ++k) {
                const Vertex& v = mesh.vertices[k];
                ASSERT_TRUE(std::isfinite(v.x + v.y + v.z) && v.r == 0.5f && v.b == 0) << type << " " << k;
            }
        }
    }

    Mesh sphere;
    makeSupershape(&sphere, 3, 10);
    for (int k = 0; k < sphere.vertexCount; ++k)
        EXPECT_NEAR(Vector3(sphere.vertices[k]).length(), 4.0f, 1e-5f);
    EXPECT_EQ(sphere.vertices[0].y, 4);
    // Rows 10 and 11 lie past the -y pole (theta = 3.145 and 3.4595 > pi): at phi = 0, x < 0.
    EXPECT_TRUE(sphere.vertices[90].x > 0 && sphere.vertices[100].x < 0 && sphere.vertices[110].x < sphere.vertices[100].x);
    // The seam: the last cell of row 0 joins vertex 9 to vertex 10, the next row's first.
    const int32_t* lastCell = sphere.triangles + 6 * 9;
    EXPECT_TRUE(lastCell[0] == 9 && lastCell[1] == 10 && lastCell[2] == 19);

    Mesh empty;
    makeSupershape(&empty, 1, 0);
    makeSupershape(&empty, 1, -3);
    EXPECT_TRUE(empty.vertices == nullptr && empty.triangles == nullptr);
}

TEST(Generators, RingStartsOnTheYAxisAndAlmostCloses)
{
    Mesh ring;
    makeRing(&ring);
    ASSERT_EQ(ring.vertexCount, 12);
    EXPECT_EQ(ring.triangleCount, 0);
    EXPECT_TRUE(ring.vertices[0].x == 0 && ring.vertices[0].y == 3 && ring.vertices[0].z == 0);
    EXPECT_TRUE(ring.normals[0].x == 0 && ring.normals[0].y == 4);
    // Vertex 11 sits at 6.28 rad, about 0.0032 rad (0.0096 units) short of vertex 0.
    EXPECT_NEAR(ring.vertices[11].x, -3 * 0.0031853, 1e-4);
}

TEST(Generators, TerrainGridPositionsTextureCoordinatesAndTriangles)
{
    std::vector<unsigned char> grey(kColourMapBytes, 100);
    Mesh terrain;
    makeTerrain(&terrain, 80, 80, 2.0f, grey.data());
    ASSERT_EQ(terrain.vertexCount, 6400);
    ASSERT_EQ(terrain.triangleCount, 12800);
    expectIndicesInRange(terrain);
    for (int r = 0; r < 80; ++r)
        for (int c = 0; c < 80; ++c) {
            const int k = r * 80 + c;
            const Vertex& v = terrain.vertices[k];
            ASSERT_TRUE(v.y == -100 && v.x == 2.0f * c && v.z == 2.0f * r) << k;
            ASSERT_NEAR(terrain.extras[k].s, r / 80.0f, 1e-5f);
            ASSERT_NEAR(terrain.extras[k].t, c / 80.0f, 1e-5f);
        }
    // 2 x 79 x 79 cells are filled; the rest stay (0, 0, 0).
    const int filled = 2 * 79 * 79;
    EXPECT_FALSE(terrain.triangles[3 * (filled - 1)] == 0 && terrain.triangles[3 * (filled - 1) + 1] == 0);
    for (int i = 3 * filled; i < 3 * 12800; ++i) ASSERT_EQ(terrain.triangles[i], 0);
    const int32_t first[6] = {81, 1, 0, 0, 80, 81};  // first cell (c = 1, r = 0): A = 1, B = 81
    for (int i = 0; i < 6; ++i) EXPECT_EQ(terrain.triangles[i], first[i]);
    // One winding gives one side; the unfilled (0, 0, 0) triangles add nothing.
    computeNormals(&terrain);
    for (int k = 0; k < 6400; ++k) {
        const Vector3& n = terrain.normals[k];
        ASSERT_TRUE(n.x == 0 && n.z == 0 && std::fabs(n.y) == 1 && n.y == terrain.normals[0].y) << k;
    }

    // Not square: 3 columns, 7 rows, 21 pixels row-major; nothing is read past the map.
    std::vector<unsigned char> small(21 * 3);
    for (int k = 0; k < 63; ++k) small[k] = static_cast<unsigned char>(10 * (k / 3));
    Mesh narrow;
    makeTerrain(&narrow, 3, 7, 1.0f, small.data());
    ASSERT_EQ(narrow.vertexCount, 21);
    ASSERT_EQ(narrow.triangleCount, 42);
    expectIndicesInRange(narrow);
    for (int k = 0; k < 21; ++k)
        EXPECT_TRUE(narrow.vertices[k].y == -10 * k && narrow.vertices[k].x == k % 3 && narrow.vertices[k].z == k / 3) << k;
}

TEST(Generators, TerrainBluePixelsTakeTheirNeighboursMean)
{
    struct Case {
        const char* what;
        unsigned char fill;
        std::vector<std::pair<int, unsigned char>> pixels;  // index, blue; red and green are 0
        int k;
        float height;
    };
    const int in = 40 * 80 + 40, rowEnd = 10 * 80 + 79;
    const std::vector<std::pair<int, unsigned char>> corners = {{0, 255}, {79, 255}, {6320, 255}, {6399, 255}};
    const Case cases[] = {
        {"blue among white", 255, {{in, 255}}, in, -255},
        {"blue among black", 0, {{in, 255}}, in, 0},
        {"254 is not blue: its own average", 0, {{in, 254}}, in, -84},
        {"254 among white", 255, {{in, 254}}, in, -84},
        {"a blue neighbour counts with its own average, 85", 255, {{in, 255}, {in + 1, 255}}, in, -(255 * 3 + 85) / 4},
        {"at a row's end the right neighbour is the next row's first", 255, {{rowEnd, 255}, {rowEnd + 1, 0}}, rowEnd,
         -(255 * 3 + 0) / 4},
        // On the border, neighbours outside the map stand in with the pixel's own average, 85.
        {"corner 0: above and before outside", 255, corners, 0, -(255 + 85 + 85 + 255) / 4},
        {"corner 79: only above outside", 255, corners, 79, -(255 + 85 + 255 + 255) / 4},
        {"corner 6320: only below outside", 255, corners, 6320, -(255 + 255 + 255 + 85) / 4},
        {"corner 6399: after and below outside", 255, corners, 6399, -(85 + 255 + 255 + 85) / 4},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> map(kColourMapBytes, c.fill);
        for (const auto& [k, blue] : c.pixels) {
            map[3 * k] = map[3 * k + 1] = 0;
            map[3 * k + 2] = blue;
        }
        Mesh terrain;
        makeTerrain(&terrain, 80, 80, 2.0f, map.data());
        EXPECT_EQ(terrain.vertices[c.k].y, c.height) << c.what;
    }
}

TEST(WorldGeometry, NormalsEqualTheQuadraticScanOnEveryMeshAndAreFaster)
{
    setUpWorldOnce();
    Mesh* meshes[] = {terrainMesh.get(), bigShape.get(), shape1.get(), shape2.get(), shape4.get(),
                      shape5.get(), shape6.get(), shape5Fine.get(), shape7.get(), shape3.get()};
    for (Mesh* mesh : meshes) {
        std::unique_ptr<Mesh> reference = copyWithoutNormals(*mesh);
        quadraticNormals(reference.get());
        ASSERT_EQ(std::memcmp(mesh->normals, reference->normals, sizeof(Vector3) * mesh->vertexCount), 0);
    }
    // Smooth unit normals: the lakes and slopes of the test map give no zero sums.
    for (int j = 0; j < 6400; ++j) ASSERT_NEAR(Vector3(terrainMesh->normals[j]).length(), 1.0f, 1e-5f);

    auto msFor = [](auto normalPass, Mesh* mesh) {
        const auto t0 = std::chrono::steady_clock::now();
        normalPass(mesh);
        return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    };
    const double linearMs = msFor(computeNormals, copyWithoutNormals(*terrainMesh).get());
    const double quadraticMs = msFor(quadraticNormals, copyWithoutNormals(*terrainMesh).get());
    std::printf("terrain normals: single pass %.3f ms, quadratic scan %.3f ms, ratio %.0f\n", linearMs,
                quadraticMs, quadraticMs / linearMs);
    EXPECT_GE(quadraticMs / linearMs, 10.0);
}

TEST(WorldGeometry, RandomSequenceTrailsRibbonAndMorphsAfterSetUp)
{
    setUpWorldOnce();
    // The sequence from state 1 begins 41, 18467: y = 41 mod 4 - 1, x = 18467 mod 4 - 2.
    EXPECT_TRUE(trailHeads[0].x == 1 && trailHeads[0].y == 0 && trailHeads[0].z == 1);
    demo::resetRandom();
    int value201 = 0;
    for (int i = 0; i < 201; ++i) value201 = demo::rand();
    EXPECT_EQ(randomValueAfterSetUp, value201) << "the set-up takes exactly 200 values";
    for (const Vertex& head : trailHeads)
        EXPECT_TRUE(head.x >= -2 && head.x <= 1 && head.y >= -1 && head.y <= 2) << head.x << " " << head.y;

    for (const Trail& trail : trails) {
        ASSERT_EQ(trail.pointCount, 15);
        EXPECT_EQ(trail.points[0].a, 0.5f);
        EXPECT_NEAR(trail.points[14].a, 0.0333f, 1e-4f);
    }

    ASSERT_EQ(ribbon.stripSegmentCount, 500);
    EXPECT_EQ(ribbon.stripVertices[1497].z, -499);
    EXPECT_EQ(ribbon.stripVertices[1].a, 0.7f);
    EXPECT_EQ(ribbon.stripVertices[2].a, 0.1f);
    EXPECT_NEAR(ribbon.stripVertices[1497].u, 24.95f, 1e-3f);
    const int32_t firstTriples[12] = {0, 3, 1, 3, 4, 1, 4, 5, 2, 4, 2, 1};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(ribbon.stripIndices[i], firstTriples[i]);
    EXPECT_EQ(*std::max_element(ribbon.stripIndices, ribbon.stripIndices + 3 * 1000), 752) << "the drawn triangles";
    EXPECT_EQ(ribbon.stripIndices[3 * 1999], 1501) << "the last row names vertices past the store";

    // morphC has taken two of its three steps from shape3 toward shape5.
    EXPECT_EQ(morphC->steps, 3);
    EXPECT_EQ(std::make_pair(morphC->currentKey, morphC->stepCounter), std::make_pair(0, 2.0f));
    const Mesh* target = morphC->mesh();
    ASSERT_EQ(target->vertexCount, shape3->vertexCount);
    for (int i = 0; i < target->vertexCount; ++i) {
        const float expected = shape3->vertices[i].x + 2.0f / 3.0f * (shape5->vertices[i].x - shape3->vertices[i].x);
        ASSERT_NEAR(target->vertices[i].x, expected, 1e-4f);
    }
    EXPECT_EQ(morphA->keyCount, 4);
    EXPECT_EQ(morphA->keyMeshes[3], shape5.get());
    EXPECT_EQ(morphB->keyMeshes[0], shape6.get());
}

TEST(Morph, StepsReachTheNextKeyAndComeBackAround)
{
    Mesh a, b;
    makeSupershape(&a, 3, 10);
    makeSupershape(&b, 5, 10);
    computeNormals(&a);
    computeNormals(&b);
    for (int i = 0; i < b.vertexCount; ++i) b.vertices[i].r = 0.25f;
    auto run = [](MorphSequence& morph, int steps) {
        for (int i = 0; i < steps; ++i) morph.step();
        return std::make_pair(morph.currentKey, morph.stepCounter);
    };

    MorphSequence morph;
    morph.init(2, 100);
    morph.setKey(0, &a);
    morph.setKey(1, &b);
    Mesh* target = morph.mesh();
    ASSERT_NE(target->triangles, a.triangles);
    EXPECT_EQ(target->triangles[5], a.triangles[5]);
    EXPECT_EQ(run(morph, 99), std::make_pair(0, 99.0f));
    EXPECT_EQ(run(morph, 1), std::make_pair(1, 0.0f));
    EXPECT_LT(largestGap(*target, b), 1e-3f);
    EXPECT_EQ(run(morph, 100).first, 0);
    EXPECT_LT(largestGap(*target, a), 1e-3f);
    for (int i = 0; i < a.vertexCount; ++i) ASSERT_EQ(target->vertices[i].r, 0.5f) << "colours stay key 0's";

    MorphSequence still;  // one key: nothing moves (equal values; adding 0 may turn -0 into +0)
    still.init(1, 100);
    still.setKey(0, &b);
    EXPECT_EQ(run(still, 150).first, 0);
    EXPECT_EQ(largestGap(*still.mesh(), b), 0);

    MorphSequence truncated;
    truncated.init(2, 3.6f);
    truncated.setKey(0, &a);
    truncated.setKey(1, &b);
    EXPECT_EQ(truncated.steps, 3);
    EXPECT_EQ(run(truncated, 2), std::make_pair(0, 2.0f));
    EXPECT_EQ(run(truncated, 1), std::make_pair(1, 0.0f));

    MorphSequence noKeys;  // a step before any key is set changes nothing and does not crash
    noKeys.init(2, 10);
    noKeys.step();
    EXPECT_EQ(noKeys.mesh()->vertexCount, 0);
}

TEST(Trails, FollowingMovesPositionOnlyAndConverges)
{
    Vertex leader(4, 8, -12), follower(0, 0, 0);
    leader.r = 0.1f;
    leader.u = 7;
    const float look[6] = {0.3f, 0.6f, 0.9f, 0.123f, 0.7f, -3.1f};  // r, g, b, a, u, v
    std::memcpy(&follower.r, look, sizeof look);
    followPoint(follower, leader, 4);
    EXPECT_TRUE(follower.x == 1 && follower.y == 2 && follower.z == -3);
    EXPECT_EQ(std::memcmp(&follower.r, look, sizeof look), 0);

    Trail trail;
    trail.pointCount = 15;
    std::vector<Vertex> points(15);
    trail.points = points.data();
    for (int j = 0; j < 15; ++j) {
        trail.points[j].setPosition(0.1f * j, 0, 0);
        trail.points[j].a = 0.5f - 0.03f * j;
    }
    const Vertex head(2, -1, 5);
    trail.update(head);
    EXPECT_EQ(trail.points[0].x, 2);
    EXPECT_FLOAT_EQ(trail.points[1].x, 0.1f + (2 - 0.1f) / 4);  // a quarter of the way
    EXPECT_FLOAT_EQ(trail.points[1].z, 5.0f / 4);
    for (int i = 0; i < 300; ++i) trail.update(head);
    for (int j = 0; j < 15; ++j) {
        const Vertex& p = trail.points[j];
        EXPECT_LT(std::fabs(p.x - 2) + std::fabs(p.y + 1) + std::fabs(p.z - 5), 1e-4) << j;
        EXPECT_FLOAT_EQ(p.a, 0.5f - 0.03f * j);
    }
}

TEST(Trails, RibbonFollowsItsHeadAndLeavesItsLastThirdAlone)
{
    Ribbon ribbon;
    ribbon.stripSegmentCount = 500;
    std::vector<Vertex> vertices(1500);
    ribbon.stripVertices = vertices.data();
    for (int i = 0; i < 1500; ++i) {
        ribbon.stripVertices[i].setPosition(static_cast<float>(i % 3), 0, -static_cast<float>(i / 3));
        ribbon.stripVertices[i].a = 0.3f;
        ribbon.stripVertices[i].u = 0.01f * i;
    }
    const std::vector<Vertex> before(ribbon.stripVertices, ribbon.stripVertices + 1500);

    ribbon.update(Vertex(0, 0, 0));
    EXPECT_EQ(ribbon.stripVertices[0].z, 0);
    EXPECT_FLOAT_EQ(ribbon.stripVertices[3].z, -1 + 1.0f / 7);  // a seventh toward row 0
    // Later rows chase their leader's position of this same update.
    EXPECT_FLOAT_EQ(ribbon.stripVertices[6].z, -2 + (2 - 6.0f / 7) / 7);
    EXPECT_FLOAT_EQ(ribbon.stripVertices[999].z, before[999].z + (ribbon.stripVertices[996].z - before[999].z) / 7);
    for (int i = 0; i < 40; ++i) ribbon.update(Vertex(0.5f, -0.25f, 1));
    EXPECT_FLOAT_EQ(ribbon.stripVertices[1].x, 1 + 40 * 0.5f);
    EXPECT_FLOAT_EQ(ribbon.stripVertices[2].y, -10);
    for (int i = 0; i < 1000; ++i)
        ASSERT_TRUE(sameBits(ribbon.stripVertices[i].a, before[i].a) && sameBits(ribbon.stripVertices[i].u, before[i].u)) << i;
    EXPECT_EQ(std::memcmp(ribbon.stripVertices + 1000, before.data() + 1000, 500 * sizeof(Vertex)), 0);
}

// A camera's volume lets go only of spheres wholly outside one of its six sides.
TEST(ViewVolume, SpheresInsideAcrossAndOutsideEachSide)
{
    // glFrustum(-1, 1, -1, 1, 1, 100) after a move of 50 along -z: the sides lean at 45 degrees.
    const double n = 1, f = 100;
    const double projection[16] = {n, 0, 0, 0, 0, n, 0, 0, 0, 0, -(f + n) / (f - n), -1, 0, 0, -2 * f * n / (f - n), 0};
    const double moveBack[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, -50, 1};
    double objectToClip[16];
    multiplyMatrices(projection, moveBack, objectToClip);
    const ViewVolume view(objectToClip);
    struct Case {
        double x, y, z, radius;
        bool seen;
    } cases[] = {
        {0, 0, 0, 1, true},        {0, 0, 55, 1, false},     // ahead; behind the eye
        {0, 0, 49.5, 0.4, false},  {0, 0, 49.5, 0.6, true},  // short of the near side; across it
        {0, 0, -51, 0.9, false},   {0, 0, -51, 1.1, true},   // past the far side; across it
        {-12, 0, 40, 1.4, false},  {-12, 0, 40, 1.5, true},  // left: 2 / sqrt 2 = 1.414 outside
        {12, 0, 40, 1.4, false},   {0, 12, 40, 1.4, false},  {0, -12, 40, 1.5, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view.mayContain(BoundingSphere{c.x, c.y, c.z, c.radius}), c.seen) << c.x << " " << c.y << " " << c.z;
    EXPECT_FALSE(view.mayContain(BoundingSphere{}));

    // Around the box of the points, out to the farthest one, plus the margin.
    const BoundingSphere s = sphereAround({0, 0, 0, 2, 0, 0, 0, 4, 0}, 0.5);
    EXPECT_DOUBLE_EQ(s.x, 1);
    EXPECT_DOUBLE_EQ(s.y, 2);
    EXPECT_DOUBLE_EQ(s.radius, std::sqrt(5.0) + 0.5);
    EXPECT_LT(sphereAround({}, 1).radius, 0);
}
