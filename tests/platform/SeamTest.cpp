// The failure seam: each call a test can make fail fails alone and works again afterwards; message
// boxes are logged in order and written to stderr, or shown as dialogs.
#include <cstdlib>
#include <cstring>

#include "PlatformTestSupport.h"
#include "Win32Seam.h"

namespace {

using platformtest::ClassName;
using platformtest::PlatformTest;
using platformtest::ProgramRequest;
using seam::Api;

using Seam = PlatformTest;

TEST_F(Seam, CreationStepsFailOneByOne) {
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = &platformtest::RecordingProc;
    wc.hInstance = instance;
    wc.lpszClassName = "SeamClass";
    seam::SetFailing(Api::RegisterClassA);
    EXPECT_EQ(RegisterClassA(&wc), 0);
    seam::SetFailing(Api::RegisterClassA, false);
    ASSERT_NE(RegisterClassA(&wc), 0);
    EXPECT_TRUE(UnregisterClassA("SeamClass", instance));

    seam::SetFailing(Api::CreateWindowExA);
    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(platformtest::TakeReceived(), std::vector<UINT>{}); // nothing was sent
    seam::ResetSeam();
    HWND window = Create();
    ASSERT_NE(window, nullptr);

    seam::SetFailing(Api::GetDC);
    EXPECT_EQ(GetDC(window), nullptr);
    seam::ResetSeam();
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);

    const PIXELFORMATDESCRIPTOR request = ProgramRequest();
    seam::SetFailing(Api::ChoosePixelFormat);
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    seam::ResetSeam();
    const int format = ChoosePixelFormat(dc, &request);
    ASSERT_GT(format, 0);

    seam::SetFailing(Api::SetPixelFormat);
    EXPECT_FALSE(SetPixelFormat(dc, format, &request));
    seam::ResetSeam();
    ASSERT_TRUE(SetPixelFormat(dc, format, &request)); // the failed call did not count

    seam::SetFailing(Api::wglCreateContext);
    EXPECT_EQ(wgl.createContext(dc), nullptr);
    seam::ResetSeam();
    HGLRC context = wgl.createContext(dc);
    ASSERT_NE(context, nullptr);
    EXPECT_TRUE(wgl.deleteContext(context));
}

TEST_F(Seam, TearDownStepsFailAndChangeNothing) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);

    seam::SetFailing(Api::wglMakeCurrent);
    EXPECT_FALSE(wgl.makeCurrent(dc, nullptr));
    EXPECT_TRUE(SwapBuffers(dc)) << "still current";
    seam::SetFailing(Api::wglDeleteContext);
    EXPECT_FALSE(wgl.deleteContext(context));
    seam::SetFailing(Api::ReleaseDC);
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    seam::SetFailing(Api::DestroyWindow);
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_TRUE(IsWindow(window));
    seam::SetFailing(Api::UnregisterClassA);
    EXPECT_FALSE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));

    seam::ResetSeam();
    EXPECT_TRUE(wgl.makeCurrent(dc, nullptr));
    EXPECT_TRUE(wgl.deleteContext(context));
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
}

TEST_F(Seam, OtherCallsFailToo) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    seam::SetFailing(Api::ShowWindow);
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_HIDDEN);
    seam::SetFailing(Api::SwapBuffers);
    EXPECT_FALSE(SwapBuffers(dc));
    seam::SetFailing(Api::QueryPerformanceCounter);
    seam::SetFailing(Api::QueryPerformanceFrequency);
    LARGE_INTEGER value;
    EXPECT_FALSE(QueryPerformanceCounter(&value));
    EXPECT_FALSE(QueryPerformanceFrequency(&value));
    seam::SetFailing(Api::CreateFileA);
    EXPECT_EQ(CreateFileA("/proc/self/status", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    seam::SetFailing(Api::LoadLibraryA);
    EXPECT_EQ(LoadLibraryA("OpenGL32.dll"), nullptr);
    seam::ResetSeam();
    EXPECT_TRUE(SwapBuffers(dc));
    EXPECT_TRUE(QueryPerformanceCounter(&value));
    EXPECT_NE(LoadLibraryA("OpenGL32.dll"), nullptr);
}

TEST(MessageBoxes, LoggedInOrderAndWrittenToStderr) {
    seam::ResetSeam();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Не могу удалить окно", "Ошибка", MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Unable to create window!", "Error", MB_OK | MB_ICONERROR),
              IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Continue?", nullptr, MB_OK), IDOK);
    const std::string written = testing::internal::GetCapturedStderr();
    EXPECT_EQ(written, "Ошибка: Не могу удалить окно\n"
                       "Error: Unable to create window!\n"
                       "Error: Continue?\n");
    const std::vector<seam::MessageBoxRecord> boxes = seam::TakeMessageBoxes();
    ASSERT_EQ(boxes.size(), 3u);
    EXPECT_EQ(boxes[0].caption, "Ошибка");
    EXPECT_EQ(boxes[0].text, "Не могу удалить окно");
    EXPECT_EQ(boxes[0].type, static_cast<UINT>(MB_ICONERROR));
    EXPECT_EQ(boxes[1].caption, "Error");
    EXPECT_EQ(boxes[1].text, "Unable to create window!");
    EXPECT_EQ(boxes[2].type, static_cast<UINT>(MB_OK));
    // Taking empties the log; resetting does too.
    EXPECT_TRUE(seam::TakeMessageBoxes().empty());
    MessageBoxA(nullptr, "x", "y", MB_OK);
    seam::ResetSeam();
    EXPECT_TRUE(seam::TakeMessageBoxes().empty());
}

} // namespace

// Without the stderr setting the box is a real dialog. Where none can be shown (no display
// server), it answers at once; on an X server it waits for the user, here xdotool pressing
// Escape.
class RealDialogs : public ::testing::Test {
  protected:
    void SetUp() override { unsetenv("PARTICLES_DIALOGS"); }
    void TearDown() override { setenv("PARTICLES_DIALOGS", "stderr", 1); }
};

TEST_F(RealDialogs, AnswerAtOnceWhereNoDialogCanBeShown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            std::exit(MessageBoxA(nullptr, "Nowhere to show", "Headless", MB_OK) == IDOK ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "Headless: Nowhere to show");
}

TEST_F(RealDialogs, WaitForTheUserOnAnXServer) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!driver || std::strcmp(driver, "x11") != 0 || !std::getenv("DISPLAY") ||
        std::system("command -v xdotool xwininfo >/dev/null") != 0) {
        GTEST_SKIP() << "needs the x11 driver, xdotool and xwininfo";
    }
    // Finds the dialog by its caption (xwininfo: SDL names it in a type xdotool does not
    // read), gives it the focus and presses Escape; gives up after 10 s.
    ASSERT_EQ(std::system("(for i in $(seq 100); do"
                          " w=$(xwininfo -root -tree | grep '\"PlatformDialog\"' |"
                          " awk '{print $1}' | head -n1);"
                          " if [ -n \"$w\" ]; then xdotool windowfocus --sync $w key Escape;"
                          " break; fi; sleep 0.1; done) >/dev/null 2>&1 &"),
              0);
    EXPECT_EQ(MessageBoxA(nullptr, "Press Escape", "PlatformDialog", MB_ICONERROR), IDOK);
}
