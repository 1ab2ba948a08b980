// morph_corridor_paths.cpp -- the flights of the morph scene (sc6) and the terrain corridor (sc10)
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "assetgen.h"
#include "path_angles.h"

namespace {

// 14 control points give 50 (14 - 2) = 600 samples: ten seconds at one sample per frame.
constexpr int kPointCount = 14;

Vertex viewAngles(double dx, double dy, double dz)
{
    ViewAngles a = viewAnglesAlong(dx, dy, dz);
    return Vertex(static_cast<float>(a.pitch), static_cast<float>(a.yaw), 0);
}

// sc6: two thirds of an orbit around the morph at the origin. The morph's spikes reach 2.11
// from its centre at most (over all its keys), its wire shell about 5.3 with spikes out to 10.7.
// The flight starts just outside the shell's body, comes in through it to pass close by the
// morph while rising above it, and pulls back out to where it began: the morph fills a good
// part of the view all the way, with the shell's lines around it.
constexpr double kFarDistance = 6.2, kNearDistance = 3.4;
constexpr double kHighestElevation = 30.0 / kDegreesPerRadian;
constexpr double kOrbitStep = 20.0 / kDegreesPerRadian;

bool writeMorphOrbit(const std::string& dir)
{
    const double pi = 3.14159265358979;
    std::vector<Vertex> eyes, angles;
    for (int i = 0; i < kPointCount; ++i) {
        // Point 1 is where the flight begins; point 0 only bends the curve's start.
        double orbit = (i - 1) * kOrbitStep;
        double closeness = std::sin(pi * (i - 1) / (kPointCount - 2));  // 0 .. 1 .. 0
        double distance = kFarDistance - (kFarDistance - kNearDistance) * closeness;
        double elevation = kHighestElevation * closeness;
        double across = distance * std::cos(elevation);
        Vertex eye(static_cast<float>(across * std::sin(orbit)), static_cast<float>(distance * std::sin(elevation)),
                   static_cast<float>(-across * std::cos(orbit)));
        eyes.push_back(eye);
        // Look at the origin. The yaw is -orbit, kept unwrapped so the spline never spins round.
        Vertex angle = viewAngles(-eye.x, -eye.y, -eye.z);
        angle.y = static_cast<float>(-orbit * kDegreesPerRadian);
        angles.push_back(angle);
    }
    return writeCmvm(dir + "/sc6.CMVM", eyes, angles);
}

// The corridor of entry 6: twelve copies of the 80 x 80 terrain (2 units apart, height -h for
// a pixel brightness h). Copies as generated are floors, seen from above at y = 100 - h;
// copies turned upside down are ceilings, seen from below at y = h.
struct TerrainCopy {
    bool ceiling;
    double x0, z0;  // world place of grid row 0, column 0; ceilings run towards -z
};
const TerrainCopy kCopies[12] = {
    {false, 0, -170}, {false, 120, -170}, {true, 0, 0},   {true, 100, 0},
    {false, 0, -70},  {false, 120, -70},  {true, 0, 100}, {true, 120, 100},
    {false, 0, 30},   {false, 120, 30},   {true, 0, 200}, {true, 120, 200},
};
constexpr int kMapSide = 80;
constexpr double kNoSurface = 1e9;

// Pixel brightness of the colour map as the terrain generator reads it: the mean of R, G, B,
// and for a pure blue lake pixel the mean of its four neighbours (its own value at the border).
std::vector<int> terrainHeights(const std::string& dir)
{
    std::ifstream file(dir + "/mapclr.raw", std::ios::binary);
    std::vector<unsigned char> rgb((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const int pixels = kMapSide * kMapSide;
    if (rgb.size() < static_cast<size_t>(pixels) * 3) {
        std::fprintf(stderr, "assetgen: no usable mapclr.raw, sc10.CMVM assumes a mid-grey terrain\n");
        return std::vector<int>(pixels, 128);
    }
    auto average = [&](int k) { return (rgb[3 * k] + rgb[3 * k + 1] + rgb[3 * k + 2]) / 3; };
    auto neighbour = [&](int k, int m) { return m >= 0 && m < pixels ? average(m) : average(k); };
    std::vector<int> heights(pixels);
    for (int k = 0; k < pixels; ++k) {
        bool lake = rgb[3 * k] == 0 && rgb[3 * k + 1] == 0 && rgb[3 * k + 2] == 255;
        heights[k] = lake ? (neighbour(k, k + 1) + neighbour(k, k - kMapSide) + neighbour(k, k - 1) +
                             neighbour(k, k + kMapSide)) / 4
                          : average(k);
    }
    return heights;
}

// The highest floor and the lowest ceiling over a square of half-width `reach` around (x, z).
struct Gap {
    double floor = -kNoSurface, ceiling = kNoSurface;
};
Gap gapAround(const std::vector<int>& heights, double x, double z, double reach)
{
    Gap gap;
    for (const TerrainCopy& copy : kCopies) {
        double c0 = (x - reach - copy.x0) / 2, c1 = (x + reach - copy.x0) / 2;
        double r0 = copy.ceiling ? (copy.z0 - z - reach) / 2 : (z - reach - copy.z0) / 2;
        double r1 = r0 + reach;
        int cFirst = std::max(0, static_cast<int>(std::floor(c0))), cLast = std::min(kMapSide - 1, static_cast<int>(std::ceil(c1)));
        int rFirst = std::max(0, static_cast<int>(std::floor(r0))), rLast = std::min(kMapSide - 1, static_cast<int>(std::ceil(r1)));
        for (int r = rFirst; r <= rLast; ++r)
            for (int c = cFirst; c <= cLast; ++c) {
                int h = heights[r * kMapSide + c];
                if (copy.ceiling) gap.ceiling = std::min(gap.ceiling, double(h));
                else gap.floor = std::max(gap.floor, 100.0 - h);
            }
    }
    return gap;
}

// sc10: straight along +z through the corridor, on the line x = const with the most headroom,
// at mid height between floor and ceiling, looking along the flight.
// Ends well before the far end (z 200), so the last frames still look down lit corridor.
constexpr double kFlightStartZ = -155, kFlightEndZ = 110;
constexpr double kSideReach = 6;  // keeps the near plane (5) clear of the walls

double narrowestGap(const std::vector<int>& heights, double x)
{
    double narrowest = kNoSurface;
    for (double z = kFlightStartZ; z <= kFlightEndZ; z += 2) {
        Gap gap = gapAround(heights, x, z, kSideReach);
        narrowest = std::min(narrowest, gap.ceiling - gap.floor);
    }
    return narrowest;
}

bool writeCorridorFlight(const std::string& dir)
{
    std::vector<int> heights = terrainHeights(dir);
    double bestX = 140, bestGap = -kNoSurface;
    for (double x = 10; x <= 250; x += 2) {
        double gap = narrowestGap(heights, x);
        if (gap > bestGap) bestGap = gap, bestX = x;
    }
    if (bestGap < 20)
        std::fprintf(stderr, "assetgen: the terrain corridor leaves only %.0f units of headroom\n", bestGap);

    const double stepZ = (kFlightEndZ - kFlightStartZ) / (kPointCount - 2);
    std::vector<Vertex> eyes;
    for (int i = 0; i < kPointCount; ++i) {
        double z = kFlightStartZ + (i - 1) * stepZ;
        // Mid height of the gap over the stretch this point's spline pieces cover.
        Gap gap = gapAround(heights, bestX, z, std::max(kSideReach, 1.5 * stepZ));
        double floorY = std::max(gap.floor, -155.0), ceilingY = std::min(gap.ceiling, 255.0);
        eyes.emplace_back(static_cast<float>(bestX), static_cast<float>((floorY + ceilingY) / 2),
                          static_cast<float>(z));
    }
    std::vector<Vertex> angles;
    for (int i = 0; i < kPointCount; ++i) {
        const Vertex& behind = eyes[std::max(0, i - 1)];
        const Vertex& ahead = eyes[std::min(kPointCount - 1, i + 1)];
        angles.push_back(viewAngles(ahead.x - behind.x, ahead.y - behind.y, ahead.z - behind.z));
    }
    return writeCmvm(dir + "/sc10.CMVM", eyes, angles);
}

}  // namespace

bool writeMorphAndCorridorPaths(const std::string& dir)
{
    return writeMorphOrbit(dir) && writeCorridorFlight(dir);
}
