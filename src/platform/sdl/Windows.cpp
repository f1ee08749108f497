// The windows themselves, the cursor and the display's video, on SDL2: the SDL host's part of
// the window registry (platform/Windows.cpp).
//
// Implements the registry's back-end: a window is an SDL window with an OpenGL drawable of the
// client area's size.
// Reproduces: a pop-up window made while the display mode is switched covers the display; a
// window with a sizing frame can be resized; a window destroyed by another X client ends as if
// DestroyWindow had been called; the cursor shown or hidden over every window.
// Leaves out: the frame's own pixels (the window manager draws its own decorations).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/Layer.h"

namespace {

bool HasSdlId(void* native, const void* id) {
    return SDL_GetWindowID(static_cast<SDL_Window*>(native)) == *static_cast<const unsigned*>(id);
}

bool Lost(void* native, const void* /*data*/) {
    return platform::LostOnX11(static_cast<SDL_Window*>(native));
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
    static bool tried = false;
    static bool ready = false;
    if (tried) {
        return ready;
    }
    tried = true;
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
    ready = true;
    return true;
}

SDL_Window* SdlWindowOf(HWND window) {
    return static_cast<SDL_Window*>(NativeOf(window));
}

HWND WindowOfSdlId(unsigned id) {
    return FindWindowWhere(HasSdlId, &id);
}

void DestroyLostWindows() {
    while (HWND window = FindWindowWhere(Lost, nullptr)) {
        DestroyWindow(window);
    }
}

namespace host {

void* CreateNative(const char* title, DWORD style, int x, int y, int width, int height) {
    if (!StartVideo()) {
        return nullptr;
    }
    Uint32 flags = SDL_WINDOW_HIDDEN | SDL_WINDOW_OPENGL;
    if (style & WS_POPUP) {
        flags |= SDL_WINDOW_BORDERLESS;
        // A mode presented scaled fills the output's every pixel, at any output scale.
        if (PresentsModeScaled()) {
            flags |= SDL_WINDOW_ALLOW_HIGHDPI;
        }
    }
    if (style & WS_THICKFRAME) {
        flags |= SDL_WINDOW_RESIZABLE;
    }
    PreparePixelFormat();
    SDL_Window* sdl = SDL_CreateWindow(title, x, y, width, height, flags);
    if (!sdl) {
        std::fprintf(stderr, "Win32 layer: CreateWindowExA: %s\n", SDL_GetError());
        return nullptr;
    }
    if (style & WS_POPUP) {
        CoverDisplay(sdl);
    }
    return sdl;
}

void ShowNative(void* native, bool visible) {
    if (visible) {
        SDL_ShowWindow(static_cast<SDL_Window*>(native));
    } else {
        SDL_HideWindow(static_cast<SDL_Window*>(native));
    }
}

void HideGoing(void* native, bool visible) {
    if (visible) {
        SDL_HideWindow(static_cast<SDL_Window*>(native));
    }
}

void DestroyNative(HWND window, void* native) {
    auto* sdl = static_cast<SDL_Window*>(native);
    WindowGoing(window);
    UncoverDisplay(sdl);
    SDL_DestroyWindow(sdl);
}

void RaiseNative(void* native) {
    SDL_RaiseWindow(static_cast<SDL_Window*>(native));
}

void FocusNative(void* native) {
    SDL_SetWindowInputFocus(static_cast<SDL_Window*>(native)); // refused by some window managers
}

void ShowNativeCursor(bool shown) {
    if (StartVideo()) {
        SDL_ShowCursor(shown ? SDL_ENABLE : SDL_DISABLE);
    }
}

} // namespace host
} // namespace platform
