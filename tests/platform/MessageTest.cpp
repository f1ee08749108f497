// user32 messages: the queue's order, filters and the quit message; SDL keyboard events turned
// into key messages with virtual-key codes; character translation.
#include "PlatformTestSupport.h"

namespace {

using platformtest::PlatformTest;
using platformtest::TakeReceived;

using Queue = PlatformTest;

TEST_F(Queue, PostedMessagesComeInOrderAndQuitComesLast) {
    HWND window = Create();
    ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 11, 0));
    PostQuitMessage(7);
    ASSERT_TRUE(PostMessageA(nullptr, WM_USER + 2, 22, 0)); // a thread message
    ASSERT_TRUE(PostMessageA(window, WM_USER + 3, 33, 0));

    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)); // looking takes nothing
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
    const UINT expected[] = {WM_USER + 1, WM_USER + 2, WM_USER + 3, WM_QUIT};
    const HWND windows[] = {window, nullptr, window, nullptr};
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << i;
        EXPECT_EQ(m.message, expected[i]);
        EXPECT_EQ(m.hwnd, windows[i]);
    }
    EXPECT_EQ(m.wParam, 7u); // the exit code
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queue, QuitMessageIsOneFlagNotAQueueEntry) {
    PostQuitMessage(1);
    PostQuitMessage(2);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(m.wParam, 2u);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Queue, FiltersSelectByWindowAndRange) {
    HWND first = Create();
    HWND second = Create();
    PostMessageA(first, WM_USER + 1, 0, 0);
    PostMessageA(second, WM_USER + 2, 0, 0);
    PostMessageA(nullptr, WM_USER + 3, 0, 0);
    PostQuitMessage(0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, second, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 2));
    // A window filter never yields the thread's messages, quit included.
    EXPECT_FALSE(PeekMessageA(&m, second, 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&m, reinterpret_cast<HWND>(-1), 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 3));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_USER + 1));
}

