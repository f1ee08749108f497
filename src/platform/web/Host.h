// What the concerns of the browser host need from each other, besides the Win32 core
// (platform/Core.h); not part of the Win32 interface.
#pragma once

#include <cstdint>

#include "platform/Core.h"

namespace web {

// Canvas.cpp: the window SetFocus gave the keyboard focus, or the window when there is one.
HWND KeyWindow();
// Keyboard.cpp: starts listening to the page's keys (once).
void ListenToKeys();

// MessageBox.cpp: whether a message box is open; the box has the keyboard meanwhile, and keys
// pressed then never reach the program.
bool InMessageBox();

// Contexts.cpp: the window is about to go; a context drawing into it stops doing so.
void WindowGoing(HWND window);
// Libraries.cpp: the extension function named `name` (glPointParameterfARB, wglSwapIntervalEXT),
// which only wglGetProcAddress hands out, or null.
FARPROC ExtensionExport(const char* name);

// Contexts.cpp: how many frames SwapBuffers has presented.
std::uint32_t PresentedFrames();

// Replay.cpp: in replay mode, the frame whose picture the page keeps (the page's &frame=K), or 0.
std::uint32_t ReplayFrameToKeep();

} // namespace web

namespace webgl {

// Contexts.cpp: the WGL calls, exported by the module loaded for "OpenGL32.dll" (Libraries.cpp)
// under the binding's names.
HGLRC WINAPI wglCreateContext(HDC dc);
BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC rc);
BOOL WINAPI wglDeleteContext(HGLRC rc);
PROC WINAPI wglGetProcAddress(LPCSTR name);
BOOL WINAPI wglSwapIntervalEXT(int interval);

} // namespace webgl
