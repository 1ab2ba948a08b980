// scene8.cpp -- the spline rings: nested green spline rings around a cube, fading to black
#include <GL/gl.h>

#include "geometry/spline_path.h"
#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "scenes/scene_table.h"
#include "scenes/scenes.h"
#include "world/world.h"

namespace {

constexpr int kRingCount = 6;
constexpr int kPointsPerRing = 8;
constexpr int kCopiesPerRing = 35;
// Each ring is a closed curve: its eight points, then the first three again; point 11 is unused.
constexpr int kRingPathPoints = 12;
constexpr int kRingSampleRecords = kRingPathPoints * kPathSamplesPerSegment;  // 600, of which 500 sampled
constexpr int kLoopSegments = 400;  // samples 0..400 run once around the ring

Vertex cubeRingPoints[kRingCount * kPointsPerRing];
float ringSpread = 0;
float fadeToBlackAlpha = 1.0f;  // the fade happens once per run, from this entry's start

// Six faces of the cube of half-size 0.4, corner and edge point in turn; two edge points of
// each ring are pushed outward by `spread`.
void buildCubeRingPoints(float spread)
{
    const float c = 0.4f;
    const float l = static_cast<float>(0.4 + spread);
    const float rings[kRingCount][kPointsPerRing][3] = {
        {{-c, c, -c}, {0, l, -l}, {c, c, -c}, {c, c, 0}, {c, c, c}, {0, l, l}, {-c, c, c}, {-c, c, 0}},
        {{-c, -c, -c}, {0, -l, -l}, {c, -c, -c}, {c, -c, 0}, {c, -c, c}, {0, -l, l}, {-c, -c, c}, {-c, -c, 0}},
        {{-c, c, -c}, {-l, 0, -l}, {-c, -c, -c}, {-c, -c, 0}, {-c, -c, c}, {-l, 0, l}, {-c, c, c}, {-c, c, 0}},
        {{c, c, -c}, {l, 0, -l}, {c, -c, -c}, {c, -c, 0}, {c, -c, c}, {l, 0, l}, {c, c, c}, {c, c, 0}},
        {{-c, c, -c}, {0, c, -c}, {c, c, -c}, {l, 0, -l}, {c, -c, -c}, {0, -c, -c}, {-c, -c, -c}, {-l, 0, -l}},
        {{-c, c, c}, {0, c, c}, {c, c, c}, {l, 0, l}, {c, -c, c}, {0, -c, c}, {-c, -c, c}, {-l, 0, l}},
    };
    for (int r = 0; r < kRingCount; ++r)
        for (int p = 0; p < kPointsPerRing; ++p) {
            const float* xyz = rings[r][p];
            cubeRingPoints[r * kPointsPerRing + p] = Vertex(xyz[0], xyz[1], xyz[2]);
        }
}

// One sample array serves every ring of every frame; it is replaced only when something
// else (the path recorder) has put an array of another size in its place.
void makeRingSampleArray()
{
    if (cameraPathEyeSamples && cameraPathEyeSampleCount == kRingSampleRecords) return;
    delete[] cameraPathEyeSamples;
    cameraPathEyeSamples = new Vertex[kRingSampleRecords];
    cameraPathEyeSampleCount = kRingSampleRecords;
}

// The ring's points (the first three repeated to close it) become the path's control points.
void sampleRing(int ring)
{
    const Vertex* points = &cubeRingPoints[ring * kPointsPerRing];
    for (int i = 0; i < kRingPathPoints - 1; ++i)
        cameraPath->setEyePoint(i, points[i % kPointsPerRing]);
    makeRingSampleArray();
    cameraPath->sampleEye(kPathSamplesPerSegment, cameraPathEyeSamples);
}

void drawRingCopy(int copy, uint32_t ms)
{
    const GLfloat colour[4] = {0, 1, 0, static_cast<GLfloat>(0.1 * copy)};
    setMaterial(colour);
    camera.look();
    glRotatef(static_cast<GLfloat>(0.02 * ms), 0.2f, 0.2f, 0.2f);  // 20 degrees a second about the diagonal
    const GLfloat across = static_cast<GLfloat>(5 - 0.2 * copy);
    glScalef(across, static_cast<GLfloat>(15 - 0.2 * copy), across);
    glBegin(GL_LINES);
    for (int k = 0; k < kLoopSegments; ++k) {
        glColor3f(0.3f, 0.6f, 0.3f);
        const Vertex& a = cameraPathEyeSamples[k];
        const Vertex& b = cameraPathEyeSamples[k + 1];
        glVertex3f(a.x, a.y, a.z);
        glVertex3f(b.x, b.y, b.z);
    }
    glEnd();
}

// Multiplies the frame by the alpha, which falls by 0.01 a frame until it is below 0.
void darkenFrame()
{
    beginScreenOverlay();
    glBlendFunc(GL_ONE, GL_SRC_ALPHA);
    glEnable(GL_BLEND);
    glDisable(GL_LIGHTING);
    drawFullScreenQuad(0, 0, 0, fadeToBlackAlpha);
    if (fadeToBlackAlpha >= 0) fadeToBlackAlpha -= 0.01f;
    glDisable(GL_BLEND);
    glEnable(GL_LIGHTING);
    endScreenOverlay();
}

}  // namespace

void scene8Init()
{
    // Culling off: the darkening quad winds clockwise on the screen, and with culling on (as
    // scene 6 leaves it) the picture would never go black.
    applySceneStart(Scene::SplineRings);
    fadeToBlackAlpha = 1.0f;  // a replayed show (the editor's seek back) fades again
    const GLfloat material[4] = {1, 1, 1, 0.1f};
    setMaterial(material);

    // The path machinery serves as the rings' spline evaluator; the camera does not follow it.
    delete cameraPath;
    cameraPath = new SplinePath(kRingPathPoints);
    makeRingSampleArray();
}

void scene8Draw(uint32_t ms)
{
    glDisable(GL_TEXTURE_2D);
    ringSpread = static_cast<float>(0.001 * ms);
    buildCubeRingPoints(ringSpread);

    // Lit lines: colour and alpha come from the material, not from glColor.
    glBlendFunc(GL_SRC_ALPHA, GL_DST_ALPHA);
    glEnable(GL_BLEND);
    for (int copy = 0; copy < kCopiesPerRing; ++copy)
        for (int ring = 0; ring < kRingCount; ++ring) {
            sampleRing(ring);
            drawRingCopy(copy, ms);
        }
    glDisable(GL_BLEND);

    if (ms > 6000) darkenFrame();

    // In the first second the eye closes in on the figure, in steps that grow with ms.
    if (ms < 1000 && camera.eyeZ < -8) camera.eyeZ = static_cast<float>(camera.eyeZ + 0.01 * ms);
}
