// The program's main procedure and its frame loop with the fixed-tick clock.
#pragma once

#include <cstdint>

#include "game/DGame.h"
#include "platform/Win32.h"

// The loop runs while this is true; Escape and the quit message clear it.
extern bool Running;

// Length of one simulation tick in milliseconds; read afresh every frame.
extern std::int32_t UpdateInterval;

namespace program {
// The whole run: seeds the random generator, opens the window, builds the scene, runs frames
// until Running is cleared, then frees the scene and tears the window down. In a namespace of its
// own because <windows.h> declares the global WinMain, the entry point that calls this one.
void WinMain();
} // namespace program

// What a frame draws and what each of its ticks runs.
struct TFrameHooks {
    void (*Render)();
    void (*Update)();
};

// The program's frames draw and tick the scene.
constexpr TFrameHooks SceneHooks = {RenderScene, UpdateScene};

// One pass of the frame loop: at most one window message, the clock, drawing, ticking and
// presenting. `reference` is the time up to which ticks have been accounted for; `hooks` draw and
// tick (a benchmark hands in its own, to time the scene's).
void RunFrame(MSG& message, std::int32_t& reference, const TFrameHooks& hooks = SceneHooks);

// How many times a frame at `now` runs UpdateScene, with the tick reference advanced past the
// whole intervals consumed and the remainder carried. Times wrap in 32 bits. An interval below 1
// counts as 1.
std::uint32_t TicksDue(std::int32_t now, std::int32_t& reference, std::int32_t interval);
