// The page's replay request (Replay.h), and the frame whose picture the page keeps.
#include "platform/web/Replay.h"

#include <emscripten/emscripten.h>

#include "platform/web/Host.h"

namespace {

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

bool InRange(double value, double most) {
    return value >= 0 && value <= most;
}

} // namespace

bool web::AskedReplay(ReplayRequest& request) {
    const double seed = ReplaySeed();
    const double step = ReplayStep();
    // The page checked the numbers; out-of-range ones are no replay.
    if (!InRange(seed, 4294967295.0) || !InRange(step, 2147483647.0)) {
        return false;
    }
    request = ReplayRequest{static_cast<std::uint32_t>(seed), static_cast<std::int32_t>(step)};
    return true;
}

std::uint32_t web::ReplayFrameToKeep() {
    ReplayRequest request;
    const double keep = ReplayKeep();
    return AskedReplay(request) && keep >= 1 && InRange(keep, 4294967295.0)
               ? static_cast<std::uint32_t>(keep)
               : 0;
}
