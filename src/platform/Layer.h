// What the concerns of the Win32 layer need from each other; not part of the Win32 interface.
#pragma once

#include "platform/Win32.h"

struct SDL_Window;

namespace platform {

// Windows.cpp: starts SDL's video once; false when no display can be used.
bool StartVideo();
// Windows.cpp: the SDL window behind a window handle, or null for a window that does not exist.
SDL_Window* SdlWindowOf(HWND window);
// Windows.cpp: the window whose device context `dc` is, or null.
HWND WindowOfDC(HDC dc);
// Windows.cpp: the window made for an SDL window id, or null.
HWND WindowOfSdlId(unsigned id);
// Windows.cpp: calls the window's procedure; 0 when the window does not exist.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages.cpp: queues a message; DestroyWindow drops those of a window that goes.
void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ForgetMessagesOf(HWND window);

// Display.cpp: a pop-up window made while the mode is switched covers the display in that mode
// (true), until the mode is restored or the window goes.
bool CoverDisplay(SDL_Window* window);
void UncoverDisplay(SDL_Window* window);
// Display.cpp: the window covering the display, or null.
SDL_Window* CoveringWindow();
// Display.cpp: puts the desktop's mode back if it was switched; safe at any time.
void RestoreDisplayMode();

// Contexts.cpp: sets SDL's OpenGL attributes to the one pixel format; windows are made with it.
void PreparePixelFormat();
// Contexts.cpp: the window is about to go; a context drawing into it stops doing so.
void WindowGoing(HWND window);

// Modules.cpp: what the module loaded for "OpenGL32.dll" exports besides the library's own
// functions (the WGL calls). Contexts.cpp registers them when it is linked in.
using ExportLookup = FARPROC (*)(const char* name);
void SetOpenGLExports(ExportLookup lookup);

} // namespace platform
