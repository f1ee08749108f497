// Window and rendering context: creation and its failures, the full-screen switch and its
// refusal, tear-down and its failures, closing the window, and the window procedure.
#include <ostream>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "real/FloatEnv.h"

using seam::Api;
using shelltest::CursorCount;
using shelltest::DrainQueue;
using shelltest::Messages;
using Texts = std::vector<std::string>;

namespace {

const char* const MakeCurrentFailed = "Ошибка: Не могу выбрать контекст рендиринга!";
const char* const DeleteContextFailed = "Ошибка: Не могу удалит контекст рендеринга!";
const char* const ReleaseDCFailed = "Ошибка: Не могу освободить контексты рендеринга!";
const char* const DestroyWindowFailed = "Ошибка: Не могу удалить окно";
const char* const UnregisterFailed = "Ошибка: Unable to unregister window class!";

// ---------------------------------------------------------------------------------------------
// Creation

class Creation : public shelltest::ShellTest {};

TEST_F(Creation, FullScreenByDefaultWithAContextCurrentAndNothingReported) {
    CreateWindowOk();
    EXPECT_TRUE(Fullscreen);
    EXPECT_TRUE(IsWindow(WindowHandle));
    EXPECT_NE(DeviceContext, nullptr);
    EXPECT_NE(RenderingContext, nullptr);
    EXPECT_LT(CursorCount(), 0) << "full-screen mode hides the cursor";
    // The context is current: OpenGL answers.
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    EXPECT_EQ(DrainQueue(), std::vector<WPARAM>{}) << "creation posts no quit message";
}

TEST_F(Creation, KeepsTheFloatingPointControlWord) {
    SetFloatEnvironment();
    const std::uint16_t before = FloatControlWord();
    CreateWindowOk();
    EXPECT_EQ(FloatControlWord(), before);
}

TEST_F(Creation, WindowedModeAsksForNoDisplaySwitch) {
    Fullscreen = false;
    // A switch would be refused and reported; in windowed mode none is attempted.
    seam::SetDisplayChangeResult(DISP_CHANGE_FAILED);
    CreateWindowOk();
    EXPECT_FALSE(Fullscreen);
    EXPECT_EQ(CursorCount(), 0);
    KillGLWindow();
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(CursorCount(), 0);
}

TEST_F(Creation, AWindowedRequestOverridesFullscreenAndAFramelessOneHidesNoCursor) {
    // As particles-capture asks: Fullscreen is set, yet no switch is tried (it would be refused
    // and reported), and the frameless window leaves the cursor alone.
    seam::SetDisplayChangeResult(DISP_CHANGE_FAILED);
    TWindowRequest request;
    request.Windowed = true;
    request.Frameless = true;
    ASSERT_TRUE(CreateGLWindow(request));
    EXPECT_FALSE(Fullscreen);
    EXPECT_EQ(CursorCount(), 0);
    EXPECT_NE(glGetString(GL_VERSION), nullptr);
    KillGLWindow();
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(CursorCount(), 0);
}

// Any answer but DISP_CHANGE_SUCCESSFUL is a refused switch: reported, then windowed.
class RefusedSwitch : public shelltest::ShellTest, public ::testing::WithParamInterface<LONG> {};

TEST_P(RefusedSwitch, FallsBackToAWindow) {
    seam::SetDisplayChangeResult(GetParam());
    ASSERT_TRUE(CreateGLWindow());
    EXPECT_EQ(Messages(), Texts{"Error: Unable to switch to fullscreen!"});
    EXPECT_FALSE(Fullscreen);
    EXPECT_TRUE(IsWindow(WindowHandle));
    EXPECT_NE(RenderingContext, nullptr);
    EXPECT_EQ(CursorCount(), 0) << "the cursor stays visible in a window";

    // Nothing to restore at the end: the cursor is not shown a second time.
    KillGLWindow();
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(CursorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(EveryFailureCode, RefusedSwitch,
                         ::testing::Values(DISP_CHANGE_FAILED, DISP_CHANGE_BADMODE,
                                           1 /* a restart is needed */, -3, -4, -5, -6));

struct CreationFailure {
    const char* step;
    Api api;
    const char* message;
    // What KillGLWindow reports before it when every tear-down step that runs fails.
    Texts tearDown;
};

const CreationFailure CreationFailures[] = {
    {"LoadLibraryA", Api::LoadLibraryA, "Unable to load OpenGL32.dll", {}},
    {"RegisterClassA", Api::RegisterClassA, "Failed to register the window class!", {}},
    {"CreateWindowExA",
     Api::CreateWindowExA,
     "Unable to create window!",
     {MakeCurrentFailed, UnregisterFailed}},
    {"GetDC", Api::GetDC, "Unable to get a device context!", {MakeCurrentFailed, UnregisterFailed}},
    {"ChoosePixelFormat",
     Api::ChoosePixelFormat,
     "Unable to find a suitable pixel format",
     {MakeCurrentFailed, ReleaseDCFailed, UnregisterFailed}},
    {"SetPixelFormat",
     Api::SetPixelFormat,
     "Unable to set the pixel format",
     {MakeCurrentFailed, ReleaseDCFailed, UnregisterFailed}},
    {"wglCreateContext",
     Api::wglCreateContext,
     "Unable to create an OpenGL rendering context",
     {MakeCurrentFailed, ReleaseDCFailed, UnregisterFailed}},
};

// The names of the rows in test listings.
void PrintTo(const CreationFailure& failure, std::ostream* out) {
    *out << failure.step;
}

class FailedCreation : public shelltest::ShellTest,
                       public ::testing::WithParamInterface<CreationFailure> {};

TEST_P(FailedCreation, ReportsTheFailureAloneAndLeavesNothingBehind) {
    seam::SetFailing(GetParam().api);
    EXPECT_FALSE(CreateGLWindow());
    // The tear-down of what was built succeeds and says nothing; in particular the context that
    // was never created is not reported as undeletable.
    EXPECT_EQ(Messages(), Texts{std::string("Error: ") + GetParam().message});
    EXPECT_TRUE(Fullscreen) << "the switch itself worked";
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(DeviceContext, nullptr);
    EXPECT_EQ(RenderingContext, nullptr);
    EXPECT_EQ(CursorCount(), 0) << "display restored and cursor shown again";
    // Our own tear-down posts no quit message: one would close the message box unread.
    EXPECT_EQ(DrainQueue(), std::vector<WPARAM>{});
    // The class is gone: it can be registered again.
    seam::SetFailing(GetParam().api, false);
    EXPECT_TRUE(CreateGLWindow());
}

TEST_P(FailedCreation, TearsDownFirstThenReports) {
    // Every tear-down step that runs fails (except the window's destruction, which the test
    // cannot undo afterwards), so the reports show which steps ran and in which order.
    seam::SetFailing(GetParam().api);
    seam::SetFailing(Api::wglMakeCurrent);
    seam::SetFailing(Api::wglDeleteContext);
    seam::SetFailing(Api::ReleaseDC);
    seam::SetFailing(Api::UnregisterClassA);
    EXPECT_FALSE(CreateGLWindow());
    Texts expected = GetParam().tearDown;
    expected.push_back(std::string("Error: ") + GetParam().message);
    EXPECT_EQ(Messages(), expected);
    EXPECT_TRUE(Fullscreen);
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(DeviceContext, nullptr);
    EXPECT_EQ(RenderingContext, nullptr);
}

TEST_P(FailedCreation, InWindowedModeLeavesTheDisplayAlone) {
    Fullscreen = false;
    seam::SetFailing(GetParam().api);
    EXPECT_FALSE(CreateGLWindow());
    EXPECT_EQ(Messages(), Texts{std::string("Error: ") + GetParam().message});
    EXPECT_FALSE(Fullscreen);
    EXPECT_EQ(CursorCount(), 0) << "the cursor was neither hidden nor shown";
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedCreation, ::testing::ValuesIn(CreationFailures),
                         [](const ::testing::TestParamInfo<CreationFailure>& info) {
                             return std::string(info.param.step);
                         });

// ---------------------------------------------------------------------------------------------
// Tear-down

class Shutdown : public shelltest::ShellTest {};

TEST_F(Shutdown, RestoresTheDisplayAndClearsEveryHandleSilently) {
    CreateWindowOk();
    const HWND window = WindowHandle;
    KillGLWindow();
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(DeviceContext, nullptr);
    EXPECT_EQ(RenderingContext, nullptr);
    EXPECT_EQ(CursorCount(), 0);
    EXPECT_TRUE(Fullscreen);
    EXPECT_EQ(DrainQueue(), std::vector<WPARAM>{});
    // A second tear-down finds nothing to undo but the class, which is gone already.
    KillGLWindow();
    EXPECT_EQ(Messages(), Texts{UnregisterFailed});
}

struct TearDownFailure {
    const char* step;
    Api api;
    Texts messages;
};

const TearDownFailure TearDownFailures[] = {
    {"wglMakeCurrent", Api::wglMakeCurrent, {MakeCurrentFailed}},
    {"wglDeleteContext", Api::wglDeleteContext, {DeleteContextFailed}},
    {"ReleaseDC", Api::ReleaseDC, {ReleaseDCFailed}},
    // A class with a window left cannot be unregistered either.
    {"DestroyWindow", Api::DestroyWindow, {DestroyWindowFailed, UnregisterFailed}},
    {"UnregisterClassA", Api::UnregisterClassA, {UnregisterFailed}},
};

void PrintTo(const TearDownFailure& failure, std::ostream* out) {
    *out << failure.step;
}

class FailedTearDown : public shelltest::ShellTest,
                       public ::testing::WithParamInterface<TearDownFailure> {};

TEST_P(FailedTearDown, ReportsTheStepAndGoesOn) {
    CreateWindowOk();
    const HWND window = WindowHandle;
    Leak(window);
    seam::SetFailing(GetParam().api);
    KillGLWindow();
    EXPECT_EQ(Messages(), GetParam().messages);
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(DeviceContext, nullptr);
    EXPECT_EQ(RenderingContext, nullptr);
    EXPECT_EQ(CursorCount(), 0) << "the display is restored whatever fails later";
    EXPECT_EQ(IsWindow(window) != FALSE, GetParam().api == Api::DestroyWindow);
}

INSTANTIATE_TEST_SUITE_P(EveryStep, FailedTearDown, ::testing::ValuesIn(TearDownFailures),
                         [](const ::testing::TestParamInfo<TearDownFailure>& info) {
                             return std::string(info.param.step);
                         });

TEST_F(Shutdown, ReportsEveryFailureInOrder) {
    CreateWindowOk();
    Leak(WindowHandle);
    for (Api api : {Api::wglMakeCurrent, Api::wglDeleteContext, Api::ReleaseDC, Api::DestroyWindow,
                    Api::UnregisterClassA}) {
        seam::SetFailing(api);
    }
    KillGLWindow();
    EXPECT_EQ(Messages(), (Texts{MakeCurrentFailed, DeleteContextFailed, ReleaseDCFailed,
                                 DestroyWindowFailed, UnregisterFailed}));
}

// ---------------------------------------------------------------------------------------------
// Closing the window

class Closing : public shelltest::ShellTest {};

TEST_F(Closing, TheCloseBoxPostsOneQuitAndTheTearDownStaysSilent) {
    CreateWindowOk();
    const HWND window = WindowHandle;
    // What the close box sends; the default procedure destroys the window.
    WndProc(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(DrainQueue(), std::vector<WPARAM>{0});

    KillGLWindow();
    EXPECT_EQ(Messages(), Texts{});
    EXPECT_EQ(WindowHandle, nullptr);
    EXPECT_EQ(DeviceContext, nullptr);
    EXPECT_EQ(RenderingContext, nullptr);
    EXPECT_EQ(CursorCount(), 0) << "full-screen mode is still undone";
}

TEST_F(Closing, AWindowDestroyedElsewhereIsNoTearDownFailure) {
    Fullscreen = false;
    CreateWindowOk();
    DestroyWindow(WindowHandle);
    EXPECT_EQ(DrainQueue(), std::vector<WPARAM>{0});
    KillGLWindow();
    EXPECT_EQ(Messages(), Texts{});
}

// ---------------------------------------------------------------------------------------------
// The window procedure

class WindowProcedure : public shelltest::ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        Fullscreen = false;
        CreateWindowOk();
        DrainQueue();
    }

    static bool NoKeyDown() {
        for (std::uint8_t key : Keys) {
            if (key != 0) {
                return false;
            }
        }
        return true;
    }
};

TEST_F(WindowProcedure, KeyDownAndUpSetAndClearTheEntry) {
    EXPECT_EQ(WndProc(WindowHandle, WM_KEYDOWN, 'A', 0x001E0001), 0);
    EXPECT_EQ(Keys[shelltest::KeyA], 1);
    // Auto-repeat: bit 30 says the key was down already.
    EXPECT_EQ(WndProc(WindowHandle, WM_KEYDOWN, 'A', 0x401E0001), 0);
    EXPECT_EQ(Keys[shelltest::KeyA], 1);
    EXPECT_EQ(WndProc(WindowHandle, WM_KEYDOWN, VK_ESCAPE, 0x00010001), 0);
    EXPECT_EQ(Keys[VK_ESCAPE], 1);
    EXPECT_EQ(WndProc(WindowHandle, WM_KEYUP, 'A', static_cast<LPARAM>(0xC01E0001)), 0);
    EXPECT_EQ(Keys[shelltest::KeyA], 0);
    EXPECT_EQ(Keys[VK_ESCAPE], 1);
    EXPECT_EQ(WndProc(WindowHandle, WM_KEYDOWN, 255, 0), 0);
    EXPECT_EQ(Keys[255], 1);
}

TEST_F(WindowProcedure, CodesBeyondTheTableAreIgnored) {
    for (WPARAM code : {WPARAM{256}, WPARAM{0x1FF}, WPARAM{0xFFFF}, ~WPARAM{0}}) {
        EXPECT_EQ(WndProc(WindowHandle, WM_KEYDOWN, code, 0), 0);
        EXPECT_EQ(WndProc(WindowHandle, WM_KEYUP, code, 0), 0);
    }
    EXPECT_TRUE(NoKeyDown());
}

TEST_F(WindowProcedure, SystemKeysAndOtherMessagesTakeTheDefaultPath) {
    struct Message {
        UINT message;
        WPARAM wParam;
    };
    const UINT WmChar = 0x0102, WmSize = 0x0005;
    for (Message m : {Message{WM_SYSKEYDOWN, VK_MENU}, Message{WM_SYSKEYDOWN, VK_F10},
                      Message{WM_SYSKEYDOWN, 'X'}, Message{WM_SYSKEYUP, 'X'},
                      Message{WM_SYSKEYUP, VK_F10}, Message{WmChar, 'a'}, Message{WmSize, 0}}) {
        EXPECT_EQ(WndProc(WindowHandle, m.message, m.wParam, 0),
                  DefWindowProcA(WindowHandle, m.message, m.wParam, 0));
    }
    EXPECT_TRUE(NoKeyDown());
    EXPECT_TRUE(IsWindow(WindowHandle));
}

TEST_F(WindowProcedure, DestroyPostsExactlyOneQuitWithExitCodeZero) {
    EXPECT_EQ(WndProc(WindowHandle, WM_DESTROY, 0, 0), 0);
    EXPECT_EQ(DrainQueue(), std::vector<WPARAM>{0});
}

TEST_F(WindowProcedure, KeyMessagesArriveThroughTheQueue) {
    userinput::Escape(WindowHandle);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    EXPECT_EQ(Keys[VK_ESCAPE], 1);
}

} // namespace
