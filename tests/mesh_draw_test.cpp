// mesh_draw_test.cpp -- the drawing styles, the trails and the ribbon on the offscreen frame
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "geometry/generators.h"
#include "geometry/mesh_draw.h"
#include "geometry/trail.h"
#include "support/gl_test.h"
#include "world/world_geometry.h"

namespace {

class MeshDrawTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        for (GLenum state : {GL_LIGHTING, GL_COLOR_MATERIAL, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND, GL_CULL_FACE, GL_FOG})
            glDisable(state);
        glColor4f(1, 1, 1, 1);
        useOrtho(-4, 4, -3, 3, -100, 100);
    }

    static void useOrtho(double l, double r, double b, double t, double n, double f)
    {
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(l, r, b, t, n, f);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
    }
    static void clearFrame()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glLoadIdentity();
    }
};

std::vector<float> modelView()
{
    std::vector<float> m(16);
    glGetFloatv(GL_MODELVIEW_MATRIX, m.data());
    return m;
}

// True when the model-view matrix is the identity followed by a move of tz along z.
bool isTranslationAlongZ(float tz)
{
    const std::vector<float> m = modelView(), expected = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, tz, 1};
    return std::equal(m.begin(), m.end(), expected.begin(), [](float a, float b) { return std::fabs(a - b) <= 1e-4f; });
}

double frameBrightness() { return readTestFrame().mean(0, 0, 1024, 768); }

// A small red triangle around the origin, with normals and texture coordinates.
void makeTriangle(Mesh& mesh)
{
    mesh.allocateVertices(3);
    mesh.allocateTriangles(1);
    const float xy[3][2] = {{-0.2f, -0.2f}, {0.2f, -0.2f}, {0, 0.2f}};
    for (int i = 0; i < 3; ++i) {
        mesh.vertices[i].setPosition(xy[i][0], xy[i][1], 0);
        mesh.vertices[i].g = mesh.vertices[i].b = 0;
        mesh.normals[i] = Vector3(0, 0, 1);
        mesh.triangles[i] = i;
    }
}

// What a draw sends, in window coordinates, captured with GL's feedback mode.
struct Feedback {
    int lines = 0, polygons = 0;
    std::vector<float> xs;  // window x of every vertex
};

template <typename Draw>
Feedback captureFeedback(Draw draw)
{
    std::vector<GLfloat> buffer(1 << 20);
    glFeedbackBuffer(static_cast<GLsizei>(buffer.size()), GL_2D, buffer.data());
    glRenderMode(GL_FEEDBACK);
    draw();
    const int used = glRenderMode(GL_RENDER);
    EXPECT_GE(used, 0) << "feedback buffer overflow";
    Feedback result;
    for (int i = 0; i < used;) {  // polygons and lines only: nothing drawn here sends other tokens
        const GLfloat token = buffer[i++];
        const bool polygon = token == GL_POLYGON_TOKEN, line = token == GL_LINE_TOKEN || token == GL_LINE_RESET_TOKEN;
        EXPECT_TRUE(polygon || line) << token;
        const int vertices = polygon ? static_cast<int>(buffer[i++]) : 2;
        result.polygons += polygon;
        result.lines += line;
        for (int k = 0; k < vertices; ++k, i += 2) result.xs.push_back(buffer[i]);
    }
    return result;
}

}  // namespace

TEST_F(MeshDrawTest, TexturedListDrawsNothingFirstThenTheSamePictureEveryTime)
{
    texturedListPending = true;
    Mesh mesh;
    makeTriangle(mesh);
    drawTextured(mesh);
    EXPECT_FALSE(texturedListPending);
    EXPECT_TRUE(glIsList(mesh.displayList));
    EXPECT_EQ(frameBrightness(), 0) << "the building call only compiles";

    clearFrame();
    drawTextured(mesh);
    const Still first = readTestFrame();
    EXPECT_GT(first.mean(500, 370, 524, 398), 200);
    mesh.vertices[2].setPosition(3, 2, 0);  // the list keeps the geometry it was built from
    clearFrame();
    drawTextured(mesh);
    EXPECT_EQ(readTestFrame().rgb, first.rgb);
}

