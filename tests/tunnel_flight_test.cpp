// tunnel_flight_test.cpp -- the two tunnel flights, frame by frame: inside the tube, looking along it.
// GL itself computes both the tube's centre line and the camera's view, so the check does not
// share any matrix code with the tool that authored the paths.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scene_steps.h"
#include "support/gl_test.h"

namespace {

using Point = WorldPoint;
Point minus(Point a, Point b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dotOf(Point a, Point b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lengthOf(Point a) { return std::sqrt(dotOf(a, a)); }
double angleBetweenDegrees(Point a, Point b)
{
    double c = dotOf(a, b) / (lengthOf(a) * lengthOf(b));
    return std::acos(std::clamp(c, -1.0, 1.0)) * 180 / M_PI;
}

double distanceToPiece(const std::vector<Point>& line, Point p, int i)
{
    Point d = minus(line[i + 1], line[i]);
    double t = std::clamp(dotOf(minus(p, line[i]), d) / dotOf(d, d), 0.0, 1.0);
    return lengthOf(minus(p, Point{line[i].x + t * d.x, line[i].y + t * d.y, line[i].z + t * d.z}));
}

struct FlightReport {
    double maxDistance = 0;   // eye to the centre line
    double maxViewAngle = 0;  // degrees between the view and the line's direction
    double maxStep = 0;       // eye movement in one frame
    int framesMoving = 0;
    int piecesLeft = 0;       // centre line pieces ahead of the last frame's eye
};

// Runs the scene's own path step for `frames` frames and measures every frame's camera.
FlightReport fly(const std::vector<Point>& line, void (*step)(), int frames)
{
    FlightReport report;
    int piece = 0;
    Point previous;
    for (int frame = 0; frame < frames; ++frame) {
        step();
        camera.look();
        double m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);  // the eye looks down its -z: minus row 2
        const Point eye{camera.eyeX, camera.eyeY, camera.eyeZ}, view{-m[2], -m[6], -m[10]};
        const int from = frame ? std::max(0, piece - 300) : 0;
        const int to = frame ? std::min<int>(line.size() - 1, piece + 300) : line.size() - 1;
        for (int i = from; i < to; ++i)
            if (distanceToPiece(line, eye, i) < distanceToPiece(line, eye, piece)) piece = i;
        report.maxDistance = std::max(report.maxDistance, distanceToPiece(line, eye, piece));
        report.maxViewAngle = std::max(report.maxViewAngle, angleBetweenDegrees(view, minus(line[piece + 1], line[piece])));
        const double moved = frame > 0 ? lengthOf(minus(eye, previous)) : 0;
        report.maxStep = std::max(report.maxStep, moved);
        report.framesMoving += moved > 0;
        previous = eye;
    }
    report.piecesLeft = static_cast<int>(line.size()) - 1 - piece;
    return report;
}

struct Tunnel {
    const char* file;
    int provisionalPoints;
    void (*step)();
    int style;
    float scale;
    double sceneMs;
    int samplesPerFrame;
    double offCentre;  // the most the eye may stray from the centre line
    int restSample(int n) const { return samplesPerFrame == 1 ? 50 * n - 150 : 50 * (n - 2); }
};

// Entry 2: radius 3, one sample a frame, resting on sample 50 n - 150 about when the scene ends.
// Entry 3: radius 75, two samples a frame; the path must outlast the scene, since a used-up path
// leaves the tube seen from the triangle camera.
const Tunnel kTunnels[] = {
    {"sc2.CMVM", 20, followTunnelPath, 1, 1, 19000, 1, 0.5},
    {"sc3.CMVM", 30, followWideTunnelPath, 2, 25, 14500, 2, 0.25 * 75},
};

}  // namespace

class TunnelFlight : public GlTest {};

TEST_F(TunnelFlight, EachTunnelIsFlownInsideLookingAlongToNearItsEnd)
{
    for (const Tunnel& tunnel : kTunnels) {
        SCOPED_TRACE(tunnel.file);
        const double radius = 3 * tunnel.scale;
        collectMessageBoxes(true);
        collectedMessageBoxes().clear();
        loadCameraPath((testDataDir() + "/" + tunnel.file).c_str(), tunnel.provisionalPoints);
        EXPECT_TRUE(collectedMessageBoxes().empty());
        collectMessageBoxes(false);
        const int rest = tunnel.restSample(cameraPath->pointCount);
        const int sceneFrames = static_cast<int>(tunnel.sceneMs * 60 / 1000);
        // The flight lasts the scene: still moving at its last frame, at rest soon after.
        EXPECT_GE(rest, tunnel.samplesPerFrame * (sceneFrames - 1));
        EXPECT_LE(rest, tunnel.samplesPerFrame * (sceneFrames + 30));

        const std::vector<Point> line = tubeCentreLine(5000, tunnel.style, tunnel.scale);
        cameraPathStep = 0;
        const FlightReport flight = fly(line, tunnel.step, sceneFrames);
        EXPECT_LT(flight.maxDistance, tunnel.offCentre);
        EXPECT_LT(flight.maxViewAngle, 8.0);
        EXPECT_EQ(flight.framesMoving, sceneFrames - 1);
        EXPECT_LT(flight.maxStep * 60 / radius, 10.0);  // under ten tube radii a second
        EXPECT_GT(flight.piecesLeft * 0.2 * tunnel.scale, radius);  // inside the tube, near its end
        EXPECT_LT(flight.piecesLeft, 500);

        // Past the path's end (slower frame rates) the camera rests inside the tube.
        const FlightReport after = fly(line, tunnel.step, rest / tunnel.samplesPerFrame - sceneFrames + 20);
        EXPECT_LT(after.maxDistance, tunnel.offCentre);
        EXPECT_GT(after.piecesLeft * 0.2 * tunnel.scale, radius);
    }
}
