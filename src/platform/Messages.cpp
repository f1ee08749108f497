// The message queue, the keyboard and the default window procedure, on SDL2.
//
// Implements PeekMessageA, TranslateMessage, DispatchMessageA, DefWindowProcA and
// PostQuitMessage.
// Reproduces: one queue for the thread, filled from SDL's events whenever it is looked at: keys
// as WM_KEYDOWN/WM_KEYUP with virtual-key codes (letters and digits by the keyboard layout),
// auto-repeat as repeated WM_KEYDOWN, and WM_SYSKEYDOWN/WM_SYSKEYUP for keys held with Alt (not
// AltGr), for Alt itself and for F10; the close box as a posted WM_CLOSE, whose default handling
// destroys the window; Alt+F4 closing the window as a user expects; the quit message after every
// queued message; messages of a destroyed window dropped with it. Besides: SIGINT, SIGTERM and
// SIGHUP post the quit message.
// Leaves out: message filters (every call takes the next message of the thread), PM_NOREMOVE,
// sent messages from other threads, scan codes and extended-key bits in lParam (it holds the
// repeat count, the Alt bit and the previous-state and transition bits), keys without a virtual-
// key code here, WM_CHAR (TranslateMessage posts nothing), the mouse, paint and timer messages.
#include <SDL.h>

#include <vector>

#include "platform/Layer.h"

namespace {

struct MessagesState {
    MessagesState() { queue.reserve(64); }

    // Room is reserved up front: the frame loop's trickle of messages allocates nothing.
    std::vector<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
};

MessagesState& M() {
    static MessagesState state;
    return state;
}

// The keys with a virtual-key code here besides letters, digits and F1 to F12.
const struct {
    SDL_Scancode scancode;
    BYTE vk;
} OtherKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_SPACE, VK_SPACE},   {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_LEFT, VK_LEFT},     {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},   {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},  {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL}, {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},     {SDL_SCANCODE_RALT, VK_MENU},
};

BYTE VirtualKey(const SDL_Keysym& key) {
    if (key.sym >= SDLK_a && key.sym <= SDLK_z) {
        return static_cast<BYTE>('A' + (key.sym - SDLK_a));
    }
    if (key.sym >= SDLK_0 && key.sym <= SDLK_9) {
        return static_cast<BYTE>(key.sym);
    }
    if (key.scancode >= SDL_SCANCODE_F1 && key.scancode <= SDL_SCANCODE_F12) {
        return static_cast<BYTE>(VK_F1 + (key.scancode - SDL_SCANCODE_F1));
    }
    for (const auto& k : OtherKeys) {
        if (k.scancode == key.scancode) {
            return k.vk;
        }
    }
    return 0;
}

constexpr LPARAM AltBit = LPARAM(1) << 29;

void QueueKey(const SDL_KeyboardEvent& event) {
    const BYTE vk = VirtualKey(event.keysym);
    // Keys go to the window with the keyboard focus: SDL's, or else the one SetFocus named (SDL
    // may not have seen the focus arrive yet).
    HWND window = platform::WindowOfSdlId(event.windowID);
    if (!window) {
        window = platform::FocusWindow();
    }
    if (vk == 0 || !window) {
        return;
    }
    const bool down = event.type == SDL_KEYDOWN;
    const bool alt = (event.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (event.keysym.mod & KMOD_CTRL) != 0;
    // Alt without Ctrl (which makes it AltGr), Alt itself and F10 make system keys.
    const bool system = !ctrl && (alt || vk == VK_MENU || vk == VK_F10);
    LPARAM lParam = 1;
    if (alt && (down || vk != VK_MENU)) {
        lParam |= AltBit;
    }
    if (!down || event.repeat) {
        lParam |= LPARAM(1) << 30; // the key was down before
    }
    if (!down) {
        lParam |= LPARAM(1) << 31;
    }
    const UINT message =
        down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    platform::Post(window, message, vk, lParam);
}

// Moves what SDL has seen into the queue.
void Pump() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        return;
    }
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        platform::NoteX11Event(&e);
        if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
            QueueKey(e.key);
        } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
            if (HWND window = platform::WindowOfSdlId(e.window.windowID)) {
                platform::Post(window, WM_CLOSE, 0, 0);
            }
        }
    }
    platform::DestroyLostWindows();
}

} // namespace

namespace platform {

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    M().queue.push_back(MSG{window, message, wParam, lParam, GetTickCount(), POINT{0, 0}});
}

void ForgetMessagesOf(HWND window) {
    std::vector<MSG>& queue = M().queue;
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->hwnd == window ? queue.erase(it) : it + 1;
    }
}

} // namespace platform

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG msg, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/,
                         UINT remove) {
    if (!msg) {
        return FALSE;
    }
    if (platform::TakeQuitSignal()) {
        PostQuitMessage(0); // the program ends as when its window closes
    }
    Pump();
    MessagesState& m = M();
    if (!m.queue.empty()) {
        *msg = m.queue.front();
        if (remove & PM_REMOVE) {
            m.queue.erase(m.queue.begin());
        }
        return TRUE;
    }
    if (m.quitPending) {
        *msg = MSG{nullptr, WM_QUIT, static_cast<WPARAM>(m.quitCode), 0, GetTickCount(), {0, 0}};
        if (remove & PM_REMOVE) {
            m.quitPending = false;
        }
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP ||
                   msg->message == WM_SYSKEYDOWN || msg->message == WM_SYSKEYUP)
               ? TRUE
               : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    // Thread messages have no window procedure.
    return msg && msg->hwnd ? platform::Send(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & AltBit)) {
            platform::Send(window, WM_CLOSE, 0, 0);
        }
        return 0;
    default:
        return 0;
    }
}

void WINAPI PostQuitMessage(int exitCode) {
    M().quitPending = true;
    M().quitCode = exitCode;
}

} // extern "C"
