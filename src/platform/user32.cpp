// user32 on SDL2: window classes, windows and their device contexts, activation and focus, the
// message queue with the keyboard, the cursor, message boxes and display modes.
//
// One message queue serves the process: the program, like this layer, runs on one thread.
// Window procedures are called from inside the calls that send messages (CreateWindowExA,
// ShowWindow, DestroyWindow, SendMessageA...) and from PeekMessageA for the window events that
// Windows sends rather than posts. Handles are numbers that are never reused, so a stale handle
// is recognised instead of followed.
#include "platform/Internal.h"

#include <SDL.h>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

using platform::Api;
using platform::detail::Fails;

namespace {

struct WindowClass {
    WNDCLASSA wc;
    std::string name;
    ATOM atom;
    int windows; // how many windows of the class exist
};

struct Window {
    std::string className; // the class's key
    WNDPROC proc;
    DWORD style, exStyle;
    std::string title;
    RECT outer; // screen coordinates
    RECT frame; // widths of the frame on each side, caption included in top
    SDL_Window* sdl = nullptr;
    int sdlFormat = 0; // pixel format the SDL window was made for, 0 without OpenGL
    bool visible = false;
    bool shownOnce = false;
    bool destroying = false;
    bool fullscreen = false;
    HDC dc = nullptr;
};

// The message queues are vectors with room reserved up front, so that the frame loop's steady
// trickle of messages allocates nothing (a deque allocates and frees a block every few messages
// as its contents move along). Queues are short; taking from the front shifts a few records.
using MessageQueue = std::vector<MSG>;
constexpr std::size_t QueueRoom = 64;

struct User32State {
    User32State() {
        posted.reserve(QueueRoom);
        input.reserve(QueueRoom);
    }

    bool videoReady = false;
    bool videoFailed = false;
    std::map<std::string, WindowClass> classes; // by lower-case name and instance
    ATOM nextAtom = 0xC000;
    std::map<UINT_PTR, Window> windows;
    std::map<Uint32, UINT_PTR> bySdlId;
    UINT_PTR nextWindow = 0x00010010;
    std::map<UINT_PTR, UINT_PTR> dcs; // device context -> window
    UINT_PTR nextDC = 0x01010010;
    MessageQueue posted; // PostMessageA and TranslateMessage
    MessageQueue input;  // keyboard messages from SDL
    bool quitPending = false;
    int quitCode = 0;
    HWND active = nullptr;
    HWND focus = nullptr;
    int cursorCount = 0;
    bool modeSwitched = false;
    SDL_DisplayMode mode{};
    bool exitHookInstalled = false;
    bool pumping = false;
    POINT mouse{0, 0};
    int lastSdlFormat = 0; // pixel format of the last OpenGL window SDL made
};

User32State& U() {
    static User32State state;
    return state;
}

UINT_PTR Key(const void* handle) {
    return reinterpret_cast<UINT_PTR>(handle);
}
HWND AsWindow(UINT_PTR id) {
    return reinterpret_cast<HWND>(id);
}

Window* Find(HWND window) {
    auto it = U().windows.find(Key(window));
    return it == U().windows.end() ? nullptr : &it->second;
}

std::string Lower(const char* text) {
    std::string s(text ? text : "");
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

bool IsAtom(LPCSTR name) {
    return Key(name) < 0x10000;
}

std::string ClassKey(const std::string& lowerName, HINSTANCE instance) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "|%llx",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(instance)));
    return lowerName + buffer;
}

// A class is found by its name (or atom) and the module that registered it; a name registered
// by another module still serves, as Windows' global lookup does for the program's own classes.
WindowClass* FindClass(LPCSTR name, HINSTANCE instance) {
    if (!name) {
        return nullptr;
    }
    if (IsAtom(name)) {
        for (auto& entry : U().classes) {
            if (entry.second.atom == static_cast<ATOM>(Key(name))) {
                return &entry.second;
            }
        }
        return nullptr;
    }
    auto it = U().classes.find(ClassKey(Lower(name), instance));
    if (it != U().classes.end()) {
        return &it->second;
    }
    const std::string lower = Lower(name);
    for (auto& entry : U().classes) {
        if (Lower(entry.second.name.c_str()) == lower) {
            return &entry.second;
        }
    }
    return nullptr;
}

bool EnsureVideo() {
    User32State& u = U();
    if (u.videoReady || u.videoFailed) {
        return u.videoReady;
    }
    // Signals keep their usual meaning; windows stay up when they lose the focus; closing the
    // last window is the program's business (WM_CLOSE), not a quit event.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    SDL_SetHint(SDL_HINT_VIDEO_MINIMIZE_ON_FOCUS_LOSS, "0");
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        std::fprintf(stderr, "user32: cannot start SDL video: %s\n", SDL_GetError());
        u.videoFailed = true;
        return false;
    }
    // SDL unloads the OpenGL library (ending the driver and its contexts) whenever its last
    // OpenGL window goes; one reference for the life of the process keeps the driver up.
    if (SDL_GL_LoadLibrary(nullptr) != 0) {
        std::fprintf(stderr, "user32: no OpenGL: %s\n", SDL_GetError());
    }
    u.videoReady = true;
    return true;
}

LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(window);
    if (!w || !w->proc) {
        return 0;
    }
    WNDPROC proc = w->proc; // the window may be gone when the procedure returns
    return proc(window, message, wParam, lParam);
}

// Frame and caption sizes of the standard 96-dpi metrics: a sizing frame is 8 pixels (border plus
// padding), a dialog frame 3, a thin border 1; the caption adds 23 at the top.
RECT FrameOf(DWORD style) {
    LONG border = 0;
    if (style & WS_THICKFRAME) {
        border = 8;
    } else if (style & WS_DLGFRAME) {
        border = 3;
    } else if (style & WS_BORDER) {
        border = 1;
    }
    const LONG caption = (style & WS_CAPTION) == WS_CAPTION ? 23 : 0;
    return RECT{border, border + caption, border, border};
}

