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
// Besides, for a full-screen mode that is presented rather than switched (Display.cpp): the
// window is as large as the output, which the compositor may change at any time, while the
// program draws for the mode and never sets a viewport. So a context drawing into such a window
// draws into a framebuffer object of the mode's size (the default framebuffer's format: RGBA 8,
// depth 24, stencil 8), with the viewport and scissor box a window of the mode's size would have
// given it at its first wglMakeCurrent. SwapBuffers then clears the window to black, blits the
// frame into the part that FitFrame gives (filtered linearly, as a monitor scales), sets every
// pixel's alpha to 1, since the compositor blends a buffer with alpha (the scene clears alpha to
// 0) and EGL on Wayland offers no opaque one, and swaps. The program's state is left as it was.
// Without framebuffer objects the window is drawn into as it is, as before.
#include <SDL.h>

#include <algorithm>

#include <cstdio>
#include <cstring>
#include <map>
#include <set>

#include "platform/sdl/Layer.h"

// After the layer's Win32 names, whose APIENTRY it keeps.
#include <SDL_opengl.h>

namespace {

using platform::AsFarProc;
using platform::Key;

constexpr int TheFormat = 1;

// The offscreen frame of a context that draws a presented mode, and the entry points it needs.
struct Frame {
    GLuint framebuffer = 0, color = 0, depth = 0;
    int width = 0, height = 0;
};

struct Context {
    SDL_GLContext gl = nullptr;
    bool madeCurrent = false; // once: the viewport is the one it got then
    Frame frame;
};

struct FrameCalls {
    PFNGLGENFRAMEBUFFERSPROC genFramebuffers;
    PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers;
    PFNGLBINDFRAMEBUFFERPROC bindFramebuffer;
    PFNGLGENRENDERBUFFERSPROC genRenderbuffers;
    PFNGLDELETERENDERBUFFERSPROC deleteRenderbuffers;
    PFNGLBINDRENDERBUFFERPROC bindRenderbuffer;
    PFNGLRENDERBUFFERSTORAGEPROC renderbufferStorage;
    PFNGLFRAMEBUFFERRENDERBUFFERPROC framebufferRenderbuffer;
    PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus;
    PFNGLBLITFRAMEBUFFERPROC blitFramebuffer;
    void(APIENTRY* viewport)(GLint, GLint, GLsizei, GLsizei);
    void(APIENTRY* scissor)(GLint, GLint, GLsizei, GLsizei);
    void(APIENTRY* clear)(GLbitfield);
    void(APIENTRY* clearColor)(GLfloat, GLfloat, GLfloat, GLfloat);
    void(APIENTRY* colorMask)(GLboolean, GLboolean, GLboolean, GLboolean);
    void(APIENTRY* enable)(GLenum);
    void(APIENTRY* disable)(GLenum);
    GLboolean(APIENTRY* isEnabled)(GLenum);
    void(APIENTRY* getFloatv)(GLenum, GLfloat*);
    void(APIENTRY* getBooleanv)(GLenum, GLboolean*);
};

struct ContextsState {
    std::set<HWND> formatSet;             // windows whose pixel format is set
    std::map<UINT_PTR, Context> contexts; // by HGLRC value
    UINT_PTR nextContext = 0x00020000;
    HGLRC current = nullptr;  // the thread's current context, as WGL sees it
    HDC currentDC = nullptr;  // and the device context it was made current with
    bool surfaceLost = false; // the window under the current context is gone
    int frameCalls = -1;      // whether FrameCalls are loaded: -1 not yet, 0 missing, 1 loaded
    FrameCalls gl{};
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

template <typename F> bool Load(F& f, const char* name) {
    f = reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
    return f != nullptr;
}

// The entry points of the frame, with a context current; false (said once) without them.
bool LoadFrameCalls() {
    ContextsState& c = C();
    if (c.frameCalls < 0) {
        FrameCalls& g = c.gl;
        const bool fbo = SDL_GL_ExtensionSupported("GL_ARB_framebuffer_object") == SDL_TRUE;
        const bool loaded = fbo && Load(g.genFramebuffers, "glGenFramebuffers") &&
                            Load(g.deleteFramebuffers, "glDeleteFramebuffers") &&
                            Load(g.bindFramebuffer, "glBindFramebuffer") &&
                            Load(g.genRenderbuffers, "glGenRenderbuffers") &&
                            Load(g.deleteRenderbuffers, "glDeleteRenderbuffers") &&
                            Load(g.bindRenderbuffer, "glBindRenderbuffer") &&
                            Load(g.renderbufferStorage, "glRenderbufferStorage") &&
                            Load(g.framebufferRenderbuffer, "glFramebufferRenderbuffer") &&
                            Load(g.checkFramebufferStatus, "glCheckFramebufferStatus") &&
                            Load(g.blitFramebuffer, "glBlitFramebuffer") &&
                            Load(g.viewport, "glViewport") && Load(g.scissor, "glScissor") &&
                            Load(g.clear, "glClear") && Load(g.clearColor, "glClearColor") &&
                            Load(g.colorMask, "glColorMask") && Load(g.enable, "glEnable") &&
                            Load(g.disable, "glDisable") && Load(g.isEnabled, "glIsEnabled") &&
                            Load(g.getFloatv, "glGetFloatv") &&
                            Load(g.getBooleanv, "glGetBooleanv");
        c.frameCalls = loaded ? 1 : 0;
        if (!loaded) {
            std::fprintf(stderr, "Win32 layer: no framebuffer objects; the full-screen mode is "
                                 "drawn into the window as it is, not scaled to the output\n");
        }
    }
    return c.frameCalls == 1;
}

void DeleteFrame(Frame& f) {
    if (f.framebuffer && C().frameCalls == 1) {
        C().gl.deleteFramebuffers(1, &f.framebuffer);
        C().gl.deleteRenderbuffers(1, &f.color);
        C().gl.deleteRenderbuffers(1, &f.depth);
    }
    f = Frame{};
}

// Makes the current context's frame width x height; false (and no frame) where it cannot.
bool MakeFrame(Frame& f, int width, int height) {
    if (f.framebuffer && f.width == width && f.height == height) {
        return true;
    }
    DeleteFrame(f);
    if (!LoadFrameCalls()) {
        return false;
    }
    const FrameCalls& g = C().gl;
    g.genRenderbuffers(1, &f.color);
    g.bindRenderbuffer(GL_RENDERBUFFER, f.color);
    g.renderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    g.genRenderbuffers(1, &f.depth);
    g.bindRenderbuffer(GL_RENDERBUFFER, f.depth);
    g.renderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, width, height);
    g.bindRenderbuffer(GL_RENDERBUFFER, 0);
    g.genFramebuffers(1, &f.framebuffer);
    g.bindFramebuffer(GL_FRAMEBUFFER, f.framebuffer);
    g.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, f.color);
    g.framebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER,
                              f.depth);
    if (g.checkFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
        std::fprintf(stderr,
                     "Win32 layer: no %dx%d framebuffer; the full-screen mode is drawn "
                     "into the window as it is\n",
                     width, height);
        g.bindFramebuffer(GL_FRAMEBUFFER, 0);
        DeleteFrame(f);
        return false;
    }
    f.width = width;
    f.height = height;
    return true;
}

