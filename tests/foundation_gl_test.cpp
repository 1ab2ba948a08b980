// foundation_gl_test.cpp -- screen overlays and the show's frame, drawn offscreen
#include <GL/gl.h>

#include <algorithm>
#include <utility>

#include "render/camera.h"
#include "scenes/scene_helpers.h"
#include "support/gl_test.h"

// The camera's axes and turns are checked through the flights that use them (tunnel_flight_test).

TEST_F(GlTest, OverlayCoversTheFrameTopLeftFirstAndRestoresMatrices)
{
    for (GLenum state : {GL_LIGHTING, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND}) glDisable(state);
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
    EXPECT_EQ(mode, GLint(GL_MODELVIEW));
    EXPECT_TRUE(std::equal(before, before + 16, after));

    Still frame = readTestFrame();
    EXPECT_GT(frame.at(2, 2)[0], 250);
    EXPECT_LT(frame.at(2, 765)[0], 5);
    for (auto [x, y] : {std::pair{0, 767}, {1023, 0}, {1023, 767}, {512, 384}, {20, 20}})
        EXPECT_GT(frame.at(x, y)[2], 250) << x << "," << y;
}

// Cleared with alpha 0.5, then blended by the destination alpha: a frame without alpha reads
// 1, so the drawn colour comes through whole.
TEST_F(GlTest, TheFrameHasNoAlphaSoDestinationAlphaReadsOne)
{
    for (GLenum state : {GL_LIGHTING, GL_TEXTURE_2D, GL_DEPTH_TEST}) glDisable(state);
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