int ClientWidth(const Window& w) {
    const int width = w.outer.right - w.outer.left - w.frame.left - w.frame.right;
    return width > 1 ? width : 1;
}

int ClientHeight(const Window& w) {
    const int height = w.outer.bottom - w.outer.top - w.frame.top - w.frame.bottom;
    return height > 1 ? height : 1;
}

SDL_Window* MakeSdlWindow(const Window& w, int format) {
    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (w.style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
    }
    if (w.style & WS_THICKFRAME) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    SDL_Window* sdl = nullptr;
    if (format > 0) {
        platform::detail::ApplyPixelFormatAttributes(format);
        sdl = SDL_CreateWindow(w.title.c_str(), w.outer.left + w.frame.left,
                               w.outer.top + w.frame.top, ClientWidth(w), ClientHeight(w),
                               flags | SDL_WINDOW_OPENGL);
        if (sdl) {
            U().lastSdlFormat = format;
        }
    } else {
        sdl = SDL_CreateWindow(w.title.c_str(), w.outer.left + w.frame.left,
                               w.outer.top + w.frame.top, ClientWidth(w), ClientHeight(w), flags);
    }
    if (sdl && w.fullscreen) {
        // Full screen in the switched mode; SDL applies it when the window is shown.
        SDL_SetWindowDisplayMode(sdl, &U().mode);
        SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN);
    }
    return sdl;
}

void Deactivate(HWND next) {
    User32State& u = U();
    HWND old = u.active;
    if (!old) {
        return;
    }
    u.active = nullptr;
    Send(old, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(next));
    if (u.focus == old) {
        u.focus = nullptr;
        Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next), 0);
    }
}

// The window becomes the active one; its procedure's default handling of WM_ACTIVATE gives it
// the keyboard focus.
void Activate(HWND window) {
    User32State& u = U();
    if (u.active == window) {
        return;
    }
    HWND old = u.active;
    Deactivate(window);
    if (!Find(window)) {
        return;
    }
    u.active = window;
    Send(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(old));
}

DWORD Now() {
    return GetTickCount();
}

void Post(MessageQueue& queue, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    queue.push_back(MSG{window, message, wParam, lParam, Now(), U().mouse});
}

// Keyboard: virtual-key code, scan code (set 1) and the extended-key flag for each SDL scancode.
struct KeyCode {
    SDL_Scancode scancode;
    BYTE vk;
    BYTE scan;
    bool extended;
};

