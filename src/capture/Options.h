// The command line of particles-capture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace capture {

struct Options {
    std::uint32_t Seed = 0;
    std::int32_t StartMs = 0;
    // Frame k (1-based) reads StartMs + k * StepMs, or Times[k - 1] when Times is not empty.
    std::int32_t StepMs = 0;
    std::vector<std::int32_t> Times;
    std::uint32_t Frames = 0;
    std::uint32_t Every = 1;
    std::uint32_t First = 1;   // frames before it run but are not written
    std::string OutDir;        // empty: no PNG frames
    std::string StateFile;     // empty: no state
    std::string AnimationFile; // empty: no animation
    std::int32_t Quality = 80; // of the animation's lossy frames, 0 to 100
};

enum class Parsed { Run, Help, Error };

// Reads argv into `options`. On Error, `error` says what was wrong, in one line.
Parsed ParseOptions(int argc, const char* const* argv, Options& options, std::string& error);

// The usage text, one option a line.
const char* Usage();

// The clock reading of frame `frame` (1-based), wrapping in 32 bits like the counter.
inline std::int32_t FrameTime(const Options& options, std::uint32_t frame) {
    return !options.Times.empty()
               ? options.Times[frame - 1]
               : static_cast<std::int32_t>(static_cast<std::uint32_t>(options.StartMs) +
                                           frame * static_cast<std::uint32_t>(options.StepMs));
}

// Whether frame `frame` (1-based) is one of the written frames.
inline bool IsWritten(const Options& options, std::uint32_t frame) {
    return frame >= options.First && frame % options.Every == 0;
}

} // namespace capture
