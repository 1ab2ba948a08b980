// frame_stats_test.cpp -- the live show's per-scene frame counts, frame times and late frames,
// and the pacing that draws each frame for the moment it is seen
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/frame_pacer.h"
#include "app/frame_stats.h"

namespace {

struct Shown {
    int scene;
    double wallMs;
};

struct Case {
    const char* name;
    double refreshMs;
    std::vector<Shown> frames;
    int scene;  // the scene whose figures are checked
    size_t frames_, late;
    double medianMs, p95Ms;
};

const Case kCases[] = {
    {"the run's first frame has no frame time", 20, {{0, 100}, {0, 110}, {0, 130}, {0, 140}}, 0, 4, 0, 10, 20},
    {"a frame is late when it missed a whole refresh", 20,
     {{0, 0}, {0, 20}, {0, 49}, {0, 80}, {0, 125}}, 0, 5, 2, 29, 45},
    {"a scene's first frame counts its time since the last frame of the scene before", 20,
     {{0, 0}, {0, 10}, {2, 50}, {2, 60}}, 2, 2, 1, 10, 40},
    {"a scene of one frame", 10, {{3, 500}, {4, 505}}, 4, 1, 0, 5, 5},
    {"a scene showing nothing", 10, {{3, 500}, {4, 505}}, 1, 0, 0, 0, 0},
    {"nearest rank: the 95th percentile of twenty times is the nineteenth", 100,
     {{1, 0}, {1, 1}, {1, 3}, {1, 6}, {1, 10}, {1, 15}, {1, 21}, {1, 28}, {1, 36}, {1, 45}, {1, 55}, {1, 66},
      {1, 78}, {1, 91}, {1, 105}, {1, 120}, {1, 136}, {1, 153}, {1, 171}, {1, 190}, {1, 210}},
     1, 21, 0, 10, 19},
};

TEST(FrameStatistics, FramesTimesAndLateFramesPerScene)
{
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        FrameStatistics statistics(5);
        for (const Shown& f : c.frames) statistics.frameShown(f.scene, f.wallMs);
        SceneFrames s = statistics.scene(c.scene, c.refreshMs);
        EXPECT_EQ(s.frames, c.frames_);
        EXPECT_EQ(s.late, c.late);
        EXPECT_DOUBLE_EQ(s.medianMs, c.medianMs);
        EXPECT_DOUBLE_EQ(s.p95Ms, c.p95Ms);
    }
}

TEST(FrameStatistics, ReportHasOneLinePerSceneThatShowedFrames)
{
    FrameStatistics statistics(4);
    for (Shown f : {Shown{0, 0}, Shown{0, 16}, Shown{2, 40}, Shown{2, 50}, Shown{9, 60}})
        statistics.frameShown(f.scene, f.wallMs);
    std::string report = statistics.report(16.7);
    EXPECT_EQ(report.rfind("scene 0: 2 frames, frame time median 16.0 ms,", 0), 0u) << report;
    EXPECT_NE(report.find("\nscene 2: 2 frames, frame time median 10.0 ms, 95th percentile 24.0 ms, 0 late"),
              std::string::npos)
        << report;
    EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 2) << report;
}

}  // namespace

// Frames drawn in 25 ms (one slow one among them) and presented in 5, begun every 40 ms: each
// is drawn for its clock plus 30 ms; the frame begun when the next cut is less than two frames
// and 20 ms away is drawn for the cut and its swap begun so that it ends at the cut.
TEST(FramePacing, FramesAreDrawnForWhenTheyAreSeenAndCutsAreHeldForTheirTime)
{
    FramePacer pacer;
    EXPECT_EQ(pacer.plan(1000, 5000).showMs, 1000u) << "nothing known yet: the clock as it is";
    EXPECT_FALSE(pacer.plan(1000, 5000).held);
    for (int f = 0; f < 9; ++f) pacer.framePresented(40.0 * f, 40.0 * f + (f == 4 ? 300 : 25), 40.0 * f + 30, 40.0 * f + 35, false);
    EXPECT_EQ(pacer.plan(5000, 5100).presentAtMs, 5100u) << "no held frame yet: its swap taken as instant";
    pacer.framePresented(400, 420, 500, 502, true);  // a held frame's swap: 2 ms
    struct Case { uint32_t nowMs, cutMs, showMs; bool held; uint32_t presentAtMs; } cases[] = {
        {5000, 9000, 5030, false, 0}, {5000, 5031, 5031, true, 5029}, {5000, 5129, 5129, true, 5127},
        {5000, 5130, 5030, false, 0}, {5000, 5030, 5030, false, 0},   {0xFFFFFFF0u, 20, 20, true, 18}};
    for (const Case& c : cases) {
        FramePacer::Plan plan = pacer.plan(c.nowMs, c.cutMs);
        EXPECT_EQ(plan.showMs, c.showMs) << c.nowMs << ", cut at " << c.cutMs;
        EXPECT_EQ(plan.held, c.held) << c.nowMs << ", cut at " << c.cutMs;
        EXPECT_EQ(plan.presentAtMs, c.presentAtMs) << c.nowMs << ", cut at " << c.cutMs;
    }
}