const KeyCode KeyCodes[] = {
    {SDL_SCANCODE_A, 'A', 0x1E, false},
    {SDL_SCANCODE_B, 'B', 0x30, false},
    {SDL_SCANCODE_C, 'C', 0x2E, false},
    {SDL_SCANCODE_D, 'D', 0x20, false},
    {SDL_SCANCODE_E, 'E', 0x12, false},
    {SDL_SCANCODE_F, 'F', 0x21, false},
    {SDL_SCANCODE_G, 'G', 0x22, false},
    {SDL_SCANCODE_H, 'H', 0x23, false},
    {SDL_SCANCODE_I, 'I', 0x17, false},
    {SDL_SCANCODE_J, 'J', 0x24, false},
    {SDL_SCANCODE_K, 'K', 0x25, false},
    {SDL_SCANCODE_L, 'L', 0x26, false},
    {SDL_SCANCODE_M, 'M', 0x32, false},
    {SDL_SCANCODE_N, 'N', 0x31, false},
    {SDL_SCANCODE_O, 'O', 0x18, false},
    {SDL_SCANCODE_P, 'P', 0x19, false},
    {SDL_SCANCODE_Q, 'Q', 0x10, false},
    {SDL_SCANCODE_R, 'R', 0x13, false},
    {SDL_SCANCODE_S, 'S', 0x1F, false},
    {SDL_SCANCODE_T, 'T', 0x14, false},
    {SDL_SCANCODE_U, 'U', 0x16, false},
    {SDL_SCANCODE_V, 'V', 0x2F, false},
    {SDL_SCANCODE_W, 'W', 0x11, false},
    {SDL_SCANCODE_X, 'X', 0x2D, false},
    {SDL_SCANCODE_Y, 'Y', 0x15, false},
    {SDL_SCANCODE_Z, 'Z', 0x2C, false},
    {SDL_SCANCODE_1, '1', 0x02, false},
    {SDL_SCANCODE_2, '2', 0x03, false},
    {SDL_SCANCODE_3, '3', 0x04, false},
    {SDL_SCANCODE_4, '4', 0x05, false},
    {SDL_SCANCODE_5, '5', 0x06, false},
    {SDL_SCANCODE_6, '6', 0x07, false},
    {SDL_SCANCODE_7, '7', 0x08, false},
    {SDL_SCANCODE_8, '8', 0x09, false},
    {SDL_SCANCODE_9, '9', 0x0A, false},
    {SDL_SCANCODE_0, '0', 0x0B, false},
    {SDL_SCANCODE_RETURN, VK_RETURN, 0x1C, false},
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE, 0x01, false},
    {SDL_SCANCODE_BACKSPACE, VK_BACK, 0x0E, false},
    {SDL_SCANCODE_TAB, VK_TAB, 0x0F, false},
    {SDL_SCANCODE_SPACE, VK_SPACE, 0x39, false},
    {SDL_SCANCODE_MINUS, VK_OEM_MINUS, 0x0C, false},
    {SDL_SCANCODE_EQUALS, VK_OEM_PLUS, 0x0D, false},
    {SDL_SCANCODE_LEFTBRACKET, VK_OEM_4, 0x1A, false},
    {SDL_SCANCODE_RIGHTBRACKET, VK_OEM_6, 0x1B, false},
    {SDL_SCANCODE_BACKSLASH, VK_OEM_5, 0x2B, false},
    {SDL_SCANCODE_SEMICOLON, VK_OEM_1, 0x27, false},
    {SDL_SCANCODE_APOSTROPHE, VK_OEM_7, 0x28, false},
    {SDL_SCANCODE_GRAVE, VK_OEM_3, 0x29, false},
    {SDL_SCANCODE_COMMA, VK_OEM_COMMA, 0x33, false},
    {SDL_SCANCODE_PERIOD, VK_OEM_PERIOD, 0x34, false},
    {SDL_SCANCODE_SLASH, VK_OEM_2, 0x35, false},
    {SDL_SCANCODE_NONUSBACKSLASH, VK_OEM_102, 0x56, false},
    {SDL_SCANCODE_CAPSLOCK, VK_CAPITAL, 0x3A, false},
    {SDL_SCANCODE_F1, VK_F1, 0x3B, false},
    {SDL_SCANCODE_F2, VK_F2, 0x3C, false},
    {SDL_SCANCODE_F3, VK_F3, 0x3D, false},
    {SDL_SCANCODE_F4, VK_F4, 0x3E, false},
    {SDL_SCANCODE_F5, VK_F5, 0x3F, false},
    {SDL_SCANCODE_F6, VK_F6, 0x40, false},
    {SDL_SCANCODE_F7, VK_F7, 0x41, false},
    {SDL_SCANCODE_F8, VK_F8, 0x42, false},
    {SDL_SCANCODE_F9, VK_F9, 0x43, false},
    {SDL_SCANCODE_F10, VK_F10, 0x44, false},
    {SDL_SCANCODE_F11, VK_F11, 0x57, false},
    {SDL_SCANCODE_F12, VK_F12, 0x58, false},
    {SDL_SCANCODE_PRINTSCREEN, VK_SNAPSHOT, 0x37, true},
    {SDL_SCANCODE_SCROLLLOCK, VK_SCROLL, 0x46, false},
    {SDL_SCANCODE_PAUSE, VK_PAUSE, 0x45, false},
    {SDL_SCANCODE_INSERT, VK_INSERT, 0x52, true},
    {SDL_SCANCODE_HOME, VK_HOME, 0x47, true},
    {SDL_SCANCODE_PAGEUP, VK_PRIOR, 0x49, true},
    {SDL_SCANCODE_DELETE, VK_DELETE, 0x53, true},
    {SDL_SCANCODE_END, VK_END, 0x4F, true},
    {SDL_SCANCODE_PAGEDOWN, VK_NEXT, 0x51, true},
    {SDL_SCANCODE_RIGHT, VK_RIGHT, 0x4D, true},
    {SDL_SCANCODE_LEFT, VK_LEFT, 0x4B, true},
    {SDL_SCANCODE_DOWN, VK_DOWN, 0x50, true},
    {SDL_SCANCODE_UP, VK_UP, 0x48, true},
    {SDL_SCANCODE_NUMLOCKCLEAR, VK_NUMLOCK, 0x45, true},
    {SDL_SCANCODE_KP_DIVIDE, VK_DIVIDE, 0x35, true},
    {SDL_SCANCODE_KP_MULTIPLY, VK_MULTIPLY, 0x37, false},
    {SDL_SCANCODE_KP_MINUS, VK_SUBTRACT, 0x4A, false},
    {SDL_SCANCODE_KP_PLUS, VK_ADD, 0x4E, false},
    {SDL_SCANCODE_KP_ENTER, VK_RETURN, 0x1C, true},
    {SDL_SCANCODE_KP_1, VK_NUMPAD0 + 1, 0x4F, false},
    {SDL_SCANCODE_KP_2, VK_NUMPAD0 + 2, 0x50, false},
    {SDL_SCANCODE_KP_3, VK_NUMPAD0 + 3, 0x51, false},
    {SDL_SCANCODE_KP_4, VK_NUMPAD0 + 4, 0x4B, false},
    {SDL_SCANCODE_KP_5, VK_NUMPAD0 + 5, 0x4C, false},
    {SDL_SCANCODE_KP_6, VK_NUMPAD0 + 6, 0x4D, false},
    {SDL_SCANCODE_KP_7, VK_NUMPAD0 + 7, 0x47, false},
    {SDL_SCANCODE_KP_8, VK_NUMPAD0 + 8, 0x48, false},
    {SDL_SCANCODE_KP_9, VK_NUMPAD0 + 9, 0x49, false},
    {SDL_SCANCODE_KP_0, VK_NUMPAD0, 0x52, false},
    {SDL_SCANCODE_KP_PERIOD, VK_DECIMAL, 0x53, false},
    {SDL_SCANCODE_APPLICATION, VK_APPS, 0x5D, true},
    {SDL_SCANCODE_LCTRL, VK_CONTROL, 0x1D, false},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT, 0x2A, false},
    {SDL_SCANCODE_LALT, VK_MENU, 0x38, false},
    {SDL_SCANCODE_LGUI, VK_LWIN, 0x5B, true},
    {SDL_SCANCODE_RCTRL, VK_CONTROL, 0x1D, true},
    {SDL_SCANCODE_RSHIFT, VK_SHIFT, 0x36, false},
    {SDL_SCANCODE_RALT, VK_MENU, 0x38, true},
    {SDL_SCANCODE_RGUI, VK_RWIN, 0x5C, true},
};