// A triangle moved to x = 1: translate-then-scale (coloured) keeps the move, scale-then-translate
// (wire frame, vertex cubes) doubles it at scale 2; turned 90 degrees about z, the textured style
// turns the move to y = 1, the coloured one does not.
TEST_F(MeshDrawTest, PlacementOrderDiffersBetweenStyles)
{
    using Draw = void (*)(Mesh&);
    const Draw coloured = [](Mesh& m) { drawColoured(m); }, wireframe = [](Mesh& m) { drawWireframe(m, 2); },
               cubes = [](Mesh& m) { drawVertexCubes(m); }, textured = [](Mesh& m) { drawTextured(m); };
    struct Case { Draw draw; float scale, angle, x, y; } cases[] = {
        {coloured, 2, 0, 1, 0}, {wireframe, 2, 0, 2, 0}, {cubes, 2, 0, 2, 0}, {coloured, 1, 90, 1, 0}, {textured, 1, 90, 0, 1}};
    texturedListPending = false;  // replay whatever list the mesh names; only the matrix counts
    for (const Case& c : cases) {
        Mesh mesh;
        makeTriangle(mesh);
        mesh.position = MeshPosition{1, 0, 0};
        mesh.scale = MeshScale{c.scale, c.scale, c.scale};
        mesh.rotation = MeshRotation{c.angle, 0, 0, 1};
        glLoadIdentity();
        c.draw(mesh);
        EXPECT_NEAR(modelView()[12], c.x, 1e-6) << &c - cases;
        EXPECT_NEAR(modelView()[13], c.y, 1e-6) << &c - cases;
    }
}

// The first call compiles only; replays run straight along z for styles without turns. Turns
// change only every whole run (style 1's x turn is 0.25 sin(i div 400)); style 2's base
// sin(i div 420) turns negative at 1680 and keeps its sign under the power, never NaN.
TEST_F(MeshDrawTest, TubeCompilesFirstAndTurnsByStyle)
{
    Mesh ring;
    makeRing(&ring);
    for (int style : {0, 3, -1}) {
        ring.listDirty = true;
        glRotatef(90, 0, 1, 0);  // the tube's length runs across the frame
        glTranslatef(0, 0, -5);
        drawTube(ring, 10, style);
        EXPECT_FALSE(ring.listDirty);
        EXPECT_EQ(frameBrightness(), 0) << "compile only";
        glLoadIdentity();
        drawTube(ring, 10, style);
        EXPECT_TRUE(isTranslationAlongZ(10 * kTubeSegmentAdvance)) << style;
        clearFrame();
        glRotatef(90, 0, 1, 0);
        glTranslatef(0, 0, -5);
        drawTube(ring, 10, style);
        EXPECT_GT(frameBrightness(), 1) << style;
        clearFrame();
    }

    float tx, ty, tz, tx2, ty2, tz2;
    // The turns step: the same through segment 399, another from 400 on.
    tubeTurn(0, 1, tx, ty, tz);
    tubeTurn(399, 1, tx2, ty2, tz2);
    EXPECT_EQ(tx2, tx);
    tubeTurn(400, 1, tx2, ty2, tz2);
    EXPECT_GT(tx2, tx);
    tubeTurn(1679, 2, tx, ty, tz);
    tubeTurn(1680, 2, tx2, ty2, tz2);
    EXPECT_GT(ty, 0);
    EXPECT_LT(ty2, 0);
    for (int i = 0; i < 5000; ++i) {
        tubeTurn(i, 2, tx, ty, tz);
        ASSERT_TRUE(std::isfinite(tx)) << i;
        ASSERT_TRUE(std::isfinite(ty)) << i;
        ASSERT_TRUE(std::isfinite(tz)) << i;
        ASSERT_GE(tz, 0) << i;
    }
}

