// geometry_test.cpp -- generators, normals, morphs, trails, ribbon and the world geometry, no GL
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

#include "app/random.h"
#include "app/world.h"
#include "app/world_geometry.h"
#include "geometry/generators.h"
#include "geometry/mesh.h"
#include "geometry/morph.h"
#include "geometry/trail.h"

namespace {

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

float distanceFromOrigin(const Vertex& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

void expectIndicesInRange(const Mesh& m)
{
    for (int i = 0; i < 3 * m.triangleCount; ++i) {
        ASSERT_GE(m.triangles[i], 0);
        ASSERT_LT(m.triangles[i], m.vertexCount);
    }
}

// The normal pass as first described: for every vertex, scan every triangle. Same arithmetic.
void quadraticNormals(Mesh* m)
{
    std::vector<Vector3> faces(m->triangleCount);
    for (int t = 0; t < m->triangleCount; ++t) {
        const int32_t* tri = m->triangles + 3 * t;
        Vertex ab = m->vertices[tri[0]], bc = m->vertices[tri[1]];
        ab.subtract(m->vertices[tri[1]]);
        bc.subtract(m->vertices[tri[2]]);
        faces[t] = cross(Vector3(ab), Vector3(bc));
    }
    for (int j = 0; j < m->vertexCount; ++j) {
        Vector3 sum;
        for (int t = 0; t < m->triangleCount; ++t) {
            const int32_t* tri = m->triangles + 3 * t;
            if (tri[0] == j || tri[1] == j || tri[2] == j) sum.add(faces[t]);
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
Mesh* copyWithoutNormals(const Mesh& source)
{
    Mesh* copy = new Mesh();
    copy->allocateVertices(source.vertexCount);
    copy->allocateTriangles(source.triangleCount);
    std::memcpy(copy->vertices, source.vertices, sizeof(Vertex) * source.vertexCount);
    std::memcpy(copy->triangles, source.triangles, sizeof(int32_t) * 3 * source.triangleCount);
    return copy;
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
        map[3 * k] = lake || nearBlue ? 0 : level;
        map[3 * k + 1] = lake || nearBlue ? 0 : level;
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
    colourMap = worldColourMap.data();
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
    EXPECT_EQ(mesh.vertices, nullptr);
    EXPECT_EQ(mesh.triangles, nullptr);
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_EQ(mesh.triangleCount, 0);

    ASSERT_TRUE(mesh.allocateVertices(1));
    ASSERT_TRUE(mesh.allocateTriangles(2));
    EXPECT_FALSE(mesh.allocateVertices(-1));
    EXPECT_EQ(mesh.vertexCount, 1);
    EXPECT_EQ(mesh.triangleCount, 2);
    const Vertex& v = mesh.vertices[0];
    EXPECT_EQ(v.x, 0);
    EXPECT_EQ(v.y, 0);
    EXPECT_EQ(v.z, 0);
    EXPECT_EQ(v.r, 1);
    EXPECT_EQ(v.g, 1);
    EXPECT_EQ(v.b, 1);
    EXPECT_EQ(v.a, 1);
    EXPECT_EQ(v.u, 0);
    EXPECT_EQ(v.v, 0);
    EXPECT_EQ(mesh.normals[0].x, 0);
    EXPECT_EQ(mesh.normals[0].y, 0);
    EXPECT_EQ(mesh.normals[0].z, 0);
    EXPECT_EQ(mesh.extras[0].s, 0);
    EXPECT_EQ(mesh.extras[0].unused[3], 0);
    for (int i = 0; i < 6; ++i) EXPECT_EQ(mesh.triangles[i], 0);
}

TEST(Mesh, NormalsOfAFlatGridAreUnitAndDegenerateTrianglesAddNothing)
{
    // A 3 x 3 grid in the plane y = 2 with one winding, plus degenerate triangles and an
    // unused vertex.
    Mesh mesh;
    ASSERT_TRUE(mesh.allocateVertices(10));
    for (int k = 0; k < 9; ++k) mesh.vertices[k].setPosition(static_cast<float>(k % 3), 2, static_cast<float>(k / 3));
    mesh.vertices[9].setPosition(5, 5, 5);
    ASSERT_TRUE(mesh.allocateTriangles(10));
    int t = 0;
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 2; ++c) {
            const int a = r * 3 + c;
            const int32_t cell[6] = {a, a + 3, a + 1, a + 1, a + 3, a + 4};
            std::memcpy(mesh.triangles + 3 * t, cell, sizeof cell);
            t += 2;
        }
    const int32_t degenerate[6] = {4, 4, 4, 0, 1, 2};  // one point; three collinear points
    std::memcpy(mesh.triangles + 3 * t, degenerate, sizeof degenerate);

    computeNormals(&mesh);
    for (int k = 0; k < 9; ++k) {
        EXPECT_EQ(mesh.normals[k].x, 0) << k;
        EXPECT_EQ(std::fabs(mesh.normals[k].y), 1) << k;
        EXPECT_EQ(mesh.normals[k].z, 0) << k;
        EXPECT_EQ(mesh.normals[k].y, mesh.normals[0].y) << "one winding, one side";
    }
    // No triangle uses vertex 9: its normal sums to zero and stays the zero vector.
    EXPECT_EQ(mesh.normals[9].x, 0);
    EXPECT_EQ(mesh.normals[9].y, 0);
    EXPECT_EQ(mesh.normals[9].z, 0);
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
            for (int i = 0; i < res; ++i) {  // row j = 0 is the +y pole
                EXPECT_EQ(mesh.vertices[i].x, 0);
                EXPECT_EQ(mesh.vertices[i].z, 0);
            }
            for (int k = 0; k < mesh.vertexCount; ++k) {
                ASSERT_TRUE(std::isfinite(mesh.vertices[k].x + mesh.vertices[k].y + mesh.vertices[k].z));
                EXPECT_EQ(mesh.vertices[k].r, 0.5f);
                EXPECT_EQ(mesh.vertices[k].b, 0);
            }
        }
    }

    Mesh sphere;
    makeSupershape(&sphere, 3, 10);
    for (int k = 0; k < sphere.vertexCount; ++k) EXPECT_NEAR(distanceFromOrigin(sphere.vertices[k]), 4.0f, 1e-5f);
    EXPECT_EQ(sphere.vertices[0].y, 4);
    // Rows 10 and 11 lie past the -y pole (theta = 3.145 and 3.4595 > pi): at phi = 0, x < 0.
    EXPECT_GT(sphere.vertices[90].x, 0);
    EXPECT_LT(sphere.vertices[100].x, 0);
    EXPECT_LT(sphere.vertices[110].x, sphere.vertices[100].x);
    // The seam: the last cell of row 0 joins vertex 9 to vertex 10, the next row's first.
    const int32_t* lastCell = sphere.triangles + 6 * 9;
    EXPECT_EQ(lastCell[0], 9);
    EXPECT_EQ(lastCell[1], 10);
    EXPECT_EQ(lastCell[2], 19);

    Mesh empty;
    makeSupershape(&empty, 1, 0);
    makeSupershape(&empty, 1, -3);
    EXPECT_EQ(empty.vertices, nullptr);
    EXPECT_EQ(empty.triangles, nullptr);
}

TEST(Generators, RingStartsOnTheYAxisAndAlmostCloses)
{
    Mesh ring;
    makeRing(&ring);
    ASSERT_EQ(ring.vertexCount, 12);
    EXPECT_EQ(ring.triangleCount, 0);
    EXPECT_EQ(ring.vertices[0].x, 0);
    EXPECT_EQ(ring.vertices[0].y, 3);
    EXPECT_EQ(ring.vertices[0].z, 0);
    EXPECT_EQ(ring.normals[0].x, 0);
    EXPECT_EQ(ring.normals[0].y, 4);
    const double angle3 = 3 * 6.28 / 11;
    EXPECT_FLOAT_EQ(ring.vertices[3].x, static_cast<float>(3 * std::sin(angle3)));
    EXPECT_FLOAT_EQ(ring.vertices[3].y, static_cast<float>(3 * std::cos(angle3)));
    EXPECT_FLOAT_EQ(ring.normals[3].x, static_cast<float>(4 * std::sin(angle3)));
    // Vertex 11 sits at 6.28 rad, about 0.0032 rad (0.0096 units) short of vertex 0.
    EXPECT_NEAR(ring.vertices[11].x, -3 * 0.0031853, 1e-4);
    EXPECT_FLOAT_EQ(ring.vertices[11].u, 11 / 49.0f);
    EXPECT_EQ(ring.vertices[11].v, 0);
}

TEST(Generators, TerrainFromAFlatMapIsFlatWithGridTextureCoordinates)
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
            ASSERT_EQ(terrain.vertices[k].y, -100);
            ASSERT_EQ(terrain.vertices[k].x, 2.0f * c);
            ASSERT_EQ(terrain.vertices[k].z, 2.0f * r);
            ASSERT_NEAR(terrain.extras[k].s, r / 80.0f, 1e-5f);
            ASSERT_NEAR(terrain.extras[k].t, c / 80.0f, 1e-5f);
        }
    // 2 x 79 x 79 cells are filled; the rest stay (0, 0, 0).
    const int filled = 2 * 79 * 79;
    EXPECT_EQ(filled, 12482);
    EXPECT_FALSE(terrain.triangles[3 * (filled - 1)] == 0 && terrain.triangles[3 * (filled - 1) + 1] == 0);
    for (int i = 3 * filled; i < 3 * 12800; ++i) ASSERT_EQ(terrain.triangles[i], 0);
    // First cell (c = 1, r = 0): A = 1, B = 81.
    const int32_t first[6] = {81, 1, 0, 0, 80, 81};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(terrain.triangles[i], first[i]);
}

