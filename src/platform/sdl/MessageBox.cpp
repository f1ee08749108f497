// Message boxes, on SDL2 and stderr.
//
// Implements MessageBoxA.
// Reproduces: a modal box with an OK button that returns IDOK, the error icon for MB_ICONERROR;
// a box without an owner still shows above the program's full-screen window; "Error" for a null
// caption.
// Leaves out: every other button set and icon, default buttons and owners' modality. Besides:
// every box is also written to stderr as "caption: text"; PARTICLES_DIALOGS=stderr shows none
// but that line (for runs nobody can click through); where no dialog can be shown the line is
// all there is.
#include <SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/sdl/Layer.h"

extern "C" int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (!text) {
        text = "";
    }
    if (!caption) {
        caption = "Error";
    }
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
    const char* dialogs = std::getenv("PARTICLES_DIALOGS");
    if (dialogs && std::strcmp(dialogs, "stderr") == 0) {
        return IDOK;
    }
    SDL_Window* parent = platform::SdlWindowOf(owner);
    if (!parent) {
        parent = platform::CoveringWindow();
    }
    const Uint32 icon =
        (type & 0xF0) == MB_ICONERROR ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
    SDL_MessageBoxButtonData ok{SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT |
                                    SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
                                IDOK, "OK"};
    const SDL_MessageBoxData data{icon, parent, caption, text, 1, &ok, nullptr};
    int pressed = IDOK;
    SDL_ShowMessageBox(&data, &pressed); // where it cannot be shown, stderr has it
    return IDOK;
}
