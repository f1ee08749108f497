// Message boxes, in the page and on the console.
//
// Implements MessageBoxA.
// Reproduces: a modal box with an OK button that returns IDOK once it is pressed (or Enter or
// Escape is), shown above the canvas, marked as an error for MB_ICONERROR; "Error" for a null
// caption. The program waits in the call while the page goes on (the call yields to the
// browser), and the program's keys go to the box meanwhile. Every box is also written to the
// console as "caption: text". Leaves out: every other button set and icon, default buttons and
// owners. On a page without the box (no Module.messageBox), the console line is all there is and
// the call returns at once.
#include <emscripten/emscripten.h>

#include "platform/web/Host.h"

namespace {

// clang-format off
EM_ASYNC_JS(void, ShowBox, (const char* caption, const char* text, int error), {
    const c = UTF8ToString(caption);
    const t = UTF8ToString(text);
    console.log(c + ': ' + t);
    if (typeof Module.messageBox === 'function') {
        await Module.messageBox(c, t, error !== 0);
    }
});
// clang-format on

int OpenBoxes = 0;

} // namespace

bool web::InMessageBox() {
    return OpenBoxes > 0;
}

extern "C" {

int WINAPI MessageBoxA(HWND /*owner*/, LPCSTR text, LPCSTR caption, UINT type) {
    ++OpenBoxes;
    ShowBox(caption ? caption : "Error", text ? text : "", (type & MB_ICONERROR) ? 1 : 0);
    --OpenBoxes;
    return IDOK;
}

} // extern "C"
