// The clock counts from the program's start, whatever the counter read when the machine had been
// up for a week or for nearly the 32-bit wrap of milliseconds.
#include <gtest/gtest.h>

#include <cstdint>

#include "engine/DEngine.h"
#include "platform/ScriptedClock.h"

namespace {

constexpr std::int32_t Week = 7 * 24 * 3600 * 1000;
constexpr std::int32_t BeforeWrap = INT32_MAX - 3000; // 3 s before 2^31 ms

class ClockOrigin : public ::testing::TestWithParam<std::int32_t> {
  protected:
    void SetUp() override {
        scriptedclock::Set(GetParam());
        StartClock();
    }
    void TearDown() override {
        // The other tests read the scripted clock's values unchanged.
        scriptedclock::Set(0);
        StartClock();
    }
};

TEST_P(ClockOrigin, ReadingsStartAtZeroAndAdvanceByTheElapsedTime) {
    EXPECT_EQ(GetTime(), 0);
    scriptedclock::Advance(16);
    EXPECT_EQ(GetTime(), 16);
    // Past the moment where the machine's own count of milliseconds wraps.
    scriptedclock::Advance(6000);
    EXPECT_EQ(GetTime(), 6016);
}

TEST_P(ClockOrigin, EveryMillisecondOfTheFirstHourReachesTheFrameTime) {
    // The frame time is a float: it must tell consecutive milliseconds apart, so that a particle
    // moves in every frame in which time passed.
    float previous = static_cast<float>(GetTime());
    for (int step = 0; step < 3600; ++step) {
        scriptedclock::Advance(step % 2 == 0 ? 1 : 999);
        const float now = static_cast<float>(GetTime());
        ASSERT_GT(now, previous) << "after " << step << " steps";
        previous = now;
    }
}

INSTANTIATE_TEST_SUITE_P(Uptimes, ClockOrigin, ::testing::Values(Week, BeforeWrap));

TEST(ClockOriginEdge, WithoutAStartTheReadingsAreTheCountersOwn) {
    // What the capture tool relies on to replay any reading, the wrap's included.
    scriptedclock::Set(BeforeWrap);
    EXPECT_EQ(GetTime(), BeforeWrap);
    scriptedclock::Advance(3001);
    EXPECT_EQ(GetTime(), INT32_MIN);
    scriptedclock::Set(0);
}

TEST(ClockOriginEdge, AFailingCounterReadsAsAStoppedClock) {
    scriptedclock::Set(Week);
    StartClock();
    scriptedclock::FailCounter(true);
    EXPECT_EQ(GetTime(), 0);
    EXPECT_EQ(GetTime(), 0);
    scriptedclock::FailCounter(false);
    scriptedclock::Set(0);
    StartClock();
}

} // namespace