TEST(Generators, TerrainBluePixelsTakeTheirNeighboursMean)
{
    auto heightAt = [](std::vector<unsigned char>& map, int k) {
        Mesh terrain;
        makeTerrain(&terrain, 80, 80, 2.0f, map.data());
        return terrain.vertices[k].y;
    };
    auto setPixel = [](std::vector<unsigned char>& map, int k, int r, int g, int b) {
        map[3 * k] = r;
        map[3 * k + 1] = g;
        map[3 * k + 2] = b;
    };
    const int inside = 40 * 80 + 40;

    std::vector<unsigned char> white(kColourMapBytes, 255);
    setPixel(white, inside, 0, 0, 255);
    EXPECT_EQ(heightAt(white, inside), -255);
    std::vector<unsigned char> black(kColourMapBytes, 0);
    setPixel(black, inside, 0, 0, 255);
    EXPECT_EQ(heightAt(black, inside), 0);
    setPixel(black, inside, 0, 0, 254);  // not blue: its own average
    EXPECT_EQ(heightAt(black, inside), -84);
    setPixel(white, inside, 0, 0, 254);
    EXPECT_EQ(heightAt(white, inside), -84);

    // A blue neighbour counts with its own average, 85: (255 + 255 + 255 + 85) div 4.
    setPixel(white, inside, 0, 0, 255);
    setPixel(white, inside + 1, 0, 0, 255);
    EXPECT_EQ(heightAt(white, inside), -212);

    // Left and right run in byte order: at a row's end the neighbour is the next row's first.
    std::vector<unsigned char> rowEnd(kColourMapBytes, 255);
    const int lastOfRow = 10 * 80 + 79;
    setPixel(rowEnd, lastOfRow, 0, 0, 255);
    setPixel(rowEnd, lastOfRow + 1, 0, 0, 0);
    EXPECT_EQ(heightAt(rowEnd, lastOfRow), -(255 * 3 + 0) / 4);

    // On the border, neighbours outside the map stand in with the pixel's own average, 85.
    std::vector<unsigned char> corners(kColourMapBytes, 255);
    for (int k : {0, 79, 6320, 6399}) setPixel(corners, k, 0, 0, 255);
    Mesh terrain;
    makeTerrain(&terrain, 80, 80, 2.0f, corners.data());
    EXPECT_EQ(terrain.vertices[0].y, -(255 + 85 + 85 + 255) / 4);      // above and before: outside
    EXPECT_EQ(terrain.vertices[79].y, -(255 + 85 + 255 + 255) / 4);    // only above is outside
    EXPECT_EQ(terrain.vertices[6320].y, -(255 + 255 + 255 + 85) / 4);  // only below is outside
    EXPECT_EQ(terrain.vertices[6399].y, -(85 + 255 + 255 + 85) / 4);   // after and below: outside
}

