// The program's main procedure and its frame loop with the fixed-tick clock.
#pragma once

#include <cstdint>

#include "game/DGame.h"
#include "main/DWindow.h"
#include "platform/Win32.h"

// The loop runs while this is true; Escape and the quit message clear it.
extern bool Running;

namespace program {
// The whole run: seeds the random generator, opens the window, builds the scene, runs frames
// until Running is cleared, then frees the scene and tears the window down. In a namespace of its
// own because <windows.h> declares the global WinMain, the entry point that calls this one.
void WinMain();
} // namespace program

// How a run starts: the window it asks for and where the generator's seed comes from.
struct TStartup {
    TWindowRequest Window;
    bool FixedSeed = false; // RandSeed := Seed, instead of a seed from the clock
    std::uint32_t Seed = 0;
};

// What WinMain does before its loop: seeds the generator, opens the window, sets Running and
// builds the scene (which ends the process when a sprite cannot be loaded). `reference` is where
// the loop's ticks start: the time after the scene is built, which is not simulated. False when
// the window cannot be made; that has been reported, and nothing is left to stop.
bool StartProgram(const TStartup& startup, std::int32_t& reference);
// What WinMain does after its loop: frees the scene and tears the window down.
void StopProgram();

// What a frame draws, what each of its ticks runs, and what sees the finished frame before its
// buffers are swapped, when the back buffer holds its picture (null for nothing).
struct TFrameHooks {
    void (*Render)();
    void (*Update)();
    void (*Finished)();
};

// The program's frames draw and tick the scene.
constexpr TFrameHooks SceneHooks = {RenderScene, UpdateScene, nullptr};

// One pass of the frame loop: at most one window message, the clock, drawing, ticking and
// presenting. `reference` is the time up to which ticks have been accounted for; `hooks` draw,
// tick and look at the finished frame (a benchmark hands in its own to time the scene's, a replay
// to read the picture back).
void RunFrame(MSG& message, std::int32_t& reference, const TFrameHooks& hooks = SceneHooks);
