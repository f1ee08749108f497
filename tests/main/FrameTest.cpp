// The frame loop: the order and message handling of one frame, and a whole run of WinMain.
#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "GLDoubles.h"
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

// A shown window with the scene built, its OpenGL calls recorded from then on.
class Frame : public shelltest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        Fullscreen = false;
        EnterDataDirectory();
        CreateWindowOk();
        InitScene();
        gltest::Record();
        DrainQueue();
        reference_ = GetTime();
    }

    void TearDown() override {
        gl::ResetTable();
        FreeScene();
        ShellTest::TearDown();
    }

    // Runs one frame on the scene's hooks, each of which marks its turn among the frame's calls;
    // gives the calls' names.
    std::vector<std::string> Marked() {
        static const TFrameHooks hooks = {[] { Mark("render"), RenderScene(); },
                                          [] { Mark("update"), UpdateScene(); },
                                          [] { Mark("finished"); }};
        gltest::Calls.clear();
        RunFrame(message_, reference_, hooks);
        std::vector<std::string> names;
        for (const gltest::Call& c : gltest::Calls) {
            names.push_back(c.Name);
        }
        return names;
    }
    static void Mark(const char* name) { gltest::Calls.emplace_back(name); }

    std::int32_t reference_ = 0;
    MSG message_ = {};
};

// What every whole frame does, whatever else it calls: clears the error flag once before drawing,
// draws once before ticking at least once, and has finished every drawing call when the finished
// hook sees the picture.
void ExpectWholeFrame(const std::vector<std::string>& names) {
    const auto count = [&names](const char* name) {
        return std::count(names.begin(), names.end(), name);
    };
    const auto at = [&names](const char* name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    EXPECT_EQ(count("glGetError"), 1);
    EXPECT_EQ(count("render"), 1);
    EXPECT_GE(count("update"), 1);
    EXPECT_EQ(count("finished"), 1);
    EXPECT_LT(at("glGetError"), at("render"));
    EXPECT_LT(at("render"), at("update"));
    // A glFinish after the last drawing call, before the hook.
    const auto drawing = [](const std::string& n) {
        return n.rfind("gl", 0) == 0 && n != "glGetError" && n != "glFlush" && n != "glFinish";
    };
    const auto lastDrawn = std::find_if(names.rbegin(), names.rend(), drawing).base();
    EXPECT_LT(std::find(lastDrawn, names.end(), "glFinish") - names.begin(), at("finished"));
}

TEST_F(Frame, ClearsTheErrorFlagDrawsTicksAndFinishesThePicture) {
    ExpectWholeFrame(Marked());
    ExpectWholeFrame(Marked());
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
}

TEST_F(Frame, TheQuitMessageEndsTheLoopAtOnce) {
    PostQuitMessage(0);
    EXPECT_EQ(Marked(), Texts{}) << "the rest of the frame is skipped";
    EXPECT_FALSE(Running);
}

TEST_F(Frame, EscapeEndsTheLoopAfterAWholeFrame) {
    userinput::Escape(WindowHandle);
    ExpectWholeFrame(Marked());
    EXPECT_FALSE(Running);
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
