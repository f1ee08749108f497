// The frame loop: tick counting with its carried remainder and 32-bit wrap, the clock's counter
// conversion, the order and message handling of one frame, and a whole run of WinMain.
#include <climits>
#include <cstdint>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "game/DGame.h"
#include "random/Random.h"

using seam::Api;
using shelltest::DrainQueue;
using shelltest::Messages;
using Texts = std::vector<std::string>;

namespace {

// ---------------------------------------------------------------------------------------------
// Ticks

struct TickCase {
    std::int32_t reference;
    std::int32_t now;
    std::uint32_t ticks;
    std::int32_t newReference;
};

class Ticks : public ::testing::TestWithParam<TickCase> {};

TEST_P(Ticks, OneMoreThanTheWholeIntervalsWithTheRemainderCarried) {
    std::int32_t reference = GetParam().reference;
    EXPECT_EQ(TicksDue(GetParam().now, reference, 30), GetParam().ticks);
    EXPECT_EQ(reference, GetParam().newReference);
}

INSTANTIATE_TEST_SUITE_P(
    Elapsed, Ticks,
    ::testing::Values(TickCase{1000, 1000, 1, 1000},   // 0 ms
                      TickCase{1000, 1029, 1, 1000},   // 29 ms: the reference stays
                      TickCase{1000, 1030, 2, 1030},   // 30 ms
                      TickCase{1000, 1059, 2, 1030},   // 59 ms: 29 carried
                      TickCase{1000, 1095, 4, 1090},   // 95 ms: 5 carried
                      TickCase{1000, 4000, 101, 4000}, // a stall of 100 intervals
                      // Across the wrap from 2147483647 to -2147483648.
                      TickCase{INT_MAX - 9, INT_MIN + 20, 2, INT_MIN + 20},
                      TickCase{INT_MAX - 9, INT_MIN + 85, 4, INT_MIN + 80},
                      TickCase{-10, 20, 2, 20},
                      // Readings before the reference: within one interval still one tick
                      // (the remainder is negative and the reference does not move)...
                      TickCase{1000, 971, 1, 1000},
                      // ...more than one interval before it, none.
                      TickCase{1000, 970, 0, 1000}, TickCase{1000, 900, 0, 1000},
                      TickCase{0, INT_MIN, 0, 0}));

TEST(TickCount, FollowsTheWorkedExampleOverTwoFrames) {
    std::int32_t reference = 1000;
    EXPECT_EQ(TicksDue(1029, reference, 30), 1u);
    EXPECT_EQ(reference, 1000);
    EXPECT_EQ(TicksDue(1095, reference, 30), 4u);
    EXPECT_EQ(reference, 1090);
    EXPECT_EQ(TicksDue(1119, reference, 30), 1u);
    EXPECT_EQ(reference, 1090);
}

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

TEST(TickCount, OtherIntervalsAndTheExtremes) {
    std::int32_t reference = 0;
    EXPECT_EQ(TicksDue(10, reference, 1), 11u);
    EXPECT_EQ(reference, 10);
    reference = 0;
    EXPECT_EQ(TicksDue(INT_MAX, reference, 1), 2147483648u);
    reference = 0;
    EXPECT_EQ(TicksDue(999, reference, 1000), 1u);
    EXPECT_EQ(TicksDue(1000, reference, 1000), 2u);
    EXPECT_EQ(reference, 1000);
}

TEST(TickCount, AnIntervalBelowOneCountsAsOne) {
    for (std::int32_t interval : {0, -1, -30, INT_MIN}) {
        std::int32_t reference = 100;
        EXPECT_EQ(TicksDue(105, reference, interval), 6u);
        EXPECT_EQ(reference, 105);
    }
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

// ---------------------------------------------------------------------------------------------
// One frame

std::vector<std::string> Calls;
gl::PFN_glGetError RealGetError;
gl::PFN_glClear RealClear;
gl::PFN_glFlush RealFlush;
gl::PFN_glFinish RealFinish;

GLenum GLAPIENTRY RecordGetError() {
    Calls.push_back("glGetError");
    return RealGetError();
}
void GLAPIENTRY RecordClear(GLbitfield mask) {
    Calls.push_back("glClear");
    RealClear(mask);
}
void GLAPIENTRY RecordFlush() {
    Calls.push_back("glFlush");
    RealFlush();
}
void GLAPIENTRY RecordFinish() {
    Calls.push_back("glFinish");
    RealFinish();
}

// A shown window with the scene built; the frame's OpenGL calls that matter for the order are
// recorded (glClear stands for the scene's drawing).
class Frame : public shelltest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        Fullscreen = false;
        EnterDataDirectory();
        CreateWindowOk();
        InitScene();
        // Resolve the real entry points, then put recorders in front of them.
        glGetError();
        glClear(0);
        glFlush();
        glFinish();
        RealGetError = gl::Table.glGetError;
        RealClear = gl::Table.glClear;
        RealFlush = gl::Table.glFlush;
        RealFinish = gl::Table.glFinish;
        gl::Table.glGetError = RecordGetError;
        gl::Table.glClear = RecordClear;
        gl::Table.glFlush = RecordFlush;
        gl::Table.glFinish = RecordFinish;
        Calls.clear();
        DrainQueue();
        reference_ = GetTime();
    }

