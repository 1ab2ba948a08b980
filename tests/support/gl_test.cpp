// gl_test.cpp -- offscreen frame for the GL tests
#include "support/gl_test.h"

#include <GL/gl.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "geometry/mesh.h"
#include "platform/platform.h"

Still readTestFrame()
{
    std::vector<uint8_t> bottomRowFirst;
    readFramePixels(bottomRowFirst);
    Still frame;
    frame.width = outputWidth();
    frame.height = outputHeight();
    const size_t row = static_cast<size_t>(frame.width) * 3;
    for (int y = frame.height - 1; y >= 0; --y)
        frame.rgb.insert(frame.rgb.end(), bottomRowFirst.begin() + y * row, bottomRowFirst.begin() + (y + 1) * row);
    return frame;
}

std::vector<WorldPoint> tubeCentreLine(int segments, int style, float scale)
{
    std::vector<WorldPoint> points(1);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glScalef(scale, scale, scale);
    for (int i = 0; i < segments; ++i) {
        float tx, ty, tz;
        tubeTurn(i, style, tx, ty, tz);
        glRotatef(360 - tx, 1, 0, 0);
        glRotatef(360 - ty, 0, 1, 0);
        glRotatef(360 - tz, 0, 0, 1);
        glTranslatef(0, 0, kTubeSegmentAdvance);
        double m[16];
        glGetDoublev(GL_MODELVIEW_MATRIX, m);
        points.push_back({m[12], m[13], m[14]});
    }
    glLoadIdentity();
    return points;
}

ScratchDir::ScratchDir()
{
    char pattern[] = "/tmp/scratch_XXXXXX";
    path = mkdtemp(pattern);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path, ignored);
}

std::string ScratchDir::write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    std::string file = path + "/" + name;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    return file;
}

std::string testDataDir()
{
    const char* dir = std::getenv("DEMO_DATA_DIR");
    return dir ? dir : "data";
}

void GlTest::SetUp()
{
    if (!showWindowIsOpen()) {
        setMessageBoxesHeadless(true);
        ASSERT_TRUE(openShowWindow("test", 1024, 768, WindowMode::Offscreen));
    }
    if (outputWidth() != 1024 || outputHeight() != 768 || frameSamples() != 1) {
        ASSERT_TRUE(setFrameSize(1024, 768, 1));
    }
    glViewport(0, 0, 1024, 768);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
