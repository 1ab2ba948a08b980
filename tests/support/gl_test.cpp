// gl_test.cpp -- offscreen frame for the GL tests
#include "support/gl_test.h"

#include <GL/gl.h>

#include <cstdlib>

#include "platform/platform.h"
#include "render/camera.h"

void openTestFrame()
{
    if (showWindowIsOpen()) return;
    setMessageBoxesHeadless(true);
    ASSERT_TRUE(openShowWindow("test", 1024, 768, WindowMode::Offscreen));
}

FramePixels readTestFrame()
{
    FramePixels frame;
    frame.width = frameWidth();
    frame.height = frameHeight();
    readFramePixels(frame.rgb);
    return frame;
}

double FramePixels::meanBrightness(int x0, int y0, int x1, int y1) const
{
    double sum = 0;
    long count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = at(x, y);
            sum += (p[0] + p[1] + p[2]) / 3.0;
            ++count;
        }
    return count ? sum / count : 0;
}

std::string testDataDir()
{
    const char* dir = std::getenv("DEMO_DATA_DIR");
    return dir ? dir : "data";
}

void GlTest::SetUp()
{
    openTestFrame();
    glViewport(0, 0, 1024, 768);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
