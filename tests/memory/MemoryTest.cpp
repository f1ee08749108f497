// The running program allocates nothing per frame: started as WinMain starts it (windowed), a
// few hundred frames of RunFrame, quiet and with keyboard traffic through the Win32 layer's
// queue, add no call of malloc from the program's own code, and no call of operator new anywhere
// in the process (the OpenGL driver's compiler included) but for one late burst at the most.
#include <cstdint>
#include <cstdlib>
#include <new>

#include <SDL.h>
#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "UserInput.h"
#include "engine/DEngine.h"
#include "engine/DInput.h"
#include "game/DGame.h"
#include "main/DMain.h"
#include "main/DWindow.h"
#include "random/Random.h"

namespace {

using alloctest::Counts;
using alloctest::Now;

// Frames enough for everything that happens once (entry points resolved, the driver's shaders
// compiled, the first ticks): allocations there are start-up, not per frame.
constexpr int FirstFrames = 30;
constexpr int Frames = 300;

// The counters are live: the replaced operator new and the linker's routing of malloc work.
TEST(Counters, SeeOperatorNewAndTheProgramsOwnMalloc) {
    const Counts before = Now();
    void* p = ::operator new(8);
    ::operator delete(p);
    void* volatile q = std::malloc(8); // volatile: the pair is not optimised away
    std::free(q);
    EXPECT_EQ(Now().news - before.news, 1u);
    EXPECT_EQ(Now().mallocs - before.mallocs, 1u);
}

// The program between its start and its end, as WinMain runs it.
class RunningProgram : public ::testing::Test {
  protected:
    void SetUp() override {
        TStartup startup;
        startup.Window.Windowed = true; // no display mode change in a test
        ASSERT_TRUE(StartProgram(startup, reference_));
        for (int frame = 0; frame < FirstFrames; ++frame) {
            RunFrame(message_, reference_);
        }
        ASSERT_TRUE(Running);
    }

    void TearDown() override { StopProgram(); }

    void Frame() { RunFrame(message_, reference_); }

    // Runs frames first..first+count-1 in spans of Span and checks each span: the program's own
    // code calls malloc in none, and operator new is called in at most one. An allocation per
    // frame or per key shows in every span; the driver compiling one late shader variant (llvmpipe
    // does, now and then, when the points first reach a new state) shows as a single burst.
    template <typename F> void ExpectNoAllocationPerFrame(int first, int count, F frame) {
        constexpr int Span = 100;
        int spansWithNew = 0;
        for (int start = first; start < first + count; start += Span) {
            const Counts before = Now();
            for (int n = start; n < start + Span; ++n) {
                frame(n);
            }
            const Counts after = Now();
            EXPECT_EQ(after.mallocs - before.mallocs, 0u)
                << "malloc calls in frames from " << start;
            spansWithNew += after.news != before.news ? 1 : 0;
        }
        EXPECT_LE(spansWithNew, 1) << "spans of " << Span << " frames with operator new calls";
    }

    MSG message_ = {};
    std::int32_t reference_ = 0;
};

TEST_F(RunningProgram, QuietFramesAllocateNothing) {
    ExpectNoAllocationPerFrame(0, 2 * Frames, [this](int) { Frame(); });
    EXPECT_TRUE(Running);
    EXPECT_GT(Flame->Count, 0);
}

// Keys pressed and released all the time, as SDL reports them. They come in pairs (a press and
// its release at once), so that messages wait in the Win32 layer's queue and its contents keep
// moving; one is taken per frame, and fewer arrive, so the queue stays short.
TEST_F(RunningProgram, KeyboardTrafficAllocatesNothing) {
    bool sawA = false;
    bool sawB = false;
    const auto frame = [&](int n) {
        if (n % 8 == 0) {
            userinput::Letter(WindowHandle, 'A');
            userinput::Letter(WindowHandle, 'A', false);
        } else if (n % 8 == 4) {
            userinput::Letter(WindowHandle, 'B');
            userinput::Letter(WindowHandle, 'B', false);
        }
        Frame();
        sawA = sawA || Keys['A'] == 1;
        sawB = sawB || Keys['B'] == 1;
    };
    for (int n = 0; n < Frames; ++n) {
        frame(n);
    }
    sawA = sawB = false;
    ExpectNoAllocationPerFrame(Frames, 2 * Frames, frame);
    // The keys did reach the window procedure, and nothing ended the loop.
    EXPECT_TRUE(sawA);
    EXPECT_TRUE(sawB);
    EXPECT_TRUE(Running);
}

} // namespace