void QueueKey(const SDL_KeyboardEvent& key) {
    const KeyCode* code = nullptr;
    for (const KeyCode& k : KeyCodes) {
        if (k.scancode == key.keysym.scancode) {
            code = &k;
            break;
        }
    }
    if (!code) {
        return; // no virtual key for it
    }
    BYTE vk = code->vk;
    // Letter and digit keys follow the keyboard layout, as virtual-key codes do on Windows.
    const SDL_Keycode sym = key.keysym.sym;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        if (sym >= SDLK_a && sym <= SDLK_z) {
            vk = static_cast<BYTE>('A' + (sym - SDLK_a));
        } else if (sym >= SDLK_0 && sym <= SDLK_9) {
            vk = static_cast<BYTE>(sym);
        }
    }
    const bool down = key.type == SDL_KEYDOWN;
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0;
    const bool ctrl = (key.keysym.mod & KMOD_CTRL) != 0;
    // Alt (without Ctrl, which makes it AltGr), the Alt key itself and F10 make system keys.
    const bool system = !ctrl && (alt || vk == VK_MENU || vk == VK_F10);
    LPARAM lParam = 1 | (static_cast<LPARAM>(code->scan) << 16);
    if (code->extended) {
        lParam |= LPARAM(1) << 24;
    }
    if (alt && (down || vk != VK_MENU)) {
        lParam |= LPARAM(1) << 29;
    }
    if (!down || key.repeat) {
        lParam |= LPARAM(1) << 30; // the key was down before
    }
    if (!down) {
        lParam |= LPARAM(1) << 31;
    }
    const UINT message =
        down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    // Keys go to the window with the keyboard focus; SDL says which one has it.
    HWND target = nullptr;
    auto it = U().bySdlId.find(key.windowID);
    if (it != U().bySdlId.end()) {
        target = AsWindow(it->second);
    } else {
        target = U().focus;
    }
    if (target) {
        Post(U().input, target, message, vk, lParam);
    }
}

void WindowEvent(const SDL_WindowEvent& e) {
    auto it = U().bySdlId.find(e.windowID);
    if (it == U().bySdlId.end()) {
        return;
    }
    HWND window = AsWindow(it->second);
    Window* w = Find(window);
    if (!w || w->destroying) {
        return;
    }
    switch (e.event) {
    case SDL_WINDOWEVENT_CLOSE:
        Post(U().posted, window, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        Activate(window);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        if (U().active == window) {
            Deactivate(nullptr);
        }
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED: {
        if (ClientWidth(*w) == e.data1 && ClientHeight(*w) == e.data2) {
            break;
        }
        w->outer.right = w->outer.left + w->frame.left + e.data1 + w->frame.right;
        w->outer.bottom = w->outer.top + w->frame.top + e.data2 + w->frame.bottom;
        const Uint32 flags = SDL_GetWindowFlags(w->sdl);
        const WPARAM kind = (flags & SDL_WINDOW_MAXIMIZED) ? SIZE_MAXIMIZED : SIZE_RESTORED;
        Send(window, WM_SIZE, kind, MAKELPARAM(e.data1, e.data2));
        break;
    }
    case SDL_WINDOWEVENT_MINIMIZED:
        Send(window, WM_SIZE, SIZE_MINIMIZED, 0);
        break;
    case SDL_WINDOWEVENT_MOVED: {
        if (w->outer.left + w->frame.left == e.data1 && w->outer.top + w->frame.top == e.data2) {
            break;
        }
        const LONG width = w->outer.right - w->outer.left;
        const LONG height = w->outer.bottom - w->outer.top;
        w->outer.left = e.data1 - w->frame.left;
        w->outer.top = e.data2 - w->frame.top;
        w->outer.right = w->outer.left + width;
        w->outer.bottom = w->outer.top + height;
        Send(window, WM_MOVE, 0, MAKELPARAM(e.data1, e.data2));
        break;
    }
    default:
        break;
    }
}

// Moves what SDL has seen into the queue: keys become input messages, the close button a
// posted WM_CLOSE; activation, size and position changes are sent at once, as Windows does.
void Pump() {
    User32State& u = U();
    if (!u.videoReady || u.pumping) {
        return;
    }
    u.pumping = true;
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        switch (e.type) {
        case SDL_KEYDOWN:
        case SDL_KEYUP:
            QueueKey(e.key);
            break;
        case SDL_WINDOWEVENT:
            WindowEvent(e.window);
            break;
        case SDL_MOUSEMOTION: {
            int x = 0, y = 0;
            if (SDL_Window* sdl = SDL_GetWindowFromID(e.motion.windowID)) {
                SDL_GetWindowPosition(sdl, &x, &y);
            }
            u.mouse = POINT{x + e.motion.x, y + e.motion.y};
            break;
        }
        default:
            break; // SDL_QUIT included: ending is up to the windows' procedures
        }
    }
    u.pumping = false;
}

bool Matches(const MSG& m, HWND window, UINT first, UINT last) {
    // A null window takes every message of the thread; the value -1 only thread messages.
    if (Key(window) == static_cast<UINT_PTR>(-1)) {
        if (m.hwnd) {
            return false;
        }
    } else if (window && m.hwnd != window) {
        return false;
    }
    return (first == 0 && last == 0) || (m.message >= first && m.message <= last);
}

bool TakeFrom(MessageQueue& queue, LPMSG out, HWND window, UINT first, UINT last, UINT remove) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (Matches(*it, window, first, last)) {
            *out = *it;
            if (remove & PM_REMOVE) {
                queue.erase(it);
            }
            return true;
        }
    }
    return false;
}

void Forget(MessageQueue& queue, HWND window) {
    for (auto it = queue.begin(); it != queue.end();) {
        it = it->hwnd == window ? queue.erase(it) : it + 1;
    }
}

int WindowsBitsPerPixel(Uint32 format) {
    // Windows counts the padding byte of 32-bit pixels (SDL calls RGB888 24 bits).
    return SDL_BYTESPERPIXEL(format) * 8;
}

