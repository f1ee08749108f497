// The program's window: display mode, window class, pixel format and OpenGL rendering context,
// and the window procedure that feeds the key table and ends the loop when the window goes away.
#pragma once

#include "platform/Win32.h"

// Null until created, null again after KillGLWindow.
extern HWND WindowHandle;
extern HDC DeviceContext;
extern HGLRC RenderingContext;

// The pixel format the window asks for: double-buffered RGBA of ColorBits bits, drawn to a window
// with OpenGL.
PIXELFORMATDESCRIPTOR PixelFormatRequest();

// What a use of the shell other than the demo asks of its window. The demo's own is the default.
struct TWindowRequest {
    // A window whatever Fullscreen says (which is then cleared): the display mode stays.
    bool Windowed = false;
    // Without frame or title bar, so that the viewport is the whole ScreenWidth x ScreenHeight,
    // as in full-screen mode: for frames that are read back.
    bool Frameless = false;
};

// Switches to full-screen mode (or falls back to a window), creates the window and its rendering
// context, makes the context current and shows the window. False after a failure, which has been
// reported in a message box and whatever had been built torn down.
bool CreateGLWindow(const TWindowRequest& request = {});

// Restores the display mode and tears down context, device context, window and class, reporting
// each step that fails and going on after it.
void KillGLWindow();

// The window procedure of the "OpenGL" class.
LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
