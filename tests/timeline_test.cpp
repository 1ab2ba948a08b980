// timeline_test.cpp -- scene switching, the frame clock and the random sequence, on a scripted clock
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/sound_follower.h"
#include "platform/platform.h"
#include "timeline/schedule.h"
#include "timeline/timeline.h"
#include "world/random.h"

namespace {

std::string calls;                     // what the updates did: "i1 d1@0" = init 1, draw 1 at 0 ms
uint32_t initCost[4] = {0, 0, 0, 0};  // scripted ms each scene's init takes
uint32_t now = 0;

template <int N>
void recordInit()
{
    calls += "i" + std::to_string(N) + " ";
    setScriptedTicks(now += initCost[N]);
}

template <int N>
void recordDraw(uint32_t ms)
{
    calls += "d" + std::to_string(N) + "@" + std::to_string(ms) + " ";
}

struct Script {
    const char* name;
    uint32_t initCost0, initCost3;
    std::vector<std::pair<uint32_t, const char*>> steps;  // ms after the start, the calls of one update then
};

// Four scenes of 10000, 2000, 3000 and 500 ms; scene 2 has no init.
const Script kScripts[] = {
    {"each boundary hands over at its time and not before", 0, 0,
     {{0, "i0 d0@0"}, {9999, "d0@9999"}, {10000, "i1 d1@0"}, {10001, "d1@1"}, {11999, "d1@1999"},
      {12000, "d2@0"}, {14999, "d2@2999"}, {15000, "i3 d3@0"}, {15499, "d3@499"}, {15500, ""},
      {15501, ""}, {1000000, ""}}},
    {"every init counts against its own scene, later scenes keep the schedule", 400, 700,
     {{0, "i0 d0@400"}, {9999, "d0@9999"}, {10000, "i1 d1@0"}, {12000, "d2@0"}, {15000, "i3 d3@700"},
      {15499, "d3@499"}, {15500, ""}}},
    {"a late update hands over then, on the schedule, one scene an update", 0, 0,
     {{0, "i0 d0@0"}, {10001, "i1 d1@1"}, {10002, "d1@2"}, {10002, "d1@2"}, {30000, "d2@18000"},
      {30000, "i3 d3@15000"}, {30000, ""}}},
};

// The start tick: an ordinary one, and one 6 s before the 32-bit counter wraps.
class TimelineTest : public ::testing::TestWithParam<uint32_t> {};

}  // namespace

TEST_P(TimelineTest, PlaysEveryScriptedUpdate)
{
    for (const Script& script : kScripts) {
        TimelineScene scenes[4];
        Timeline timeline{scenes, 4};
        const uint32_t durations[4] = {10000, 2000, 3000, 500};
        void (*draws[4])(uint32_t) = {recordDraw<0>, recordDraw<1>, recordDraw<2>, recordDraw<3>};
        void (*inits[4])() = {recordInit<0>, recordInit<1>, nullptr, recordInit<3>};
        for (int i = 0; i < 4; ++i) {
            timeline.setScene(i, durations[i], draws[i]);
            timeline.setInit(i, inits[i]);
        }
        initCost[0] = script.initCost0;
        initCost[3] = script.initCost3;
        useScriptedClock(GetParam());
        for (auto [at, expected] : script.steps) {
            calls.clear();
            setScriptedTicks(now = GetParam() + at);
            timeline.update();
            EXPECT_EQ(calls, std::string(expected) + (*expected ? " " : "")) << script.name << ", at " << at;
        }
        EXPECT_TRUE(timeline.finished() == (script.steps.back().second[0] == 0)) << script.name;
    }
    useRealClock();
}

INSTANTIATE_TEST_SUITE_P(StartTicks, TimelineTest, ::testing::Values(5000u, 0xFFFFFFFFu - 6000));

TEST(Clocks, FrameClockVirtualClockAndRandomSequence)
{
    // The frame clock: 0 at first, then the gap since the previous call, across the wrap too.
    useScriptedClock(1000);
    FrameClock::reset();
    for (auto [tick, gap] : {std::pair<uint32_t, uint32_t>{1000, 0}, {1040, 40}, {21040, 20000}, {21040, 0}, {0xFFFFFFF0u, 0}, {0x10, 32}}) {
        setScriptedTicks(tick);
        const uint32_t elapsed = FrameClock::elapsed();
        if (tick == 0xFFFFFFF0u) continue;  // the jump to the wrap unchecked
        EXPECT_EQ(elapsed, gap) << "at tick " << tick;
    }
    // The virtual clock: frame k reads floor(k * 1000 / fps), without drift.
    useVirtualClock(60);
    for (int k = 1; k <= 601; ++k) advanceVirtualFrame();
    EXPECT_EQ(tickCount(), 10016u);
    // A frame drawn for when it is seen: the real clock reads that time until the present.
    useRealClockFrom(1000);
    pinRealClockUntilPresent(90000);
    EXPECT_EQ(tickCount(), 90000u);
    presentFrame();
    EXPECT_LT(tickCount(), 2000u);
    // Started for a sound heard 30 ms ago, the clock is 30 ms on; for one still to come, it waits.
    startClockAt(5000, wallMilliseconds() - 30);
    EXPECT_GE(tickCount(), 5030u);
    EXPECT_LT(tickCount(), 5100u);
    const double before = wallMilliseconds();
    startClockAt(5000, before + 20);
    EXPECT_GE(wallMilliseconds() - before, 19);
    EXPECT_LT(tickCount(), 5050u);
    useRealClock();

    // The random sequence from state 1, the same after every reset.
    demo::resetRandom();
    for (int value : {41, 18467, 6334, 26500, 19169}) EXPECT_EQ(demo::rand(), value);
    demo::resetRandom();
    EXPECT_EQ(demo::rand(), 41);
}

// The README's table of the scenes: one row per scene of the schedule, in order, with its number,
// name and start; then the show's end.
TEST(Schedule, ReadmeListsEveryScene)
{
    std::ifstream readme(DEMO_SOURCE_DIR "/README.md");
    ASSERT_TRUE(readme) << "README.md not found in " DEMO_SOURCE_DIR;
    std::string line;
    while (std::getline(readme, line) && line != "## The scenes") {}
    std::vector<std::vector<std::string>> rows;
    std::string showEnd;
    while (std::getline(readme, line) && line.rfind("## ", 0) != 0) {
        if (line.rfind("The show ends at ", 0) == 0) showEnd = line;
        if (line.rfind("| ", 0) != 0 || !std::isdigit(static_cast<unsigned char>(line[2]))) continue;
        std::vector<std::string> cells;
        std::istringstream cellsOfLine(line.substr(2));
        for (std::string cell; std::getline(cellsOfLine, cell, '|');) cells.push_back(cell.substr(0, cell.size() - 1));
        rows.push_back(cells);
    }
    ASSERT_EQ(rows.size(), size_t(kSceneCount));
    for (int i = 0; i < kSceneCount; ++i) {
        ASSERT_GE(rows[i].size(), 3u) << "row " << i;
        EXPECT_EQ(rows[i][0], std::to_string(i));
        EXPECT_EQ(rows[i][1], " " + std::string(kSchedule[i].name)) << "scene " << i;
        EXPECT_EQ(rows[i][2], " " + std::to_string(sceneStartMs(i))) << "scene " << i;
    }
    EXPECT_EQ(showEnd, "The show ends at " + std::to_string(showDurationMs()) + " ms.");
}
