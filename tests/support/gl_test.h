// gl_test.h -- offscreen GL for tests: one hidden 1024 x 768 frame per test process
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/stills.h"

// Reads the offscreen frame back, rows top first as a viewer sees them.
Still readTestFrame();

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

// Opens the offscreen window and context once (SDL's offscreen driver, Mesa), then clears the
// whole frame black.
class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
};
