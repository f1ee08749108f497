// The state file of particles-capture and sim_state, laid out as README.md ("Replaying a run")
// gives it field by field: a header, then one record of the scene's simulation per written frame.
// Written here once, free of the window layer, so that the core's sim_state writes the bytes whose
// digests are pinned for the capture.
#pragma once

#include <cstddef>
#include <cstdint>

#include "particles/DParticleSystem.h"

static_assert(__BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__,
              "the state file is written from the values in memory, which must be little-endian");

namespace statefile {

// A frame's record besides the two systems.
struct TFrame {
    std::uint32_t Number;   // from 1
    std::int32_t Time;      // the frame's clock reading in ms
    std::int32_t Reference; // the tick reference after the frame's ticks
    std::uint32_t Ticks;    // how many times the frame ticked the scene
    std::uint32_t Seed;     // RandSeed after the ticks
};

// `write(data, size)` writes the bytes and gives false when it fails; both stop at a failure.
template <typename Write> bool WriteHeader(Write&& write) {
    const std::uint32_t versionAndSize[2] = {1, sizeof(TParticle)};
    return write("PTSTATE1", 8) && write(versionAndSize, sizeof versionAndSize);
}

// The frame's record: the spray's system, then the flame's, every slot as the program keeps it.
template <typename Write>
bool WriteFrame(Write&& write, const TFrame& frame, const TParticleSystem& emitter,
                const TParticleSystem& flame) {
    static_assert(sizeof emitter.LastUpdate == 4 && sizeof emitter.Count == 4, "32-bit fields");
    const std::uint32_t head[5] = {frame.Number, static_cast<std::uint32_t>(frame.Time),
                                   static_cast<std::uint32_t>(frame.Reference), frame.Ticks,
                                   frame.Seed};
    const auto system = [&write](const TParticleSystem& s) {
        return write(&s.LastUpdate, 4) && write(&s.LastEmit, 4) && write(&s.Count, 4) &&
               write(s.Particles.get(), static_cast<std::size_t>(s.Count) * sizeof(TParticle));
    };
    return write(head, sizeof head) && system(emitter) && system(flame);
}

} // namespace statefile
