// timeline_test.cpp -- scene switching, the frame clock and the random sequence, on a scripted clock
#include <gtest/gtest.h>

#include <vector>

#include "platform/platform.h"
#include "timeline/timeline.h"
#include "world/random.h"

namespace {

struct Call {
    int entry;
    bool isInit;
    uint32_t ms;
};

std::vector<Call> calls;
uint32_t initCost[4] = {0, 0, 0, 0};  // scripted ms each entry's init takes
uint32_t now = 0;

void setNow(uint32_t ticks)
{
    now = ticks;
    setScriptedTicks(now);
}

template <int N>
void recordInit()
{
    calls.push_back({N, true, 0});
    setNow(now + initCost[N]);
}

template <int N>
void recordDraw(uint32_t ms)
{
    calls.push_back({N, false, ms});
}

// Four entries of 10000, 2000, 3000 and 500 ms.
class TimelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        calls.clear();
        for (uint32_t& cost : initCost) cost = 0;
        useScriptedClock(0);
        setNow(startTicks());
        timeline.entries = entries;
        timeline.count = 4;
        timeline.firstUpdate = true;
        timeline.setEntry(0, 10000, recordDraw<0>);
        timeline.setInit(0, recordInit<0>);
        timeline.setEntry(1, 2000, recordDraw<1>);
        timeline.setInit(1, recordInit<1>);
        timeline.setEntry(2, 3000, recordDraw<2>);
        timeline.setInit(2, nullptr);
        timeline.setEntry(3, 500, recordDraw<3>);
        timeline.setInit(3, recordInit<3>);
    }
    void TearDown() override { useRealClock(); }
    virtual uint32_t startTicks() const { return 5000; }

    // One update at `ticks` after the start; returns the calls it made.
    std::vector<Call> updateAt(uint32_t ticks)
    {
        calls.clear();
        setNow(startTicks() + ticks);
        timeline.update();
        return calls;
    }

    TimelineEntry entries[4];
    Timeline timeline;
};

// The tick counter wraps during the show.
class WrappingTimelineTest : public TimelineTest {
protected:
    uint32_t startTicks() const override { return 0xFFFFFFFFu - 6000; }
};

void expectDraw(const std::vector<Call>& made, int entry, uint32_t ms)
{
    ASSERT_FALSE(made.empty());
    EXPECT_FALSE(made.back().isInit);
    EXPECT_EQ(made.back().entry, entry);
    EXPECT_EQ(made.back().ms, ms);
}

}  // namespace

TEST_F(TimelineTest, FirstUpdateRunsEntryZeroInitThenDrawsItAtZero)
{
    std::vector<Call> made = updateAt(0);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_TRUE(made[0].isInit);
    EXPECT_EQ(made[0].entry, 0);
    expectDraw(made, 0, 0);
    EXPECT_TRUE(timeline.running);
}

TEST_F(TimelineTest, EachBoundaryHandsOverAtItsTimeAndNotBefore)
{
    updateAt(0);
    // Entry 0 ends at 10000, entry 1 at 12000, entry 2 at 15000, entry 3 at 15500.
    const uint32_t ends[3] = {10000, 12000, 15000};
    for (int entry = 0; entry < 3; ++entry) {
        uint32_t end = ends[entry];
        uint32_t start = entry == 0 ? 0 : ends[entry - 1];
        expectDraw(updateAt(end - 1), entry, end - 1 - start);
        std::vector<Call> made = updateAt(end);
        bool hasInit = entry + 1 != 2;
        ASSERT_EQ(made.size(), hasInit ? 2u : 1u);
        if (hasInit) {
            EXPECT_TRUE(made[0].isInit && made[0].entry == entry + 1);
        }
        expectDraw(made, entry + 1, 0);
        expectDraw(updateAt(end + 1), entry + 1, 1);
    }
}

TEST_F(TimelineTest, AnEntryPassedByOneMsHandsOverInTheNextUpdate)
{
    updateAt(0);
    updateAt(9000);
    std::vector<Call> made = updateAt(10001);
    ASSERT_EQ(made.size(), 2u);
    EXPECT_TRUE(made[0].isInit);
    EXPECT_EQ(made[0].entry, 1);
    expectDraw(made, 1, 0);  // entry 1 starts when its init returned: at 10001
    expectDraw(updateAt(10002), 1, 1);
}

