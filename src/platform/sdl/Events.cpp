// The keyboard and the close box, on SDL2: the SDL host's part of the message queue
// (platform/Messages.cpp).
//
// Implements the queue's back-end: SDL's events moved into the queue whenever it is looked at.
// Reproduces: keys as WM_KEYDOWN/WM_KEYUP (or the system keys', platform::PostKey) with
// virtual-key codes (letters and digits by the keyboard layout), auto-repeat as repeated
// WM_KEYDOWN, sent to the window with the keyboard focus; the close box as a posted WM_CLOSE.
// Besides: SIGINT, SIGTERM and SIGHUP post the quit message.
// Leaves out: keys without a virtual-key code here.
#include <SDL.h>

#include "platform/sdl/Layer.h"

namespace {

// The keys with a virtual-key code here besides letters, digits and F1 to F12.
const struct {
    SDL_Scancode scancode;
    BYTE vk;
} OtherKeys[] = {
    {SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDL_SCANCODE_RETURN, VK_RETURN},
    {SDL_SCANCODE_SPACE, VK_SPACE},   {SDL_SCANCODE_TAB, VK_TAB},
    {SDL_SCANCODE_LEFT, VK_LEFT},     {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_RIGHT, VK_RIGHT},   {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_LSHIFT, VK_SHIFT},  {SDL_SCANCODE_RSHIFT, VK_SHIFT},
    {SDL_SCANCODE_LCTRL, VK_CONTROL}, {SDL_SCANCODE_RCTRL, VK_CONTROL},
    {SDL_SCANCODE_LALT, VK_MENU},     {SDL_SCANCODE_RALT, VK_MENU},
};

BYTE VirtualKey(const SDL_Keysym& key) {
    if (key.sym >= SDLK_a && key.sym <= SDLK_z) {
        return static_cast<BYTE>('A' + (key.sym - SDLK_a));
    }
    if (key.sym >= SDLK_0 && key.sym <= SDLK_9) {
        return static_cast<BYTE>(key.sym);
    }
    if (key.scancode >= SDL_SCANCODE_F1 && key.scancode <= SDL_SCANCODE_F12) {
        return static_cast<BYTE>(VK_F1 + (key.scancode - SDL_SCANCODE_F1));
    }
    for (const auto& k : OtherKeys) {
        if (k.scancode == key.scancode) {
            return k.vk;
        }
    }
    return 0;
}

void QueueKey(const SDL_KeyboardEvent& event) {
    const BYTE vk = VirtualKey(event.keysym);
    // Keys go to the window with the keyboard focus: SDL's, or else the one SetFocus named (SDL
    // may not have seen the focus arrive yet).
    HWND window = platform::WindowOfSdlId(event.windowID);
    if (!window) {
        window = platform::FocusWindow();
    }
    if (vk == 0 || !window) {
        return;
    }
    platform::PostKey(window, vk, event.type == SDL_KEYDOWN, event.repeat != 0,
                      (event.keysym.mod & KMOD_ALT) != 0, (event.keysym.mod & KMOD_CTRL) != 0);
}

// Moves what SDL has seen into the queue.
void Pump() {
    if (!SDL_WasInit(SDL_INIT_VIDEO)) {
        return;
    }
    SDL_PumpEvents();
    SDL_Event e;
    while (SDL_PeepEvents(&e, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        platform::NoteX11Event(&e);
        if (e.type == SDL_KEYDOWN || e.type == SDL_KEYUP) {
            QueueKey(e.key);
        } else if (e.type == SDL_WINDOWEVENT && e.window.event == SDL_WINDOWEVENT_CLOSE) {
            if (HWND window = platform::WindowOfSdlId(e.window.windowID)) {
                platform::Post(window, WM_CLOSE, 0, 0);
            }
        }
    }
    platform::DestroyLostWindows();
}

} // namespace

void platform::host::PumpMessages() {
    if (platform::TakeQuitSignal()) {
        PostQuitMessage(0); // the program ends as when its window closes
    }
    Pump();
}