    void TearDown() override {
        gl::ResetTable();
        FreeScene();
        ShellTest::TearDown();
    }

    std::int32_t reference_ = 0;
    MSG message_ = {};
};

const std::vector<std::string> FullFrame = {"glGetError", "glClear", "glFlush", "glFinish"};

TEST_F(Frame, RunsInOrderWithAnEmptyQueue) {
    RunFrame(message_, reference_);
    RunFrame(message_, reference_);
    std::vector<std::string> twice = FullFrame;
    twice.insert(twice.end(), FullFrame.begin(), FullFrame.end());
    EXPECT_EQ(Calls, twice);
    EXPECT_TRUE(Running);
}

TEST_F(Frame, PublishesItsClockReading) {
    const std::int32_t before = GetTime();
    RunFrame(message_, reference_);
    const std::int32_t after = GetTime();
    EXPECT_GE(CurrentTime, static_cast<float>(before));
    EXPECT_LE(CurrentTime, static_cast<float>(after));
}

TEST_F(Frame, CarriesTheRemainderOfTheElapsedTime) {
    const std::int32_t start = reference_ - 95;
    reference_ = start;
    RunFrame(message_, reference_);
    const std::int32_t moved = reference_ - start;
    EXPECT_GE(moved, 90);
    EXPECT_EQ(moved % UpdateInterval, 0);
    EXPECT_LE(reference_, GetTime());
}

TEST_F(Frame, TakesOneMessagePerFrame) {
    userinput::Letter(WindowHandle, 'A');
    userinput::Letter(WindowHandle, 'B');
    RunFrame(message_, reference_);
    EXPECT_EQ(Keys[shelltest::KeyA], 1);
    EXPECT_EQ(Keys[shelltest::KeyB], 0);
    RunFrame(message_, reference_);
    EXPECT_EQ(Keys[shelltest::KeyB], 1);
    EXPECT_EQ(Calls.size(), 2 * FullFrame.size());
}

// The hook sees the frame drawn and finished, before the buffers are swapped.
void RecordFinished() {
    Calls.push_back("finished");
}

TEST_F(Frame, TheFinishedHookRunsAfterGlFinish) {
    const TFrameHooks hooks = {RenderScene, UpdateScene, RecordFinished};
    RunFrame(message_, reference_, hooks);
    std::vector<std::string> expected = FullFrame;
    expected.push_back("finished");
    EXPECT_EQ(Calls, expected);
}

TEST_F(Frame, TheQuitMessageEndsTheLoopAtOnce) {
    PostQuitMessage(0);
    RunFrame(message_, reference_);
    EXPECT_FALSE(Running);
    EXPECT_EQ(Calls, std::vector<std::string>{}) << "the rest of the frame is skipped";
}

TEST_F(Frame, EscapeEndsTheLoopAfterAFullFrame) {
    userinput::Escape(WindowHandle);
    RunFrame(message_, reference_);
    EXPECT_FALSE(Running);
    EXPECT_EQ(Calls, FullFrame);
}

// ---------------------------------------------------------------------------------------------
// A whole run

class Run : public shelltest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        EnterDataDirectory();
    }
};

TEST_F(Run, EndsAfterTheFrameThatSeesEscapeWithEverythingTornDown) {
    RandSeed = 0;
    // Escape is already down: the first frame is the last.
    Keys[VK_ESCAPE] = 1;
    program::WinMain();
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_FALSE(Running);
    EXPECT_NE(CurrentTime, 0.0f) << "one frame ran";
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(DeviceContext, nullptr);
    EXPECT_EQ(RenderingContext, nullptr);
    EXPECT_EQ(shelltest::CursorCount(), 0);
    EXPECT_NE(RandSeed, 0u) << "seeded from the clock";
}

TEST_F(Run, StartAndStopAsAReplayAsksThem) {
    // A fixed seed and a window whatever Fullscreen says; the loop's ticks start after the
    // scene is built.
    seam::SetDisplayChangeResult(DISP_CHANGE_FAILED);
    TStartup startup;
    startup.Window.Windowed = true;
    startup.FixedSeed = true;
    startup.Seed = 4242;
    Running = false;
    std::int32_t reference = 0;
    const std::int32_t before = GetTime();
    ASSERT_TRUE(StartProgram(startup, reference));
    EXPECT_EQ(RandSeed, 4242u) << "building the scene draws no random number";
    EXPECT_TRUE(Running);
    EXPECT_FALSE(Fullscreen);
    EXPECT_NE(Flame, nullptr);
    EXPECT_GE(reference, before);
    EXPECT_LE(reference, GetTime());
    StopProgram();
    EXPECT_EQ(Flame, nullptr);
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(Messages(), Texts{});
}

TEST_F(Run, AFailedWindowEndsTheRunBeforeTheScene) {
    Running = false;
    seam::SetFailing(Api::ChoosePixelFormat);
    program::WinMain();
    EXPECT_EQ(Messages(), Texts{"Error: Unable to find a suitable pixel format"});
    EXPECT_FALSE(Running) << "the loop never started";
    EXPECT_EQ(CurrentTime, 0.0f);
    EXPECT_EQ(WindowHandle, nullptr);
}

} // namespace
