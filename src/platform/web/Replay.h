// The replay the page asks for by its address (?seed=N&step-ms=S, and &frame=K to keep frame K's
// picture): the page puts what it read into Module.replay before the program starts. The shell
// starts the replay as particles-capture does, through its start-up request, with the scripted
// clock (platform/ScriptedClock.h) moved on by S ms before each frame.
#pragma once

#include <cstdint>

namespace web {

struct ReplayRequest {
    std::uint32_t Seed;
    std::int32_t StepMs;
};

// Whether the page asked for a replay, and which; numbers out of range are no replay.
bool AskedReplay(ReplayRequest& request);

} // namespace web