TEST(Generators, TerrainThatIsNotSquareStaysInsideItsMap)
{
    // 3 columns, 7 rows: 21 pixels, row-major.
    std::vector<unsigned char> map(21 * 3);
    for (int k = 0; k < 21; ++k) map[3 * k] = map[3 * k + 1] = map[3 * k + 2] = static_cast<unsigned char>(10 * k);
    Mesh terrain;
    makeTerrain(&terrain, 3, 7, 1.0f, map.data());
    ASSERT_EQ(terrain.vertexCount, 21);
    ASSERT_EQ(terrain.triangleCount, 42);
    expectIndicesInRange(terrain);
    for (int k = 0; k < 21; ++k) {
        EXPECT_EQ(terrain.vertices[k].y, -10 * k);
        EXPECT_EQ(terrain.vertices[k].x, k % 3);
        EXPECT_EQ(terrain.vertices[k].z, k / 3);
    }
}

TEST(WorldGeometry, NormalsEqualTheQuadraticScanOnEveryMeshAndAreFaster)
{
    setUpWorldOnce();
    Mesh* meshes[] = {terrainMesh, bigShape, shape1, shape2, shape4, shape5, shape6, shape5Fine, shape7, shape3};
    for (Mesh* mesh : meshes) {
        Mesh* reference = copyWithoutNormals(*mesh);
        quadraticNormals(reference);
        for (int j = 0; j < mesh->vertexCount; ++j) {
            ASSERT_TRUE(sameBits(mesh->normals[j].x, reference->normals[j].x)) << j;
            ASSERT_TRUE(sameBits(mesh->normals[j].y, reference->normals[j].y)) << j;
            ASSERT_TRUE(sameBits(mesh->normals[j].z, reference->normals[j].z)) << j;
        }
    }
    // Smooth unit normals: the lakes and slopes of the test map give no zero sums.
    for (int j = 0; j < 6400; ++j) ASSERT_NEAR(Vector3(terrainMesh->normals[j]).length(), 1.0f, 1e-5f);

    using Clock = std::chrono::steady_clock;
    Mesh* linear = copyWithoutNormals(*terrainMesh);
    Mesh* quadratic = copyWithoutNormals(*terrainMesh);
    const auto t0 = Clock::now();
    computeNormals(linear);
    const auto t1 = Clock::now();
    quadraticNormals(quadratic);
    const auto t2 = Clock::now();
    const double linearMs = std::chrono::duration<double, std::milli>(t1 - t0).count();
    const double quadraticMs = std::chrono::duration<double, std::milli>(t2 - t1).count();
    std::printf("terrain normals: single pass %.3f ms, quadratic scan %.3f ms, ratio %.0f\n", linearMs,
                quadraticMs, quadraticMs / linearMs);
    EXPECT_GE(quadraticMs / linearMs, 10.0);
}

