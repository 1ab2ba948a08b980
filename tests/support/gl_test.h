// gl_test.h -- offscreen GL for tests: one hidden 1024 x 768 frame per test process
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

// Opens the offscreen window and context once (SDL's offscreen driver, Mesa), with the
// viewport on the whole frame and the show's first perspective loaded.
void openTestFrame();

// Reads the frame back; pixel (x, y) with y counted from the top, as a viewer sees it.
struct FramePixels {
    std::vector<uint8_t> rgb;  // bottom row first, as GL reads it
    int width = 0, height = 0;
    const uint8_t* at(int x, int yFromTop) const
    {
        return &rgb[(static_cast<size_t>(height - 1 - yFromTop) * width + x) * 3];
    }
    // Mean brightness (0..255) of a rectangle, top-left origin.
    double meanBrightness(int x0, int y0, int x1, int y1) const;
};
FramePixels readTestFrame();

// A tube's centre line as GL computes it: the origin of every segment's frame after the same
// scale, turns and advances the tube's display list records.
struct WorldPoint {
    double x = 0, y = 0, z = 0;
};
std::vector<WorldPoint> tubeCentreLine(int segments, int style, float scale);

// Where the data files are (DEMO_DATA_DIR, set by the test runner).
std::string testDataDir();

// A scratch folder, removed with everything in it at the end of the scope.
struct ScratchDir {
    std::string path;
    ScratchDir();
    ~ScratchDir();
    std::string write(const std::string& name, const std::vector<uint8_t>& bytes) const;  // its path
};

class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};
