// The replay mode: the capture tool's seed and scripted clock, asked for by the page's address
// (?seed=N&step-ms=S, and &frame=K to keep frame K's picture).
//
// The page puts what it read into Module.replay before the program starts. When the program's
// window is made, right after WinMain seeded the generator from the clock, the replay puts its
// seed in place of that one and sets the scripted clock (platform/ScriptedClock.h) to 0 ms, as
// particles-capture does before the scene is built; each frame's PeekMessageA then moves the
// clock on by S ms, so that frame k reads k x S, as the tool's frame k does. Without those
// parameters the clock is the page's (PageClock.cpp): the browser's high-resolution clock, stopped
// while the page is hidden, and nothing here acts.
#include <emscripten/emscripten.h>

#include "engine/DEngine.h"
#include "platform/ScriptedClock.h"
#include "platform/web/Host.h"
#include "random/Random.h"

namespace {

struct ReplayState {
    bool asked = false;
    bool running = false;
    std::uint32_t seed = 0;
    std::int32_t stepMs = 0;
    std::uint32_t keep = 0;
};

ReplayState& R() {
    static ReplayState state;
    return state;
}

// Each is -1 when the page did not ask for a replay.
// clang-format off
EM_JS(double, ReplaySeed, (), {
    return Module.replay ? Module.replay.seed : -1;
});
EM_JS(double, ReplayStep, (), {
    return Module.replay ? Module.replay.stepMs : -1;
});
EM_JS(double, ReplayKeep, (), {
    return Module.replay ? Module.replay.frame : -1;
});
// clang-format on

} // namespace

namespace web {

void StartReplay() {
    ReplayState& r = R();
    const double seed = ReplaySeed();
    const double step = ReplayStep();
    const double keep = ReplayKeep();
    // The page checked the numbers; out-of-range ones are no replay.
    if (!(seed >= 0 && seed <= 4294967295.0 && step >= 0 && step <= 2147483647.0)) {
        return;
    }
    r.asked = true;
    r.running = true;
    r.seed = static_cast<std::uint32_t>(seed);
    r.stepMs = static_cast<std::int32_t>(step);
    r.keep = keep >= 1 && keep <= 4294967295.0 ? static_cast<std::uint32_t>(keep) : 0;
    RandSeed = r.seed;
    scriptedclock::Set(0);
    // WinMain took the program's start from the browser's clock; the replay's time starts at its
    // own 0 ms instead, so that frame k reads k x S exactly, as the tool's frame k does.
    StartClock();
}

void NextReplayFrame() {
    if (R().running) {
        scriptedclock::Advance(R().stepMs);
    }
}

std::uint32_t ReplayFrameToKeep() {
    return R().keep;
}

} // namespace web