TEST(WorldGeometry, RandomSequenceTrailsAndRibbonAfterSetUp)
{
    setUpWorldOnce();
    // The sequence from state 1 begins 41, 18467: y = 41 mod 4 - 1, x = 18467 mod 4 - 2.
    EXPECT_EQ(trailHeads[0].x, 1);
    EXPECT_EQ(trailHeads[0].y, 0);
    EXPECT_EQ(trailHeads[0].z, 1);
    EXPECT_EQ(trailHeads[0].a, 1);
    demo::resetRandom();
    int value201 = 0;
    for (int i = 0; i < 201; ++i) value201 = demo::rand();
    EXPECT_EQ(randomValueAfterSetUp, value201) << "the set-up takes exactly 200 values";
    for (const Vertex& head : trailHeads) {
        EXPECT_GE(head.x, -2);
        EXPECT_LE(head.x, 1);
        EXPECT_GE(head.y, -1);
        EXPECT_LE(head.y, 2);
    }

    for (const Trail& trail : trails) {
        ASSERT_EQ(trail.pointCount, 15);
        EXPECT_EQ(trail.points[0].a, 0.5f);
        EXPECT_NEAR(trail.points[14].a, 0.0333f, 1e-4f);
        EXPECT_FLOAT_EQ(trail.points[14].x, 1.4f);
        EXPECT_EQ(trail.points[14].y, 0);
        EXPECT_EQ(trail.rotation.angle, 0);
    }

    ASSERT_EQ(ribbon.stripSegmentCount, 500);
    EXPECT_EQ(ribbon.stripVertices[0].z, 0);
    EXPECT_EQ(ribbon.stripVertices[1497].z, -499);
    EXPECT_EQ(ribbon.stripVertices[1].a, 0.7f);
    EXPECT_EQ(ribbon.stripVertices[0].a, 0.1f);
    EXPECT_EQ(ribbon.stripVertices[2].a, 0.1f);
    EXPECT_EQ(ribbon.stripVertices[2].x, 2);
    EXPECT_EQ(ribbon.stripVertices[2].v, 2);
    EXPECT_NEAR(ribbon.stripVertices[1497].u, 24.95f, 1e-3f);
    const int32_t firstTriples[12] = {0, 3, 1, 3, 4, 1, 4, 5, 2, 4, 2, 1};
    for (int i = 0; i < 12; ++i) EXPECT_EQ(ribbon.stripIndices[i], firstTriples[i]);
    int highestDrawn = 0;
    for (int i = 0; i < 3 * 1000; ++i) highestDrawn = std::max(highestDrawn, ribbon.stripIndices[i]);
    EXPECT_EQ(highestDrawn, 752);
    EXPECT_EQ(ribbon.stripIndices[3 * 1999], 1501) << "the last row names vertices past the store";

    EXPECT_EQ(terrainMesh->scale.x, 1);
    EXPECT_EQ(bigShape->scale.z, 100);
    EXPECT_EQ(ringMesh->vertexCount, 12);
}

