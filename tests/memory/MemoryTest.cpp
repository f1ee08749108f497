// The running program allocates nothing per frame: started as WinMain starts it (windowed), a
// few hundred frames of RunFrame, quiet and with keyboard traffic through both of the Win32
// layer's queues, add no call of operator new anywhere in the process (the OpenGL driver's
// compiler included) and no call of malloc from the program's own code.
#include <cstdint>
#include <cstdlib>
#include <new>

#include <SDL.h>
#include <gtest/gtest.h>

#include "AllocationCounter.h"
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
        Randomize();
        Fullscreen = false; // a window: no display mode change in a test
        ASSERT_TRUE(CreateGLWindow());
        Running = true;
        InitScene();
        reference_ = GetTime();
        for (int frame = 0; frame < FirstFrames; ++frame) {
            RunFrame(message_, reference_);
        }
        ASSERT_TRUE(Running);
    }

    void TearDown() override {
        FreeScene();
        KillGLWindow();
    }

    void Frame() { RunFrame(message_, reference_); }

    MSG message_ = {};
    std::int32_t reference_ = 0;
};

TEST_F(RunningProgram, QuietFramesAllocateNothing) {
    const Counts before = Now();
    for (int frame = 0; frame < Frames; ++frame) {
        Frame();
    }
    EXPECT_EQ(Now().news - before.news, 0u) << "operator new calls in " << Frames << " frames";
    EXPECT_EQ(Now().mallocs - before.mallocs, 0u) << "malloc calls in " << Frames << " frames";
    EXPECT_TRUE(Running);
    EXPECT_GT(Flame->Count, 0);
}

// Keys pressed and released all the time, through both of the Win32 layer's queues: window
// messages the program's side posts (PostMessageA, and the characters TranslateMessage makes of
// key presses) and keyboard events that SDL reports. They come in pairs (a press and its release
// at once), so that messages wait in the queues and the queues' contents keep moving; one is
// taken per frame, and fewer arrive, so the queues stay short.
TEST_F(RunningProgram, KeyboardTrafficAllocatesNothing) {
    SDL_Event key = {};
    key.key.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
    key.key.keysym.scancode = SDL_SCANCODE_B;
    key.key.keysym.sym = SDLK_b;
    const auto pushKey = [&](bool down) {
        key.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        key.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        SDL_PushEvent(&key);
    };
    bool sawA = false;
    bool sawB = false;
    const auto frame = [&](int n) {
        if (n % 8 == 0) {
            PostMessageA(WindowHandle, WM_KEYDOWN, 'A', 0x001E0001);
            PostMessageA(WindowHandle, WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001u));
        } else if (n % 8 == 4) {
            pushKey(true);
            pushKey(false);
        }
        Frame();
        sawA = sawA || Keys['A'] == 1;
        sawB = sawB || Keys['B'] == 1;
    };
    for (int n = 0; n < Frames; ++n) {
        frame(n);
    }
    const Counts before = Now();
    sawA = sawB = false;
    for (int n = Frames; n < 3 * Frames; ++n) {
        frame(n);
    }
    EXPECT_EQ(Now().news - before.news, 0u) << "operator new calls in " << 2 * Frames << " frames";
    EXPECT_EQ(Now().mallocs - before.mallocs, 0u) << "malloc calls in " << 2 * Frames << " frames";
    // The keys did reach the window procedure, and nothing ended the loop.
    EXPECT_TRUE(sawA);
    EXPECT_TRUE(sawB);
    EXPECT_TRUE(Running);
}

} // namespace
