// foundation_gl_test.cpp -- the camera, screen overlays and the show's frame, drawn offscreen
#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "support/gl_test.h"

namespace {

// Draws red, green and blue points at three world positions through the show's camera at
// (0, 0, -30) turned by `angle` about every axis; returns where each landed (x, y from the top).
std::vector<std::pair<int, int>> pointsSeen(float angle, const float points[3][3])
{
    glClear(GL_COLOR_BUFFER_BIT);
    camera.setPerspective(5, 2000);
    camera.eyeX = camera.eyeY = 0;
    camera.eyeZ = -30;
    camera.rotX = camera.rotY = camera.rotZ = angle;
    camera.look();
    glPointSize(6);
    glBegin(GL_POINTS);
    for (int c = 0; c < 3; ++c) {
        glColor3f(c == 0, c == 1, c == 2);
        glVertex3fv(points[c]);
    }
    glEnd();
    const FramePixels frame = readTestFrame();
    std::vector<std::pair<int, int>> seen(3, {-1, -1});
    for (int y = frame.height - 1; y >= 0; --y)
        for (int x = 0; x < frame.width; ++x)
            for (int c = 0; c < 3; ++c)
                if (frame.at(x, y)[c] > 200) seen[c] = {x, y};
    return seen;
}

class CameraTest : public GlTest {
protected:
    void SetUp() override
    {
        GlTest::SetUp();
        for (GLenum state : {GL_LIGHTING, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND}) glDisable(state);
    }
};

}  // namespace

TEST_F(CameraTest, OriginIsCentredWorldXPointsLeftYUpAndFullTurnsChangeNothing)
{
    const float axes[3][3] = {{0, 0, 0}, {5, 0, 0}, {0, 5, 0}};
    const auto seen = pointsSeen(0, axes);
    EXPECT_NEAR(seen[0].first, 512, 4);
    EXPECT_NEAR(seen[0].second, 384, 4);
    EXPECT_LT(seen[1].first, seen[0].first - 50) << "world +x lies to the left";
    EXPECT_LT(seen[2].second, seen[0].second - 50) << "world +y lies up";
    EXPECT_NEAR(seen[2].first, seen[0].first, 4);
    EXPECT_EQ(pointsSeen(360, axes), seen);
    EXPECT_NE(pointsSeen(20, axes), seen);
}

TEST_F(CameraTest, OverlayCoversTheFrameTopLeftFirstAndRestoresMatrices)
{
    camera.look();
    GLfloat before[16], after[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, before);
    beginScreenOverlay();
    drawFullScreenQuad(0, 0, 1, 1);
    glColor3f(1, 0, 0);
    glRectf(0, 0, 16, 16);  // a marker at the top left
    endScreenOverlay();
    glGetFloatv(GL_MODELVIEW_MATRIX, after);
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_TRUE(mode == GL_MODELVIEW && std::equal(before, before + 16, after));

    FramePixels frame = readTestFrame();
    EXPECT_GT(frame.at(2, 2)[0], 250);
    EXPECT_LT(frame.at(2, 765)[0], 5);
    for (auto [x, y] : {std::pair{0, 767}, {1023, 0}, {1023, 767}, {512, 384}, {20, 20}})
        EXPECT_GT(frame.at(x, y)[2], 250) << x << "," << y;
}

// Cleared with alpha 0.5, then blended by the destination alpha: a frame without alpha reads
// 1, so the drawn colour comes through whole.
TEST_F(CameraTest, TheFrameHasNoAlphaSoDestinationAlphaReadsOne)
{
    GLint bits[2] = {-1, 0};
    glGetIntegerv(GL_ALPHA_BITS, &bits[0]);
    glGetIntegerv(GL_DEPTH_BITS, &bits[1]);
    EXPECT_EQ(std::pair(bits[0], bits[1]), std::pair(0, 16)) << "alpha and depth bits";
    glClearColor(0, 0, 0, 0.5f);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_DST_ALPHA, GL_ZERO);
    beginScreenOverlay();
    drawFullScreenQuad(1, 1, 1, 1);
    endScreenOverlay();
    glDisable(GL_BLEND);
    EXPECT_GT(readTestFrame().at(512, 384)[0], 250);
}
