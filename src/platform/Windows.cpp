// Window classes, windows and their handles, device contexts, focus and the cursor's counter, for
// both hosts; the host makes, shows and destroys the windows themselves.
//
// Implements RegisterClassA, UnregisterClassA, CreateWindowExA, DestroyWindow, IsWindow,
// ShowWindow, SetForegroundWindow, SetFocus, GetDC, ReleaseDC, LoadCursorA and ShowCursor.
// Reproduces: window procedures called inside CreateWindowExA (WM_NCCREATE, WM_CREATE),
// ShowWindow (WM_SHOWWINDOW) and DestroyWindow (WM_DESTROY, WM_NCDESTROY); windows hidden until
// shown; handles never reused, so that DestroyWindow fails on a window that is gone and IsWindow
// tells; one device context per window (CS_OWNDC); the outer size of a window with a caption
// includes a standard 96-dpi frame, so its client area is smaller; class names that ignore case;
// a class with windows cannot be unregistered; the cursor's display counter.
// Leaves out: child windows, class atoms and per-module classes, WS_VISIBLE at creation, the
// creation record (lParam is 0), refusing creation from the procedure, activation and focus
// messages, WM_SIZE and WM_MOVE, and every show command but SW_HIDE (all others show).
#include <algorithm>
#include <map>
#include <string>

#include "platform/Core.h"

namespace {

using platform::Key;
using platform::Lower;
namespace host = platform::host;

struct WindowClass {
    WNDPROC proc;
    int windows; // how many windows of the class exist
};

struct Window {
    WNDPROC proc;
    std::string className;
    void* native;
    bool visible;
    bool destroying;
};

struct WindowsState {
    std::map<std::string, WindowClass> classes; // by lower-case name
    std::map<UINT_PTR, Window> windows;         // by handle value
    UINT_PTR nextWindow = 0x00010010;
    HWND focus = nullptr;
    int cursorCount = 0;
};

WindowsState& W() {
    static WindowsState state;
    return state;
}

Window* Find(HWND window) {
    auto it = W().windows.find(Key(window));
    return it == W().windows.end() ? nullptr : &it->second;
}

// Whether a class name is an atom (MAKEINTATOM), which is not a string. WebAssembly's memory
// holds data from its first kilobytes, so there a name cannot be told from an atom by its value:
// names are taken as names.
bool IsAtom(const char* name) {
#ifdef __EMSCRIPTEN__
    return name == nullptr;
#else
    return Key(name) < 0x10000;
#endif
}

// A device context is the window's handle value with a low bit set, so that it names its window.
constexpr UINT_PTR DCTag = 0x8;

// The standard 96-dpi metrics: a sizing frame of 8 pixels (border plus padding), a caption of
// 23 more at the top. A pop-up window has none.
struct Frame {
    int side, top;
};

Frame FrameOf(DWORD style) {
    if ((style & WS_CAPTION) != WS_CAPTION) {
        return Frame{0, 0};
    }
    const int side = (style & WS_THICKFRAME) ? 8 : 3;
    return Frame{side, side + 23};
}

void Destroy(HWND window) {
    Window* w = Find(window);
    w->destroying = true;
    host::HideGoing(w->native, w->visible);
    w->visible = false;
    platform::Send(window, WM_DESTROY, 0, 0);
    platform::Send(window, WM_NCDESTROY, 0, 0);

    w = Find(window);
    host::DestroyNative(window, w->native);
    platform::ForgetMessagesOf(window);
    auto c = W().classes.find(w->className);
    if (c != W().classes.end()) {
        --c->second.windows;
    }
    if (W().focus == window) {
        W().focus = nullptr;
    }
    W().windows.erase(Key(window));
}

} // namespace

