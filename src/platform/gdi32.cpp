// gdi32 and WGL on SDL2: the offered pixel formats, choosing and setting one, OpenGL rendering
// contexts and presenting.
//
// A pixel format index stands for a set of SDL OpenGL attributes. SDL fixes those attributes when
// it creates a window (the X11 visual, the EGL surface), so user32 creates every window for the
// default format and SetPixelFormat has the SDL window recreated when another one is chosen.
//
// An HGLRC is an SDL context that outlives its window, as on Windows. When the window under the
// current context is destroyed, the SDL context is released but stays "current" for WGL: the
// OpenGL calls made until wglMakeCurrent then go to the library's no-context dispatch, which
// ignores them.
#include "platform/Internal.h"

#include <SDL.h>
#include <cstdio>
#include <cstring>
#include <map>

using platform::Api;
using platform::detail::Fails;

namespace {

struct Format {
    bool doubleBuffer;
    BYTE depth;
    BYTE stencil;
};

// Best first: ChoosePixelFormat settles ties in favour of the lower index. All are 32-bit RGBA
// with 8 bits per channel, drawn to a window with OpenGL. Only sizes that Mesa gives exactly
// through both EGL and GLX are offered (GLX answers 24 bits of depth without stencil with 32).
constexpr Format Formats[] = {
    {true, 24, 8},
    {true, 0, 0},
    {false, 24, 8},
    {false, 0, 0},
};
constexpr int FormatCount = static_cast<int>(sizeof(Formats) / sizeof(Formats[0]));

struct Context {
    SDL_GLContext sdl;
    int format;
};

struct Gdi32State {
    std::map<UINT_PTR, int> pixelFormats; // window handle value -> format set on it
    std::map<UINT_PTR, Context> contexts; // HGLRC value -> context
    UINT_PTR nextContext = 0x00020000;
    HGLRC current = nullptr;  // the thread's current context, as WGL sees it
    HDC currentDC = nullptr;  // and the device context it was made current with
    bool surfaceLost = false; // the window under the current context is gone
    int swapInterval = 0;
};

Gdi32State& G() {
    static Gdi32State state;
    return state;
}

UINT_PTR Key(const void* handle) {
    return reinterpret_cast<UINT_PTR>(handle);
}

PIXELFORMATDESCRIPTOR Describe(int index) {
    const Format& f = Formats[index - 1];
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0, sizeof pfd);
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | (f.doubleBuffer ? PFD_DOUBLEBUFFER : 0);
    pfd.iPixelType = PFD_TYPE_RGBA;
    // Stored as B, G, R, A from the low byte up, like Windows' 32-bit formats.
    pfd.cColorBits = 32;
    pfd.cRedBits = 8;
    pfd.cRedShift = 16;
    pfd.cGreenBits = 8;
    pfd.cGreenShift = 8;
    pfd.cBlueBits = 8;
    pfd.cBlueShift = 0;
    pfd.cAlphaBits = 8;
    pfd.cAlphaShift = 24;
    pfd.cDepthBits = f.depth;
    pfd.cStencilBits = f.stencil;
    pfd.iLayerType = PFD_MAIN_PLANE;
    return pfd;
}

int Shortfall(int wanted, int offered) {
    return wanted > offered ? wanted - offered : 0;
}

// The pixel format set on the DC's window, 0 if none; -1 for a DC that does not exist.
int FormatOfDC(HDC dc) {
    HWND window = WindowFromDC(dc);
    if (!window) {
        return -1;
    }
    auto it = G().pixelFormats.find(Key(window));
    return it == G().pixelFormats.end() ? 0 : it->second;
}

// Releases the SDL side of the current context, whatever it is drawing into.
void ReleaseSdlCurrent() {
    if (SDL_GL_GetCurrentContext()) {
        SDL_GL_MakeCurrent(SDL_GL_GetCurrentWindow(), nullptr);
    }
}

void ReleaseCurrent() {
    ReleaseSdlCurrent();
    G().current = nullptr;
    G().currentDC = nullptr;
    G().surfaceLost = false;
}

BOOL WINAPI SwapIntervalEXT(int interval) {
    if (!G().current || G().surfaceLost) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // Without swap control (GLX on a virtual X server, for one) SDL can set nothing, but the
    // interval it reports is the one in effect: asking for that one is no failure.
    if (SDL_GL_SetSwapInterval(interval) != 0 && SDL_GL_GetSwapInterval() != interval) {
        std::fprintf(stderr, "gdi32: wglSwapIntervalEXT(%d): %s\n", interval, SDL_GetError());
        SetLastError(ERROR_NOT_SUPPORTED);
        return FALSE;
    }
    G().swapInterval = interval;
    return TRUE;
}

int WINAPI GetSwapIntervalEXT() {
    return G().swapInterval;
}

const char* WINAPI GetExtensionsStringEXT() {
    return "WGL_EXT_extensions_string WGL_EXT_swap_control";
}

