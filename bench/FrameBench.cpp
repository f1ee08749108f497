// Benchmarks in a real OpenGL context (SDL's offscreen driver unless SDL_VIDEODRIVER names
// another): Render of the scene's flame and spray, the program's own frame loop at 1024 x 768
// against a bare clear-finish-swap loop on the same context, and where a frame's time goes.
//
// The window, the context and the scene are made once, as WinMain makes them (windowed), before
// any benchmark runs. The scene's sprites are read from DATA/ in the current directory, or else
// from the directory the build put them in.
//
//   frame_bench [benchmark options]   the benchmarks
//   frame_bench --profile-frames=N [--profile-step-ms=S]
//       no benchmarks: N frames of the loop, the only costs kept when run under callgrind. The
//       clock is scripted (platform/ScriptedClock.h), S ms per frame (default 4, about the
//       native frame time here), so the profile sees the steady state of a full-speed run however
//       slowly it runs; two simulated seconds of frames come first.
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <benchmark/benchmark.h>

// Callgrind's client requests, no-ops outside valgrind; without valgrind's header, none at all.
#if __has_include(<valgrind/callgrind.h>)
#include <valgrind/callgrind.h>
#else
#define CALLGRIND_ZERO_STATS
#define CALLGRIND_DUMP_STATS_AT(name)
#endif

#include "ParticleTestSupport.h"
#include "engine/DEngine.h"
#include "game/DGame.h"
#include "game/SceneSystems.h"
#include "gl/GL.h"
#include "main/DMain.h"
#include "main/DWindow.h"
#include "particles/DEmitter.h"
#include "particles/DFlame.h"
#include "platform/ScriptedClock.h"
#include "random/Random.h"
#include "real/FloatEnv.h"

namespace {

using Clock = std::chrono::steady_clock;

// Time spent inside the scene's two frame hooks, measured around the calls that RunFrame makes.
std::int64_t RenderNs = 0;
std::int64_t UpdateNs = 0;

std::int64_t Since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
}

void TimedRender() {
    const auto start = Clock::now();
    RenderScene();
    RenderNs += Since(start);
}

void TimedUpdate() {
    const auto start = Clock::now();
    UpdateScene();
    UpdateNs += Since(start);
}

constexpr TFrameHooks TimedScene = {TimedRender, TimedUpdate, nullptr};

