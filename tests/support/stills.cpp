// stills.cpp -- stills of the show and offscreen scene frames for the scene tests
#include "support/stills.h"

#include <GL/gl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>

#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

#include "support/gl_test.h"
#include "world/world.h"

double Still::mean(int x0, int y0, int x1, int y1) const
{
    double sum = 0;
    long count = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++count) sum += (at(x, y)[0] + at(x, y)[1] + at(x, y)[2]) / 3.0;
    return count ? sum / count : 0;
}

int brightness(const uint8_t* p) { return (p[0] + p[1] + p[2]) / 3; }

int colourfulness(const uint8_t* p) { return std::max({p[0], p[1], p[2]}) - std::min({p[0], p[1], p[2]}); }

Still loadStill(const std::string& path)
{
    Still still;
    int channels = 0;
    if (uint8_t* data = stbi_load(path.c_str(), &still.width, &still.height, &channels, 3)) {
        still.rgb.assign(data, data + static_cast<size_t>(still.width) * still.height * 3);
        stbi_image_free(data);
    }
    return still;
}

std::vector<Still> renderShowStills(const std::vector<int>& times, int fps)
{
    const char* binary = std::getenv("DEMO_BINARY");
    std::string dir = testing::TempDir() + "stills_" + std::to_string(getpid());
    std::string list;
    for (int t : times) list += (list.empty() ? "" : ",") + std::to_string(t);
    std::string command = std::string("'") + (binary ? binary : "./demo") + "' --data '" + testDataDir() +
                          "' --stills '" + dir + "' --fps " + std::to_string(fps) + " --at " + list + " >/dev/null";
    EXPECT_EQ(std::system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "' && " + command).c_str()), 0) << command;
    std::vector<Still> stills;
    for (int t : times) stills.push_back(loadStill(dir + "/" + std::to_string(t) + ".png"));
    std::system(("rm -rf '" + dir + "'").c_str());
    return stills;
}

void drawSceneFrame(void (*draw)(uint32_t), uint32_t ms, void (*init)())
{
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    if (init) init();
    draw(ms);
    glFlush();
}

Still drawSceneStill(void (*draw)(uint32_t), uint32_t ms, void (*init)())
{
    drawSceneFrame(draw, ms, init);
    return readTestFrame();
}

void setUpWorldOnce()
{
    static bool done = false;
    ASSERT_EQ(chdir(testDataDir().c_str()), 0);
    if (!done) setUpWorld();
    done = true;
}

void writeCameraPath(const std::string& file, const std::vector<Vertex>& eyes, const std::vector<Vertex>& angles)
{
    std::ofstream out(file, std::ios::binary);
    const int32_t count = static_cast<int32_t>(eyes.size());
    out.write(reinterpret_cast<const char*>(&count), sizeof count);
    out.write(reinterpret_cast<const char*>(eyes.data()), static_cast<std::streamsize>(eyes.size() * sizeof(Vertex)));
    out.write(reinterpret_cast<const char*>(angles.data()), static_cast<std::streamsize>(angles.size() * sizeof(Vertex)));
}
