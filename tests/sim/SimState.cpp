// sim_state: the demo's scene simulated on a seed and a fixed frame step with no window and no
// OpenGL, writing the state file that particles-capture writes, with its writer
// (src/game/StateFile.h). It runs where the capture cannot be built, on a cross-built core under an
// emulator among others, and digests.sh checks its files against the capture's pinned digests.
//
//   sim_state SEED STEP-MS FRAMES EVERY FILE
//
// Each frame does what the capture's frame does to the simulation: the clock set to the frame's
// reading, CurrentTime read from it, then as many ticks of the spray and the flame as the frame
// loop's tick rule (TicksDue) calls for. Drawing changes no state, so it is left out.
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/DEngine.h"
#include "game/SceneSystems.h"
#include "game/StateFile.h"
#include "platform/ScriptedClock.h"
#include "random/Random.h"
#include "real/FloatEnv.h"

namespace {

// The output; every write after a failed one is skipped.
class StateFile {
  public:
    explicit StateFile(const char* path) : File(std::fopen(path, "wb")) {}
    ~StateFile() {
        if (File) {
            std::fclose(File);
        }
    }
    StateFile(const StateFile&) = delete;
    StateFile& operator=(const StateFile&) = delete;

    bool Opened() const { return File != nullptr; }
    bool Write(const void* data, std::size_t size) {
        Ok = Ok && std::fwrite(data, 1, size, File) == size;
        return Ok;
    }
    bool Close() {
        const bool closed = std::fclose(File) == 0;
        File = nullptr;
        return Ok && closed;
    }

  private:
    std::FILE* File;
    bool Ok = true;
};

bool Number(const char* text, long long low, long long high, long long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

} // namespace

int main(int argc, char** argv) {
    long long seed = 0, step = 0, frames = 0, every = 0;
    if (argc != 6 || !Number(argv[1], 0, UINT32_MAX, seed) || !Number(argv[2], 0, 100000, step) ||
        !Number(argv[3], 1, 1000000, frames) || !Number(argv[4], 1, 1000000, every)) {
        std::fprintf(stderr, "usage: sim_state SEED STEP-MS FRAMES EVERY FILE\n");
        return 2;
    }
    StateFile out(argv[5]);
    if (!out.Opened()) {
        std::fprintf(stderr, "sim_state: cannot write %s: %s\n", argv[5], std::strerror(errno));
        return 1;
    }
    SetFloatEnvironment();

    // What the capture's start does: the seed, the clock at 0 ms while the scene is built (the
    // flame first, as InitScene builds it), then the tick reference.
    RandSeed = static_cast<std::uint32_t>(seed);
    scriptedclock::Set(0);
    TFlame flame = MakeFlame(SceneFlame);
    TEmitter emitter = MakeEmitter(SceneEmitter);
    std::int32_t reference = GetTime();

    const auto write = [&out](const void* data, std::size_t size) { return out.Write(data, size); };
    statefile::WriteHeader(write);
    for (long long frame = 1; frame <= frames; ++frame) {
        const auto time = static_cast<std::int32_t>(static_cast<std::uint32_t>(frame) *
                                                    static_cast<std::uint32_t>(step));
        scriptedclock::Set(time);
        const std::int32_t now = GetTime();
        CurrentTime = static_cast<float>(now);
        std::uint32_t ticks = 0;
        for (std::uint32_t due = TicksDue(now, reference, UpdateInterval); due > 0; --due) {
            emitter.Update(); // UpdateScene's order
            flame.Update();
            ++ticks;
        }
        if (frame % every == 0) {
            const statefile::TFrame record = {static_cast<std::uint32_t>(frame), now, reference,
                                              ticks, RandSeed};
            statefile::WriteFrame(write, record, emitter, flame);
        }
    }
    if (!out.Close()) {
        std::fprintf(stderr, "sim_state: cannot write %s\n", argv[5]);
        return 1;
    }
    return 0;
}