TEST_F(MeshDrawTest, RibbonDrawsItsFirstThousandTrianglesOnly)
{
    // The show's ribbon as the world makes it: a band 4 wide, a row of three vertices a unit
    // further along -z each. Anything read past vertex 752 would show up a thousand units off.
    setUpWorldGeometry();
    ASSERT_EQ(ribbon.stripSegmentCount, 500);
    for (int i = 753; i < 1500; ++i) ribbon.stripVertices[i].x = 1000;
    useOrtho(-2000, 2000, -10, 600, -10, 10);
    glRotatef(90, 1, 0, 0);  // the band faces the viewer
    const Feedback sent = captureFeedback([&] { ribbon.draw(); });
    EXPECT_EQ(sent.polygons, 1000);
    for (float x : sent.xs) ASSERT_NEAR(x, 512, 1);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

TEST_F(MeshDrawTest, TrailDrawsOneLinePerGapAndLeavesItsState)
{
    Trail trail;
    trail.pointCount = 15;
    std::vector<Vertex> points(15);
    trail.points = points.data();
    for (int j = 0; j < 15; ++j) trail.points[j].setPosition(0.1f * j, 0, 0);
    glEnable(GL_TEXTURE_2D);
    EXPECT_EQ(captureFeedback([&] { trail.draw(); }).lines, 14);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_TRUE(glIsEnabled(GL_COLOR_MATERIAL));
    EXPECT_TRUE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
}

// Chunks out of view are skipped, and a skipped tube chunk still turns and advances: seen
// through fog (so that a misplaced chunk shows), the picture is the one of every chunk drawn,
// and the current normal and texture coordinate are the ones the whole list leaves.
TEST_F(MeshDrawTest, ChunksOutOfViewAreSkippedWithoutChangingThePicture)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-0.5, 0.5, -0.375, 0.375, 1, 1000);
    glMatrixMode(GL_MODELVIEW);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_FOG);
    glFogi(GL_FOG_MODE, GL_LINEAR);
    glFogf(GL_FOG_START, 1);
    glFogf(GL_FOG_END, 300);

    Mesh tube;
    makeRing(&tube);
    drawTube(tube, 2000, 0);  // compiles only
    std::vector<unsigned char> colourMap(80 * 80 * 3);
    for (size_t i = 0; i < colourMap.size(); ++i) colourMap[i] = i % 7;
    Mesh terrain;
    makeTerrain(&terrain, 80, 80, 2, colourMap.data());
    texturedListPending = true;
    drawTextured(terrain);  // compiles only

    struct View { Mesh* mesh; float turnDegrees, axisX, axisY, x, y, z; } views[] = {
        {&tube, 180, 0, 1, 0, 0, -100},    // inside, looking along
        {&tube, 90, 0, 1, 100, 0, -200},   // beside it, a stretch in the middle across the view
        {&terrain, 90, 1, 0, -40, -57, -40},  // looking down on a corner
    };
    for (const View& v : views) {
        const bool isTube = v.mesh == &tube;
        auto place = [&] {
            clearFrame();
            glRotatef(v.turnDegrees, v.axisX, v.axisY, 0);
            glTranslatef(v.x, v.y, v.z);
        };
        auto currentState = [] {
            std::vector<float> state(7);
            glGetFloatv(GL_CURRENT_NORMAL, state.data());
            glGetFloatv(GL_CURRENT_TEXTURE_COORDS, state.data() + 3);
            return state;
        };
        place();
        isTube ? drawTube(tube, 2000, 0) : drawTextured(terrain);
        const std::vector<float> culledState = currentState();
        const Still culled = readTestFrame();
        place();
        for (size_t c = 0; c < v.mesh->chunkBounds.size(); ++c)
            glCallList(v.mesh->displayList + static_cast<unsigned>(isTube ? 2 * c + 1 : c));
        const Still whole = readTestFrame();
        EXPECT_GT(whole.mean(0, 0, 1024, 768), 5) << "view " << &v - views;
        EXPECT_TRUE(culled.rgb == whole.rgb) << "view " << &v - views;
        EXPECT_EQ(culledState, currentState()) << "view " << &v - views;
    }
    glDisable(GL_FOG);
}
