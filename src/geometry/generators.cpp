// generators.cpp -- the ring, the supershape surfaces, the colour-map terrain and the tube's turns
#include "geometry/generators.h"

#include <cmath>
#include <cstdlib>

#include "geometry/mesh.h"

int makeRing(Mesh* mesh)
{
    if (!mesh->allocateVertices(12)) return 0;
    const float uStep = 0.020408163f;  // 1/49
    for (int i = 0; i < 12; ++i) {
        // 6.28 over 11 gaps: vertex 11 lands just short of vertex 0 and closes the ring.
        const double theta = i * 6.28 * (1.0 / 11.0);
        Vertex& v = mesh->vertices[i];
        v.setPosition(static_cast<float>(3 * std::sin(theta)), static_cast<float>(3 * std::cos(theta)), 0);
        v.u = static_cast<float>(i) * uStep;
        v.v = 0;
        mesh->normals[i] = Vector3(static_cast<float>(4 * std::sin(theta)),
                                   static_cast<float>(4 * std::cos(theta)), 0);
    }
    return 0;
}

namespace {

struct SupershapeParameters {
    int p[8];
};

const SupershapeParameters kSupershapes[7] = {
    {{55, 215, 95, 99, 6, 79, 955, 9}},
    {{57, 219, 100, 105, 8, 80, 955, 9}},
    {{0, 0, 0, 0, 0, 0, 0, 0}},
    {{53, 212, 91, 97, 2, 76, 950, 2}},
    {{53, 212, 91, 97, 200, 76, 950, 200}},
    {{212, 53, 97, 91, 76, 200, 950, 200}},
    {{200, 950, 76, 200, 97, 91, 212, 53}},
};

// The real power with an integer exponent: pow is exact about signs for integer exponents
// (a negative base stays negative for odd ones) and gives 1 for 0^0.
double integerPower(double base, int exponent) { return std::pow(base, static_cast<double>(exponent)); }

double supershapeRadius(const int* p, double theta, double phi)
{
    return integerPower(std::sin(p[0] * theta), p[1]) + integerPower(std::cos(p[2] * theta), p[3]) +
           integerPower(std::sin(p[4] * phi), p[5]) + integerPower(std::cos(p[6] * phi), p[7]);
}

void writeSupershapeTriangles(Mesh* mesh, int res)
{
    int32_t* out = mesh->triangles;
    for (int row = 0; row < res; ++row)
        for (int column = 0; column < res; ++column) {
            // At the last column k is the next row's first vertex: the seam steps one row.
            const int k = row * res + column + 1;
            const int32_t cell[6] = {k - 1, k, k + res - 1, k, k + res - 1, k + res};
            for (int32_t index : cell) *out++ = index;
        }
}

}  // namespace

int makeSupershape(Mesh* mesh, int type, int resolution)
{
    const int res = resolution;
    if (res <= 0) return 0;
    if (!mesh->allocateTriangles(2 * res * res) || !mesh->allocateVertices(res * (res + 2))) return 0;
    if (type < 1 || type > 7) type = 3;  // only 1..7 exist; anything else is the plain sphere
    const int* p = kSupershapes[type - 1].p;
    const float phiStep = static_cast<float>(6.29 / res);
    const float thetaStep = static_cast<float>(3.145 / res);
    for (int i = 0; i < res; ++i)
        for (int j = 0; j < res + 2; ++j) {
            const double phi = i * static_cast<double>(phiStep);
            const double theta = j * static_cast<double>(thetaStep);
            const double r = supershapeRadius(p, theta, phi);
            Vertex& v = mesh->vertices[i + j * res];
            v.setPosition(static_cast<float>(r * std::sin(theta) * std::cos(phi)),
                          static_cast<float>(r * std::cos(theta)),
                          static_cast<float>(r * std::sin(theta) * std::sin(phi)));
            v.r = 0.5f;
            v.g = 0.5f;
            v.b = 0;
            v.a = 1;
        }
    writeSupershapeTriangles(mesh, res);
    return 0;
}