TEST(WorldGeometry, MorphCHasTakenTwoOfItsThreeSteps)
{
    setUpWorldOnce();
    EXPECT_EQ(morphC->steps, 3);
    EXPECT_EQ(morphC->stepCounter, 2);
    EXPECT_EQ(morphC->currentKey, 0);
    const Mesh* target = morphC->mesh();
    ASSERT_EQ(target->vertexCount, shape3->vertexCount);
    for (int i = 0; i < target->vertexCount; ++i) {
        const float expected = shape3->vertices[i].x + 2.0f / 3.0f * (shape5->vertices[i].x - shape3->vertices[i].x);
        ASSERT_NEAR(target->vertices[i].x, expected, 1e-4f);
    }
    EXPECT_EQ(morphA->keyCount, 4);
    EXPECT_EQ(morphA->keyMeshes[3], shape5);
    EXPECT_EQ(morphB->keyMeshes[0], shape6);
    EXPECT_EQ(morphB->mesh()->vertexCount, 1680);
    EXPECT_EQ(morphA->mesh()->vertices[7].x, shape1->vertices[7].x);
}

TEST(Morph, StepsReachTheNextKeyAndComeBackAround)
{
    Mesh a, b;
    makeSupershape(&a, 3, 10);
    computeNormals(&a);
    makeSupershape(&b, 5, 10);
    computeNormals(&b);
    for (int i = 0; i < b.vertexCount; ++i) b.vertices[i].r = 0.25f;

    MorphSequence morph;
    morph.init(2, 100);
    morph.setKey(0, &a);
    morph.setKey(1, &b);
    Mesh* target = morph.mesh();
    ASSERT_NE(target->triangles, a.triangles);
    EXPECT_EQ(target->triangles[5], a.triangles[5]);
    auto expectNear = [&](const Mesh& key, float tolerance) {
        for (int i = 0; i < key.vertexCount; ++i) {
            ASSERT_NEAR(target->vertices[i].x, key.vertices[i].x, tolerance);
            ASSERT_NEAR(target->vertices[i].y, key.vertices[i].y, tolerance);
            ASSERT_NEAR(target->vertices[i].z, key.vertices[i].z, tolerance);
            ASSERT_NEAR(target->normals[i].y, key.normals[i].y, tolerance);
            ASSERT_EQ(target->vertices[i].r, 0.5f) << "colours stay key 0's";
        }
    };
    for (int i = 0; i < 99; ++i) morph.step();
    EXPECT_EQ(morph.currentKey, 0);
    EXPECT_EQ(morph.stepCounter, 99);
    morph.step();
    EXPECT_EQ(morph.currentKey, 1);
    EXPECT_EQ(morph.stepCounter, 0);
    expectNear(b, 1e-3f);
    for (int i = 0; i < 100; ++i) morph.step();
    EXPECT_EQ(morph.currentKey, 0);
    expectNear(a, 1e-3f);

    MorphSequence still;
    still.init(1, 100);
    still.setKey(0, &b);
    const std::vector<Vertex> before(still.mesh()->vertices, still.mesh()->vertices + b.vertexCount);
    for (int i = 0; i < 150; ++i) still.step();
    EXPECT_EQ(still.currentKey, 0);
    for (int i = 0; i < b.vertexCount; ++i) {  // equal values (adding 0 may turn -0 into +0)
        ASSERT_EQ(still.mesh()->vertices[i].x, before[i].x);
        ASSERT_EQ(still.mesh()->vertices[i].y, before[i].y);
        ASSERT_EQ(still.mesh()->vertices[i].z, before[i].z);
    }

    MorphSequence truncated;
    truncated.init(2, 3.6f);
    EXPECT_EQ(truncated.steps, 3);
    truncated.setKey(0, &a);
    truncated.setKey(1, &b);
    truncated.step();
    truncated.step();
    EXPECT_EQ(truncated.stepCounter, 2);
    EXPECT_EQ(truncated.currentKey, 0);
    truncated.step();
    EXPECT_EQ(truncated.currentKey, 1);
    EXPECT_EQ(truncated.stepCounter, 0);

    MorphSequence noKeys;  // a step before any key is set changes nothing and does not crash
    noKeys.init(2, 10);
    noKeys.step();
    EXPECT_EQ(noKeys.mesh()->vertexCount, 0);
}

