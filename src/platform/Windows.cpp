// Window classes, windows, their device contexts, focus and the cursor, on SDL2.
//
// Implements RegisterClassA, UnregisterClassA, CreateWindowExA, DestroyWindow, IsWindow,
// ShowWindow, SetForegroundWindow, SetFocus, GetDC, ReleaseDC, LoadCursorA and ShowCursor.
// Reproduces: window procedures called inside CreateWindowExA (WM_NCCREATE, WM_CREATE),
// ShowWindow (WM_SHOWWINDOW) and DestroyWindow (WM_DESTROY, WM_NCDESTROY); windows hidden until
// shown; handles never reused, so that DestroyWindow fails on a window that is gone and IsWindow
// tells; one device context per window (CS_OWNDC); the outer size of a window with a caption
// includes a standard 96-dpi frame, so its client area is smaller; a pop-up window made while the
// display mode is switched covers the display; class names that ignore case; the cursor's display
// counter; a window destroyed by another X client ends as if DestroyWindow had been called.
// Leaves out: child windows, class atoms and per-module classes, WS_VISIBLE at creation, the
// creation record (lParam is 0), refusing creation from the procedure, activation and focus
// messages, WM_SIZE and WM_MOVE, and every show command but SW_HIDE (all others show).
#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "platform/Layer.h"

namespace {

using platform::Key;
using platform::Lower;

struct WindowClass {
    WNDPROC proc;
    int windows; // how many windows of the class exist
};

struct Window {
    WNDPROC proc;
    std::string className;
    SDL_Window* sdl;
    bool visible;
    bool destroying;
};

struct WindowsState {
    bool videoTried = false;
    bool videoReady = false;
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
    if (w->visible) {
        w->visible = false;
        SDL_HideWindow(w->sdl);
    }
    platform::Send(window, WM_DESTROY, 0, 0);
    platform::Send(window, WM_NCDESTROY, 0, 0);

    w = Find(window);
    platform::WindowGoing(window);
    platform::UncoverDisplay(w->sdl);
    SDL_DestroyWindow(w->sdl);
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

// Only a driver that shows windows on the user's screen: the offscreen and dummy drivers only when
// SDL_VIDEODRIVER names them. Where both an X server and a Wayland compositor can be reached, SDL
// picks X11 (Xwayland), which is kept: every compositor makes its windows full screen, and SDL
// 2.26's Wayland driver has faults of its own; without an X server SDL goes on to Wayland. One of
// those faults cannot be caught here: on a compositor without a seat (no keyboard or pointer, as
// weston's headless backend) SDL 2.26 crashes inside SDL_Init itself (fixed in SDL 2.30).
bool StartVideo() {
    WindowsState& s = W();
    if (s.videoTried) {
        return s.videoReady;
    }
    s.videoTried = true;
    // Signals keep their usual meaning; windows stay up when they lose the focus; closing a
    // window is the program's business (WM_CLOSE), not a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "Win32 layer: no display: %s\n", SDL_GetError());
        return false;
    }
    // SDL falls back to drivers that show nothing on any screen; only a user who names one
    // gets it.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!std::getenv("SDL_VIDEODRIVER") && driver &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr, "Win32 layer: no display can be reached\n");
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return false;
    }
    platform::WatchX11();
    // SDL unloads the OpenGL library (ending the driver and its contexts) whenever its last
    // OpenGL window goes; one reference for the life of the process lets contexts outlive their
    // windows, as on Windows.
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
        std::fprintf(stderr, "Win32 layer: no OpenGL: %s\n", SDL_GetError());
    }
    s.videoReady = true;
    return true;
}

SDL_Window* SdlWindowOf(HWND window) {
    Window* w = Find(window);
    return w ? w->sdl : nullptr;
}

HWND WindowOfDC(HDC dc) {
    const UINT_PTR value = Key(dc);
    if ((value & DCTag) == 0) {
        return nullptr;
    }
    const auto window = reinterpret_cast<HWND>(value & ~DCTag);
    return Find(window) ? window : nullptr;
}

HWND WindowOfSdlId(unsigned id) {
    for (auto& entry : W().windows) {
        if (SDL_GetWindowID(entry.second.sdl) == id) {
            return reinterpret_cast<HWND>(entry.first);
        }
    }
    return nullptr;
}

void DestroyLostWindows() {
    std::vector<HWND> lost;
    for (auto& entry : W().windows) {
        if (!entry.second.destroying && LostOnX11(entry.second.sdl)) {
            lost.push_back(reinterpret_cast<HWND>(entry.first));
        }
    }
    for (HWND window : lost) {
        if (Find(window) && !Find(window)->destroying) {
            Destroy(window);
        }
    }
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
    if (!wc || !wc->lpszClassName || Key(wc->lpszClassName) < 0x10000 || !*wc->lpszClassName) {
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
    if (c == W().classes.end() || !platform::StartVideo()) {
        return nullptr;
    }
    const Frame frame = FrameOf(style);
    const int clientWidth = std::max(1, width - 2 * frame.side);
    const int clientHeight = std::max(1, height - frame.top - frame.side);
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    if (style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
        // A mode presented scaled fills the output's every pixel, at any output scale.
        if (platform::PresentsModeScaled()) {
            flags |= SDL_WINDOW_ALLOW_HIGHDPI;
        }
    }
    if (style & WS_THICKFRAME) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    platform::PreparePixelFormat();
    SDL_Window* sdl = SDL_CreateWindow(windowName ? windowName : "", x + frame.side, y + frame.top,
                                       clientWidth, clientHeight, flags);
    if (!sdl) {
        std::fprintf(stderr, "Win32 layer: CreateWindowExA: %s\n", SDL_GetError());
        return nullptr;
    }
    if (style & WS_POPUP) {
        platform::CoverDisplay(sdl);
    }
    const UINT_PTR id = W().nextWindow;
    W().nextWindow += 0x10;
    const auto window = reinterpret_cast<HWND>(id);
    W().windows[id] = Window{c->second.proc, c->first, sdl, false, false};
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
        if (w->visible) {
            SDL_ShowWindow(w->sdl);
        } else {
            SDL_HideWindow(w->sdl);
        }
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    Window* w = Find(window);
    if (w && w->visible) {
        SDL_RaiseWindow(w->sdl);
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
        SDL_SetWindowInputFocus(w->sdl); // refused by some window managers; harmless
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
    if (shown != wasShown && platform::StartVideo()) {
        SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
    }
    return s.cursorCount;
}

} // extern "C"
