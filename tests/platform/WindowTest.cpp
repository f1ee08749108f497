// user32 windows: class registration, the life cycle with the messages the window procedure
// receives, sizes and styles, device contexts, closing and the cursor.
#include "PlatformTestSupport.h"

namespace {

using platformtest::Behaviour;
using platformtest::ClassName;
using platformtest::PlatformTest;
using platformtest::Received;
using platformtest::TakeReceived;
using Numbers = std::vector<UINT>;

using Classes = PlatformTest;

TEST_F(Classes, SecondRegistrationOfTheSameNameFails) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &platformtest::RecordingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "platformtest"; // names ignore case
    EXPECT_EQ(RegisterClassA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
}

TEST_F(Classes, UnregisteringUnknownOrBusyClassesFails) {
    EXPECT_FALSE(UnregisterClassA("NoSuchClass", GetModuleHandleA(nullptr)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
    EXPECT_FALSE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
    // Gone for good: no window of it can be made.
    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
}

using Lifecycle = PlatformTest;

TEST_F(Lifecycle, ProcedureSeesCreationShowingAndDestructionInOrder) {
    HWND window = Create();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TakeReceived(), (Numbers{WM_NCCREATE, WM_CREATE}));
    // Hidden until shown.
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_HIDDEN);

    EXPECT_FALSE(ShowWindow(window, SW_SHOW)); // was hidden
    EXPECT_EQ(TakeReceived(), (Numbers{WM_SHOWWINDOW, WM_ACTIVATE, WM_SETFOCUS, WM_SIZE, WM_MOVE}));
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_SHOWN);
    EXPECT_EQ(GetActiveWindow(), window);
    EXPECT_EQ(GetFocus(), window);

    // Already in front and focused: nothing more happens.
    EXPECT_TRUE(SetForegroundWindow(window));
    EXPECT_EQ(SetFocus(window), window);
    EXPECT_EQ(TakeReceived(), Numbers{});

    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(Received().size(), 4u);
    EXPECT_EQ(TakeReceived(), (Numbers{WM_ACTIVATE, WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}));
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(Lifecycle, CreationMessagesCarryTheCreationRecordAndWindowExistsThroughout) {
    HWND window = Create(platformtest::WindowedStyle, 400, 300);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(Received().size(), 2u);
    for (const platformtest::Message& m : Received()) {
        EXPECT_EQ(m.hwnd, window);
        EXPECT_TRUE(m.isWindow);
    }
    Received().clear();
    ShowWindow(window, SW_SHOW);
    const platformtest::Message size = Received()[3];
    ASSERT_EQ(size.message, static_cast<UINT>(WM_SIZE));
    EXPECT_EQ(LOWORD(size.lParam), 400 - 16);
    EXPECT_EQ(HIWORD(size.lParam), 300 - 39);
    Received().clear();
    DestroyWindow(window);
    for (const platformtest::Message& m : Received()) {
        EXPECT_TRUE(m.isWindow) << m.message; // until WM_NCDESTROY has returned
    }
}

TEST_F(Lifecycle, DestroyingTwiceFails) {
    HWND window = Create();
    ASSERT_TRUE(DestroyWindow(window));
    TakeReceived();
    EXPECT_FALSE(DestroyWindow(window));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(TakeReceived(), Numbers{});
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_EQ(SendMessageA(window, WM_USER, 0, 0), 0);
    EXPECT_EQ(TakeReceived(), Numbers{});
}

TEST_F(Lifecycle, RefusedCreationReturnsNullAndEndsTheWindow) {
    Behaviour().ncCreateResult = FALSE;
    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(TakeReceived(), (Numbers{WM_NCCREATE, WM_NCDESTROY}));
    Behaviour().ncCreateResult = TRUE;
    Behaviour().createResult = -1;
    EXPECT_EQ(Create(), nullptr);
    EXPECT_EQ(TakeReceived(), (Numbers{WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}));
    // No window of the class is left.
    EXPECT_TRUE(UnregisterClassA(ClassName, GetModuleHandleA(nullptr)));
}

TEST_F(Lifecycle, VisibleStyleShowsInsideCreation) {
    HWND window = Create(platformtest::WindowedStyle | WS_VISIBLE);
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(TakeReceived(), (Numbers{WM_NCCREATE, WM_CREATE, WM_SHOWWINDOW, WM_ACTIVATE,
                                       WM_SETFOCUS, WM_SIZE, WM_MOVE}));
    EXPECT_TRUE(ShowWindow(window, SW_HIDE));
    EXPECT_EQ(TakeReceived(), (Numbers{WM_SHOWWINDOW, WM_ACTIVATE, WM_KILLFOCUS}));
}

TEST_F(Lifecycle, FocusMovesBetweenWindows) {
    HWND first = Create();
    HWND second = Create();
    ShowWindow(first, SW_SHOW);
    ShowWindow(second, SW_SHOWNA); // shown without activation
    EXPECT_EQ(GetActiveWindow(), first);
    Received().clear();
    EXPECT_EQ(SetFocus(second), first);
    EXPECT_EQ(GetActiveWindow(), second);
    EXPECT_EQ(GetFocus(), second);
    ASSERT_EQ(Received().size(), 4u);
    EXPECT_EQ(Received()[0].hwnd, first);
    EXPECT_EQ(Received()[0].message, static_cast<UINT>(WM_ACTIVATE));
    EXPECT_EQ(Received()[1].message, static_cast<UINT>(WM_KILLFOCUS));
    EXPECT_EQ(Received()[2].hwnd, second);
    EXPECT_EQ(Received()[2].message, static_cast<UINT>(WM_ACTIVATE));
    EXPECT_EQ(Received()[3].message, static_cast<UINT>(WM_SETFOCUS));
}

using Geometry = PlatformTest;

TEST_F(Geometry, WindowedOuterSizeIsAsGivenAndClientIsInsideTheFrame) {
    HWND window = CreateWindowExA(WS_EX_APPWINDOW | WS_EX_WINDOWEDGE, ClassName, "OpenGL",
                                  platformtest::WindowedStyle, 0, 0, 1024, 768, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    RECT outer, client;
    ASSERT_TRUE(GetWindowRect(window, &outer));
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(outer.left, 0);
    EXPECT_EQ(outer.top, 0);
    EXPECT_EQ(outer.right, 1024);
    EXPECT_EQ(outer.bottom, 768);
    EXPECT_EQ(client.right, 1008);
    EXPECT_EQ(client.bottom, 729);
    // The SDL window is the client area, placed inside the frame.
    int w = 0, h = 0, x = -1, y = -1;
    SDL_GetWindowSize(Sdl(window), &w, &h);
    EXPECT_EQ(w, 1008);
    EXPECT_EQ(h, 729);
    SDL_GetWindowPosition(Sdl(window), &x, &y);
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 31);
    // The same frame AdjustWindowRectEx reports.
    RECT adjusted{0, 0, 1008, 729};
    ASSERT_TRUE(AdjustWindowRectEx(&adjusted, platformtest::WindowedStyle, FALSE, 0));
    EXPECT_EQ(adjusted.right - adjusted.left, 1024);
    EXPECT_EQ(adjusted.bottom - adjusted.top, 768);
    DestroyWindow(window);
}

TEST_F(Geometry, PopupHasNoFrame) {
    HWND window = Create(platformtest::PopupStyle, 640, 480);
    RECT client;
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right, 640);
    EXPECT_EQ(client.bottom, 480);
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_BORDERLESS);
}