TEST(Trails, FollowingMovesPositionOnlyAndConverges)
{
    Vertex leader(4, 8, -12);
    leader.r = 0.1f;
    leader.u = 7;
    Vertex follower(0, 0, 0);
    follower.r = 0.3f;
    follower.g = 0.6f;
    follower.b = 0.9f;
    follower.a = 0.123f;
    follower.u = 0.7f;
    follower.v = -3.1f;
    const Vertex original = follower;
    followPoint(follower, leader, 4);
    EXPECT_EQ(follower.x, 1);
    EXPECT_EQ(follower.y, 2);
    EXPECT_EQ(follower.z, -3);
    EXPECT_EQ(std::memcmp(&follower.r, &original.r, 6 * sizeof(float)), 0);

    Trail trail;
    trail.pointCount = 15;
    trail.points = new Vertex[15];
    for (int j = 0; j < 15; ++j) {
        trail.points[j].setPosition(0.1f * j, 0, 0);
        trail.points[j].a = 0.5f - 0.03f * j;
    }
    const Vertex head(2, -1, 5);
    trail.update(head);
    EXPECT_EQ(trail.points[0].x, 2);
    EXPECT_EQ(trail.points[0].a, 0.5f);
    EXPECT_FLOAT_EQ(trail.points[1].x, 0.1f + (2 - 0.1f) / 4);  // a quarter of the way
    EXPECT_FLOAT_EQ(trail.points[1].z, 5.0f / 4);
    for (int i = 0; i < 300; ++i) trail.update(head);
    for (int j = 0; j < 15; ++j) {
        EXPECT_NEAR(trail.points[j].x, 2, 1e-4) << j;
        EXPECT_NEAR(trail.points[j].y, -1, 1e-4) << j;
        EXPECT_NEAR(trail.points[j].z, 5, 1e-4) << j;
        EXPECT_FLOAT_EQ(trail.points[j].a, 0.5f - 0.03f * j);
    }
}

TEST(Trails, RibbonFollowsItsHeadAndLeavesItsLastThirdAlone)
{
    Ribbon ribbon;
    ribbon.stripSegmentCount = 500;
    ribbon.stripVertices = new Vertex[1500];
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
    EXPECT_FLOAT_EQ(ribbon.stripVertices[999].z,
                    before[999].z + (ribbon.stripVertices[996].z - before[999].z) / 7);
    for (int i = 0; i < 40; ++i) ribbon.update(Vertex(0.5f, -0.25f, 1));
    EXPECT_FLOAT_EQ(ribbon.stripVertices[1].x, 1 + 40 * 0.5f);
    EXPECT_FLOAT_EQ(ribbon.stripVertices[2].y, -10);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(ribbon.stripVertices[i].a, before[i].a);
        ASSERT_EQ(ribbon.stripVertices[i].u, before[i].u);
    }
    EXPECT_EQ(std::memcmp(ribbon.stripVertices + 1000, before.data() + 1000, 500 * sizeof(Vertex)), 0);
}
