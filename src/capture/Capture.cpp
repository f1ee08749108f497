// particles-capture: the scene replayed frame by frame on a fixed seed and a scripted clock.
#include "capture/Capture.h"

#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>

#include "capture/ScriptedClock.h"
#include "engine/DEngine.h"
#include "game/DGame.h"
#include "gl/GL.h"
#include "main/DMain.h"
#include "random/Random.h"

#if !defined(__BYTE_ORDER__) || __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the state file is written from the records in memory, which must be little-endian"
#endif

namespace capture {
namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

// Adds the time from construction to destruction to `total`.
class Timed {
  public:
    explicit Timed(Clock::duration& total) : Total(total), Start(Clock::now()) {}
    ~Timed() { Total += Clock::now() - Start; }
    Timed(const Timed&) = delete;
    Timed& operator=(const Timed&) = delete;

  private:
    Clock::duration& Total;
    Clock::time_point Start;
};

void Put32(std::uint8_t* out, std::uint32_t value) {
    out[0] = static_cast<std::uint8_t>(value);
    out[1] = static_cast<std::uint8_t>(value >> 8);
    out[2] = static_cast<std::uint8_t>(value >> 16);
    out[3] = static_cast<std::uint8_t>(value >> 24);
}

std::uint32_t Bits(float value) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

bool WriteSystem(OutputFile& file, const TParticleSystem& system, std::string& error) {
    std::uint8_t head[12];
    Put32(head, Bits(system.LastUpdate));
    Put32(head + 4, Bits(system.LastEmit));
    Put32(head + 8, static_cast<std::uint32_t>(system.Count));
    return file.Write(head, sizeof head, error) &&
           file.Write(system.Particles.get(),
                      static_cast<std::size_t>(system.Count) * sizeof(TParticle), error);
}

// Makes `path` a directory, unless it is one.
bool MakeDirectory(const std::string& path, std::string& error) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        if (S_ISDIR(info.st_mode)) {
            return true;
        }
        error = "cannot write " + path + ": not a directory";
        return false;
    }
    if (mkdir(path.c_str(), 0777) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string FramePath(const std::string& directory, std::uint32_t frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%06u.png", static_cast<unsigned>(frame));
    return directory + "/" + name;
}

// How long a written frame shows in the animation: until the next written frame's time. At least
// 1 ms, so that every frame is shown even when the clock stands still or goes back.
int Duration(std::int32_t from, std::int32_t to) {
    const auto ms = static_cast<std::int32_t>(static_cast<std::uint32_t>(to) -
                                              static_cast<std::uint32_t>(from));
    return ms > 0 ? ms : 1;
}

// The run after the scene is built: outputs opened, frames, outputs completed.
int Capture(const Options& options, Replay& replay) {
    std::string error;
    const auto fail = [&error]() {
        std::fprintf(stderr, "particles-capture: %s\n", error.c_str());
        return 1;
    };

    // Every output is made before the first frame, so that an unwritable path fails at once.
    OutputFile state;
    if (!options.StateFile.empty() &&
        (!state.Open(options.StateFile, error) || !WriteStateHeader(state, error))) {
        return fail();
    }
    std::unique_ptr<AnimationWriter> animation;
    if (!options.AnimationFile.empty()) {
        animation = std::make_unique<AnimationWriter>();
        if (!animation->Open(options.AnimationFile, ScreenWidth, ScreenHeight, options.Quality,
                             error)) {
            return fail();
        }
    }
    if (!options.OutDir.empty() && !MakeDirectory(options.OutDir, error)) {
        return fail();
    }

    const bool pictures = !options.OutDir.empty() || animation;
    Frame picture;
    Clock::duration png{}, webp{}, stateTime{};
    const Clock::time_point start = Clock::now();
    Clock::time_point lastProgress = start;
    // Milliseconds into the animation of the last written frame, and how long it has lasted.
    long long animationMs = 0;
    int lastInterval = 0;
    std::int32_t lastWritten = options.StartMs;
    bool anyWritten = false;

    for (std::uint32_t frame = 1; frame <= options.Frames; ++frame) {
        const bool written = IsWritten(options, frame);
        if (!replay.RunFrame(frame, written && pictures ? &picture : nullptr)) {
            error = "the window went before frame " + std::to_string(frame) + " was drawn";
            return fail();
        }
        if (written) {
            const std::int32_t time = FrameTime(options, frame);
            if (!options.OutDir.empty()) {
                const Timed timed(png);
                if (!WritePng(FramePath(options.OutDir, frame), picture, error)) {
                    return fail();
                }
            }
            if (animation) {
                const Timed timed(webp);
                animationMs += anyWritten ? lastInterval : 0;
                if (animationMs > INT_MAX / 2) {
                    error = "cannot write " + options.AnimationFile + ": too long an animation";
                    return fail();
                }
                if (!animation->Add(picture, static_cast<int>(animationMs), error)) {
                    return fail();
                }
            }
            if (state.Stream()) {
                const Timed timed(stateTime);
                if (!WriteState(state, frame, time, replay, error)) {
                    return fail();
                }
            }
            // The first written frame's interval is the frame's own step.
            lastInterval = Duration(
                anyWritten || frame == 1 ? lastWritten : FrameTime(options, frame - 1), time);
            lastWritten = time;
            anyWritten = true;
        }
        const Clock::time_point now = Clock::now();
        if (now - lastProgress >= std::chrono::seconds(2) && frame < options.Frames) {
            std::fprintf(stderr, "particles-capture: frame %u of %u\n", frame, options.Frames);
            lastProgress = now;
        }
    }
    if (animation) {
        // The last written frame lasts as long as the interval before it.
        const Timed timed(webp);
        if (!animation->Finish(static_cast<int>(animationMs + lastInterval), error)) {
            return fail();
        }
    }
    if (state.Stream()) {
        const Timed timed(stateTime);
        if (!state.Commit(error)) {
            return fail();
        }
    }

    const double total = Seconds(Clock::now() - start);
    const auto share = [total](Clock::duration d) {
        return total > 0.0 ? 100.0 * Seconds(d) / total : 0.0;
    };
    std::fprintf(stderr,
                 "particles-capture: %u frames in %.2f s, %.1f frames per second "
                 "(read-back %.1f %%, PNG %.1f %%, animation %.1f %%, state %.1f %%)\n",
                 options.Frames, total, total > 0.0 ? options.Frames / total : 0.0,
                 share(replay.ReadBackTime()), share(png), share(webp), share(stateTime));
    return 0;
}

} // namespace

