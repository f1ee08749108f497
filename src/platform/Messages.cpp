// The message queue and the default window procedure, for both hosts.
//
// Implements PeekMessageA, TranslateMessage, DispatchMessageA, DefWindowProcA and
// PostQuitMessage.
// Reproduces: one queue for the thread, filled by the host whenever it is looked at; key messages
// as Windows makes them (PostKey); the close box's WM_CLOSE, whose default handling destroys the
// window; Alt+F4 closing the window as a user expects; the quit message after every queued
// message; messages of a destroyed window dropped with it; thread messages (no window) dispatched
// to nobody.
// Leaves out: message filters (every call takes the next message of the thread), PM_NOREMOVE,
// sent messages from other threads, scan codes and extended-key bits in lParam, WM_CHAR
// (TranslateMessage posts nothing), the mouse, paint and timer messages.
#include <vector>

#include "platform/Core.h"

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

constexpr LPARAM AltBit = LPARAM(1) << 29;

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

void PostKey(HWND window, BYTE vk, bool down, bool repeat, bool alt, bool ctrl) {
    const bool system = !ctrl && (alt || vk == VK_MENU || vk == VK_F10);
    LPARAM lParam = 1;
    if (alt && (down || vk != VK_MENU)) {
        lParam |= AltBit;
    }
    if (!down || repeat) {
        lParam |= LPARAM(1) << 30; // the key was down before
    }
    if (!down) {
        lParam |= LPARAM(1) << 31;
    }
    const UINT message =
        down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    Post(window, message, vk, lParam);
}

} // namespace platform

extern "C" {

BOOL WINAPI PeekMessageA(LPMSG msg, HWND /*window*/, UINT /*filterMin*/, UINT /*filterMax*/,
                         UINT remove) {
    if (!msg) {
        return FALSE;
    }
    platform::host::PumpMessages();
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
