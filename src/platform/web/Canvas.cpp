// The window and the cursor, in the page: the browser host's part of the window registry
// (platform/Windows.cpp).
//
// Implements the registry's back-end: the window is the page's canvas (#canvas), sized to the
// window's client area and hidden until shown.
// Reproduces: the cursor's display counter hides the cursor over the canvas below 0.
// Leaves out: more than one window at a time (there is one canvas: a second CreateWindowExA
// fails), the frame's own pixels, raising and focusing (the page has the browser's focus). A
// destroyed window's canvas keeps its last picture: the page shows the end there.
#include <emscripten/emscripten.h>
#include <emscripten/html5.h>

#include <cstdio>

#include "platform/web/Host.h"

namespace {

// The canvas, as the registry holds it; in use while its window exists.
struct Canvas {
    bool inUse = false;
} TheCanvas;

bool Any(void* /*native*/, const void* /*data*/) {
    return true;
}

// clang-format off
EM_JS(void, ShowCanvas, (int visible), {
    const canvas = document.getElementById('canvas');
    if (canvas) {
        canvas.style.visibility = visible ? 'visible' : 'hidden';
    }
});

EM_JS(void, ShowCanvasCursor, (int visible), {
    const canvas = document.getElementById('canvas');
    if (canvas) {
        canvas.style.cursor = visible ? 'auto' : 'none';
    }
});
// clang-format on

} // namespace

namespace web {

HWND KeyWindow() {
    const HWND focus = platform::FocusWindow();
    return focus ? focus : platform::FindWindowWhere(Any, nullptr);
}

} // namespace web

namespace platform {
namespace host {

void* CreateNative(const char* /*title*/, DWORD /*style*/, int /*x*/, int /*y*/, int width,
                   int height) {
    if (TheCanvas.inUse || width > 16384 || height > 16384 ||
        emscripten_set_canvas_element_size("#canvas", width, height) != EMSCRIPTEN_RESULT_SUCCESS) {
        std::fprintf(stderr, "Win32 layer: CreateWindowExA: no canvas for %d x %d\n", width,
                     height);
        return nullptr;
    }
    ShowCanvas(0);
    TheCanvas.inUse = true;
    web::ListenToKeys();
    return &TheCanvas;
}

void ShowNative(void* /*native*/, bool visible) {
    ShowCanvas(visible ? 1 : 0);
}

void HideGoing(void* /*native*/, bool /*visible*/) {}

void DestroyNative(HWND window, void* /*native*/) {
    web::WindowGoing(window);
    TheCanvas.inUse = false;
}

void RaiseNative(void* /*native*/) {}

void FocusNative(void* /*native*/) {}

void ShowNativeCursor(bool shown) {
    ShowCanvasCursor(shown ? 1 : 0);
}

} // namespace host
} // namespace platform
