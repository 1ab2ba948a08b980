// foundation_gl_test.cpp -- screen overlays and the show's frame, drawn offscreen
#include <GL/gl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "platform/platform.h"
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

// At any frame size an overlay covers the same share of the picture and a line is as thick
// relative to it; the read-back holds the 4:3 picture between black bars, its samples resolved.
TEST_F(GlTest, LinesAndOverlaysKeepTheirLookAtAnyFrameSize)
{
    struct Case {
        int width, height, samples;
    };
    auto lit = [](const uint8_t* p) { return p[0] > 128; };
    for (Case c : {Case{1024, 768, 1}, {2048, 1536, 1}, {1024, 768, 4}, {1920, 1080, 4}}) {
        ASSERT_TRUE(setFrameSize(c.width, c.height, c.samples));
        for (GLenum state : {GL_LIGHTING, GL_TEXTURE_2D, GL_DEPTH_TEST, GL_BLEND}) glDisable(state);
        glClear(GL_COLOR_BUFFER_BIT);
        beginScreenOverlay();
        glColor3f(1, 1, 1);
        glRectf(256, 128, 768, 512);  // a quarter of the grid
        setLineWidth(3);
        glBegin(GL_LINES);
        glVertex2f(0, 600);
        glVertex2f(1024, 600);
        glEnd();
        endScreenOverlay();
        Still frame = readTestFrame();
        const int bar = (c.width - frameWidth()) / 2;
        const std::string label = std::to_string(c.width) + "x" + std::to_string(c.height) + "/" + std::to_string(c.samples);
        EXPECT_NEAR(frame.share(bar, 0, bar + frameWidth(), frame.height, lit), 0.25 + 3.0 / 768, 0.002) << label;
        EXPECT_NEAR(frame.share(c.width / 2, 0, c.width / 2 + 1, frame.height, lit), 0.5 + 3.0 / 768, 0.002) << label;
        EXPECT_EQ(frame.share(0, 0, bar, frame.height, lit), 0) << label;
        EXPECT_EQ(frame.share(c.width - bar, 0, c.width, frame.height, lit), 0) << label;
        const double lineRows = frame.mean(bar + 4, 0, bar + 5, frame.height) * frame.height / 255;
        EXPECT_NEAR(lineRows, 3.0 * frameHeight() / 768, 0.5) << label << ": the line";
    }
}
