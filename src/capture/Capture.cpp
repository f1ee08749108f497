// particles-capture: the scene replayed frame by frame on a fixed seed and a scripted clock.
#include "capture/Capture.h"

#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>

#include "engine/DEngine.h"
#include "game/DGame.h"
#include "game/StateFile.h"
#include "gl/GL.h"
#include "main/DMain.h"
#include "platform/ScriptedClock.h"
#include "random/Random.h"

namespace capture {
namespace {

using Clock = std::chrono::steady_clock;

Replay* Current = nullptr; // the replay whose frames run

using Seconds = std::chrono::duration<double>;

// Runs `step`, adding the time it takes to `total`; gives its result.
template <typename F> bool Timed(Clock::duration& total, F step) {
    const Clock::time_point start = Clock::now();
    const bool ok = step();
    total += Clock::now() - start;
    return ok;
}

// Makes `path` a directory, unless it is one.
bool MakeDirectory(const std::string& path, std::string& error) {
    struct stat info;
    if (stat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode)) {
        error = "cannot write " + path + ": not a directory";
    } else if (stat(path.c_str(), &info) != 0 && mkdir(path.c_str(), 0777) != 0) {
        error = "cannot write " + path + ": " + std::strerror(errno);
    }
    return error.empty();
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

} // namespace

Replay::Replay(const Options& options) : Settings(options) {
    Current = this;
    scriptedclock::Set(options.StartMs);
    // A windowed, frameless window of the screen's size; the seed of the options.
    const TStartup startup = {{true, true}, true, options.Seed};
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
    if (Frame* picture = Current->Picture) {
        picture->Width = ScreenWidth;
        picture->Height = ScreenHeight;
        picture->Pixels.resize(static_cast<std::size_t>(ScreenWidth) * ScreenHeight * 4u);
        const Clock::time_point start = Clock::now();
        glReadPixels(0, 0, picture->Width, picture->Height, GL_RGBA, GL_UNSIGNED_BYTE,
                     picture->Pixels.data());
        Current->ReadBack += Clock::now() - start;
    }
}

bool Replay::RunFrame(std::uint32_t frame, Frame* picture) {
    constexpr TFrameHooks hooks = {RenderScene, &Replay::Update, &Replay::ReadBackPicture};
    scriptedclock::Set(FrameTime(Settings, frame));
    Picture = picture;
    LastTicks = 0;
    ::RunFrame(Message, TickReference, hooks);
    return Running;
}

int Run(const Options& options) {
    Replay replay(options);
    if (!replay.Ready()) {
        std::fprintf(stderr, "particles-capture: no window with an OpenGL context\n");
        return 1;
    }
    std::string error;
    // Every output is made before the first frame, so that an unwritable path fails at once.
    OutputFile state;
    const auto write = [&state, &error](const void* data, std::size_t size) {
        return state.Write(data, size, error);
    };
    AnimationWriter animation;
    const bool animated = !options.AnimationFile.empty();
    bool ok = (options.StateFile.empty() ||
               (state.Open(options.StateFile, error) && statefile::WriteHeader(write))) &&
              (!animated || animation.Open(options.AnimationFile, ScreenWidth, ScreenHeight,
                                           options.Quality, error)) &&
              (options.OutDir.empty() || MakeDirectory(options.OutDir, error));

    const bool pictures = !options.OutDir.empty() || animated;
    Frame picture;
    Clock::duration png{}, webp{}, stateTime{};
    const Clock::time_point start = Clock::now();
    Clock::time_point lastProgress = start;
    // Milliseconds into the animation of the last written frame, and how long it has lasted (0
    // before the first: a written frame lasts at least 1 ms).
    long long animationMs = 0;
    int lastInterval = 0;
    std::int32_t lastWritten = options.StartMs;

    for (std::uint32_t frame = 1; ok && frame <= options.Frames; ++frame) {
        const bool written = IsWritten(options, frame);
        if (!replay.RunFrame(frame, written && pictures ? &picture : nullptr)) {
            error = "the window went before frame " + std::to_string(frame) + " was drawn";
            ok = false;
        } else if (written) {
            const std::int32_t time = FrameTime(options, frame);
            animationMs += lastInterval;
            if (animated && animationMs > INT_MAX / 2) {
                error = "cannot write " + options.AnimationFile + ": too long an animation";
                ok = false;
            }
            ok = ok && (options.OutDir.empty() || Timed(png, [&] {
                            return WritePng(FramePath(options.OutDir, frame), picture, error);
                        }));
            ok = ok && (!animated || Timed(webp, [&] {
                     return animation.Add(picture, static_cast<int>(animationMs), error);
                 }));
            ok = ok && (!state.Stream() || Timed(stateTime, [&] {
                     const statefile::TFrame record = {frame, time, replay.Reference(),
                                                       replay.Ticks(), RandSeed};
                     return statefile::WriteFrame(write, record, *Emitter, *Flame);
                 }));
            // The first written frame's interval is the frame's own step.
            lastInterval = Duration(
                lastInterval > 0 || frame == 1 ? lastWritten : FrameTime(options, frame - 1), time);
            lastWritten = time;
        }
        const Clock::time_point now = Clock::now();
        if (now - lastProgress >= std::chrono::seconds(2) && frame < options.Frames) {
            std::fprintf(stderr, "particles-capture: frame %u of %u\n", frame, options.Frames);
            lastProgress = now;
        }
    }
    // The last written frame lasts as long as the interval before it.
    ok = ok && (!animated || Timed(webp, [&] {
             return animation.Finish(static_cast<int>(animationMs + lastInterval), error);
         }));
    ok = ok && (!state.Stream() || Timed(stateTime, [&] { return state.Commit(error); }));
    if (!ok) {
        std::fprintf(stderr, "particles-capture: %s\n", error.c_str());
        return 1;
    }

    const double total = Seconds(Clock::now() - start).count();
    const auto share = [total](Clock::duration d) {
        return total > 0.0 ? 100.0 * Seconds(d).count() / total : 0.0;
    };
    std::fprintf(stderr,
                 "particles-capture: %u frames in %.2f s, %.1f frames per second "
                 "(read-back %.1f %%, PNG %.1f %%, animation %.1f %%, state %.1f %%)\n",
                 options.Frames, total, total > 0.0 ? options.Frames / total : 0.0,
                 share(replay.ReadBackTime()), share(png), share(webp), share(stateTime));
    return 0;
}

} // namespace capture
