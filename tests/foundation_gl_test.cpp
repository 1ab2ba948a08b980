// foundation_gl_test.cpp -- the camera, screen overlays and the show's frame, drawn offscreen
#include <GL/gl.h>

#include "render/camera.h"
#include "support/gl_test.h"

namespace {

void useShowCamera(float rx, float ry, float rz)
{
    camera.fovy = 45;
    camera.aspect = 1024.0f / 768.0f;
    camera.zNear = 5;
    camera.zFar = 2000;
    camera.project();
    camera.eyeX = 0;
    camera.eyeY = 0;
    camera.eyeZ = -30;
    camera.rotX = rx;
    camera.rotY = ry;
    camera.rotZ = rz;
    camera.look();
}

void drawPoint(float x, float y, float z, float r, float g, float b)
{
    glPointSize(6);
    glBegin(GL_POINTS);
    glColor3f(r, g, b);
    glVertex3f(x, y, z);
    glEnd();
}

// Where the brightest pixel of one colour channel lies, as (x, y from the top).
std::pair<int, int> findChannel(const FramePixels& frame, int channel)
{
    for (int y = 0; y < frame.height; ++y)
        for (int x = 0; x < frame.width; ++x)
            if (frame.at(x, y)[channel] > 200) return {x, y};
    return {-1, -1};
}

class CameraTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        glDisable(GL_LIGHTING);
        glDisable(GL_TEXTURE_2D);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_BLEND);
    }
};

}  // namespace

TEST_F(CameraTest, OriginIsCentredWorldXPointsLeftAndYUp)
{
    useShowCamera(0, 0, 0);
    drawPoint(0, 0, 0, 1, 0, 0);
    drawPoint(5, 0, 0, 0, 1, 0);
    drawPoint(0, 5, 0, 0, 0, 1);
    FramePixels frame = readTestFrame();
    auto [ox, oy] = findChannel(frame, 0);
    EXPECT_NEAR(ox, 512, 4);
    EXPECT_NEAR(oy, 384, 4);
    auto [xx, xy] = findChannel(frame, 1);
    EXPECT_LT(xx, ox - 50) << "world +x lies to the left";
    EXPECT_NEAR(xy, oy, 4);
    auto [yx, yy] = findChannel(frame, 2);
    EXPECT_LT(yy, oy - 50) << "world +y lies up";
    EXPECT_NEAR(yx, ox, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CameraTest, AnglesOf360GiveTheSameViewAsZeroAndOtherAnglesTurnIt)
{
    auto drawScene = [](float angle) {
        glClear(GL_COLOR_BUFFER_BIT);
        useShowCamera(angle, angle, angle);
        drawPoint(3, 2, 0, 1, 0, 0);
        drawPoint(-4, 1, 10, 0, 1, 0);
        return readTestFrame();
    };
    FramePixels zero = drawScene(0);
    FramePixels full = drawScene(360);
    FramePixels turned = drawScene(20);
    EXPECT_EQ(findChannel(zero, 0), findChannel(full, 0));
    EXPECT_EQ(findChannel(zero, 1), findChannel(full, 1));
    EXPECT_NE(findChannel(zero, 0), findChannel(turned, 0));
}

TEST_F(CameraTest, OverlayCoversTheFrameWithTheOriginTopLeftAndRestoresMatrices)
{
    useShowCamera(0, 0, 0);
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    beginScreenOverlay();
    glBegin(GL_QUADS);
    glColor3f(0, 0, 1);
    glVertex2f(0, 0);
    glVertex2f(1024, 0);
    glVertex2f(1024, 768);
    glVertex2f(0, 768);
    glColor3f(1, 0, 0);  // a 16 x 16 marker at the top left
    glVertex2f(0, 0);
    glVertex2f(16, 0);
    glVertex2f(16, 16);
    glVertex2f(0, 16);
    glEnd();
    endScreenOverlay();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);
    for (int i = 0; i < 16; ++i) EXPECT_FLOAT_EQ(before[i], after[i]);

    FramePixels frame = readTestFrame();
    EXPECT_GT(frame.at(2, 2)[0], 250);  // the marker: top left
    EXPECT_LT(frame.at(2, 765)[0], 5);
    for (auto [x, y] : {std::pair{0, 767}, {1023, 0}, {1023, 767}, {512, 384}, {20, 20}})
        EXPECT_GT(frame.at(x, y)[2], 250) << x << "," << y;
}

TEST_F(CameraTest, TheFrameHasNoAlphaSoDestinationAlphaReadsOne)
{
    GLint alphaBits = -1;
    glGetIntegerv(GL_ALPHA_BITS, &alphaBits);
    EXPECT_EQ(alphaBits, 0);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_EQ(depthBits, 16);

    // Clearing with alpha 0.5 then blending by the destination alpha: a frame without alpha
    // reads 1, so the drawn colour comes through whole.
    glClearColor(0, 0, 0, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_ALPHA, GL_ZERO);
    beginScreenOverlay();
    glBegin(GL_QUADS);
    glColor4f(1, 1, 1, 1);
    glVertex2f(0, 0);
    glVertex2f(1024, 0);
    glVertex2f(1024, 768);
    glVertex2f(0, 768);
    glEnd();
    endScreenOverlay();
    glDisable(GL_BLEND);
    EXPECT_GT(readTestFrame().at(512, 384)[0], 250);
}
