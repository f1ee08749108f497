// Window classes, the window, its device context, focus and the cursor, in the page.
//
// Implements RegisterClassA, UnregisterClassA, CreateWindowExA, DestroyWindow, IsWindow,
// ShowWindow, SetForegroundWindow, SetFocus, GetDC, ReleaseDC, LoadCursorA and ShowCursor.
// Reproduces: the window is the page's canvas (#canvas), sized to the window's width and height
// and hidden until shown; window procedures called inside CreateWindowExA (WM_NCCREATE,
// WM_CREATE), ShowWindow (WM_SHOWWINDOW) and DestroyWindow (WM_DESTROY, WM_NCDESTROY); handles
// never reused, so that DestroyWindow fails on a window that is gone and IsWindow tells; one
// device context per window (CS_OWNDC); class names that ignore case; the cursor's display
// counter, which hides the cursor over the canvas below 0.
// Leaves out: more than one window at a time (there is one canvas), child windows, frames (the
// canvas is the client area whatever the style), class atoms and per-module classes, WS_VISIBLE
// at creation, the creation record (lParam is 0), refusing creation from the procedure,
// activation and focus messages, WM_SIZE and WM_MOVE, and every show command but SW_HIDE (all
// others show). A destroyed window's canvas keeps its last picture: the page shows the end there.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cctype>
#include <string>
#include <vector>

#include "platform/web/Host.h"

namespace {

struct WindowClass {
    std::string name; // lower case
    WNDPROC procedure;
};

struct Window {
    UINT_PTR handle = 0; // 0: no window
    WNDPROC procedure = nullptr;
    bool visible = false;
};

struct WindowsState {
    std::vector<WindowClass> classes;
    Window window;
    UINT_PTR nextHandle = 0x10000;
    HWND focus = nullptr;
    int cursorCount = 0;
};

WindowsState& W() {
    static WindowsState state;
    return state;
}

std::string Lower(const char* name) {
    std::string s(name);
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

WindowClass* FindClass(const char* name) {
    if (!name) {
        return nullptr;
    }
    const std::string key = Lower(name);
    for (WindowClass& c : W().classes) {
        if (c.name == key) {
            return &c;
        }
    }
    return nullptr;
}

HWND Handle(UINT_PTR value) {
    return reinterpret_cast<HWND>(value);
}

bool Exists(HWND window) {
    return window && W().window.handle != 0 && Handle(W().window.handle) == window;
}

// The device context of a window is its handle with the low bit set: distinct from every window
// handle, derived from the window and never stored.
HDC DeviceContextOf(HWND window) {
    return reinterpret_cast<HDC>(reinterpret_cast<UINT_PTR>(window) | 1u);
}

// clang-format off
EM_JS(void, ShowCanvas, (int visible), {
    const canvas = document.getElementById('canvas');
    if (canvas) {
        canvas.style.visibility = visible ? 'visible' : 'hidden';
    }
});

EM_JS(void, ShowCanvasCursor, (int visible), {
    const canvas = document.getElementById('canvas');
    if (canvas) {
        canvas.style.cursor = visible ? 'auto' : 'none';
    }
});
// clang-format on

} // namespace

namespace web {

HWND WindowOfDC(HDC dc) {
    if (!dc || W().window.handle == 0) {
        return nullptr;
    }
    const HWND window = Handle(W().window.handle);
    return DeviceContextOf(window) == dc ? window : nullptr;
}

HWND KeyWindow() {
    if (Exists(W().focus)) {
        return W().focus;
    }
    return W().window.handle != 0 ? Handle(W().window.handle) : nullptr;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Exists(window) || !W().window.procedure) {
        return 0;
    }
    return W().window.procedure(window, message, wParam, lParam);
}

} // namespace web

extern "C" {

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (!wc || !wc->lpszClassName || !*wc->lpszClassName || !wc->lpfnWndProc ||
        FindClass(wc->lpszClassName)) {
        return 0;
    }
    W().classes.push_back({Lower(wc->lpszClassName), wc->lpfnWndProc});
    return static_cast<ATOM>(0xC000 + W().classes.size());
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE /*instance*/) {
    WindowClass* c = FindClass(className);
    // A class with a window still open stays registered, as on Windows.
    if (!c || (W().window.handle != 0 && W().window.procedure == c->procedure)) {
        return FALSE;
    }
    W().classes.erase(W().classes.begin() + (c - W().classes.data()));
    return TRUE;
}

HWND WINAPI CreateWindowExA(DWORD /*exStyle*/, LPCSTR className, LPCSTR /*windowName*/,
                            DWORD /*style*/, int /*x*/, int /*y*/, int width, int height,
                            HWND /*parent*/, HMENU /*menu*/, HINSTANCE /*instance*/,
                            LPVOID /*param*/) {
    const WindowClass* c = FindClass(className);
    if (!c || W().window.handle != 0 || width <= 0 || height <= 0 || width > 16384 ||
        height > 16384) {
        return nullptr;
    }
    if (emscripten_set_canvas_element_size("#canvas", width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        return nullptr;
    }
    ShowCanvas(0);
    W().window.handle = W().nextHandle;
    W().nextHandle += 0x10;
    W().window.procedure = c->procedure;
    W().window.visible = false;
    const HWND window = Handle(W().window.handle);
    web::ListenToKeys();
    web::StartReplay();
    web::Send(window, WM_NCCREATE, 0, 0);
    web::Send(window, WM_CREATE, 0, 0);
    return window;
}

BOOL WINAPI DestroyWindow(HWND window) {
    if (!Exists(window)) {
        return FALSE;
    }
    web::WindowGoing(window);
    web::Send(window, WM_DESTROY, 0, 0);
    web::Send(window, WM_NCDESTROY, 0, 0);
    web::ForgetMessagesOf(window);
    W().window = Window();
    if (W().focus == window) {
        W().focus = nullptr;
    }
    return TRUE;
}

BOOL WINAPI IsWindow(HWND window) {
    return Exists(window) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    if (!Exists(window)) {
        return FALSE;
    }
    const BOOL wasVisible = W().window.visible ? TRUE : FALSE;
    const bool show = command != SW_HIDE;
    if (show != W().window.visible) {
        web::Send(window, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
        W().window.visible = show;
        ShowCanvas(show ? 1 : 0);
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    return Exists(window) ? TRUE : FALSE;
}

HWND WINAPI SetFocus(HWND window) {
    if (window && !Exists(window)) {
        return nullptr;
    }
    const HWND previous = Exists(W().focus) ? W().focus : nullptr;
    W().focus = window;
    return previous;
}

HDC WINAPI GetDC(HWND window) {
    return Exists(window) ? DeviceContextOf(window) : nullptr;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    // A class device context (CS_OWNDC) is never really released.
    return Exists(window) && dc == DeviceContextOf(window) ? 1 : 0;
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // The arrow is the one system cursor; it stands for every standard cursor.
    if (instance || !name) {
        return nullptr;
    }
    return reinterpret_cast<HCURSOR>(static_cast<UINT_PTR>(0x10003));
}

int WINAPI ShowCursor(BOOL show) {
    W().cursorCount += show ? 1 : -1;
    ShowCanvasCursor(W().cursorCount >= 0 ? 1 : 0);
    return W().cursorCount;
}

} // extern "C"