TEST_F(Queue, DispatchCallsTheProcedureAndDestroyedWindowsLoseTheirMessages) {
    HWND window = Create();
    PostMessageA(window, WM_USER, 5, 6);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    TakeReceived();
    DispatchMessageA(&m);
    ASSERT_EQ(platformtest::Received().size(), 1u);
    EXPECT_EQ(platformtest::Received()[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(platformtest::Received()[0].wParam, 5u);
    EXPECT_EQ(platformtest::Received()[0].lParam, 6);
    PostMessageA(window, WM_USER, 5, 6);
    DestroyWindow(window);
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_FALSE(PostMessageA(window, WM_USER, 0, 0));
}

TEST_F(Queue, DestroyingTheWindowPostsExactlyOneQuit) {
    platformtest::Behaviour().quitOnDestroy = true;
    HWND window = Create();
    PostMessageA(window, WM_USER, 0, 0);
    DestroyWindow(window);
    const std::vector<MSG> left = platformtest::DrainQueue();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(left[0].message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(left[0].wParam, 0u);
}

// Keyboard events as SDL delivers them, for a window.
class Keyboard : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        window_ = Create();
        ShowWindow(window_, SW_SHOW);
        platformtest::DrainQueue();
        TakeReceived();
    }

    void Push(Uint32 type, SDL_Scancode scancode, SDL_Keycode sym, Uint16 mod = KMOD_NONE,
              bool repeat = false) {
        SDL_Event e{};
        e.type = type;
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.windowID = SDL_GetWindowID(Sdl(window_));
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym;
        e.key.keysym.mod = mod;
        ASSERT_EQ(SDL_PushEvent(&e), 1);
    }

    MSG Next() {
        MSG m{};
        EXPECT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
        EXPECT_EQ(m.hwnd, window_);
        return m;
    }

    HWND window_ = nullptr;
};

constexpr LPARAM Bit(int n) {
    return LPARAM(1) << n;
}

TEST_F(Keyboard, EscapeDownRepeatAndUp) {
    Push(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    Push(SDL_KEYDOWN, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, KMOD_NONE, true);
    Push(SDL_KEYUP, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE);
    MSG down = Next(), repeat = Next(), up = Next();
    EXPECT_EQ(down.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(down.wParam, 27u);
    EXPECT_EQ(down.lParam, 1 | (0x01 << 16)); // one press, scan code 1, not down before
    EXPECT_EQ(repeat.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(repeat.wParam, 27u);
    EXPECT_EQ(repeat.lParam & Bit(30), Bit(30)); // already down: auto-repeat
    EXPECT_EQ(up.message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ(up.wParam, 27u);
    EXPECT_EQ(up.lParam & (Bit(30) | Bit(31)), Bit(30) | Bit(31));
    MSG none;
    EXPECT_FALSE(PeekMessageA(&none, nullptr, 0, 0, PM_REMOVE));
}

TEST_F(Keyboard, VirtualKeyCodes) {
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode sym;
        WPARAM vk;
        bool extended;
    };
    const Case cases[] = {
        {SDL_SCANCODE_A, SDLK_a, 'A', false},
        {SDL_SCANCODE_Z, SDLK_z, 'Z', false},
        {SDL_SCANCODE_0, SDLK_0, '0', false},
        {SDL_SCANCODE_7, SDLK_7, '7', false},
        {SDL_SCANCODE_F1, SDLK_F1, VK_F1, false},
        {SDL_SCANCODE_F12, SDLK_F12, VK_F12, false},
        {SDL_SCANCODE_LEFT, SDLK_LEFT, VK_LEFT, true},
        {SDL_SCANCODE_UP, SDLK_UP, VK_UP, true},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, VK_RIGHT, true},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, VK_DOWN, true},
        {SDL_SCANCODE_SPACE, SDLK_SPACE, VK_SPACE, false},
        {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN, false},
        {SDL_SCANCODE_LSHIFT, SDLK_LSHIFT, VK_SHIFT, false},
        {SDL_SCANCODE_RCTRL, SDLK_RCTRL, VK_CONTROL, true},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN, true},
        // A layout that puts 'Q' where 'A' is: the code follows the symbol.
        {SDL_SCANCODE_A, SDLK_q, 'Q', false},
    };
    for (const Case& c : cases) {
        Push(SDL_KEYDOWN, c.scancode, c.sym);
        const MSG m = Next();
        EXPECT_EQ(m.message, static_cast<UINT>(WM_KEYDOWN)) << c.vk;
        EXPECT_EQ(m.wParam, c.vk);
        EXPECT_EQ((m.lParam & Bit(24)) != 0, c.extended) << c.vk;
    }
}

TEST_F(Keyboard, AltAndF10MakeSystemKeys) {
    Push(SDL_KEYDOWN, SDL_SCANCODE_LALT, SDLK_LALT, KMOD_LALT);
    Push(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x, KMOD_LALT);
    Push(SDL_KEYUP, SDL_SCANCODE_X, SDLK_x, KMOD_LALT);
    Push(SDL_KEYUP, SDL_SCANCODE_LALT, SDLK_LALT);
    Push(SDL_KEYDOWN, SDL_SCANCODE_F10, SDLK_F10);
    Push(SDL_KEYUP, SDL_SCANCODE_F10, SDLK_F10);
    // Ctrl with Alt is AltGr: ordinary keys.
    Push(SDL_KEYDOWN, SDL_SCANCODE_X, SDLK_x, KMOD_LALT | KMOD_LCTRL);

    MSG m = Next();
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(VK_MENU));
    m = Next();
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>('X'));
    EXPECT_EQ(m.lParam & Bit(29), Bit(29)); // Alt is down
    m = Next();
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>('X'));
    m = Next();
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(VK_MENU));
    m = Next();
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYDOWN));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(VK_F10));
    EXPECT_EQ(m.lParam & Bit(29), 0);
    m = Next();
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYUP));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(VK_F10));
    m = Next();
    EXPECT_EQ(m.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>('X'));
}

TEST_F(Keyboard, PostedMessagesComeBeforeKeys) {
    Push(SDL_KEYDOWN, SDL_SCANCODE_B, SDLK_b);
    PostMessageA(window_, WM_USER, 0, 0);
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(Next().message, static_cast<UINT>(WM_KEYDOWN));
}

TEST_F(Keyboard, TranslationPostsCharacters) {
    Push(SDL_KEYDOWN, SDL_SCANCODE_G, SDLK_g);
    MSG m = Next();
    EXPECT_TRUE(TranslateMessage(&m));
    DispatchMessageA(&m);
    const MSG c = Next();
    EXPECT_EQ(c.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(c.wParam, static_cast<WPARAM>('g'));
    EXPECT_EQ(c.lParam, m.lParam);
    // Keys without a character are translated to nothing; other messages are not key messages.
    Push(SDL_KEYDOWN, SDL_SCANCODE_F2, SDLK_F2);
    m = Next();
    EXPECT_TRUE(TranslateMessage(&m));
    MSG none;
    EXPECT_FALSE(PeekMessageA(&none, nullptr, 0, 0, PM_REMOVE));
    m.message = WM_USER;
    EXPECT_FALSE(TranslateMessage(&m));
}

} // namespace