void FillDevMode(const SDL_DisplayMode& m, DEVMODEA* out) {
    std::memset(out, 0, sizeof *out);
    out->dmSize = sizeof *out;
    out->dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT | DM_DISPLAYFREQUENCY;
    out->dmBitsPerPel = static_cast<DWORD>(WindowsBitsPerPixel(m.format));
    out->dmPelsWidth = static_cast<DWORD>(m.w);
    out->dmPelsHeight = static_cast<DWORD>(m.h);
    out->dmDisplayFrequency = static_cast<DWORD>(m.refresh_rate);
}

// The modes of the first display: the current desktop mode, then the listed ones. Some drivers
// list an empty placeholder mode; it is skipped.
bool DisplayMode(int index, SDL_DisplayMode* out) {
    if (index == 0) {
        return SDL_GetDesktopDisplayMode(0, out) == 0;
    }
    int seen = 0;
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode m;
        if (SDL_GetDisplayMode(0, i, &m) == 0 && m.w > 0 && m.h > 0 && ++seen == index) {
            *out = m;
            return true;
        }
    }
    return false;
}

void RestoreAtExit() {
    platform::detail::RestoreDisplayMode();
}

// Tears a window down: WM_DESTROY (unless creation was refused), WM_NCDESTROY, then the SDL
// window, its device context and whatever was queued for it.
void Destroy(HWND window, bool sendDestroy);

} // namespace

// Window classes.

