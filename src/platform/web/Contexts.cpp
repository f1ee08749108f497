// The pixel format, WGL rendering contexts and presenting, on WebGL 2.
//
// Implements ChoosePixelFormat, SetPixelFormat and SwapBuffers, and the WGL calls that the module
// loaded for "OpenGL32.dll" exports: wglCreateContext, wglMakeCurrent, wglDeleteContext,
// wglGetProcAddress, and wglSwapIntervalEXT through wglGetProcAddress.
// Reproduces: any request for an RGBA window format gets the one format offered (1: RGBA
// 8-8-8-8, 24 depth and 8 stencil bits, double-buffered, single-sampled); a window's format is
// set once; a context is a WebGL 2 context on the window's canvas, with OpenGL's state as
// OpenGL.cpp keeps it; wglCreateContext leaves the current context alone; wglMakeCurrent with a
// null context releases the current one; wglGetProcAddress answers only while a context is
// current, and only for the extensions' functions (the core ones are the module's exports);
// SwapBuffers needs the window's context current. SwapBuffers presents by waiting for the
// browser's next animation frame, when the browser shows what was drawn, so the frame loop stays
// a loop: it always waits, even when it fails, so that no loop can spin the page; while the page
// is hidden it waits for the page to be shown again, as a suspended machine runs no frames. The
// swap interval is the browser's, whatever is asked.
// A lost WebGL context is kept (the page prevents the browser's default, which gives it up) and
// the program goes on drawing nothing; when the browser restores it, the module rebuilds what it
// had, so that the program never learns of it. The page hears of both (Module.contextLost,
// Module.contextRestored), and of a context that cannot be made at all (Module.noWebGL2).
// Leaves out: other formats, DescribePixelFormat and GetPixelFormat, more than one context at a
// time (there is one canvas), and every WGL extension but the swap interval.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstring>
#include <vector>

#include "gl/GL.h"
#include "platform/web/Host.h"
#include "platform/web/OpenGL.h"

namespace {

struct ContextsState {
    HWND formatSet = nullptr; // the window whose format is set
    EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = 0;
    HWND contextWindow = nullptr; // the window the context draws into; null once it has gone
    bool current = false;
    std::uint32_t presented = 0;
    std::vector<std::uint8_t> kept; // the replay's kept frame
};

ContextsState& C() {
    static ContextsState state;
    return state;
}

HGLRC ContextHandle() {
    return reinterpret_cast<HGLRC>(static_cast<UINT_PTR>(C().context));
}

// clang-format off
EM_ASYNC_JS(void, WaitForAnimationFrame, (), {
    await new Promise(resolve => requestAnimationFrame(resolve));
    while (document.hidden) {
        await new Promise(resolve => document.addEventListener('visibilitychange', resolve, {once: true}));
        await new Promise(resolve => requestAnimationFrame(resolve));
    }
});
// clang-format on

// clang-format off
EM_JS(void, KeepFrame, (std::uint32_t frame, int width, int height, const std::uint8_t* pixels), {
    Module.replayFrame = {
        frame: frame, width: width, height: height,
        pixels: HEAPU8.slice(pixels, pixels + width * height * 4)
    };
    console.log('particles: replay frame ' + frame + ' kept');
});

// The frame count and the clock's reading (ms) as the frame is presented, for the tests.
EM_JS(void, CountFrame, (std::uint32_t frames, float time), {
    Module.frames = frames;
    Module.frameTime = time;
    Module.frameAt = performance.now();
    if (frames === 1) Module.firstFrameAt = Module.frameAt;
});

EM_JS(void, TellPage, (const char* what, int ok), {
    const hook = Module[UTF8ToString(what)];
    if (typeof hook === 'function') hook(ok !== 0);
});
// clang-format on

EM_BOOL OnContextLost(int /*eventType*/, const void* /*reserved*/, void* /*data*/) {
    webgl::Lost();
    TellPage("contextLost", 1);
    return EM_TRUE; // prevents the default, which would give the context up for good
}

EM_BOOL OnContextRestored(int /*eventType*/, const void* /*reserved*/, void* /*data*/) {
    ContextsState& c = C();
    if (!c.context) {
        return EM_FALSE;
    }
    emscripten_webgl_make_context_current(c.context);
    const bool rebuilt = webgl::Restore();
    if (!c.current) {
        emscripten_webgl_make_context_current(0);
    }
    TellPage("contextRestored", rebuilt ? 1 : 0);
    return EM_TRUE;
}

} // namespace

