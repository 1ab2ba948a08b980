// geometry_test.cpp -- generators, normals, morphs, trails and the ribbon, no GL
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "geometry/generators.h"
#include "geometry/mesh.h"
#include "geometry/view_volume.h"
#include "geometry/morph.h"
#include "geometry/trail.h"
#include "world/world.h"

namespace {

void expectIndicesInRange(const Mesh& m)
{
    for (int i = 0; i < 3 * m.triangleCount; ++i) {
        ASSERT_GE(m.triangles[i], 0) << i;
        ASSERT_LT(m.triangles[i], m.vertexCount) << i;
    }
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

}  // namespace

TEST(Generators, CountsPolesSeamsAndNormals)
{
    Mesh empty;
    EXPECT_FALSE(empty.allocateVertices(0));
    EXPECT_FALSE(empty.allocateTriangles(-1));
    makeSupershape(&empty, 1, 0);
    EXPECT_EQ(empty.vertices, nullptr);
    EXPECT_EQ(empty.triangles, nullptr);

    // resolution, vertices, triangles, for every type
    const int counts[3][3] = {{10, 120, 200}, {20, 440, 800}, {40, 1680, 3200}};
    for (const auto& count : counts)
        for (int type = 1; type <= 7; ++type) {
            Mesh mesh;
            makeSupershape(&mesh, type, count[0]);
            ASSERT_EQ(std::make_pair(mesh.vertexCount, mesh.triangleCount), std::make_pair(count[1], count[2]));
            expectIndicesInRange(mesh);
            for (int i = 0; i < count[0]; ++i) {  // row 0 is the +y pole
                EXPECT_EQ(mesh.vertices[i].x, 0) << type << " " << i;
                EXPECT_EQ(mesh.vertices[i].z, 0) << type << " " << i;
            }
        }

    Mesh sphere;
    makeSupershape(&sphere, 3, 10);
    for (int k = 0; k < sphere.vertexCount; ++k) EXPECT_NEAR(Vector3(sphere.vertices[k]).length(), 4.0f, 1e-5f);
    // Rows 10 and 11 lie past the -y pole (theta = 3.145 and 3.4595 > pi): at phi = 0, x < 0.
    EXPECT_GT(sphere.vertices[90].x, 0);
    EXPECT_LT(sphere.vertices[100].x, 0);
    EXPECT_LT(sphere.vertices[110].x, sphere.vertices[100].x);
    const int32_t* lastCell = sphere.triangles + 6 * 9;  // the seam joins vertex 9 to the next row's first
    EXPECT_EQ(lastCell[0], 9);
    EXPECT_EQ(lastCell[1], 10);
    EXPECT_EQ(lastCell[2], 19);

    Mesh ring;
    makeRing(&ring);
    ASSERT_EQ(ring.vertexCount, 12);
    EXPECT_EQ(ring.vertices[0].y, 3);
    EXPECT_EQ(ring.normals[0].y, 4);
    EXPECT_NEAR(ring.vertices[11].x, -3 * 0.0031853, 1e-4);  // 6.28 rad: just short of closing
}

TEST(Generators, TerrainGridAndLakes)
{
    std::vector<unsigned char> grey(kColourMapBytes, 100);
    Mesh terrain;
    makeTerrain(&terrain, 80, 80, 2.0f, grey.data());
    ASSERT_EQ(std::make_pair(terrain.vertexCount, terrain.triangleCount), std::make_pair(6400, 12800));
    expectIndicesInRange(terrain);
    for (int k : {0, 81, 6399}) {
        const Vertex& v = terrain.vertices[k];
        EXPECT_EQ(v.y, -100) << k;
        EXPECT_EQ(v.x, 2.0f * (k % 80)) << k;
        EXPECT_EQ(v.z, 2.0f * (k / 80)) << k;
        EXPECT_NEAR(terrain.extras[k].s + terrain.extras[k].t, (k / 80 + k % 80) / 80.0f, 1e-5f) << k;
    }
    const int32_t first[6] = {81, 1, 0, 0, 80, 81};  // first cell (c = 1, r = 0); 2 x 79 x 79 filled
    for (int i = 0; i < 6; ++i) EXPECT_EQ(terrain.triangles[i], first[i]);
    EXPECT_EQ(terrain.triangles[3 * 2 * 79 * 79 - 1], 6399);
    computeNormals(&terrain);
    for (int k = 0; k < 6400; ++k) ASSERT_EQ(terrain.normals[k].y, 1.0f) << k;

    // On white, the pixels given (index, blue; red and green 0): the height of vertex k.
    struct Case { const char* what; std::vector<std::pair<int, unsigned char>> pixels; int k; float height; };
    const int in = 40 * 80 + 40, rowEnd = 10 * 80 + 79;
    const std::vector<std::pair<int, unsigned char>> corners = {{0, 255}, {79, 255}, {6320, 255}, {6399, 255}};
    const Case cases[] = {
        {"blue among white", {{in, 255}}, in, -255},
        {"254 is not blue: its own average", {{in, 254}}, in, -84},
        {"a blue neighbour counts with its own average, 85", {{in, 255}, {in + 1, 255}}, in, -(255 * 3 + 85) / 4},
        {"at a row's end the right neighbour is the next row's first", {{rowEnd, 255}, {rowEnd + 1, 0}}, rowEnd, -(255 * 3) / 4},
        // On the border, neighbours outside the map stand in with the pixel's own average, 85.
        {"corner 0", corners, 0, -(255 + 85 + 85 + 255) / 4},
        {"corner 6399", corners, 6399, -(85 + 255 + 255 + 85) / 4},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> map(kColourMapBytes, 255);
        for (const auto& [k, blue] : c.pixels) {
            map[3 * k] = map[3 * k + 1] = 0;
            map[3 * k + 2] = blue;
        }
        Mesh lakes;
        makeTerrain(&lakes, 80, 80, 2.0f, map.data());
        EXPECT_EQ(lakes.vertices[c.k].y, c.height) << c.what;
    }
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
    const Mesh* target = morph.mesh();
    EXPECT_EQ(run(morph, 99), std::make_pair(0, 99.0f));
    EXPECT_EQ(run(morph, 1), std::make_pair(1, 0.0f));
    EXPECT_LT(largestGap(*target, b), 1e-3f);
    EXPECT_EQ(run(morph, 100).first, 0);
    EXPECT_LT(largestGap(*target, a), 1e-3f);
    for (int i = 0; i < a.vertexCount; ++i) ASSERT_EQ(target->vertices[i].r, 0.5f) << "colours stay key 0's";

    MorphSequence truncated;
    truncated.init(2, 3.6f);
    truncated.setKey(0, &a);
    truncated.setKey(1, &b);
    EXPECT_EQ(run(truncated, 2), std::make_pair(0, 2.0f));
    EXPECT_EQ(run(truncated, 1), std::make_pair(1, 0.0f));

    MorphSequence noKeys;  // a step before any key is set changes nothing and does not crash
    noKeys.init(2, 10);
    noKeys.step();
    EXPECT_EQ(noKeys.mesh()->vertexCount, 0);
}

TEST(Trails, PointsChaseTheirLeaderPositionOnly)
{
    Vertex leader(4, 8, -12), follower(0, 0, 0);
    const float look[6] = {0.3f, 0.6f, 0.9f, 0.123f, 0.7f, -3.1f};  // r, g, b, a, u, v
    std::memcpy(&follower.r, look, sizeof look);
    followPoint(follower, leader, 4);
    EXPECT_EQ(follower.x, 1);
    EXPECT_EQ(follower.y, 2);
    EXPECT_EQ(follower.z, -3);
    EXPECT_EQ(std::memcmp(&follower.r, look, sizeof look), 0);

    std::vector<Vertex> points(15);
    Trail trail;
    trail.pointCount = 15;
    trail.points = points.data();
    for (int j = 0; j < 15; ++j) points[j].setPosition(0.1f * j, 0, 0);
    trail.update(Vertex(2, -1, 5));
    EXPECT_EQ(points[0].x, 2);
    EXPECT_FLOAT_EQ(points[1].x, 0.1f + (2 - 0.1f) / 4);  // a quarter of the way
    EXPECT_FLOAT_EQ(points[14].x, 1.4f + (points[13].x - 1.4f) / 4);

    // The ribbon: row 0 moves by the offset, rows up to two thirds chase a seventh of the way.
    std::vector<Vertex> vertices(1500);
    Ribbon ribbon;
    ribbon.stripSegmentCount = 500;
    ribbon.stripVertices = vertices.data();
    for (int i = 0; i < 1500; ++i) vertices[i].setPosition(static_cast<float>(i % 3), 0, -static_cast<float>(i / 3));
    ribbon.update(Vertex(0, 0, 1));
    EXPECT_EQ(vertices[0].z, 1);
    EXPECT_FLOAT_EQ(vertices[3].z, -1 + 2.0f / 7);
    EXPECT_FLOAT_EQ(vertices[999].z, -333 + (vertices[996].z + 333) / 7);
    EXPECT_EQ(vertices[1000].z, -333) << "the last third stays";
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
    struct Case { double x, y, z, radius; bool seen; } cases[] = {
        {0, 0, 0, 1, true},        {0, 0, 55, 1, false},     // ahead; behind the eye
        {0, 0, 49.5, 0.4, false},  {0, 0, 49.5, 0.6, true},  // short of the near side; across it
        {0, 0, -51, 0.9, false},   {0, 0, -51, 1.1, true},   // past the far side; across it
        {-12, 0, 40, 1.4, false},  {-12, 0, 40, 1.5, true},  // left: 2 / sqrt 2 = 1.414 outside
        {12, 0, 40, 1.4, false},   {0, 12, 40, 1.4, false},  {0, -12, 40, 1.5, true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(view.mayContain(BoundingSphere{c.x, c.y, c.z, c.radius}), c.seen) << c.x << " " << c.y << " " << c.z;
    EXPECT_FALSE(view.mayContain(BoundingSphere{}));
    // The spheres that the chunks get: see ChunksOutOfViewAreSkippedWithoutChangingThePicture.
}
