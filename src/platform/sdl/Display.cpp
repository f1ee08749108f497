// Display modes, on SDL2.
//
// Implements ChangeDisplaySettingsA.
// Reproduces: only a mode the display offers exactly (width, height and bits per pixel, counting
// the padding byte of 32-bit pixels as Windows does) is accepted, DISP_CHANGE_BADMODE otherwise;
// fields left out of dmFields keep the current mode's values; a null record puts the desktop's
// mode back; a temporary (CDS_FULLSCREEN) change is undone when the process ends, through exit
// and ExitProcess here, a lost connection to the X server in X11.cpp, and any other end (a signal,
// SIGKILL included) by the display guard, a process of its own (Guard.cpp).
// Leaves out: refresh rates, CDS_TEST and the other flags (every change is temporary), other
// displays than the first, and the registry. SDL changes the mode only for a full-screen window,
// so the switch takes effect when the pop-up window made for it is shown.
// Where no real switch can be made, the mode is presented instead: under native Wayland, where a
// client changes no mode, and on Xwayland, whose modes are emulated for the program's own
// connection while the compositor's output keeps its size. There the pop-up window made for the
// mode is full screen at the output's size, and the program draws the mode's frame offscreen,
// which SwapBuffers shows scaled to fill the output with its aspect kept and black bars
// (Contexts.cpp), as a monitor shows a mode of another shape. Every mode of the desktop's depth
// is offered then, nothing outside the program changes, and so nothing is put back: no display
// guard is started, and restoring leaves the window full screen until it goes (leaving full
// screen first, then showing the cursor, crashes SDL 2.26 on Wayland).
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/Layer.h"

namespace {

struct DisplayState {
    bool switched = false;
    bool presented = false; // the mode is presented by scaling, not switched
    SDL_DisplayMode mode{};
    SDL_Window* covering = nullptr;
    SDL_Window* scaled = nullptr; // shows `mode` scaled to the output until it goes
    bool exitHookInstalled = false;
};

DisplayState& D() {
    static DisplayState state;
    return state;
}

int WindowsBitsPerPixel(Uint32 format) {
    return SDL_BYTESPERPIXEL(format) * 8;
}

void RestoreAtExit() {
    platform::RestoreDisplayMode();
}

// Whether a switch would change no real mode.
bool SwitchIsEmulated() {
    const char* driver = SDL_GetCurrentVideoDriver();
    return (driver && std::strcmp(driver, "wayland") == 0) || platform::OnXwayland();
}

} // namespace

namespace platform {

bool CoverDisplay(SDL_Window* window) {
    DisplayState& d = D();
    if (!d.switched) {
        return false;
    }
    if (d.presented) {
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
        d.scaled = window;
    } else {
        SDL_SetWindowDisplayMode(window, &d.mode);
        SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
    }
    d.covering = window;
    return true;
}

void UncoverDisplay(SDL_Window* window) {
    // SDL puts the desktop's mode back when a full-screen window goes.
    if (D().covering == window) {
        D().covering = nullptr;
    }
    if (D().scaled == window) {
        D().scaled = nullptr;
    }
}

bool PresentsModeScaled() {
    return D().switched && D().presented;
}

bool ScaledMode(SDL_Window* window, int& width, int& height) {
    if (!window || D().scaled != window) {
        return false;
    }
    width = D().mode.w;
    height = D().mode.h;
    return true;
}

SDL_Window* CoveringWindow() {
    return D().covering;
}

void RestoreDisplayMode() {
    DisplayState& d = D();
    if (!d.switched) {
        return;
    }
    d.switched = false;
    if (d.presented) {
        d.covering = nullptr; // nothing changed; the window stays as it is until it goes
        return;
    }
    if (d.covering) {
        SDL_SetWindowFullscreen(d.covering, 0);
        d.covering = nullptr;
    }
    platform::ForgetX11Modes();
}

} // namespace platform

extern "C" LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD /*flags*/) {
    if (!mode) {
        platform::RestoreDisplayMode();
        return DISP_CHANGE_SUCCESSFUL;
    }
    SDL_DisplayMode wanted;
    if (!platform::StartVideo() || SDL_GetDesktopDisplayMode(0, &wanted) != 0) {
        return DISP_CHANGE_FAILED;
    }
    int bits = WindowsBitsPerPixel(wanted.format);
    if (mode->dmFields & DM_PELSWIDTH) {
        wanted.w = static_cast<int>(mode->dmPelsWidth);
    }
    if (mode->dmFields & DM_PELSHEIGHT) {
        wanted.h = static_cast<int>(mode->dmPelsHeight);
    }
    if (mode->dmFields & DM_BITSPERPEL) {
        bits = static_cast<int>(mode->dmBitsPerPel);
    }
    DisplayState& d = D();
    if (SwitchIsEmulated()) {
        // Any mode of the desktop's depth can be presented; nothing is switched, nothing guarded.
        if (wanted.w <= 0 || wanted.h <= 0 || WindowsBitsPerPixel(wanted.format) != bits) {
            return DISP_CHANGE_BADMODE;
        }
        d.mode = wanted;
        d.switched = d.presented = true;
        return DISP_CHANGE_SUCCESSFUL;
    }
    // The desktop's own mode is offered too, listed or not (some drivers list none).
    const int count = SDL_GetNumDisplayModes(0);
    for (int i = -1; i < count; ++i) {
        SDL_DisplayMode m;
        const int got = i < 0 ? SDL_GetDesktopDisplayMode(0, &m) : SDL_GetDisplayMode(0, i, &m);
        if (got == 0 && m.w == wanted.w && m.h == wanted.h &&
            WindowsBitsPerPixel(m.format) == bits) {
            d.mode = m;
            d.switched = true;
            d.presented = false;
            platform::RememberX11Modes();
            platform::GuardDisplayMode();
            if (!d.exitHookInstalled) {
                d.exitHookInstalled = true;
                std::atexit(&RestoreAtExit);
            }
            return DISP_CHANGE_SUCCESSFUL;
        }
    }
    return DISP_CHANGE_BADMODE;
}