HGLRC WINAPI webgl::wglCreateContext(HDC dc) {
    ContextsState& c = C();
    const HWND window = platform::WindowOfDC(dc);
    if (!window || c.formatSet != window || c.context) {
        return nullptr;
    }
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_TRUE;
    attributes.antialias = EM_FALSE;
    attributes.premultipliedAlpha = EM_FALSE;
    attributes.preserveDrawingBuffer = EM_FALSE;
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context =
        emscripten_webgl_create_context("#canvas", &attributes);
    if (context <= 0) {
        TellPage("noWebGL2", 1);
        return nullptr;
    }
    // The module sets up its shaders and state in the new context, which is not left current.
    emscripten_webgl_make_context_current(context);
    const bool started = webgl::Start();
    emscripten_webgl_make_context_current(0);
    if (!started) {
        webgl::Stop();
        emscripten_webgl_destroy_context(context);
        return nullptr;
    }
    c.context = context;
    c.contextWindow = window;
    c.current = false;
    emscripten_set_webglcontextlost_callback("#canvas", nullptr, EM_FALSE, OnContextLost);
    emscripten_set_webglcontextrestored_callback("#canvas", nullptr, EM_FALSE, OnContextRestored);
    return ContextHandle();
}

BOOL WINAPI webgl::wglMakeCurrent(HDC dc, HGLRC rc) {
    ContextsState& c = C();
    if (!rc) {
        emscripten_webgl_make_context_current(0);
        c.current = false;
        return TRUE;
    }
    if (!c.context || rc != ContextHandle() || !dc || platform::WindowOfDC(dc) != c.contextWindow) {
        return FALSE;
    }
    if (emscripten_webgl_make_context_current(c.context) != EMSCRIPTEN_RESULT_SUCCESS) {
        return FALSE;
    }
    c.current = true;
    return TRUE;
}

BOOL WINAPI webgl::wglDeleteContext(HGLRC rc) {
    ContextsState& c = C();
    if (!c.context || rc != ContextHandle()) {
        return FALSE;
    }
    emscripten_set_webglcontextlost_callback("#canvas", nullptr, EM_FALSE, nullptr);
    emscripten_set_webglcontextrestored_callback("#canvas", nullptr, EM_FALSE, nullptr);
    emscripten_webgl_destroy_context(c.context);
    webgl::Stop();
    c.context = 0;
    c.contextWindow = nullptr;
    c.current = false;
    return TRUE;
}

BOOL WINAPI webgl::wglSwapIntervalEXT(int /*interval*/) {
    return C().current ? TRUE : FALSE;
}

// The extensions' functions come only through wglGetProcAddress, and only while a context is
// current.
PROC WINAPI webgl::wglGetProcAddress(LPCSTR name) {
    return name && C().current ? web::ExtensionExport(name) : nullptr;
}

namespace web {

void WindowGoing(HWND window) {
    if (C().contextWindow == window) {
        C().contextWindow = nullptr;
    }
    if (C().formatSet == window) {
        C().formatSet = nullptr;
    }
}

std::uint32_t PresentedFrames() {
    return C().presented;
}

} // namespace web

extern "C" {

int WINAPI ChoosePixelFormat(HDC dc, const PIXELFORMATDESCRIPTOR* request) {
    if (!platform::WindowOfDC(dc) || !request || request->iPixelType != PFD_TYPE_RGBA ||
        !(request->dwFlags & PFD_SUPPORT_OPENGL) || (request->dwFlags & PFD_DRAW_TO_BITMAP)) {
        return 0;
    }
    return 1;
}

BOOL WINAPI SetPixelFormat(HDC dc, int format, const PIXELFORMATDESCRIPTOR* /*request*/) {
    const HWND window = platform::WindowOfDC(dc);
    if (!window || format != 1 || C().formatSet == window) {
        return FALSE;
    }
    C().formatSet = window;
    return TRUE;
}

BOOL WINAPI SwapBuffers(HDC dc) {
    ContextsState& c = C();
    const bool drawing =
        c.current && c.contextWindow && platform::WindowOfDC(dc) == c.contextWindow;
    if (drawing) {
        ++c.presented;
        CountFrame(c.presented, static_cast<float>(GetTickCount()));
        int width = 0;
        int height = 0;
        if (c.presented == web::ReplayFrameToKeep() &&
            emscripten_get_canvas_element_size("#canvas", &width, &height) ==
                EMSCRIPTEN_RESULT_SUCCESS &&
            width > 0 && height > 0) {
            c.kept.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4u);
            webgl::ReadRgba(width, height, c.kept.data());
            KeepFrame(c.presented, width, height, c.kept.data());
        }
    }
    WaitForAnimationFrame();
    return drawing ? TRUE : FALSE;
}

} // extern "C"