TEST_F(TimelineTest, EntryZeroInitCountsAgainstItLaterInitsDoNot)
{
    initCost[0] = 400;
    initCost[3] = 700;
    // Entry 0's start is fixed before its init: its draw already sees the init's 400 ms.
    expectDraw(updateAt(0), 0, 400);
    expectDraw(updateAt(9999), 0, 9999);
    updateAt(10000);
    updateAt(12000);
    // Entry 3 becomes current at 15000; its init takes 700 ms, which it does not lose.
    std::vector<Call> made = updateAt(15000);
    ASSERT_EQ(made.size(), 2u);
    expectDraw(made, 3, 0);
    expectDraw(updateAt(15700 + 499), 3, 499);
    EXPECT_TRUE(timeline.running);
    EXPECT_TRUE(updateAt(15700 + 500).empty());
    EXPECT_FALSE(timeline.running);
}

TEST_F(TimelineTest, AfterTheLastEntryNothingIsDrawnAgain)
{
    updateAt(0);
    updateAt(10000);
    updateAt(12000);
    updateAt(15000);
    expectDraw(updateAt(15499), 3, 499);
    EXPECT_FALSE(timeline.finished());
    EXPECT_TRUE(updateAt(15500).empty());
    EXPECT_TRUE(timeline.finished());
    EXPECT_TRUE(updateAt(15501).empty());
    EXPECT_TRUE(updateAt(1000000).empty());
    EXPECT_EQ(timeline.current, 4);
}

TEST_F(TimelineTest, TwoUpdatesInOneFrameDrawNonDecreasingTimesAndFollowASwitch)
{
    updateAt(0);
    // The first update of the frame switches to entry 1; the second draws entry 1 too.
    std::vector<Call> first = updateAt(10000);
    expectDraw(first, 1, 0);
    std::vector<Call> second = updateAt(10003);
    ASSERT_EQ(second.size(), 1u);
    expectDraw(second, 1, 3);
    EXPECT_LE(first.back().ms, second.back().ms);
    // Within one entry, two updates at the same tick draw the same time.
    expectDraw(updateAt(10500), 1, 500);
    expectDraw(updateAt(10500), 1, 500);
}

TEST_F(TimelineTest, OneUpdatePassesAtMostOneEntry)
{
    updateAt(0);
    // Far past entries 1 and 2: each update moves on by one entry only.
    expectDraw(updateAt(20000), 1, 0);
    expectDraw(updateAt(20000), 1, 0);
    updateAt(22000);
    EXPECT_EQ(timeline.current, 2);
}

TEST_F(WrappingTimelineTest, ATickCounterWrapDoesNotDisturbTheTiming)
{
    updateAt(0);
    expectDraw(updateAt(9999), 0, 9999);  // the counter wrapped 6000 ms in
    expectDraw(updateAt(10000), 1, 0);
    expectDraw(updateAt(11999), 1, 1999);
}

TEST(FrameClockTest, FirstCallIsZeroThenTheGapSinceThePreviousCall)
{
    useScriptedClock(1000);
    FrameClock::reset();
    EXPECT_EQ(FrameClock::elapsed(), 0u);
    setScriptedTicks(1040);
    EXPECT_EQ(FrameClock::elapsed(), 40u);
    setScriptedTicks(21040);  // a 20 s pause
    EXPECT_EQ(FrameClock::elapsed(), 20000u);
    EXPECT_EQ(FrameClock::elapsed(), 0u);
    setScriptedTicks(0xFFFFFFF0u);
    FrameClock::elapsed();
    setScriptedTicks(0x10u);  // across the wrap of the counter
    EXPECT_EQ(FrameClock::elapsed(), 32u);
    useRealClock();
}

TEST(VirtualClockTest, FrameKReadsKTimesAThousandOverFpsWithoutDrift)
{
    useVirtualClock(60);
    EXPECT_EQ(tickCount(), 0u);
    for (int k = 1; k <= 600; ++k) advanceVirtualFrame();
    EXPECT_EQ(tickCount(), 10000u);
    advanceVirtualFrame();
    EXPECT_EQ(tickCount(), 10016u);  // floor(601000 / 60)
    useVirtualClock(7);
    advanceVirtualFrame();
    EXPECT_EQ(tickCount(), 142u);
    useRealClock();
}

TEST(RandomTest, TheSequenceStartsAt41AndIsTheSameEveryTime)
{
    demo::resetRandom();
    const int expected[5] = {41, 18467, 6334, 26500, 19169};
    for (int value : expected) EXPECT_EQ(demo::rand(), value);
    std::vector<int> first;
    demo::resetRandom();
    for (int i = 0; i < 1000; ++i) first.push_back(demo::rand());
    demo::resetRandom();
    for (int i = 0; i < 1000; ++i) {
        int value = demo::rand();
        ASSERT_EQ(value, first[i]);
        ASSERT_GE(value, 0);
        ASSERT_LE(value, 32767);
    }
}
