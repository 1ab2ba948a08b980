// tunnel_flight_test.cpp -- the two tunnel flights, frame by frame: inside the tube, looking along it
#include <GL/gl.h>

#include <cmath>
#include <string>
#include <vector>

#include "geometry/generators.h"
#include "geometry/mesh.h"
#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scene_steps.h"
#include "support/gl_test.h"
// The generator's frame replay is what is checked here; it is not part of the show's library.
#include "../tools/assetgen/tube_centre_line.cpp"

namespace flightcheck {
struct Point {
    double x = 0, y = 0, z = 0;
};
Point minus(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dotOf(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lengthOf(Point a) { return std::sqrt(dotOf(a, a)); }

double angleBetweenDegrees(Point a, Point b)
{
    double c = dotOf(a, b) / (lengthOf(a) * lengthOf(b));
    return std::acos(c > 1 ? 1 : (c < -1 ? -1 : c)) * 180 / M_PI;
}

// A 3 x 3 rotation as glRotatef builds it, rows first.
struct Rotation {
    double m[3][3];
};
Rotation glRotation(double degrees, double ax, double ay, double az)
{
    double r = degrees * M_PI / 180, c = std::cos(r), s = std::sin(r);
    return {{{ax * ax * (1 - c) + c, ax * ay * (1 - c) - az * s, ax * az * (1 - c) + ay * s},
             {ay * ax * (1 - c) + az * s, ay * ay * (1 - c) + c, ay * az * (1 - c) - ax * s},
             {az * ax * (1 - c) - ay * s, az * ay * (1 - c) + ax * s, az * az * (1 - c) + c}}};
}
Rotation product(const Rotation& a, const Rotation& b)
{
    Rotation r{};
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            for (int k = 0; k < 3; ++k) r.m[i][j] += a.m[i][k] * b.m[k][j];
    return r;
}

// The world direction the camera looks in: Camera::look multiplies Rx, Ry, Rz (360 - angle)
// onto a view along +z with +y up (eye x = -world x, eye z = -world z); the eye looks down
// its own -z, which in the world is minus the third row of the whole rotation.
Point viewDirection(float rotX, float rotY, float rotZ)
{
    Rotation lookAlongZ = {{{-1, 0, 0}, {0, 1, 0}, {0, 0, -1}}};
    Rotation r = product(glRotation(360 - rotX, 1, 0, 0), glRotation(360 - rotY, 0, 1, 0));
    r = product(product(r, glRotation(360 - rotZ, 0, 0, 1)), lookAlongZ);
    return {-r.m[2][0], -r.m[2][1], -r.m[2][2]};
}

// The tube's centre line: its start, then the frame origins.
struct CentreLine {
    std::vector<Point> points;
    double segmentLength = 0;

    CentreLine(int segments, int style, float scale)
    {
        points.push_back({});
        for (const TubeFrame& f : tubeFrames(segments, style, scale))
            points.push_back({f.origin[0], f.origin[1], f.origin[2]});
        segmentLength = 0.2 * scale;
    }

    // Distance from p to the piece from points[i] to points[i + 1].
    double distanceToPiece(Point p, int i) const
    {
        Point d = minus(points[i + 1], points[i]);
        double t = dotOf(minus(p, points[i]), d) / dotOf(d, d);
        t = t < 0 ? 0 : (t > 1 ? 1 : t);
        Point nearest{points[i].x + t * d.x, points[i].y + t * d.y, points[i].z + t * d.z};
        return lengthOf(minus(p, nearest));
    }

    // The nearest piece to p, searched around a hint (the whole line when the hint is < 0).
    int nearestPiece(Point p, int hint) const
    {
        int pieces = static_cast<int>(points.size()) - 1;
        int from = hint < 0 ? 0 : std::max(0, hint - 300), to = hint < 0 ? pieces : std::min(pieces, hint + 300);
        int best = from;
        for (int i = from; i < to; ++i)
            if (distanceToPiece(p, i) < distanceToPiece(p, best)) best = i;
        return best;
    }
};

struct FlightReport {
    double maxDistance = 0;       // eye to the centre line
    double maxViewAngle = 0;      // degrees between the view and the line's direction
    double maxStep = 0;           // eye movement in one frame
    double arcLeftAtEnd = 0;      // centre line ahead of the last frame's eye
    int framesMoving = 0;
};

// Runs the scene's own path step for `frames` frames and measures every frame's camera.
FlightReport fly(const CentreLine& line, void (*step)(), int frames)
{
    FlightReport report;
    int piece = -1;
    Point previous;
    for (int frame = 0; frame < frames; ++frame) {
        step();
        Point eye{camera.eyeX, camera.eyeY, camera.eyeZ};
        piece = line.nearestPiece(eye, piece);
        Point along = minus(line.points[piece + 1], line.points[piece]);
        report.maxDistance = std::max(report.maxDistance, line.distanceToPiece(eye, piece));
        report.maxViewAngle =
            std::max(report.maxViewAngle, angleBetweenDegrees(viewDirection(camera.rotX, camera.rotY, camera.rotZ), along));
        double moved = frame > 0 ? lengthOf(minus(eye, previous)) : 0;
        report.maxStep = std::max(report.maxStep, moved);
        if (moved > 0) ++report.framesMoving;
        previous = eye;
    }
    report.arcLeftAtEnd = (static_cast<int>(line.points.size()) - 1 - piece) * line.segmentLength;
    return report;
}

std::string dataFile(const char* name) { return testDataDir() + "/" + name; }
}  // namespace flightcheck

using namespace flightcheck;

class TunnelFlight : public GlTest {};

// The two matrix orders the flights rest on: the view of Camera::look, and the frames the
// tube's display list multiplies (float matrices in GL, doubles here).
TEST_F(TunnelFlight, ViewAndTubeFramesAgreeWithGl)
{
    const float angles[][3] = {{0, 0, 0}, {30, 0, 0}, {0, 45, 0}, {0, 0, 60}, {-20, 130, 75}, {400, -35, 10}};
    for (const auto& a : angles) {
        camera.eyeX = 3, camera.eyeY = -2, camera.eyeZ = 7;
        camera.rotX = a[0], camera.rotY = a[1], camera.rotZ = a[2];
        camera.look();
        double m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);  // column-major: row 2 is m[2], m[6], m[10]
        Point fromGl{-m[2], -m[6], -m[10]};
        EXPECT_LT(angleBetweenDegrees(fromGl, viewDirection(a[0], a[1], a[2])), 0.01)
            << a[0] << " " << a[1] << " " << a[2];
    }
    camera.rotX = camera.rotY = camera.rotZ = 0;
    camera.look();
    double m[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, m);
    Point zero = viewDirection(0, 0, 0);
    EXPECT_NEAR(zero.z, 1, 1e-9);  // all angles 0: the view runs along +z

    struct Case {
        int segments, style;
        float scale;
        double tolerance;
    } cases[] = {{1, 1, 1, 1e-5}, {5000, 1, 1, 0.2}, {5000, 2, 25, 0.2 * 25}};  // GL multiplies in floats
    for (const Case& c : cases) {
        Mesh ring;
        makeRing(&ring);
        ring.scale = {c.scale, c.scale, c.scale};
        glMatrixMode(GL_MODELVIEW);
        ring.drawTube(c.segments, c.style);  // compiles only: the turns are recorded, not applied
        glLoadIdentity();
        ring.drawTube(c.segments, c.style);  // replays them
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        TubeFrame last = tubeFrames(c.segments, c.style, c.scale).back();
        for (int k = 0; k < 3; ++k) {
            EXPECT_NEAR(m[12 + k], last.origin[k], c.tolerance) << c.segments << " style " << c.style;
            EXPECT_NEAR(m[8 + k] / c.scale, last.axis[2][k], 1e-3);
        }
        glDeleteLists(ring.displayList, 1);
    }
}

// Entry 2: radius 3 with the near plane at 5, so the eye keeps close to the line; one sample a
// frame for 19000 ms at 60 fps, resting on sample 50 n - 150 about when the scene ends.
TEST_F(TunnelFlight, FirstTunnelStaysInsideAndLooksAlong)
{
    collectMessageBoxes(true);
    collectedMessageBoxes().clear();
    loadCameraPath(dataFile("sc2.CMVM").c_str(), 20);
    EXPECT_TRUE(collectedMessageBoxes().empty());
    const int n = cameraPath->pointCount;
    const int restSample = 50 * n - 150;
    const int sceneFrames = 19000 * 60 / 1000;
    ASSERT_GE(restSample, sceneFrames - 30);
    ASSERT_LE(restSample, sceneFrames + 30);

    CentreLine line(5000, 1, 1);
    cameraPathStep = 0;
    FlightReport flight = fly(line, followTunnelPath, sceneFrames);
    EXPECT_EQ(cameraPathStep, sceneFrames);  // still moving at the last frame, or just at rest
    EXPECT_LT(flight.maxDistance, 0.5);
    EXPECT_LT(flight.maxViewAngle, 8.0);
    EXPECT_EQ(flight.framesMoving, sceneFrames - 1);
    EXPECT_LT(flight.maxStep * 60 / 3, 10.0);  // under ten tube radii a second
    EXPECT_GT(flight.arcLeftAtEnd, 5.0);        // inside the tube, ...
    EXPECT_LT(flight.arcLeftAtEnd, 100.0);      // ... near its end

    // Past the scene's end (slower frame rates): moves on to the rest sample, then stays.
    FlightReport rest = fly(line, followTunnelPath, restSample - sceneFrames + 20);
    EXPECT_EQ(cameraPathStep, restSample + 1);
    EXPECT_LT(rest.maxDistance, 0.5);
    EXPECT_EQ(rest.framesMoving, restSample - sceneFrames);
    EXPECT_GT(rest.arcLeftAtEnd, 5.0);
    Vertex last;
    ASSERT_TRUE(eyeSampleClamped(restSample, last));
    EXPECT_EQ(camera.eyeX, last.x);
    EXPECT_EQ(camera.eyeZ, last.z);
    collectMessageBoxes(false);
}

// Entry 3: radius 75, two samples a frame for 14500 ms; the path must outlast the scene, since
// a used-up path leaves the tube seen from the triangle camera.
TEST_F(TunnelFlight, WideTunnelStaysInsideAndLooksAlong)
{
    collectMessageBoxes(true);
    collectedMessageBoxes().clear();
    loadCameraPath(dataFile("sc3.CMVM").c_str(), 30);
    EXPECT_TRUE(collectedMessageBoxes().empty());
    const int pathSamples = 50 * (cameraPath->pointCount - 2);
    const int sceneFrames = 14500 * 60 / 1000;

    CentreLine line(5000, 2, 25);
    cameraPathStep = 0;
    FlightReport flight = fly(line, followWideTunnelPath, sceneFrames);
    EXPECT_LT(cameraPathStep, pathSamples);  // the last frame still moves
    EXPECT_GE(cameraPathStep + 2 * 10, pathSamples);  // and the path ends soon after
    EXPECT_LT(flight.maxDistance, 0.25 * 75);
    EXPECT_LT(flight.maxViewAngle, 8.0);
    EXPECT_EQ(flight.framesMoving, sceneFrames - 1);
    EXPECT_LT(flight.maxStep * 60 / 75, 10.0);
    EXPECT_GT(flight.arcLeftAtEnd, 75.0);
    EXPECT_LT(flight.arcLeftAtEnd, 2500.0);

    // The frames after the path ends leave the camera where the last sample put it.
    FlightReport after = fly(line, followWideTunnelPath, 20);
    EXPECT_EQ(cameraPathStep, pathSamples + pathSamples % 2);
    EXPECT_LT(after.maxDistance, 0.25 * 75);
    EXPECT_GT(after.arcLeftAtEnd, 75.0);
    collectMessageBoxes(false);
}