namespace platform {

void* NativeOf(HWND window) {
    Window* w = Find(window);
    return w ? w->native : nullptr;
}

HWND FindWindowWhere(bool (*match)(void* native, const void* data), const void* data) {
    for (auto& entry : W().windows) {
        if (!entry.second.destroying && match(entry.second.native, data)) {
            return reinterpret_cast<HWND>(entry.first);
        }
    }
    return nullptr;
}

HWND WindowOfDC(HDC dc) {
    const UINT_PTR value = Key(dc);
    if ((value & DCTag) == 0) {
        return nullptr;
    }
    const auto window = reinterpret_cast<HWND>(value & ~DCTag);
    return Find(window) ? window : nullptr;
}

HWND FocusWindow() {
    return W().focus;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(window);
    if (!w || !w->proc) {
        return 0;
    }
    WNDPROC proc = w->proc; // the window may be gone when the procedure returns
    return proc(window, message, wParam, lParam);
}

} // namespace platform

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || IsAtom(wc->lpszClassName) || !*wc->lpszClassName) {
        return 0;
    }
    const std::string name = Lower(wc->lpszClassName);
    if (W().classes.count(name) != 0) {
        return 0;
    }
    W().classes[name] = WindowClass{wc->lpfnWndProc, 0};
    return 0xC000; // an atom nobody uses: classes are named
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/) {
    auto it = W().classes.find(Lower(className));
    if (it == W().classes.end() || it->second.windows > 0) {
        return FALSE;
    }
    W().classes.erase(it);
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD /*exStyle*/, LPCSTR className, LPCSTR windowName, DWORD style,
                            int x, int y, int width, int height, HWND /*parent*/, HMENU /*menu*/,
                            HINSTANCE /*instance*/, LPVOID /*param*/) {
    auto c = W().classes.find(Lower(className));
    if (c == W().classes.end()) {
        return nullptr;
    }
    const Frame frame = FrameOf(style);
    void* native = host::CreateNative(windowName ? windowName : "", style, x + frame.side,
                                      y + frame.top, std::max(1, width - 2 * frame.side),
                                      std::max(1, height - frame.top - frame.side));
    if (!native) {
        return nullptr;
    }
    const UINT_PTR id = W().nextWindow;
    W().nextWindow += 0x10;
    const auto window = reinterpret_cast<HWND>(id);
    W().windows[id] = Window{c->second.proc, c->first, native, false, false};
    ++c->second.windows;

    // The procedure's answers are not read: nothing here refuses a window.
    platform::Send(window, WM_NCCREATE, 0, 0);
    platform::Send(window, WM_CREATE, 0, 0);
    return Find(window) ? window : nullptr; // its procedure may have destroyed it
}

BOOL WINAPI DestroyWindow(HWND window) {
    Window* w = Find(window);
    if (!w || w->destroying) {
        return FALSE;
    }
    Destroy(window);
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
    return Find(window) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    Window* w = Find(window);
    if (!w) {
        return FALSE;
    }
    const BOOL wasVisible = w->visible ? TRUE : FALSE;
    if ((command == SW_HIDE) == !w->visible) {
        return wasVisible;
    }
    platform::Send(window, WM_SHOWWINDOW, command == SW_HIDE ? FALSE : TRUE, 0);
    if ((w = Find(window)) != nullptr) {
        w->visible = command != SW_HIDE;
        host::ShowNative(w->native, w->visible);
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    Window* w = Find(window);
    if (w && w->visible) {
        host::RaiseNative(w->native);
    }
    return w ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND window) {
    Window* w = Find(window);
    if (!w) {
        return nullptr;
    }
    HWND previous = W().focus;
    W().focus = window;
    if (w->visible) {
        host::FocusNative(w->native);
    }
    return previous;
}

HDC WINAPI GetDC(HWND window) {
    return Find(window) ? reinterpret_cast<HDC>(Key(window) | DCTag) : nullptr;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    // A window's own device context stays with the window.
    return platform::WindowOfDC(dc) == window && window ? 1 : 0;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Only the system's arrow: nothing here has cursor resources.
    if (!instance && name == IDC_ARROW) {
        return reinterpret_cast<HCURSOR>(0x00010000 | Key(IDC_ARROW));
    }
    return nullptr;
}

int WINAPI ShowCursor(BOOL show) {
    // A display counter: the cursor shows while it is 0 or more.
    WindowsState& s = W();
    const bool wasShown = s.cursorCount >= 0;
    s.cursorCount += show ? 1 : -1;
    const bool shown = s.cursorCount >= 0;
    if (shown != wasShown) {
        host::ShowNativeCursor(shown);
    }
    return s.cursorCount;
}

} // extern "C"