ATOM WINAPI RegisterClassA(const WNDCLASSA* wc) {
    if (Fails(Api::RegisterClassA)) {
        return 0;
    }
    if (!wc || !wc->lpszClassName || IsAtom(wc->lpszClassName) || !*wc->lpszClassName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string key = ClassKey(Lower(wc->lpszClassName), wc->hInstance);
    if (U().classes.count(key) != 0) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    WindowClass c{*wc, wc->lpszClassName, U().nextAtom++, 0};
    c.wc.lpszClassName = nullptr; // the caller's string need not outlive the call
    c.wc.lpszMenuName = nullptr;
    U().classes[key] = c;
    return c.atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    if (Fails(Api::UnregisterClassA)) {
        return FALSE;
    }
    WindowClass* c = FindClass(className, instance);
    if (!c || (!IsAtom(className) && c->wc.hInstance != instance)) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windows > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    U().classes.erase(ClassKey(Lower(c->name.c_str()), c->wc.hInstance));
    return TRUE;
}

// Windows.

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    if (Fails(Api::CreateWindowExA)) {
        return nullptr;
    }
    WindowClass* c = FindClass(className, instance);
    if (!c) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent && !Find(parent)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (style & WS_CHILD) {
        std::fprintf(stderr, "user32: CreateWindowExA: child windows are not supported\n");
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (!EnsureVideo()) {
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    if (x == CW_USEDEFAULT) {
        x = y = 0;
    }
    if (width == CW_USEDEFAULT) {
        width = 640;
        height = 480;
    }
    Window w;
    w.className = ClassKey(Lower(c->name.c_str()), c->wc.hInstance);
    w.proc = c->wc.lpfnWndProc;
    w.style = style & ~static_cast<DWORD>(WS_VISIBLE);
    w.exStyle = exStyle;
    w.title = windowName ? windowName : "";
    w.outer = RECT{x, y, x + (width > 0 ? width : 0), y + (height > 0 ? height : 0)};
    // A pop-up window made while the display mode is switched covers the display in that mode.
    w.fullscreen = (style & WS_POPUP) && U().modeSwitched;
    w.frame = w.fullscreen ? RECT{0, 0, 0, 0} : FrameOf(style);
    w.sdlFormat = platform::detail::DefaultPixelFormat();
    w.sdl = MakeSdlWindow(w, w.sdlFormat);
    if (!w.sdl) {
        // Still a window, only without OpenGL until a pixel format is set.
        w.sdlFormat = 0;
        w.sdl = MakeSdlWindow(w, 0);
    }
    if (!w.sdl) {
        std::fprintf(stderr, "user32: CreateWindowExA: %s\n", SDL_GetError());
        SetLastError(ERROR_GEN_FAILURE);
        return nullptr;
    }
    const UINT_PTR id = U().nextWindow;
    U().nextWindow += 0x10;
    HWND window = AsWindow(id);
    U().bySdlId[SDL_GetWindowID(w.sdl)] = id;
    U().windows[id] = w;
    ++c->windows;

    CREATESTRUCTA cs{
        param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
        windowName, className, exStyle};
    if (!Send(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        // Refused before it was really made: no WM_DESTROY, only WM_NCDESTROY.
        if (Find(window) && !Find(window)->destroying) {
            Destroy(window, false);
        }
        return nullptr;
    }
    if (Find(window) && Send(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        if (Find(window) && !Find(window)->destroying) {
            Destroy(window, true);
        }
        return nullptr;
    }
    if (!Find(window)) {
        return nullptr; // destroyed by its own procedure while being created
    }
    if (style & WS_VISIBLE) {
        ShowWindow(window, SW_SHOW);
    }
    return window;
}

BOOL WINAPI DestroyWindow(HWND window) {
    if (Fails(Api::DestroyWindow)) {
        return FALSE;
    }
    Window* w = Find(window);
    if (!w || w->destroying) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Destroy(window, true);
    return TRUE;
}

namespace {

void Destroy(HWND window, bool sendDestroy) {
    Window* w = Find(window);
    w->destroying = true;
    if (w->visible) {
        w->visible = false;
        SDL_HideWindow(w->sdl);
    }
    if (U().active == window) {
        Deactivate(nullptr);
    } else if (U().focus == window) {
        U().focus = nullptr;
        Send(window, WM_KILLFOCUS, 0, 0);
    }
    if (sendDestroy) {
        Send(window, WM_DESTROY, 0, 0);
    }
    Send(window, WM_NCDESTROY, 0, 0);

    w = Find(window);
    platform::detail::ReleaseWindowSurface(window);
    platform::detail::ForgetWindow(window);
    U().bySdlId.erase(SDL_GetWindowID(w->sdl));
    SDL_DestroyWindow(w->sdl);
    if (w->dc) {
        U().dcs.erase(Key(w->dc));
    }
    auto c = U().classes.find(w->className);
    if (c != U().classes.end()) {
        --c->second.windows;
    }
    // Whatever was queued for the window goes with it.
    Forget(U().posted, window);
    Forget(U().input, window);
    if (U().focus == window) {
        U().focus = nullptr;
    }
    if (U().active == window) {
        U().active = nullptr;
    }
    U().windows.erase(Key(window));
}

} // namespace

BOOL WINAPI IsWindow(HWND window) {
    return Find(window) ? TRUE : FALSE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    if (Fails(Api::ShowWindow)) {
        return FALSE;
    }
    Window* w = Find(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    const BOOL wasVisible = w->visible ? TRUE : FALSE;
    if (command == SW_HIDE) {
        if (w->visible) {
            Send(window, WM_SHOWWINDOW, FALSE, 0);
            if ((w = Find(window)) != nullptr) {
                w->visible = false;
                SDL_HideWindow(w->sdl);
            }
            if (U().active == window) {
                Deactivate(nullptr);
            }
        }
        return wasVisible;
    }
    if (!w->visible) {
        Send(window, WM_SHOWWINDOW, TRUE, 0);
        if (!(w = Find(window))) {
            return wasVisible;
        }
        w->visible = true;
        SDL_ShowWindow(w->sdl);
    }
    switch (command) {
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
        SDL_MinimizeWindow(w->sdl);
        break;
    case SW_SHOWMAXIMIZED:
        SDL_MaximizeWindow(w->sdl);
        break;
    case SW_RESTORE:
        SDL_RestoreWindow(w->sdl);
        break;
    default:
        break;
    }
    const bool activate = command != SW_SHOWNOACTIVATE && command != SW_SHOWNA &&
                          command != SW_SHOWMINNOACTIVE && command != SW_MINIMIZE;
    if (activate) {
        Activate(window);
    }
    // The first showing tells the window its size and position.
    if ((w = Find(window)) != nullptr && !w->shownOnce) {
        w->shownOnce = true;
        const int cw = ClientWidth(*w), ch = ClientHeight(*w);
        const int cx = w->outer.left + w->frame.left, cy = w->outer.top + w->frame.top;
        Send(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cw, ch));
        Send(window, WM_MOVE, 0, MAKELPARAM(cx, cy));
    }
    return wasVisible;
}

BOOL WINAPI SetForegroundWindow(HWND window) {
    Window* w = Find(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    if (w->visible) {
        SDL_RaiseWindow(w->sdl);
    }
    Activate(window);
    return TRUE;
}

HWND WINAPI SetFocus(HWND window) {
    User32State& u = U();
    HWND old = u.focus;
    if (!window) {
        if (old) {
            u.focus = nullptr;
            Send(old, WM_KILLFOCUS, 0, 0);
        }
        return old;
    }
    Window* w = Find(window);
    if (!w) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    if (old == window) {
        return old;
    }
    if (u.active != window) {
        Activate(window); // focus goes with activation, through WM_ACTIVATE
        if (u.focus == window) {
            return old;
        }
    }
    old = u.focus;
    if (old) {
        u.focus = nullptr;
        Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    }
    if (!Find(window)) {
        return old;
    }
    u.focus = window;
    if (Find(window)->visible) {
        SDL_SetWindowInputFocus(Find(window)->sdl); // refused by some drivers; harmless
    }
    Send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(old), 0);
    return old;
}

HWND WINAPI GetFocus() {
    return U().focus;
}

HWND WINAPI GetActiveWindow() {
    return U().active;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    Window* w = Find(window);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = RECT{0, 0, ClientWidth(*w), ClientHeight(*w)};
    return TRUE;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    Window* w = Find(window);
    if (!w || !rect) {
        SetLastError(w ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    *rect = w->outer;
    return TRUE;
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL /*menu*/, DWORD /*exStyle*/) {
    if (!rect) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const RECT frame = FrameOf(style);
    rect->left -= frame.left;
    rect->top -= frame.top;
    rect->right += frame.right;
    rect->bottom += frame.bottom;
    return TRUE;
}

// Device contexts: one per window (what CS_OWNDC gives), living as long as the window.

HDC WINAPI GetDC(HWND window) {
    if (Fails(Api::GetDC)) {
        return nullptr;
    }
    Window* w = Find(window);
    if (!w) {
        SetLastError(window ? ERROR_INVALID_WINDOW_HANDLE : ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (!w->dc) {
        const UINT_PTR id = U().nextDC;
        U().nextDC += 0x10;
        w->dc = reinterpret_cast<HDC>(id);
        U().dcs[id] = Key(window);
    }
    return w->dc;
}

int WINAPI ReleaseDC(HWND window, HDC dc) {
    if (Fails(Api::ReleaseDC)) {
        return 0;
    }
    auto it = U().dcs.find(Key(dc));
    if (it == U().dcs.end() || (window && it->second != Key(window))) {
        SetLastError(ERROR_DC_NOT_FOUND);
        return 0;
    }
    return 1; // a window's own DC stays with the window
}

HWND WINAPI WindowFromDC(HDC dc) {
    auto it = U().dcs.find(Key(dc));
    return it == U().dcs.end() ? nullptr : AsWindow(it->second);
}

// The cursor.

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Only the system's cursors exist: nothing here has cursor resources.
    const UINT_PTR id = Key(name);
    if (!instance && IsAtom(name) && id >= 32512 && id <= 32651) {
        return reinterpret_cast<HCURSOR>(0x00010000 | id);
    }
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

int WINAPI ShowCursor(BOOL show) {
    // A display counter: the cursor shows while it is 0 or more.
    User32State& u = U();
    const bool wasShown = u.cursorCount >= 0;
    u.cursorCount += show ? 1 : -1;
    const bool shown = u.cursorCount >= 0;
    if (shown != wasShown && EnsureVideo()) {
        SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
    }
    return u.cursorCount;
}

// Messages.

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT first, UINT last, UINT remove) {
    if (!msg) {
        SetLastError(ERROR_NOACCESS);
        return FALSE;
    }
    Pump();
    User32State& u = U();
    // Posted messages first, then the quit message once none is left, then input.
    if (TakeFrom(u.posted, msg, window, first, last, remove)) {
        return TRUE;
    }
    if (u.quitPending) {
        const MSG quit{nullptr, WM_QUIT, static_cast<WPARAM>(u.quitCode), 0, Now(), u.mouse};
        if (Matches(quit, window, first, last)) {
            *msg = quit;
            if (remove & PM_REMOVE) {
                u.quitPending = false;
            }
            return TRUE;
        }
    }
    return TakeFrom(u.input, msg, window, first, last, remove) ? TRUE : FALSE;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (!msg || (msg->message != WM_KEYDOWN && msg->message != WM_KEYUP &&
                 msg->message != WM_SYSKEYDOWN && msg->message != WM_SYSKEYUP)) {
        return FALSE;
    }
    if (msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) {
        // Characters of the keys whose character does not depend on the layout's symbols.
        const WPARAM vk = msg->wParam;
        const SDL_Keymod mod = SDL_GetModState();
        const bool shift = (mod & KMOD_SHIFT) != 0;
        const bool caps = (mod & KMOD_CAPS) != 0;
        const bool ctrl = (mod & KMOD_CTRL) != 0;
        WPARAM ch = 0;
        if (vk >= 'A' && vk <= 'Z') {
            ch = ctrl ? vk - 'A' + 1 : (shift != caps ? vk : vk - 'A' + 'a');
        } else if (vk >= '0' && vk <= '9' && !shift && !ctrl) {
            ch = vk;
        } else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_BACK ||
                   vk == VK_TAB) {
            ch = vk;
        }
        if (ch) {
            Post(U().posted, msg->hwnd, msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR, ch,
                 msg->lParam);
        }
    }
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (!msg || !msg->hwnd) {
        return 0; // thread messages have no window procedure
    }
    if (!Find(msg->hwnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) {
            SetFocus(window);
        }
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close.
        if (wParam == VK_F4 && (lParam & (LPARAM(1) << 29))) {
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            SendMessageA(window, WM_CLOSE, 0, 0);
            break;
        case SC_MINIMIZE:
            ShowWindow(window, SW_MINIMIZE);
            break;
        case SC_MAXIMIZE:
            ShowWindow(window, SW_SHOWMAXIMIZED);
            break;
        case SC_RESTORE:
            ShowWindow(window, SW_RESTORE);
            break;
        default:
            break;
        }
        return 0;
    default:
        return 0;
    }
}

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window && !Find(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    Post(U().posted, window, message, wParam, lParam);
    return TRUE;
}

LRESULT WINAPI SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!Find(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return Send(window, message, wParam, lParam);
}

void WINAPI PostQuitMessage(int exitCode) {
    U().quitPending = true;
    U().quitCode = exitCode;
}

// Message boxes.

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!text) {
        text = "";
    }
    if (!caption) {
        caption = "Error"; // what Windows shows for a null caption
    }
    platform::detail::RecordMessageBox(text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);

    struct Choice {
        int id;
        const char* label;
    };
    const Choice ok = {IDOK, "OK"}, cancel = {IDCANCEL, "Cancel"}, yes = {IDYES, "Yes"},
                 no = {IDNO, "No"}, abort = {IDABORT, "Abort"}, retry = {IDRETRY, "Retry"},
                 ignore = {IDIGNORE, "Ignore"};
    Choice choices[3] = {ok};
    int count = 1;
    int escape = IDOK; // what closing the box answers
    switch (type & 0xF) {
    case MB_OKCANCEL:
        choices[1] = cancel, count = 2, escape = IDCANCEL;
        break;
    case MB_ABORTRETRYIGNORE:
        choices[0] = abort, choices[1] = retry, choices[2] = ignore, count = 3, escape = IDABORT;
        break;
    case MB_YESNOCANCEL:
        choices[0] = yes, choices[1] = no, choices[2] = cancel, count = 3, escape = IDCANCEL;
        break;
    case MB_YESNO:
        choices[0] = yes, choices[1] = no, count = 2, escape = IDNO;
        break;
    case MB_RETRYCANCEL:
        choices[0] = retry, choices[1] = cancel, count = 2, escape = IDCANCEL;
        break;
    default:
        break;
    }
    const char* mode = std::getenv("PARTICLES_DIALOGS");
    if (mode && std::strcmp(mode, "stderr") == 0) {
        return choices[0].id;
    }

    SDL_MessageBoxButtonData buttons[3];
    for (int i = 0; i < count; ++i) {
        Uint32 flags = 0;
        if (i == 0) {
            flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
        }
        if (choices[i].id == escape) {
            flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
        }
        buttons[i] = SDL_MessageBoxButtonData{flags, choices[i].id, choices[i].label};
    }
    Uint32 icon = SDL_MESSAGEBOX_INFORMATION;
    switch (type & 0xF0) {
    case MB_ICONERROR:
        icon = SDL_MESSAGEBOX_ERROR;
        break;
    case MB_ICONWARNING:
        icon = SDL_MESSAGEBOX_WARNING;
        break;
    default:
        break;
    }
    // A box without an owner still has to show above a full-screen window of the program.
    SDL_Window* parent = nullptr;
    if (Window* w = Find(owner)) {
        parent = w->sdl;
    } else {
        for (auto& entry : U().windows) {
            if (entry.second.fullscreen && entry.second.visible) {
                parent = entry.second.sdl;
            }
        }
    }
    const SDL_MessageBoxData data{icon, parent, caption, text, count, buttons, nullptr};
    int pressed = -1;
    if (SDL_ShowMessageBox(&data, &pressed) != 0) {
        return choices[0].id; // no dialog can be shown here: stderr has it
    }
    return pressed < 0 ? escape : pressed;
}

// Display modes.

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    if (!mode) {
        platform::detail::RestoreDisplayMode();
        return DISP_CHANGE_SUCCESSFUL;
    }
    LONG forced = DISP_CHANGE_SUCCESSFUL;
    if (platform::detail::ForcedDisplayChange(&forced)) {
        return forced;
    }
    if (!EnsureVideo()) {
        return DISP_CHANGE_FAILED;
    }
    // Fields left out of dmFields keep the values of the current mode.
    SDL_DisplayMode wanted;
    if (SDL_GetDesktopDisplayMode(0, &wanted) != 0) {
        std::fprintf(stderr, "user32: ChangeDisplaySettingsA: %s\n", SDL_GetError());
        return DISP_CHANGE_FAILED;
    }
    int bits = WindowsBitsPerPixel(wanted.format);
    int frequency = 0;
    if (mode->dmFields & DM_PELSWIDTH) {
        wanted.w = static_cast<int>(mode->dmPelsWidth);
    }
    if (mode->dmFields & DM_PELSHEIGHT) {
        wanted.h = static_cast<int>(mode->dmPelsHeight);
    }
    if (mode->dmFields & DM_BITSPERPEL) {
        bits = static_cast<int>(mode->dmBitsPerPel);
    }
    if (mode->dmFields & DM_DISPLAYFREQUENCY) {
        frequency = static_cast<int>(mode->dmDisplayFrequency);
    }
    // Exactly the mode asked for, or none. A refresh rate of 0 or 1 means the default one, and
    // SDL's 0 means it does not know.
    SDL_DisplayMode m;
    bool found = false;
    for (int i = 0; !found && DisplayMode(i, &m); ++i) {
        found = m.w == wanted.w && m.h == wanted.h && WindowsBitsPerPixel(m.format) == bits &&
                (frequency <= 1 || m.refresh_rate == 0 || m.refresh_rate == frequency);
    }
    if (!found) {
        return DISP_CHANGE_BADMODE;
    }
    if (flags & CDS_TEST) {
        return DISP_CHANGE_SUCCESSFUL;
    }
    // SDL changes modes only for a full-screen window: the mode takes effect when a pop-up
    // window shows it, and lasts until ChangeDisplaySettingsA(nullptr, 0) or the process ends.
    User32State& u = U();
    u.mode = m;
    u.modeSwitched = true;
    for (auto& entry : u.windows) {
        if (entry.second.fullscreen) {
            SDL_SetWindowDisplayMode(entry.second.sdl, &m); // already covering: the new mode
        }
    }
    if (!u.exitHookInstalled) {
        u.exitHookInstalled = true;
        std::atexit(&RestoreAtExit);
    }
    return DISP_CHANGE_SUCCESSFUL;
}

BOOL WINAPI EnumDisplaySettingsA(LPCSTR device, DWORD modeNumber, DEVMODEA* mode) {
    if (device || !mode || !EnsureVideo()) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    SDL_DisplayMode m;
    if (modeNumber == ENUM_CURRENT_SETTINGS && U().modeSwitched) {
        m = U().mode;
    } else if (modeNumber == ENUM_CURRENT_SETTINGS || modeNumber == ENUM_REGISTRY_SETTINGS) {
        if (!DisplayMode(0, &m)) {
            return FALSE;
        }
    } else if (!DisplayMode(static_cast<int>(modeNumber), &m)) {
        return FALSE;
    }
    FillDevMode(m, mode);
    return TRUE;
}

namespace platform::detail {

void RestoreDisplayMode() {
    User32State& u = U();
    if (!u.modeSwitched) {
        return;
    }
    u.modeSwitched = false;
    // SDL puts the desktop mode back when the last full-screen window leaves full screen.
    for (auto& entry : u.windows) {
        if (entry.second.fullscreen) {
            entry.second.fullscreen = false;
            SDL_SetWindowFullscreen(entry.second.sdl, 0);
        }
    }
}

SDL_Window* SdlWindowOf(HWND window) {
    Window* w = Find(window);
    return w ? w->sdl : nullptr;
}

int SdlFormatOf(HWND window) {
    Window* w = Find(window);
    return w ? w->sdlFormat : 0;
}

bool PrepareContextFormat(int format) {
    if (U().lastSdlFormat != format) {
        ApplyPixelFormatAttributes(format);
        SDL_Window* primer =
            SDL_CreateWindow("", 0, 0, 1, 1, SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL);
        if (!primer) {
            return false;
        }
        SDL_DestroyWindow(primer);
        U().lastSdlFormat = format;
    }
    ApplyPixelFormatAttributes(format);
    return true;
}

bool RecreateSdlWindow(HWND window, int format) {
    Window* w = Find(window);
    if (!w) {
        return false;
    }
    SDL_Window* replacement = MakeSdlWindow(*w, format);
    if (!replacement) {
        std::fprintf(stderr, "user32: no window for pixel format %d: %s\n", format, SDL_GetError());
        return false;
    }
    ReleaseWindowSurface(window);
    U().bySdlId.erase(SDL_GetWindowID(w->sdl));
    SDL_DestroyWindow(w->sdl);
    w->sdl = replacement;
    w->sdlFormat = format;
    U().bySdlId[SDL_GetWindowID(replacement)] = Key(window);
    if (w->visible) {
        SDL_ShowWindow(replacement);
    }
    return true;
}

} // namespace platform::detail
