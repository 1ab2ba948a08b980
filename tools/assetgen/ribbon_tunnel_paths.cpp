// ribbon_tunnel_paths.cpp -- the flights around the winding ribbon (sc12) and through the last tube (sc9)
#include <cmath>
#include <vector>

#include "assetgen.h"
#include "path_angles.h"
#include "tube_centre_line.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr int kFramesPerControlPoint = 50;  // one path sample per frame at 60 fps

struct Point3 {
    double x = 0, y = 0, z = 0;
};
Point3 operator+(Point3 a, Point3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Point3 operator-(Point3 a, Point3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 operator*(Point3 a, double k) { return {a.x * k, a.y * k, a.z * k}; }

Point3 viewAngles(Point3 d)
{
    ViewAngles a = viewAnglesAlong(d.x, d.y, d.z);
    return {a.pitch, a.yaw, 0};
}

// The angles are interpolated: each yaw is moved by whole turns next to the one before.
void unwrapYaw(std::vector<Point3>& angles)
{
    for (size_t i = 1; i < angles.size(); ++i) {
        while (angles[i].y - angles[i - 1].y > 180) angles[i].y -= 360;
        while (angles[i].y - angles[i - 1].y < -180) angles[i].y += 360;
    }
}

// Control points whose B-spline passes through `wanted` at the start of every segment:
// (P[k-1] + 4 P[k] + P[k+1]) / 6 = wanted[k], the two end points kept.
std::vector<Point3> throughPoints(const std::vector<Point3>& wanted)
{
    std::vector<Point3> points = wanted;
    for (int sweep = 0; sweep < 60; ++sweep)
        for (size_t k = 1; k + 1 < points.size(); ++k)
            points[k] = (wanted[k] * 6 - points[k - 1] - points[k + 1]) * 0.25;
    return points;
}

std::vector<Vertex> toVertices(const std::vector<Point3>& points)
{
    std::vector<Vertex> vertices;
    for (const Point3& p : points)
        vertices.emplace_back(static_cast<float>(p.x), static_cast<float>(p.y), static_cast<float>(p.z));
    return vertices;
}

// Control point k stands for the frame 50 (k - 1) of the flight; eye(frame) and look(frame)
// give the wanted eye and the point to look at.
template <typename EyeAt, typename LookAt>
bool writeFlight(const std::string& path, int pointCount, EyeAt eye, LookAt look)
{
    std::vector<Point3> eyes, angles;
    for (int k = 0; k < pointCount; ++k) {
        int frame = kFramesPerControlPoint * (k - 1);
        Point3 from = eye(frame);
        eyes.push_back(from);
        angles.push_back(viewAngles(look(frame) - from));
    }
    unwrapYaw(angles);
    return writeCmvm(path, toVertices(throughPoints(eyes)), toVertices(throughPoints(angles)));
}

// ---- sc12: around the winding ribbon (entry 9, 16.5 s = 990 frames) ----------------------

// 22 points: 50 (22 - 2) = 1000 samples, ten more than the scene's frames.
constexpr int kRibbonPointCount = 22;
constexpr int kRibbonFrames = 990;

// The ribbon as the scene moves it: the lead cross-section pushed by the wobble of the frame's
// ms, every later vertex (up to 999) a seventh of the way to the one three places before.
class RibbonReplay {
public:
    RibbonReplay()
    {
        for (int i = 0; i < kMovingVertices; ++i) points_[i] = {-2.0 + 2 * (i % 3), 0, -double(i / 3)};
    }
    void step(int frame)
    {
        double ms = (frame * 1000) / 60;  // the virtual clock's whole milliseconds
        Point3 push{0.05 * std::sin(ms * 0.0011111111f), 0.16 * std::sin(ms * 0.00125),
                    -0.07 * std::sin(ms * 0.001)};
        for (int i = 0; i < 3; ++i) points_[i] = points_[i] + push;
        for (int i = 3; i < kMovingVertices; ++i)
            points_[i] = points_[i] + (points_[i - 3] - points_[i]) * (1.0 / 7);
    }
    // Mean middle line of the first cross-sections: the knot the ribbon winds into.
    Point3 coilCentre() const
    {
        Point3 sum;
        for (int s = 0; s < kCoilSections; ++s) sum = sum + points_[3 * s + 1];
        return sum * (1.0 / kCoilSections);
    }

private:
    static constexpr int kMovingVertices = 1000;
    static constexpr int kCoilSections = 40;
    Point3 points_[kMovingVertices];
};

std::vector<Point3> ribbonCoilCentres(int frames)
{
    RibbonReplay ribbon;
    std::vector<Point3> centres;
    for (int frame = 0; frame < frames; ++frame) {
        centres.push_back(ribbon.coilCentre());  // the shape this frame draws
        ribbon.step(frame);
    }
    return centres;
}

bool writeRibbonFlight(const std::string& dir)
{
    const int frames = kFramesPerControlPoint * (kRibbonPointCount - 2) + 1;
    const std::vector<Point3> centres = ribbonCoilCentres(frames);
    auto centreAt = [&](int frame) { return centres[frame < 0 ? 0 : frame]; };
    // Starts above the straight band, beside its head; then circles the
    // knot almost once, rising and sinking, closing in halfway and drawing back at the end.
    auto eyeAt = [&](int frame) {
        double progress = double(frame) / kRibbonFrames;
        double azimuth = (110 - 330 * progress) / kDegreesPerRadian;
        double elevation = (38 + 14 * std::sin(2 * kPi * 1.5 * progress)) / kDegreesPerRadian;
        double distance = 33 - 12 * std::sin(kPi * progress);
        Point3 offset{std::cos(elevation) * std::sin(azimuth), std::sin(elevation),
                      std::cos(elevation) * std::cos(azimuth)};
        return centreAt(frame) + offset * distance;
    };
    return writeFlight(dir + "/sc12.CMVM", kRibbonPointCount, eyeAt, centreAt);
}

// ---- sc9: through the last tube (entry 10, 16 s = 960 frames) ----------------------------

// 22 points: 1000 samples, so that the swarm, 41 samples ahead, leads until the scene's end.
constexpr int kTunnelPointCount = 22;
constexpr int kTubeSegments = 3000;   // as the scene draws it: style 1, scale 25
constexpr double kStartSegment = 50;  // 250 units in, well inside the tube
constexpr double kSegmentsPerFrame = 0.75;
constexpr int kSwarmLead = 41;  // frames: the scene puts the trail heads at sample step + 40
const Point3 kSwarmMiddle{13.5, 8.5, 9.5};  // middle of the heads' offset box

bool writeTunnelFlight(const std::string& dir)
{
    const std::vector<TubeFrame> tube = tubeFrames(kTubeSegments, 1, 25);
    if (tube.empty()) return false;
    auto centreAt = [&](double segment) {
        int i = static_cast<int>(segment);
        if (i < 0) i = 0;
        if (i + 1 >= static_cast<int>(tube.size())) i = static_cast<int>(tube.size()) - 2;
        double t = segment - i;
        const double* a = tube[i].origin;
        const double* b = tube[i + 1].origin;
        return Point3{a[0] + (b[0] - a[0]) * t, a[1] + (b[1] - a[1]) * t, a[2] + (b[2] - a[2]) * t};
    };
    auto eyeAt = [&](int frame) { return centreAt(kStartSegment + kSegmentsPerFrame * frame); };
    auto swarmAt = [&](int frame) { return eyeAt(frame + kSwarmLead) + kSwarmMiddle; };
    return writeFlight(dir + "/sc9.CMVM", kTunnelPointCount, eyeAt, swarmAt);
}

}  // namespace

bool writeRibbonAndTunnelPaths(const std::string& dir)
{
    return writeRibbonFlight(dir) && writeTunnelFlight(dir);
}
