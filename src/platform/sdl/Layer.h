// What the concerns of the SDL host need from each other, besides the Win32 core
// (platform/Core.h); not part of the Win32 interface.
#pragma once

#include "platform/Core.h"

struct SDL_Window;

namespace platform {

struct SavedModes;

// Windows.cpp: starts SDL's video once; false when no display can be used.
bool StartVideo();
// Windows.cpp: the SDL window behind a window handle, or null for a window that does not exist.
SDL_Window* SdlWindowOf(HWND window);
// Windows.cpp: the window made for an SDL window id, or null.
HWND WindowOfSdlId(unsigned id);

// Display.cpp: a pop-up window made while the mode is switched covers the display in that mode
// (true), until the mode is restored or the window goes.
bool CoverDisplay(SDL_Window* window);
void UncoverDisplay(SDL_Window* window);
// Display.cpp: the window covering the display, or null.
SDL_Window* CoveringWindow();
// Display.cpp: puts the desktop's mode back if it was switched; safe at any time.
void RestoreDisplayMode();
// Display.cpp: whether the next full-screen pop-up window will show its mode scaled to the output
// (the switch is only presented, not made: Xwayland, native Wayland).
bool PresentsModeScaled();
// Display.cpp: the mode `window` shows scaled to fill its drawable, if it is such a window.
bool ScaledMode(SDL_Window* window, int& width, int& height);

// The part of an output of outWidth x outHeight that a frame of width x height fills with its
// aspect kept, centred, as a monitor shows a mode of another shape.
struct FrameRect {
    int x, y, width, height;
};
FrameRect FitFrame(int width, int height, int outWidth, int outHeight);

// Process.cpp: whether SIGINT, SIGTERM or SIGHUP asked the program to quit since the last call.
bool TakeQuitSignal();
// Process.cpp: from now on, every signal that ends the process lets the display guard restore the
// display mode first.
void GuardDisplayMode();

// Guard.cpp: starts the display guard for `modes`, unless one runs; false (said on stderr) when
// it cannot be started.
bool StartModeGuard(const SavedModes& modes);
// Guard.cpp: the modes are back: the guard ends, with nothing to do. Safe at any time.
void ReleaseModeGuard();
// Guard.cpp: the process is ending without the modes back: the guard restores them, and the call
// waits up to 2 s for it to have done so. Async-signal-safe; safe at any time.
void AbandonModeGuard();

// X11.cpp, with SDL's x11 driver only: X errors no longer end the process, and a lost connection
// ends it at once with the display mode put back.
void WatchX11();
// X11.cpp: the display modes as they are before the first switch, for a lost connection and
// for the display guard, which it starts.
void RememberX11Modes();
// X11.cpp: the modes are back; the display guard is released.
void ForgetX11Modes();
// X11.cpp: whether the X server is Xwayland, whose mode switches change nothing outside the
// program's own connection.
bool OnXwayland();
// X11.cpp: looks at an SDL event for an X window destroyed by another client.
void NoteX11Event(const void* sdlEvent);
// X11.cpp: whether the X window behind `window` went away behind the program's back.
bool LostOnX11(SDL_Window* window);

// Windows.cpp: windows whose X window went away are destroyed as DestroyWindow would.
void DestroyLostWindows();

// Contexts.cpp: sets SDL's OpenGL attributes to the one pixel format; windows are made with it.
void PreparePixelFormat();
// Contexts.cpp: the window is about to go; a context drawing into it stops doing so.
void WindowGoing(HWND window);

// Contexts.cpp: the WGL call named `name` that the module loaded for "OpenGL32.dll" exports
// besides the library's own functions, or null. Libraries.cpp, which links without SDL, refers
// to it weakly: where the contexts are not linked in, the module exports no WGL call.
FARPROC OpenGLExport(const char* name);

} // namespace platform
