// The frame loop: the order and message handling of one frame, and a whole run of WinMain.
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
