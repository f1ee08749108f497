// The pixel format, WGL rendering contexts and presenting, on SDL2's OpenGL.
//
// Implements ChoosePixelFormat, SetPixelFormat and SwapBuffers, and the WGL calls that the module
// loaded for "OpenGL32.dll" exports: wglCreateContext, wglMakeCurrent, wglDeleteContext,
// wglGetProcAddress, and wglSwapIntervalEXT through wglGetProcAddress.
// Reproduces: the request is a preference, so any request for an RGBA window format gets the
// closest, here the one format offered (1: double-buffered RGBA 8-8-8-8 with 24 depth and 8
// stencil bits); a window's format is set once; wglCreateContext leaves the thread's current
// context alone; wglMakeCurrent with a null context releases the current one; a context outlives
// its window, and what is drawn after the window has gone goes nowhere; wglGetProcAddress answers
// only while a context is current, and only for the driver's own functions (never GLU's);
// SwapBuffers needs the window's context current; a compatibility context, since the program is
// written against OpenGL 1.1.
// Leaves out: other formats, DescribePixelFormat and GetPixelFormat, shared display lists,
// contexts current on several threads, and every WGL extension but the swap interval.
#include <SDL.h>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "platform/Layer.h"

namespace {

using platform::AsFarProc;
using platform::Key;

constexpr int TheFormat = 1;

struct ContextsState {
    std::set<HWND> formatSet;                   // windows whose pixel format is set
    std::map<UINT_PTR, SDL_GLContext> contexts; // by HGLRC value
    UINT_PTR nextContext = 0x00020000;
    HGLRC current = nullptr;  // the thread's current context, as WGL sees it
    HDC currentDC = nullptr;  // and the device context it was made current with
    bool surfaceLost = false; // the window under the current context is gone
};

ContextsState& C() {
    static ContextsState state;
    return state;
}

// The window of a device context whose pixel format is set, or null.
HWND FormattedWindow(HDC dc) {
    HWND window = platform::WindowOfDC(dc);
    return window && C().formatSet.count(window) ? window : nullptr;
}

void ReleaseCurrent() {
    if (SDL_GL_GetCurrentContext()) {
        SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
    }
    C().current = nullptr;
    C().currentDC = nullptr;
    C().surfaceLost = false;
}

BOOL WINAPI SwapIntervalEXT(int interval) {
    if (!C().current || C().surfaceLost) {
        return FALSE;
    }
    // Without swap control (GLX on a virtual X server, for one) SDL can set nothing, but asking
    // for the interval in effect is no failure.
    return SDL_GL_SetSwapInterval(interval) == 0 || SDL_GL_GetSwapInterval() == interval;
}

HGLRC WINAPI CreateContext(HDC dc) {
    HWND window = FormattedWindow(dc);
    if (!window) {
        return nullptr;
    }
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    SDL_GLContext context = SDL_GL_CreateContext(platform::SdlWindowOf(window));
    if (!context) {
        std::fprintf(stderr, "Win32 layer: wglCreateContext: %s\n", SDL_GetError());
        return nullptr;
    }
    // SDL makes a new context current; WGL leaves the thread's current context alone.
    if (previous) {
        SDL_GL_MakeCurrent(previousWindow, previous);
    } else {
        SDL_GL_MakeCurrent(platform::SdlWindowOf(window), nullptr);
    }
    const UINT_PTR handle = C().nextContext;
    C().nextContext += 0x10;
    C().contexts[handle] = context;
    return reinterpret_cast<HGLRC>(handle);
}

BOOL WINAPI MakeCurrent(HDC dc, HGLRC context) {
    if (!context) {
        ReleaseCurrent(); // the device context does not matter then
        return TRUE;
    }
    // On failure the thread is left without a current context.
    auto it = C().contexts.find(Key(context));
    HWND window = FormattedWindow(dc);
    if (it == C().contexts.end() || !window ||
        SDL_GL_MakeCurrent(platform::SdlWindowOf(window), it->second) != 0) {
        ReleaseCurrent();
        return FALSE;
    }
    C().current = context;
    C().currentDC = dc;
    C().surfaceLost = false;
    return TRUE;
}

BOOL WINAPI DeleteContext(HGLRC context) {
    auto it = C().contexts.find(Key(context));
    if (it == C().contexts.end()) {
        return FALSE;
    }
    if (C().current == context) {
        ReleaseCurrent();
    }
    SDL_GL_DeleteContext(it->second);
    C().contexts.erase(it);
    return TRUE;
}

PROC WINAPI GetDriverProcAddress(LPCSTR name) {
    if (!name || !C().current) {
        return nullptr;
    }
    if (std::strcmp(name, "wglSwapIntervalEXT") == 0) {
        return AsFarProc(&SwapIntervalEXT);
    }
    // Only the driver's functions; GLX's lookup would hand out stubs for GLU's names too.
    if (std::strncmp(name, "gl", 2) != 0 || std::strncmp(name, "glu", 3) == 0 ||
        std::strncmp(name, "glX", 3) == 0) {
        return nullptr;
    }
    return reinterpret_cast<PROC>(SDL_GL_GetProcAddress(name));
}

} // namespace

namespace platform {

FARPROC OpenGLExport(const char* name) {
    struct Export {
        const char* name;
        FARPROC address;
    };
    const Export exports[] = {
        {"wglCreateContext", AsFarProc(&CreateContext)},
        {"wglMakeCurrent", AsFarProc(&MakeCurrent)},
        {"wglDeleteContext", AsFarProc(&DeleteContext)},
        {"wglGetProcAddress", AsFarProc(&GetDriverProcAddress)},
    };
    for (const Export& e : exports) {
        if (std::strcmp(e.name, name) == 0) {
            return e.address;
        }
    }
    return nullptr;
}

void PreparePixelFormat() {
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

void WindowGoing(HWND window) {
    if (C().current && WindowOfDC(C().currentDC) == window) {
        if (SDL_GL_GetCurrentContext()) {
            SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
        }
        C().surfaceLost = true;
    }
    C().formatSet.erase(window);
}

} // namespace platform

extern "C" {

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request) {
    if (!platform::WindowOfDC(dc) || !request) {
        return 0;
    }
    // The one format draws to a window with OpenGL in RGBA; asking for anything else finds none.
    if ((request->dwFlags & (PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI)) != 0 ||
        request->iPixelType != PFD_TYPE_RGBA) {
        return 0;
    }
    return TheFormat;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* /*request*/) {
    HWND window = platform::WindowOfDC(dc);
    if (!window || format != TheFormat) {
        return FALSE;
    }
    return C().formatSet.insert(window).second ? TRUE : FALSE;
}

BOOL WINAPI SwapBuffers(HDC dc) {
    HWND window = FormattedWindow(dc);
    // The buffers belong to the context drawing into this window.
    if (!window || !C().current || C().surfaceLost ||
        platform::WindowOfDC(C().currentDC) != window) {
        return FALSE;
    }
    SDL_GL_SwapWindow(platform::SdlWindowOf(window));
    return TRUE;
}

} // extern "C"
