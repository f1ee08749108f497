// particles-capture: the demo's scene replayed frame by frame on a fixed seed and a scripted
// clock, headless, with the frames written as PNG files, as one animated WebP image and as the
// simulation's state.
//
// A run is the demo's own start-up and frame loop (StartProgram, RunFrame, StopProgram) with two
// inputs fixed: RandSeed := --seed instead of Randomize, and a clock that reads --start-ms while
// the scene is built (the particle systems take their first time then) and the given time in
// each frame. A written frame's picture is read back between glFinish and SwapBuffers. The window
// is frameless and of the screen's size at the desktop's mode, so the picture has the demo's
// full-screen size. The sprites are read from DATA\Textures in the current directory, with the
// demo's messages when they are missing.
//
// Frames are numbered from 1; with --every K frames K, 2K, 3K, ... are written. A written frame's
// picture shows what the frame drew: the state the previous frame's ticks left. Its state record
// is what the frame's own ticks left: the state the next frame draws.
//
// The state file (--state) is written by game/StateFile.h, laid out as README.md ("Replaying a
// run") says, field by field.
// The same arguments give the same bytes in every file, run after run: the state depends on the
// seed and the frame times only, never on the machine's speed or on the OpenGL implementation;
// the pictures depend on the implementation's rasterisation as well.
#pragma once

#include <chrono>
#include <cstdint>

#include "capture/Options.h"
#include "capture/Output.h"
#include "platform/Win32.h"

namespace capture {

// The program started as WinMain starts it, on the seed and the clock of the options; stopped on
// destruction. One at a time: the frame loop's hooks reach the replay being run.
class Replay {
  public:
    explicit Replay(const Options& options);
    ~Replay();
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    // False when the window could not be made (the shell has reported why).
    bool Ready() const { return Started; }
    // Runs frame `frame` (1-based) whole; with `picture`, reads what it drew into it. False when
    // the frame ended the loop (its window went), so that the run cannot go on.
    bool RunFrame(std::uint32_t frame, Frame* picture);

    std::int32_t Reference() const { return TickReference; }
    std::uint32_t Ticks() const { return LastTicks; }
    // Wall time spent in glReadPixels so far (the frame is finished before it starts).
    std::chrono::steady_clock::duration ReadBackTime() const { return ReadBack; }

  private:
    static void Update();
    static void ReadBackPicture();

    const Options& Settings;
    bool Started = false;
    MSG Message = {};
    std::int32_t TickReference = 0;
    std::uint32_t LastTicks = 0;
    Frame* Picture = nullptr;
    std::chrono::steady_clock::duration ReadBack{};
};

// The whole capture: exit code 0, 1 (a file that cannot be read or written, no window) or 2.
int Run(const Options& options);

} // namespace capture
