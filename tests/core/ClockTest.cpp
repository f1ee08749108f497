// The clock counts from the program's start, whatever the counter read when the machine had been
// up for a week or for nearly the 32-bit wrap of milliseconds; the counter's conversion to
// milliseconds; the frame loop's tick rule with its carried remainder and 32-bit wrap.
#include <gtest/gtest.h>

#include <climits>
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

// ---------------------------------------------------------------------------------------------
// Ticks

struct TickCase {
    std::int32_t reference;
    std::int32_t now;
    std::int32_t interval;
    std::uint32_t ticks;
    std::int32_t newReference;
};

class Ticks : public ::testing::TestWithParam<TickCase> {};

TEST_P(Ticks, OneMoreThanTheWholeIntervalsWithTheRemainderCarried) {
    std::int32_t reference = GetParam().reference;
    EXPECT_EQ(TicksDue(GetParam().now, reference, GetParam().interval), GetParam().ticks);
    EXPECT_EQ(reference, GetParam().newReference);
}

// Among them the worked example: from 1000, a frame at 1029 ticks once and keeps the reference,
// then one at 1095 ticks 4 times and carries 5 ms.
INSTANTIATE_TEST_SUITE_P(
    Elapsed, Ticks,
    ::testing::Values(TickCase{1000, 1000, 30, 1, 1000},   // 0 ms
                      TickCase{1000, 1029, 30, 1, 1000},   // 29 ms: the reference stays
                      TickCase{1000, 1030, 30, 2, 1030},   // 30 ms
                      TickCase{1000, 1059, 30, 2, 1030},   // 59 ms: 29 carried
                      TickCase{1000, 1095, 30, 4, 1090},   // 95 ms: 5 carried
                      TickCase{1000, 4000, 30, 101, 4000}, // a stall of 100 intervals
                      // Across the wrap from 2147483647 to -2147483648.
                      TickCase{INT_MAX - 9, INT_MIN + 20, 30, 2, INT_MIN + 20},
                      TickCase{INT_MAX - 9, INT_MIN + 85, 30, 4, INT_MIN + 80},
                      TickCase{-10, 20, 30, 2, 20},
                      // Readings before the reference: within one interval still one tick
                      // (the remainder is negative and the reference does not move)...
                      TickCase{1000, 971, 30, 1, 1000},
                      // ...more than one interval before it, none.
                      TickCase{1000, 970, 30, 0, 1000}, TickCase{1000, 900, 30, 0, 1000},
                      TickCase{0, INT_MIN, 30, 0, 0},
                      // Other intervals and the extremes; an interval below 1 counts as 1.
                      TickCase{0, 10, 1, 11, 10}, TickCase{0, INT_MAX, 1, 2147483648u, INT_MAX},
                      TickCase{0, 999, 1000, 1, 0}, TickCase{0, 1000, 1000, 2, 1000},
                      TickCase{100, 105, 0, 6, 105}, TickCase{100, 105, -1, 6, 105},
                      TickCase{100, 105, INT_MIN, 6, 105}));

TEST(TickCount, LosesNoTimeOverManyFrames) {
    // Frames at irregular times: the ticks beyond the first of each frame add up to the whole
    // intervals elapsed overall.
    std::int32_t reference = INT_MAX - 1000; // wraps on the way
    const std::int32_t start = reference;
    std::int32_t now = start;
    std::uint64_t extra = 0;
    for (int frame = 0; frame < 1000; ++frame) {
        now = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) + 7u + frame % 41);
        extra += TicksDue(now, reference, 30) - 1u;
    }
    const auto total = static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(start);
    EXPECT_EQ(extra, total / 30);
    EXPECT_EQ(static_cast<std::uint32_t>(now) - static_cast<std::uint32_t>(reference), total % 30);
}

// ---------------------------------------------------------------------------------------------
// The clock's conversion from counter to milliseconds

struct CounterCase {
    std::int64_t count;
    std::int64_t frequency;
    std::int32_t milliseconds;
};

class CounterConversion : public ::testing::TestWithParam<CounterCase> {};

TEST_P(CounterConversion, MultipliesDividesTruncatesAndKeepsTheLow32Bits) {
    EXPECT_EQ(CounterToMilliseconds(GetParam().count, GetParam().frequency),
              GetParam().milliseconds);
}

INSTANTIATE_TEST_SUITE_P(
    Chosen, CounterConversion,
    ::testing::Values(
        CounterCase{0, 10000000, 0}, CounterCase{9999, 10000000, 0}, // 0.9999 ms
        CounterCase{10000, 10000000, 1},                             // exactly 1 ms
        CounterCase{19999, 10000000, 1},                             // truncated, not rounded
        CounterCase{3000000000, 3000000000, 1000}, CounterCase{2999999999, 3000000000, 999},
        CounterCase{-1, 1000, -1}, CounterCase{-999, 1000000, 0}, // toward zero, not down
        CounterCase{-1999, 1000000, -1},
        // The 32-bit wrap after 2^31 ms.
        CounterCase{2147483647, 1000, INT_MAX}, CounterCase{2147483648, 1000, INT_MIN},
        CounterCase{21474836480000, 10000000, INT_MIN}, CounterCase{4294967296 + 5, 1000, 5},
        // The 64-bit product count * 1000 wraps.
        CounterCase{9223372036854776, 1000, 1511828489},
        // Needs the 64-bit significand: at double precision the quotient
        // (2^52 + 1) * 1000 / 3 rounds up by 94 and the result is 1431656192.
        CounterCase{4503599627370497, 3, 1431656098}));

TEST(CounterConversionEdge, AZeroFrequencyGivesAValueNotATrap) {
    // Only possible if the frequency cannot be read; the division gives infinity or NaN, which
    // converts to the integer indefinite whose low 32 bits are 0.
    EXPECT_EQ(CounterToMilliseconds(12345, 0), 0);
    EXPECT_EQ(CounterToMilliseconds(0, 0), 0);
}

} // namespace