bool HasData(const char* dir) {
    struct stat info;
    const std::string path = std::string(dir) + "/DATA/Textures";
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The frame loop's state between frames, as WinMain keeps it.
MSG Message = {};
std::int32_t Reference = 0;

// Frames of the real loop for `seconds` of wall time, so that births and deaths balance.
void WarmUpLoop(double seconds) {
    const auto start = Clock::now();
    while (std::chrono::duration<double>(Clock::now() - start).count() < seconds && Running) {
        RunFrame(Message, Reference);
    }
}

// Copies of the scene's systems, drawn with the scene's sprites and brought to a steady state by
// ticking them once per frame at a frame step of `stepMs`. As every tick with time elapsed emits
// at least one particle, the number alive depends on the step: about 180 at 16 ms (60 Hz),
// about 760 at 4 ms (the frame loop's own pace here).
struct SteadySystems {
    explicit SteadySystems(int stepMs)
        : flame(MakeFlame(SceneFlame)), emitter(MakeEmitter(SceneEmitter)) {
        flame.SetTexture(Flame->Texture);
        emitter.SetTexture(Emitter->Texture);
        const float saved = CurrentTime;
        CurrentTime = 1000.0f;
        ptest::SetClock(flame, 1.0f);
        ptest::SetClock(emitter, 1.0f);
        for (int elapsed = 0; elapsed < 5000; elapsed += stepMs) {
            CurrentTime += static_cast<float>(stepMs);
            emitter.Update();
            flame.Update();
        }
        CurrentTime = saved;
    }
    TFlame flame;
    TEmitter emitter;
};

// Render of both systems per iteration, in the steady state of a frame step of range(0) ms.
// finish 0 times the calls alone (the OpenGL implementation takes the points; its drawing is
// finished outside the timing), finish 1 includes glFinish, so the points are also drawn.
void BM_Render(benchmark::State& state) {
    const bool finish = state.range(1) != 0;
    SteadySystems s(static_cast<int>(state.range(0)));
    RenderScene(); // camera, clear and depth test as in a frame
    glFinish();
    for (auto _ : state) {
        s.emitter.Render();
        s.flame.Render();
        if (finish) {
            glFinish();
        } else {
            state.PauseTiming();
            glFinish();
            state.ResumeTiming();
        }
    }
    const int live = ptest::Live(s.flame) + ptest::Live(s.emitter);
    state.counters["live"] = live;
    state.counters["per_live"] = benchmark::Counter(
        live, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Render)
    ->ArgNames({"step_ms", "finish"})
    ->ArgsProduct({{16, 4}, {0, 1}})
    ->Unit(benchmark::kMicrosecond)
    ->UseRealTime();

// Frames per second of the loops below, from their last (the reported) run.
double FrameFps = 0.0;
double BareFps = 0.0;

// The program's own frame: RunFrame as WinMain calls it, with the real clock.
void BM_Frame(benchmark::State& state) {
    static bool warm = false;
    if (!warm) {
        WarmUpLoop(2.0);
        warm = true;
    }
    RenderNs = UpdateNs = 0;
    const auto start = Clock::now();
    for (auto _ : state) {
        RunFrame(Message, Reference, TimedScene);
    }
    const double total = static_cast<double>(Since(start));
    const double frames = static_cast<double>(state.iterations());
    FrameFps = frames * 1e9 / total;
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["render_us"] = RenderNs / frames / 1e3;
    state.counters["update_us"] = UpdateNs / frames / 1e3;
    state.counters["render_share"] = RenderNs / total;
    state.counters["update_share"] = UpdateNs / total;
    state.counters["live"] = ptest::Live(*Flame) + ptest::Live(*Emitter);
}
BENCHMARK(BM_Frame)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(3.0);

// The least a frame can cost on this context: clear, finish, swap.
void BM_BareFrame(benchmark::State& state) {
    const auto start = Clock::now();
    for (auto _ : state) {
        glClear(GL_COLOR_BUFFER_BIT + GL_DEPTH_BUFFER_BIT);
        glFinish();
        SwapBuffers(DeviceContext);
    }
    const double frames = static_cast<double>(state.iterations());
    BareFps = frames * 1e9 / static_cast<double>(Since(start));
    state.counters["fps"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BareFrame)->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(3.0);

void Profile(long frames, std::int32_t stepMs) {
    for (std::int32_t warmUp = 0; warmUp < 2000 && Running; warmUp += stepMs) {
        scriptedclock::Advance(stepMs);
        RunFrame(Message, Reference);
    }
    CALLGRIND_ZERO_STATS;
    for (long i = 0; i < frames && Running; ++i) {
        scriptedclock::Advance(stepMs);
        RunFrame(Message, Reference);
    }
    CALLGRIND_DUMP_STATS_AT("frame loop");
}

} // namespace

int main(int argc, char** argv) {
    SetFloatEnvironment();
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("PARTICLES_DIALOGS", "stderr", 0);
    long profileFrames = 0;
    long profileStep = 4;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--profile-frames=", 17) == 0) {
            profileFrames = std::atol(argv[i] + 17);
        } else if (std::strncmp(argv[i], "--profile-step-ms=", 18) == 0) {
            profileStep = std::atol(argv[i] + 18);
        }
    }
    if (profileFrames < 0 || profileStep < 1 || profileStep > 1000) {
        std::fprintf(stderr, "frame_bench: --profile-frames=N needs N >= 1, "
                             "--profile-step-ms=S 1 <= S <= 1000\n");
        return 1;
    }
    if (profileFrames == 0) {
        benchmark::Initialize(&argc, argv);
        if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
            return 1;
        }
    }
    if (!HasData(".") && chdir(PARTICLES_RUN_DIR) != 0) {
        std::fprintf(stderr, "frame_bench: no DATA/ here nor in %s\n", PARTICLES_RUN_DIR);
        return 1;
    }

    if (profileFrames > 0) {
        scriptedclock::Set(1000);
    }
    // What WinMain does before its loop, with a window instead of the full screen.
    TStartup startup;
    startup.Window.Windowed = true;
    if (!StartProgram(startup, Reference)) {
        return 1;
    }

    const auto text = [](GLenum name) {
        const GLubyte* s = glGetString(name);
        return s ? reinterpret_cast<const char*>(s) : "?";
    };
    if (profileFrames > 0) {
        RandSeed = 12345; // the same particles in every profile
        Profile(profileFrames, static_cast<std::int32_t>(profileStep));
    } else {
        benchmark::AddCustomContext("GL_RENDERER", text(GL_RENDERER));
        benchmark::AddCustomContext("GL_VERSION", text(GL_VERSION));
        benchmark::AddCustomContext("window", std::to_string(ScreenWidth) + "x" +
                                                  std::to_string(ScreenHeight));
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
        if (FrameFps > 0.0 && BareFps > 0.0) {
            std::printf("frame loop %.1f fps, bare loop %.1f fps: the program's frame runs at "
                        "%.1f%% of the bare loop's rate\n",
                        FrameFps, BareFps, 100.0 * FrameFps / BareFps);
        }
    }

    StopProgram();
    return 0;
}