namespace {

int pixelAverage(const unsigned char* rgb, int m)
{
    const unsigned char* px = rgb + 3 * m;
    return (px[0] + px[1] + px[2]) / 3;
}

bool isPureBlue(const unsigned char* rgb, int m)
{
    const unsigned char* px = rgb + 3 * m;
    return px[0] == 0 && px[1] == 0 && px[2] == 255;
}

// A lake pixel takes the mean of its four neighbours; a neighbour outside the map stands in
// with the pixel's own average. Left and right are the neighbours in byte order.
int terrainHeight(const unsigned char* rgb, int k, int columns, int pixelCount)
{
    const int own = pixelAverage(rgb, k);
    if (!isPureBlue(rgb, k)) return own;
    auto neighbour = [&](int m) { return m >= 0 && m < pixelCount ? pixelAverage(rgb, m) : own; };
    return (neighbour(k + 1) + neighbour(k - columns) + neighbour(k - 1) + neighbour(k + columns)) / 4;
}

void writeTerrainTriangles(Mesh* mesh, int columns, int rows)
{
    int32_t* out = mesh->triangles;
    for (int c = 1; c < columns; ++c)
        for (int r = 0; r + 1 < rows; ++r) {
            const int a = r * columns + c;
            const int b = a + columns;  // the vertex below a
            const int32_t cell[6] = {b, a, a - 1, a - 1, b - 1, b};
            for (int32_t index : cell) *out++ = index;
        }
}

}  // namespace

// Vertex and pixel k = r * columns + c, row-major, one per map pixel. Heights run downward.
int makeTerrain(Mesh* mesh, int columns, int rows, float spacing, const unsigned char* rgb)
{
    if (columns <= 0 || rows <= 0 || !rgb) return 0;
    if (!mesh->allocateVertices(columns * rows) || !mesh->allocateTriangles(2 * columns * rows)) return 0;
    const int pixelCount = columns * rows;
    const float sStep = 1.0f / static_cast<float>(rows);
    const float tStep = 1.0f / static_cast<float>(columns);
    float s = 0;
    for (int r = 0; r < rows; ++r) {
        float t = 0;
        for (int c = 0; c < columns; ++c) {
            const int k = r * columns + c;
            const int h = terrainHeight(rgb, k, columns, pixelCount);
            mesh->vertices[k].setPosition(static_cast<float>(c) * spacing, static_cast<float>(-h),
                                          static_cast<float>(r) * spacing);
            mesh->extras[k].s = s;
            mesh->extras[k].t = t;
            t += tStep;
        }
        s += sStep;
    }
    writeTerrainTriangles(mesh, columns, rows);
    return 0;
}

void tubeTurn(int segment, int style, float& turnX, float& turnY, float& turnZ)
{
    turnX = turnY = turnZ = 0;
    // segment / 400 and the like are integer divisions on purpose: the turn holds for hundreds of
    // segments and then steps, which bends the tube in long straight runs. The camera paths made
    // by tools/assetgen replay these very steps to follow the tube's centre line.
    if (style == 1) {
        turnX = static_cast<float>(0.25 * std::sin(segment / 400));
        turnY = static_cast<float>(0.5 * std::cos(segment / 500));
        turnZ = static_cast<float>(0.25 * std::tan(segment / 530));
    } else if (style == 2) {
        // A negative sine keeps its sign under the power, so every turn stays finite.
        const double base = std::sin(segment / 420);
        const double exponent = 1.3f;
        const double magnitude = std::pow(std::fabs(base), exponent);
        turnX = static_cast<float>(0.6 * std::tan(segment / 1300));
        turnY = static_cast<float>(base < 0 ? -magnitude : magnitude);
        turnZ = static_cast<float>(std::fabs(std::cos(segment / 930)));
    }
}