using DeviceContexts = PlatformTest;

TEST_F(DeviceContexts, OneDeviceContextPerWindowGoneWithIt) {
    HWND window = Create();
    HDC dc = GetDC(window);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(GetDC(window), dc);
    EXPECT_EQ(WindowFromDC(dc), window);
    EXPECT_EQ(ReleaseDC(window, dc), 1);
    EXPECT_EQ(GetDC(window), dc);
    HWND other = Create();
    EXPECT_NE(GetDC(other), dc);
    EXPECT_EQ(ReleaseDC(other, dc), 0); // not that window's
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(ReleaseDC(window, dc), 0);
    EXPECT_EQ(WindowFromDC(dc), nullptr);
    EXPECT_EQ(GetDC(window), nullptr);
    EXPECT_FALSE(SwapBuffers(dc));
}

using Closing = PlatformTest;

TEST_F(Closing, CloseButtonPostsCloseAndDefaultHandlingDestroys) {
    Behaviour().quitOnDestroy = true;
    HWND window = Create();
    ShowWindow(window, SW_SHOW);
    TakeReceived();
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(Sdl(window));
    ASSERT_EQ(SDL_PushEvent(&e), 1);

    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, window);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_TRUE(IsWindow(window)); // closing is the procedure's decision
    DispatchMessageA(&m);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(TakeReceived(),
              (Numbers{WM_CLOSE, WM_ACTIVATE, WM_KILLFOCUS, WM_DESTROY, WM_NCDESTROY}));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Closing, AltF4ClosesThroughTheSystemCommand) {
    HWND window = Create();
    ShowWindow(window, SW_SHOW);
    TakeReceived();
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.state = SDL_PRESSED;
    e.key.windowID = SDL_GetWindowID(Sdl(window));
    e.key.keysym.scancode = SDL_SCANCODE_F4;
    e.key.keysym.sym = SDLK_F4;
    e.key.keysym.mod = KMOD_LALT;
    ASSERT_EQ(SDL_PushEvent(&e), 1);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYDOWN));
    TranslateMessage(&m);
    DispatchMessageA(&m);
    EXPECT_FALSE(IsWindow(window));
    const Numbers received = TakeReceived();
    ASSERT_GE(received.size(), 3u);
    EXPECT_EQ(received[0], static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(received[1], static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(received[2], static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(received.back(), static_cast<UINT>(WM_NCDESTROY));
}

TEST(Cursor, DisplayCounterShowsAtZeroAndAbove) {
    EXPECT_EQ(ShowCursor(FALSE), -1);
    EXPECT_EQ(ShowCursor(FALSE), -2);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), -1);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(ShowCursor(TRUE), 0);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(ShowCursor(TRUE), 1);
    EXPECT_EQ(ShowCursor(FALSE), 0);
    EXPECT_NE(LoadCursorA(nullptr, IDC_ARROW), nullptr);
    EXPECT_EQ(LoadCursorA(GetModuleHandleA(nullptr), "NoSuchCursor"), nullptr);
}

} // namespace