// Where `context`, just made current on `window`, draws: the frame of a presented mode, or the
// window itself.
void DrawInto(Context& context, SDL_Window* window) {
    int width = 0, height = 0;
    const bool scaled =
        platform::ScaledMode(window, width, height) && MakeFrame(context.frame, width, height);
    if (!scaled && context.frame.framebuffer) {
        C().gl.bindFramebuffer(GL_FRAMEBUFFER, 0);
        DeleteFrame(context.frame);
    }
    if (scaled) {
        C().gl.bindFramebuffer(GL_FRAMEBUFFER, context.frame.framebuffer);
        if (!context.madeCurrent) {
            // What the driver gave the window's framebuffer: the whole of a window of the mode.
            C().gl.viewport(0, 0, width, height);
            C().gl.scissor(0, 0, width, height);
        }
    }
    context.madeCurrent = true;
}

// Shows the current context's frame in `window`, filling it as FitFrame says, opaque.
void PresentFrame(const Frame& f, SDL_Window* window) {
    const FrameCalls& g = C().gl;
    int outWidth = 0, outHeight = 0;
    SDL_GL_GetDrawableSize(window, &outWidth, &outHeight);
    GLfloat clearColor[4];
    GLboolean colorMask[4];
    g.getFloatv(GL_COLOR_CLEAR_VALUE, clearColor);
    g.getBooleanv(GL_COLOR_WRITEMASK, colorMask);
    const GLboolean scissor = g.isEnabled(GL_SCISSOR_TEST);

    g.bindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    g.bindFramebuffer(GL_READ_FRAMEBUFFER, f.framebuffer);
    g.disable(GL_SCISSOR_TEST);
    g.colorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    g.clearColor(0.0f, 0.0f, 0.0f, 1.0f);
    g.clear(GL_COLOR_BUFFER_BIT);
    if (outWidth > 0 && outHeight > 0) {
        const platform::FrameRect r = platform::FitFrame(f.width, f.height, outWidth, outHeight);
        g.blitFramebuffer(0, 0, f.width, f.height, r.x, r.y, r.x + r.width, r.y + r.height,
                          GL_COLOR_BUFFER_BIT, GL_LINEAR);
        g.colorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
        g.clear(GL_COLOR_BUFFER_BIT);
    }
    SDL_GL_SwapWindow(window);

    g.bindFramebuffer(GL_FRAMEBUFFER, f.framebuffer);
    g.colorMask(colorMask[0], colorMask[1], colorMask[2], colorMask[3]);
    g.clearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
    if (scissor) {
        g.enable(GL_SCISSOR_TEST);
    }
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
    C().contexts[handle].gl = context;
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
        SDL_GL_MakeCurrent(platform::SdlWindowOf(window), it->second.gl) != 0) {
        ReleaseCurrent();
        return FALSE;
    }
    DrawInto(it->second, platform::SdlWindowOf(window));
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
    // Its frame goes with it: nothing is shared between contexts.
    if (C().current == context) {
        ReleaseCurrent();
    }
    SDL_GL_DeleteContext(it->second.gl);
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

