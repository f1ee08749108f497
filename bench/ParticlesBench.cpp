// Benchmarks of the particle engine: one steady-state tick of the scene's two systems, drawing
// through a do-nothing binding, and the cost per slot of Update from 1,000 to 1,000,000 slots.
#include <cstdint>

#include <benchmark/benchmark.h>

#include "GLDoubles.h"
#include "ParticleTestSupport.h"
#include "engine/DEngine.h"
#include "game/SceneSystems.h"
#include "random/Random.h"

namespace {

// Advances the frame clock by `stepMs` and ticks every system, as the main loop does per frame.
template <typename... Systems> void Tick(float stepMs, Systems&... systems) {
    CurrentTime += stepMs;
    (systems.Update(), ...);
}

// Starts a system's clock at the current frame time and runs `seconds` of frames so that births
// and deaths balance before anything is measured.
template <typename... Systems> void WarmUp(float stepMs, float seconds, Systems&... systems) {
    CurrentTime = 1000.0f;
    (ptest::SetClock(systems, 1.0f), ...);
    for (float t = 0.0f; t < seconds * 1000.0f; t += stepMs) {
        Tick(stepMs, systems...);
    }
}

// The scene's flame and spray, ticked once per iteration at a frame step of range(0) ms.
void BM_SceneTick(benchmark::State& state) {
    const float step = static_cast<float>(state.range(0));
    RandSeed = 12345;
    TFlame flame = MakeFlame(SceneFlame);
    TEmitter emitter = MakeEmitter(SceneEmitter);
    WarmUp(step, 5.0f, flame, emitter);
    for (auto _ : state) {
        Tick(step, emitter, flame);
    }
    state.counters["flame_live"] = ptest::Live(flame);
    state.counters["emitter_live"] = ptest::Live(emitter);
    state.SetItemsProcessed(state.iterations() * (flame.Count + emitter.Count));
}
BENCHMARK(BM_SceneTick)->Arg(16)->Arg(4)->Arg(1)->Unit(benchmark::kMicrosecond);

// Render's own cost over the scene's steady state, with every OpenGL call a do-nothing function.
void BM_SceneRender(benchmark::State& state) {
    gltest::BindNothing();
    RandSeed = 12345;
    TFlame flame = MakeFlame(SceneFlame);
    TEmitter emitter = MakeEmitter(SceneEmitter);
    WarmUp(16.0f, 5.0f, flame, emitter);
    for (auto _ : state) {
        emitter.Render();
        flame.Render();
    }
    state.SetItemsProcessed(state.iterations() * (flame.Count + emitter.Count));
    gl::ResetTable();
}
BENCHMARK(BM_SceneRender)->Unit(benchmark::kMicrosecond);

// Per-slot cost of Update with half the slots in use: the scene's system with the rate chosen so
// that births over the mean lifetime (1.5 s for both systems) fill half of Count.
template <typename System> System MakeSized(std::int32_t count);

template <> TEmitter MakeSized<TEmitter>(std::int32_t count) {
    TEmitterSetup s = SceneEmitter;
    s.Count = count;
    s.EmitRate = count / 3;
    return MakeEmitter(s);
}

template <> TFlame MakeSized<TFlame>(std::int32_t count) {
    TFlameSetup s = SceneFlame;
    s.Count = count;
    s.EmitRate = static_cast<float>(count / 3);
    return MakeFlame(s);
}

template <typename System> void BM_UpdatePerSlot(benchmark::State& state) {
    const auto count = static_cast<std::int32_t>(state.range(0));
    RandSeed = 12345;
    System system = MakeSized<System>(count);
    WarmUp(16.0f, 3.0f, system);
    for (auto _ : state) {
        Tick(16.0f, system);
    }
    state.SetItemsProcessed(state.iterations() * count);
    // Seconds per slot, printed with an SI prefix (e.g. "3.2ns").
    state.counters["time_per_slot"] = benchmark::Counter(
        static_cast<double>(count),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["occupancy"] = static_cast<double>(ptest::Live(system)) / count;
}
BENCHMARK_TEMPLATE(BM_UpdatePerSlot, TEmitter)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_TEMPLATE(BM_UpdatePerSlot, TFlame)
    ->RangeMultiplier(10)
    ->Range(1000, 1000000)
    ->Unit(benchmark::kMicrosecond);

} // namespace