namespace {
Replay* Current = nullptr; // the replay whose frames run
} // namespace

Replay::Replay(const Options& options) : Settings(options) {
    Current = this;
    scriptedclock::Set(options.StartMs);
    TStartup startup;
    startup.Window.Windowed = true;
    startup.Window.Frameless = true;
    startup.FixedSeed = true;
    startup.Seed = options.Seed;
    Started = StartProgram(startup, TickReference);
}

Replay::~Replay() {
    if (Started) {
        StopProgram();
    }
    Current = nullptr;
}

void Replay::Update() {
    ++Current->LastTicks;
    UpdateScene();
}

void Replay::ReadBackPicture() {
    Frame* picture = Current->Picture;
    if (picture) {
        picture->Width = ScreenWidth;
        picture->Height = ScreenHeight;
        picture->Pixels.resize(static_cast<std::size_t>(ScreenWidth) * ScreenHeight * 4u);
        const Timed timed(Current->ReadBack);
        glReadPixels(0, 0, ScreenWidth, ScreenHeight, GL_RGBA, GL_UNSIGNED_BYTE,
                     picture->Pixels.data());
    }
}

bool Replay::RunFrame(std::uint32_t frame, Frame* picture) {
    constexpr TFrameHooks hooks = {RenderScene, &Replay::Update, &Replay::ReadBackPicture};
    scriptedclock::Set(FrameTime(Settings, frame));
    Picture = picture;
    LastTicks = 0;
    ::RunFrame(Message, TickReference, hooks);
    Picture = nullptr;
    return Running;
}

bool WriteStateHeader(OutputFile& file, std::string& error) {
    std::uint8_t header[16] = {'P', 'T', 'S', 'T', 'A', 'T', 'E', '1'};
    Put32(header + 8, 1);
    Put32(header + 12, static_cast<std::uint32_t>(sizeof(TParticle)));
    return file.Write(header, sizeof header, error);
}

bool WriteState(OutputFile& file, std::uint32_t frame, std::int32_t time, const Replay& replay,
                std::string& error) {
    std::uint8_t head[20];
    Put32(head, frame);
    Put32(head + 4, static_cast<std::uint32_t>(time));
    Put32(head + 8, static_cast<std::uint32_t>(replay.Reference()));
    Put32(head + 12, replay.Ticks());
    Put32(head + 16, RandSeed);
    return file.Write(head, sizeof head, error) && WriteSystem(file, *Emitter, error) &&
           WriteSystem(file, *Flame, error);
}

int Run(const Options& options) {
    Replay replay(options);
    if (!replay.Ready()) {
        std::fprintf(stderr, "particles-capture: no window with an OpenGL context\n");
        return 1;
    }
    return Capture(options, replay);
}

} // namespace capture
