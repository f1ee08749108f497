// gdi32 and WGL on SDL2: pixel formats, OpenGL rendering contexts and presenting.
#include "platform/Internal.h"

#include <SDL.h>
#include <cstring>

int WINAPI ChoosePixelFormat(HDC, const PIXELFORMATDESCRIPTOR*) {
    return 0;
}
BOOL WINAPI SetPixelFormat(HDC, int, const PIXELFORMATDESCRIPTOR*) {
    return FALSE;
}
int WINAPI DescribePixelFormat(HDC, int, UINT, PIXELFORMATDESCRIPTOR*) {
    return 0;
}
BOOL WINAPI SwapBuffers(HDC) {
    return FALSE;
}

namespace platform {
HGLRC WINAPI wglCreateContext(HDC) {
    return nullptr;
}
BOOL WINAPI wglMakeCurrent(HDC, HGLRC) {
    return FALSE;
}
BOOL WINAPI wglDeleteContext(HGLRC) {
    return FALSE;
}
PROC WINAPI wglGetProcAddress(LPCSTR) {
    return nullptr;
}
HGLRC WINAPI wglGetCurrentContext() {
    return nullptr;
}
HDC WINAPI wglGetCurrentDC() {
    return nullptr;
}
namespace {
// Function pointers pass through void (*)() so that the compiler accepts the cast.
template <typename F> FARPROC AsFarProc(F f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}
} // namespace
namespace detail {
void ApplyPixelFormatAttributes(int) {}
int DefaultPixelFormat() {
    return 1;
}
void ReleaseWindowSurface(HWND) {}
void ForgetWindow(HWND) {}
FARPROC OpenGLExport(const char* name) {
    if (std::strcmp(name, "wglCreateContext") == 0) {
        return AsFarProc(&wglCreateContext);
    }
    if (std::strcmp(name, "wglMakeCurrent") == 0) {
        return AsFarProc(&wglMakeCurrent);
    }
    if (std::strcmp(name, "wglDeleteContext") == 0) {
        return AsFarProc(&wglDeleteContext);
    }
    if (std::strcmp(name, "wglGetProcAddress") == 0) {
        return AsFarProc(&wglGetProcAddress);
    }
    return nullptr;
}
} // namespace detail
} // namespace platform
