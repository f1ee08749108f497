// Windows: class registration, the life cycle with the messages the window procedure receives
// inside the calls, sizes, device contexts and the cursor.
#include "PlatformTestSupport.h"

namespace {

using platformtest::Behaviour;
using platformtest::ClassName;
using platformtest::PlatformTest;
using platformtest::TakeReceived;
using Numbers = std::vector<UINT>;

using Classes = PlatformTest;

TEST_F(Classes, NamesAreRegisteredOnceAndUnregisteredWhenNoWindowIsLeft) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &platformtest::RecordingProc;
    wc.lpszClassName = "platformtest"; // names ignore case
    EXPECT_EQ(RegisterClassA(&wc), 0);

    EXPECT_FALSE(UnregisterClassA("NoSuchClass", GetModuleHandleA(nullptr)));
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
    EXPECT_FALSE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
    EXPECT_EQ(Create(), nullptr); // no window of an unknown class
}

using Lifecycle = PlatformTest;

TEST_F(Lifecycle, ProcedureRunsInsideCreateShowAndDestroy) {
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TakeReceived(), (Numbers{WM_NCCREATE, WM_CREATE}));
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_HIDDEN) << "hidden until shown";

    EXPECT_FALSE(ShowWindow(window, SW_SHOW)); // it was hidden
    EXPECT_EQ(TakeReceived(), Numbers{WM_SHOWWINDOW});
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_SHOWN);
    EXPECT_TRUE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(SetForegroundWindow(window));
    EXPECT_EQ(SetFocus(window), nullptr);
    EXPECT_EQ(SetFocus(window), window);
    EXPECT_EQ(TakeReceived(), Numbers{});

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(TakeReceived(), (Numbers{WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(window));
    // A window that is gone stays gone: its handle is never reused.
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_EQ(GetDC(window), nullptr);
    HWND next = Create();
    EXPECT_NE(next, window);
}

TEST_F(Lifecycle, OuterSizeIncludesTheFrameOfACaptionedWindowOnly) {
    int width = 0, height = 0;
    SDL_GetWindowSize(Sdl(Create(platformtest::WindowedStyle, 1024, 768)), &width, &height);
    EXPECT_EQ(width, 1024 - 2 * 8);
    EXPECT_EQ(height, 768 - 8 - 31);
    SDL_GetWindowSize(Sdl(Create(platformtest::PopupStyle, 1024, 768)), &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
}

TEST_F(Lifecycle, OneDeviceContextPerWindowGoneWithIt) {
    HWND first = Create();
    HWND second = Create();
    HDC dc = GetDC(first);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDC(first), dc);
    EXPECT_NE(GetDC(second), dc);
    EXPECT_EQ(ReleaseDC(second, dc), 0);
    EXPECT_EQ(ReleaseDC(first, dc), 1);
    EXPECT_EQ(GetDC(first), dc) << "a window's own DC stays with it";
    ASSERT_TRUE(DestroyWindow(first));
    EXPECT_EQ(ReleaseDC(first, dc), 0);
    EXPECT_EQ(ReleaseDC(nullptr, nullptr), 0);
}

TEST(Cursor, DisplayCounterShowsAtZeroAndAbove) {
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadCursorA(nullptr, MAKEINTRESOURCEA(1)), nullptr);
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

} // namespace
