// The message queue, the keyboard and the default window procedure, in the page.
//
// Implements PeekMessageA, TranslateMessage, DispatchMessageA, DefWindowProcA and
// PostQuitMessage.
// Reproduces: one queue, filled by the page's key events between frames: keys as
// WM_KEYDOWN/WM_KEYUP with virtual-key codes (letters and digits by the keyboard layout, the
// browser's keyCode being Windows' code for every key mapped here), auto-repeat as repeated
// WM_KEYDOWN, sent to the window with the keyboard focus (none while a message box is open);
// the quit message after every queued message; messages of a destroyed window dropped with it;
// WM_CLOSE's default handling destroys the window. In replay mode each PeekMessageA, the first
// call of every frame, moves the scripted clock on by one step.
// Leaves out: message filters (every call takes the next message), PM_NOREMOVE, WM_SYSKEYDOWN
// and WM_SYSKEYUP (a page has no system menu: Alt and F10 come as ordinary keys), scan codes and
// extended-key bits in lParam (it holds the repeat count and the previous-state and transition
// bits), keys without a virtual-key code here, WM_CHAR (TranslateMessage posts nothing), the
// mouse, paint and timer messages. Keys the page needs for itself (reloading, developer tools)
// are left to the browser; the arrows, Space and Tab are kept from scrolling or moving focus.
#include <emscripten/html5.h>

#include <algorithm>
#include <vector>

#include "platform/web/Host.h"

namespace {

struct MessagesState {
    MessagesState() { queue.reserve(64); }

    // Room is reserved up front: the frame loop's trickle of messages allocates nothing.
    std::vector<MSG> queue;
    bool quitPending = false;
    int quitCode = 0;
    bool listening = false;
};

MessagesState& M() {
    static MessagesState state;
    return state;
}

BYTE VirtualKey(unsigned long keyCode) {
    const bool letter = keyCode >= 'A' && keyCode <= 'Z';
    const bool digit = keyCode >= '0' && keyCode <= '9';
    const bool function = keyCode >= VK_F1 && keyCode < VK_F1 + 12;
    const bool other = keyCode == VK_ESCAPE || keyCode == VK_RETURN || keyCode == VK_SPACE ||
                       keyCode == VK_TAB || (keyCode >= VK_LEFT && keyCode <= VK_DOWN) ||
                       keyCode == VK_SHIFT || keyCode == VK_CONTROL || keyCode == VK_MENU;
    return letter || digit || function || other ? static_cast<BYTE>(keyCode) : 0;
}

constexpr LPARAM PreviousStateBit = LPARAM(1) << 30;
constexpr LPARAM TransitionBit = LPARAM(1) << 31;

EM_BOOL OnKey(int eventType, const EmscriptenKeyboardEvent* event, void* /*data*/) {
    const BYTE vk = VirtualKey(event->keyCode);
    const HWND window = web::KeyWindow();
    if (vk != 0 && window && !web::InMessageBox()) {
        const bool down = eventType == EMSCRIPTEN_EVENT_KEYDOWN;
        LPARAM lParam = 1; // repeat count
        if (!down) {
            lParam |= PreviousStateBit | TransitionBit;
        } else if (event->repeat) {
            lParam |= PreviousStateBit;
        }
        web::Post(window, down ? WM_KEYDOWN : WM_KEYUP, vk, lParam);
    }
    return vk == VK_SPACE || vk == VK_TAB || (vk >= VK_LEFT && vk <= VK_DOWN);
}

} // namespace

namespace web {

void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    MSG m = {};
    m.hwnd = window;
    m.message = message;
    m.wParam = wParam;
    m.lParam = lParam;
    M().queue.push_back(m);
}

void ForgetMessagesOf(HWND window) {
    auto& q = M().queue;
    q.erase(std::remove_if(q.begin(), q.end(), [window](const MSG& m) { return m.hwnd == window; }),
            q.end());
}

void ListenToKeys() {
    if (M().listening) {
        return;
    }
    M().listening = true;
    emscripten_set_keydown_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, 1, OnKey);
    emscripten_set_keyup_callback(EMSCRIPTEN_EVENT_TARGET_WINDOW, nullptr, 1, OnKey);
}

} // namespace web

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG msg, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/,
                         UINT remove) {
    web::NextReplayFrame();
    MessagesState& m = M();
    if (!msg) {
        return FALSE;
    }
    if (!m.queue.empty()) {
        *msg = m.queue.front();
        if (remove & PM_REMOVE) {
            m.queue.erase(m.queue.begin());
        }
        return TRUE;
    }
    if (m.quitPending) {
        *msg = MSG();
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(m.quitCode);
        if (remove & PM_REMOVE) {
            m.quitPending = false;
        }
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    return msg && (msg->message == WM_KEYDOWN || msg->message == WM_KEYUP) ? TRUE : FALSE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    return msg ? web::Send(msg->hwnd, msg->message, msg->wParam, msg->lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM /*wParam*/, LPARAM /*lParam*/) {
    if (message == WM_CLOSE) {
        DestroyWindow(window);
    }
    return message == WM_NCCREATE ? TRUE : 0;
}

void WINAPI PostQuitMessage(int exitCode) {
    M().quitPending = true;
    M().quitCode = exitCode;
}

} // extern "C"
