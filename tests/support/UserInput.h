// What a user does to a window, as SDL events that the Win32 layer turns into window messages on
// the next PeekMessageA: keys pressed and released, and the close box; and the queue drained.
#pragma once

#include <SDL.h>

#include <vector>

#include "platform/sdl/Layer.h"

namespace userinput {

inline void Key(HWND window, SDL_Scancode scancode, SDL_Keycode sym, bool down,
                Uint16 mod = KMOD_NONE, bool repeat = false) {
    SDL_Event e{};
    e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    e.key.windowID = SDL_GetWindowID(platform::SdlWindowOf(window));
    e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    e.key.repeat = repeat ? 1 : 0;
    e.key.keysym.scancode = scancode;
    e.key.keysym.sym = sym;
    e.key.keysym.mod = mod;
    SDL_PushEvent(&e);
}

inline void Escape(HWND window, bool down = true) {
    Key(window, SDL_SCANCODE_ESCAPE, SDLK_ESCAPE, down);
}

inline void Letter(HWND window, char upper, bool down = true) {
    Key(window, static_cast<SDL_Scancode>(SDL_SCANCODE_A + (upper - 'A')),
        static_cast<SDL_Keycode>(SDLK_a + (upper - 'A')), down);
}

// Takes every pending message off the thread's queue, in order.
inline std::vector<MSG> DrainQueue() {
    std::vector<MSG> taken;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(m);
    }
    return taken;
}

inline void CloseBox(HWND window) {
    SDL_Event e{};
    e.type = SDL_WINDOWEVENT;
    e.window.event = SDL_WINDOWEVENT_CLOSE;
    e.window.windowID = SDL_GetWindowID(platform::SdlWindowOf(window));
    SDL_PushEvent(&e);
}

} // namespace userinput
