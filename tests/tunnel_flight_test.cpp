// tunnel_flight_test.cpp -- the two tunnel flights, frame by frame: inside the tube, looking along it.
// GL itself computes both the tube's centre line and the camera's view, so the check does not
// share any matrix code with the tool that authored the paths.
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/spline_path.h"
#include "platform/platform.h"
#include "render/camera.h"
#include "scenes/scene_steps.h"
#include "support/gl_test.h"

namespace {

WorldPoint minus(WorldPoint a, WorldPoint b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
double dotOf(WorldPoint a, WorldPoint b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double lengthOf(WorldPoint a) { return std::sqrt(dotOf(a, a)); }

double distanceToPiece(const std::vector<WorldPoint>& line, WorldPoint p, int i)
{
    WorldPoint d = minus(line[i + 1], line[i]);
    double t = std::clamp(dotOf(minus(p, line[i]), d) / dotOf(d, d), 0.0, 1.0);
    return lengthOf(minus(p, WorldPoint{line[i].x + t * d.x, line[i].y + t * d.y, line[i].z + t * d.z}));
}

// Scene 2: radius 3, one sample a frame, resting on sample 50 n - 150 about when the scene ends.
// Scene 3: radius 75, two samples a frame; the path must outlast the scene, since a used-up path
// leaves the tube seen from the triangle camera.
struct Tunnel {
    const char* file;
    int provisionalPoints;
    void (*step)();
    int style;
    float scale;
    int sceneFrames, samplesPerFrame;  // frames at 60 a second
    double offCentre;                  // the most the eye may stray from the centre line
};

// The path step at which the flight comes to rest, found by running it (from step 0).
int restingStep(void (*step)())
{
    cameraPathStep = 0;
    for (int calls = 0; calls < 100000; ++calls) {
        const int before = cameraPathStep;
        step();
        if (cameraPathStep == before) break;
    }
    return cameraPathStep;
}
const Tunnel kTunnels[] = {
    {"sc2.CMVM", 20, followTunnelPath, 1, 1, 19000 * 60 / 1000, 1, 0.5},
    {"sc3.CMVM", 30, followWideTunnelPath, 2, 25, 14500 * 60 / 1000, 2, 0.25 * 75},
};

}  // namespace

// Runs the scene's own path step frame by frame, through the scene and on past the path's end
// (slower frame rates), and measures every frame's camera against the tube.
TEST_F(GlTest, EachTunnelIsFlownInsideLookingAlongToNearItsEnd)
{
    for (const Tunnel& tunnel : kTunnels) {
        SCOPED_TRACE(tunnel.file);
        const double radius = 3 * tunnel.scale;
        // A file that failed to load would leave the provisional path, which flies nowhere near.
        loadCameraPath((testDataDir() + "/" + tunnel.file).c_str(), tunnel.provisionalPoints);
        const int rest = restingStep(tunnel.step);
        // The flight lasts the scene: still moving at its last frame, at rest soon after.
        EXPECT_GE(rest, tunnel.samplesPerFrame * (tunnel.sceneFrames - 1));
        EXPECT_LE(rest, tunnel.samplesPerFrame * (tunnel.sceneFrames + 30));

        const std::vector<WorldPoint> line = tubeCentreLine(5000, tunnel.style, tunnel.scale);
        const int pieces = static_cast<int>(line.size()) - 1;
        cameraPathStep = 0;
        int piece = 0, framesMoving = 0;
        WorldPoint previous;
        for (int frame = 0; frame < rest / tunnel.samplesPerFrame + 20; ++frame) {
            tunnel.step();
            camera.look();
            double m[16];
            glGetDoublev(GL_MODELVIEW_MATRIX, m);  // the eye looks down its -z: minus row 2
            const WorldPoint eye{camera.eyeX, camera.eyeY, camera.eyeZ}, view{-m[2], -m[6], -m[10]};
            for (int i = frame ? std::max(0, piece - 300) : 0; i < (frame ? std::min(pieces, piece + 300) : pieces); ++i)
                if (distanceToPiece(line, eye, i) < distanceToPiece(line, eye, piece)) piece = i;
            ASSERT_LT(distanceToPiece(line, eye, piece), tunnel.offCentre) << frame;
            ASSERT_GT((pieces - piece) * 0.2 * tunnel.scale, radius) << frame << ": inside the tube";
            if (frame >= tunnel.sceneFrames) continue;
            const WorldPoint along = minus(line[piece + 1], line[piece]);
            ASSERT_GT(dotOf(view, along) / lengthOf(view) / lengthOf(along), std::cos(8 * M_PI / 180)) << frame;
            const double moved = frame ? lengthOf(minus(eye, previous)) : 0;
            EXPECT_LT(moved * 60 / radius, 10.0) << frame << ": under ten tube radii a second";
            framesMoving += moved > 0;
            previous = eye;
            if (frame == tunnel.sceneFrames - 1) {
                EXPECT_LT(pieces - piece, 500) << "near the end";
            }
        }
        EXPECT_EQ(framesMoving, tunnel.sceneFrames - 1);
    }
}