// Function pointers pass through void (*)() so that the compiler accepts the cast.
template <typename F> FARPROC AsFarProc(F f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}

} // namespace

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request) {
    if (Fails(Api::ChoosePixelFormat)) {
        return 0;
    }
    if (!WindowFromDC(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!request) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    // Every format draws to a window with OpenGL in RGBA; asking for anything else finds none.
    const DWORD unavailable = PFD_DRAW_TO_BITMAP | PFD_SUPPORT_GDI;
    if ((request->dwFlags & unavailable) != 0 || request->iPixelType != PFD_TYPE_RGBA) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return 0;
    }
    // Sizes are wishes, not limits: the closest format is the one that falls least short of them,
    // compared in order of importance (buffering, colour, depth, stencil); surplus bits cost
    // nothing. No format has accumulation or auxiliary buffers, so asking for them changes nothing.
    const bool bufferingMatters = (request->dwFlags & PFD_DOUBLEBUFFER_DONTCARE) == 0;
    const bool depthMatters = (request->dwFlags & PFD_DEPTH_DONTCARE) == 0;
    const bool wantDouble = (request->dwFlags & PFD_DOUBLEBUFFER) != 0;
    int best = 0;
    int bestScore[4] = {};
    for (int i = 1; i <= FormatCount; ++i) {
        const PIXELFORMATDESCRIPTOR offered = Describe(i);
        const bool isDouble = (offered.dwFlags & PFD_DOUBLEBUFFER) != 0;
        const int score[4] = {
            bufferingMatters && isDouble != wantDouble ? 1 : 0,
            Shortfall(request->cColorBits, offered.cColorBits) +
                Shortfall(request->cAlphaBits, offered.cAlphaBits),
            depthMatters ? Shortfall(request->cDepthBits, offered.cDepthBits) : 0,
            Shortfall(request->cStencilBits, offered.cStencilBits),
        };
        bool better = best == 0;
        for (int k = 0; !better && k < 4; ++k) {
            if (score[k] != bestScore[k]) {
                better = score[k] < bestScore[k];
                break;
            }
        }
        if (better) {
            best = i;
            std::memcpy(bestScore, score, sizeof score);
        }
    }
    return best;
}