FrameRect FitFrame(int width, int height, int outWidth, int outHeight) {
    if (width <= 0 || height <= 0 || outWidth <= 0 || outHeight <= 0) {
        return FrameRect{0, 0, std::max(outWidth, 0), std::max(outHeight, 0)};
    }
    // The side that limits the scale fills the output; the other keeps the frame's aspect,
    // rounded to the nearest pixel.
    const long long w = width, h = height, ow = outWidth, oh = outHeight;
    FrameRect r{0, 0, outWidth, outHeight};
    if (ow * h > oh * w) {
        r.width = static_cast<int>(std::max(1LL, (oh * w * 2 + h) / (2 * h)));
    } else {
        r.height = static_cast<int>(std::max(1LL, (ow * h * 2 + w) / (2 * w)));
    }
    r.x = (outWidth - r.width) / 2;
    r.y = (outHeight - r.height) / 2;
    return r;
}

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
    const Context& context = C().contexts[Key(C().current)];
    SDL_Window* sdl = platform::SdlWindowOf(window);
    int width = 0, height = 0;
    if (context.frame.framebuffer && platform::ScaledMode(sdl, width, height)) {
        PresentFrame(context.frame, sdl);
    } else {
        SDL_GL_SwapWindow(sdl);
    }
    return TRUE;
}

} // extern "C"
