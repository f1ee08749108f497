// What the parts of the Win32 layer need from each other; not part of the Win32 interface.
#pragma once

#include "platform/Seam.h"
#include "platform/Win32.h"

struct SDL_Window;

namespace platform {

// The WGL entry points. They live in this namespace so that they never collide with the OpenGL
// binding's wrappers of the same names; programs reach them through GetProcAddress on the module
// loaded for "OpenGL32.dll", as on Windows.
HGLRC WINAPI wglCreateContext(HDC dc);
BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context);
BOOL WINAPI wglDeleteContext(HGLRC context);
PROC WINAPI wglGetProcAddress(LPCSTR name);
HGLRC WINAPI wglGetCurrentContext();
HDC WINAPI wglGetCurrentDC();

namespace detail {

// Seam.cpp: whether a test made `api` fail; a failing call sets ERROR_GEN_FAILURE.
bool Fails(Api api);
// Seam.cpp: the answer a test forced on ChangeDisplaySettingsA, if any.
bool ForcedDisplayChange(LONG* result);
// Seam.cpp: remembers a message box for TakeMessageBoxes.
void RecordMessageBox(const char* text, const char* caption, UINT type);

// user32.cpp: puts the display mode back if ChangeDisplaySettingsA switched it. Safe to call at
// any time, also at process exit.
void RestoreDisplayMode();
// user32.cpp: the SDL window behind a window handle, or null.
SDL_Window* SdlWindowOf(HWND window);
// user32.cpp: the pixel format the SDL window was created for.
int SdlFormatOf(HWND window);
// user32.cpp: readies SDL to create a context for a window of this pixel format. SDL's EGL
// backend keeps the configuration of the last OpenGL window it made and creates every context
// with it; when that window had another format, a hidden window of the right one is made and
// dropped. Also sets the OpenGL attributes (GLX reads them at context creation).
bool PrepareContextFormat(int format);
// user32.cpp: recreates the (still hidden or shown) SDL window for another pixel format. The
// window handle stays the same. False if SDL cannot make such a window.
bool RecreateSdlWindow(HWND window, int format);

// gdi32.cpp: sets SDL's OpenGL attributes for one of the offered pixel formats (1-based).
void ApplyPixelFormatAttributes(int format);
// gdi32.cpp: the format the layer creates windows with before any SetPixelFormat.
int DefaultPixelFormat();
// gdi32.cpp: the window is about to lose its SDL window (destroyed or recreated); the rendering
// context current on it, if any, must stop drawing into it.
void ReleaseWindowSurface(HWND window);
// gdi32.cpp: the window is gone; forgets its pixel format.
void ForgetWindow(HWND window);
// gdi32.cpp: the WGL functions that "OpenGL32.dll" exports by name, or null.
FARPROC OpenGLExport(const char* name);

} // namespace detail
} // namespace platform
