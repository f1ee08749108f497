// The message queue: keys and the close box arrive as the program's window messages, one at a
// time, with the quit message after them.
#include <csignal>

#include "PlatformTestSupport.h"

namespace {

using platformtest::Behaviour;
using platformtest::DrainQueue;
using platformtest::PlatformTest;
using platformtest::TakeReceived;

struct Taken {
    UINT message;
    WPARAM wParam;
    bool operator==(const Taken& o) const { return message == o.message && wParam == o.wParam; }
};

std::ostream& operator<<(std::ostream& out, const Taken& t) {
    return out << "{0x" << std::hex << t.message << ", " << std::dec << t.wParam << "}";
}

std::vector<Taken> TakeAll() {
    std::vector<Taken> taken;
    for (const MSG& m : DrainQueue()) {
        taken.push_back(Taken{m.message, m.wParam});
    }
    return taken;
}

class Queue : public PlatformTest {
  protected:
    void SetUp() override {
        PlatformTest::SetUp();
        window_ = Create();
        ShowWindow(window_, SW_SHOW);
        TakeReceived();
    }
    HWND window_ = nullptr;
};

TEST_F(Queue, EscapeDownRepeatAndUpOneMessageAtATime) {
    userinput::Escape(window_);
    userinput::Key(window_, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, true, KMOD_NONE, true);
    userinput::Escape(window_, false);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, window_);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(m.wParam, static_cast<WPARAM>(VK_ESCAPE));
    EXPECT_TRUE(TranslateMessage(&m));
    EXPECT_EQ(DispatchMessageA(&m), 0);
    EXPECT_EQ(TakeReceived(), std::vector<UINT>{WM_KEYDOWN});
    EXPECT_EQ(TakeAll(), (std::vector<Taken>{{WM_KEYDOWN, VK_ESCAPE}, {WM_KEYUP, VK_ESCAPE}}));
    EXPECT_FALSE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) << "an empty queue does not block";
}

TEST_F(Queue, KeysBeforeSdlSeesTheFocusGoToTheFocusWindow) {
    EXPECT_EQ(TakeAll(), std::vector<Taken>{});
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.windowID = 0; // SDL knows of no focus yet
    e.key.keysym.scancode = SDL_SCANCODE_ESCAPE;
    e.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&e);
    SetFocus(window_);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.hwnd, window_);
    EXPECT_EQ(m.message, static_cast<UINT>(WM_KEYDOWN));
}

TEST_F(Queue, VirtualKeyCodesOfLettersDigitsAndFunctionKeys) {
    userinput::Letter(window_, 'Q');
    userinput::Key(window_, SDL_SCANCODE_7, SDLK_7, true);
    userinput::Key(window_, SDL_SCANCODE_F5, SDLK_F5, true);
    userinput::Key(window_, SDL_SCANCODE_LEFT, SDLK_LEFT, true);
    userinput::Key(window_, SDL_SCANCODE_KP_5, SDLK_KP_5, true); // no code here: dropped
    EXPECT_EQ(
        TakeAll(),
        (std::vector<Taken>{
            {WM_KEYDOWN, 'Q'}, {WM_KEYDOWN, '7'}, {WM_KEYDOWN, VK_F1 + 4}, {WM_KEYDOWN, VK_LEFT}}));
}

TEST_F(Queue, AltAndF10MakeSystemKeysButAltGrDoesNot) {
    userinput::Key(window_, SDL_SCANCODE_LALT, SDLK_LALT, true, KMOD_LALT);
    userinput::Letter(window_, 'X', true);
    userinput::Key(window_, SDL_SCANCODE_X, SDLK_x, true, KMOD_LALT);
    userinput::Key(window_, SDL_SCANCODE_LALT, SDLK_LALT, false);
    userinput::Key(window_, SDL_SCANCODE_F10, SDLK_F10, true);
    userinput::Key(window_, SDL_SCANCODE_F10, SDLK_F10, false);
    userinput::Key(window_, SDL_SCANCODE_Q, SDLK_q, true, KMOD_RALT | KMOD_LCTRL);
    EXPECT_EQ(TakeAll(), (std::vector<Taken>{{WM_SYSKEYDOWN, VK_MENU},
                                             {WM_KEYDOWN, 'X'},
                                             {WM_SYSKEYDOWN, 'X'},
                                             {WM_SYSKEYUP, VK_MENU},
                                             {WM_SYSKEYDOWN, VK_F10},
                                             {WM_SYSKEYUP, VK_F10},
                                             {WM_KEYDOWN, 'Q'}}));
}

TEST_F(Queue, CloseBoxPostsCloseWhoseDefaultDestroysTheWindowAndQuitsLast) {
    Behaviour().quitOnDestroy = true;
    userinput::CloseBox(window_);
    userinput::Escape(window_);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_TRUE(IsWindow(window_)) << "closing is the procedure's business";
    DispatchMessageA(&m);
    EXPECT_FALSE(IsWindow(window_));
    // The key queued for the window went with it; exactly one quit message remains.
    EXPECT_EQ(TakeAll(), (std::vector<Taken>{{WM_QUIT, 0}}));
}

TEST_F(Queue, AltF4ClosesTheWindow) {
    userinput::Key(window_, SDL_SCANCODE_F4, SDLK_F4, true, KMOD_LALT);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(m.message, static_cast<UINT>(WM_SYSKEYDOWN));
    DispatchMessageA(&m);
    EXPECT_FALSE(IsWindow(window_));
    EXPECT_EQ(TakeReceived(),
              (std::vector<UINT>{WM_SYSKEYDOWN, WM_CLOSE, WM_DESTROY, WM_NCDESTROY}));
}

TEST_F(Queue, TerminatingSignalsAskForAQuitAfterTheQueuedMessages) {
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        userinput::Escape(window_);
        ASSERT_EQ(raise(signal), 0);
        EXPECT_EQ(TakeAll(), (std::vector<Taken>{{WM_KEYDOWN, VK_ESCAPE}, {WM_QUIT, 0}}));
        EXPECT_TRUE(IsWindow(window_)) << "the program ends as it pleases";
    }
}

TEST_F(Queue, QuitMessageCarriesTheCodeOnce) {
    PostQuitMessage(3);
    PostQuitMessage(4);
    EXPECT_EQ(TakeAll(), (std::vector<Taken>{{WM_QUIT, 4}}));
}

} // namespace