int WINAPI DescribePixelFormat(HDC dc, int format, UINT size, PIXELFORMATDESCRIPTOR* out) {
    if (Fails(Api::DescribePixelFormat)) {
        return 0;
    }
    if (!WindowFromDC(dc)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (!out) {
        return FormatCount;
    }
    if (format < 1 || format > FormatCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const PIXELFORMATDESCRIPTOR pfd = Describe(format);
    std::memcpy(out, &pfd, size < sizeof pfd ? size : sizeof pfd);
    return FormatCount;
}

int WINAPI GetPixelFormat(HDC dc) {
    const int format = FormatOfDC(dc);
    if (format < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (format == 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
    }
    return format;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* /*request*/) {
    if (Fails(Api::SetPixelFormat)) {
        return FALSE;
    }
    HWND window = WindowFromDC(dc);
    if (!window) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // A window's pixel format is set once and for all.
    if (format < 1 || format > FormatCount || G().pixelFormats.count(Key(window)) != 0) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    if (platform::detail::SdlFormatOf(window) != format &&
        !platform::detail::RecreateSdlWindow(window, format)) {
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    G().pixelFormats[Key(window)] = format;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC dc) {
    if (Fails(Api::SwapBuffers)) {
        return FALSE;
    }
    const int format = FormatOfDC(dc);
    if (format <= 0) {
        SetLastError(format < 0 ? ERROR_INVALID_HANDLE : ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    if (!Formats[format - 1].doubleBuffer) {
        return TRUE; // a single-buffered window shows what is drawn as it is drawn
    }
    // The buffers belong to the context drawing into this window.
    SDL_Window* sdl = platform::detail::SdlWindowOf(WindowFromDC(dc));
    if (!G().current || G().surfaceLost || WindowFromDC(G().currentDC) != WindowFromDC(dc) ||
        SDL_GL_GetCurrentWindow() != sdl) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    SDL_GL_SwapWindow(sdl);
    return TRUE;
}

namespace platform {

HGLRC WINAPI wglCreateContext(HDC dc) {
    if (detail::Fails(Api::wglCreateContext)) {
        return nullptr;
    }
    const int format = FormatOfDC(dc);
    if (format <= 0) {
        SetLastError(format < 0 ? ERROR_INVALID_HANDLE : ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    SDL_Window* sdl = detail::SdlWindowOf(WindowFromDC(dc));
    SDL_Window* previousWindow = SDL_GL_GetCurrentWindow();
    SDL_GLContext previous = SDL_GL_GetCurrentContext();
    // SDL unloads the OpenGL library, and with it every context, when its last OpenGL window
    // goes; a context holds its own reference so that it outlives its window as on Windows.
    if (!detail::PrepareContextFormat(format) || SDL_GL_LoadLibrary(nullptr) != 0) {
        std::fprintf(stderr, "gdi32: wglCreateContext: %s\n", SDL_GetError());
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    SDL_GLContext context = SDL_GL_CreateContext(sdl);
    if (!context) {
        std::fprintf(stderr, "gdi32: wglCreateContext: %s\n", SDL_GetError());
        SDL_GL_UnloadLibrary();
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return nullptr;
    }
    // SDL makes a new context current; WGL leaves the thread's current context alone.
    if (previous) {
        SDL_GL_MakeCurrent(previousWindow, previous);
    } else {
        SDL_GL_MakeCurrent(sdl, nullptr);
    }
    const UINT_PTR handle = G().nextContext;
    G().nextContext += 0x10;
    G().contexts[handle] = Context{context, format};
    return reinterpret_cast<HGLRC>(handle);
}

BOOL WINAPI wglMakeCurrent(HDC dc, HGLRC context) {
    if (detail::Fails(Api::wglMakeCurrent)) {
        return FALSE;
    }
    if (!context) {
        ReleaseCurrent(); // the device context does not matter then
        return TRUE;
    }
    // On failure the thread is left without a current context.
    auto it = G().contexts.find(Key(context));
    const int format = FormatOfDC(dc);
    if (it == G().contexts.end() || format < 0) {
        ReleaseCurrent();
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (format != it->second.format) {
        ReleaseCurrent();
        SetLastError(ERROR_INVALID_PIXEL_FORMAT);
        return FALSE;
    }
    if (SDL_GL_MakeCurrent(detail::SdlWindowOf(WindowFromDC(dc)), it->second.sdl) != 0) {
        std::fprintf(stderr, "gdi32: wglMakeCurrent: %s\n", SDL_GetError());
        ReleaseCurrent();
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    G().current = context;
    G().currentDC = dc;
    G().surfaceLost = false;
    return TRUE;
}

BOOL WINAPI wglDeleteContext(HGLRC context) {
    if (detail::Fails(Api::wglDeleteContext)) {
        return FALSE;
    }
    auto it = G().contexts.find(Key(context));
    if (it == G().contexts.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (G().current == context) {
        ReleaseCurrent();
    }
    SDL_GL_DeleteContext(it->second.sdl);
    SDL_GL_UnloadLibrary();
    G().contexts.erase(it);
    return TRUE;
}

PROC WINAPI wglGetProcAddress(LPCSTR name) {
    // Like the driver's lookup, this answers only while a context is current.
    if (!name || !G().current) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    if (std::strcmp(name, "wglSwapIntervalEXT") == 0) {
        return AsFarProc(&SwapIntervalEXT);
    }
    if (std::strcmp(name, "wglGetSwapIntervalEXT") == 0) {
        return AsFarProc(&GetSwapIntervalEXT);
    }
    if (std::strcmp(name, "wglGetExtensionsStringEXT") == 0) {
        return AsFarProc(&GetExtensionsStringEXT);
    }
    if (std::strncmp(name, "gl", 2) != 0 || std::strncmp(name, "glX", 3) == 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    void* address = SDL_GL_GetProcAddress(name);
    if (!address) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<PROC>(address);
}

HGLRC WINAPI wglGetCurrentContext() {
    return G().current;
}

HDC WINAPI wglGetCurrentDC() {
    return G().currentDC;
}

namespace detail {

void ApplyPixelFormatAttributes(int format) {
    const Format& f = Formats[(format >= 1 && format <= FormatCount ? format : 1) - 1];
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, f.depth);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, f.stencil);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, f.doubleBuffer ? 1 : 0);
    // The program is written against OpenGL 1.1 with extensions: a compatibility profile.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
}

int DefaultPixelFormat() {
    return 1;
}

void ReleaseWindowSurface(HWND window) {
    if (G().current && WindowFromDC(G().currentDC) == window) {
        ReleaseSdlCurrent();
        G().surfaceLost = true;
    }
}

void ForgetWindow(HWND window) {
    G().pixelFormats.erase(Key(window));
}

FARPROC OpenGLExport(const char* name) {
    struct Export {
        const char* name;
        FARPROC address;
    };
    const Export exports[] = {
        {"wglCreateContext", AsFarProc(&wglCreateContext)},
        {"wglMakeCurrent", AsFarProc(&wglMakeCurrent)},
        {"wglDeleteContext", AsFarProc(&wglDeleteContext)},
        {"wglGetProcAddress", AsFarProc(&wglGetProcAddress)},
        {"wglGetCurrentContext", AsFarProc(&wglGetCurrentContext)},
        {"wglGetCurrentDC", AsFarProc(&wglGetCurrentDC)},
    };
    for (const Export& e : exports) {
        if (std::strcmp(e.name, name) == 0) {
            return e.address;
        }
    }
    return nullptr;
}

} // namespace detail
} // namespace platform
