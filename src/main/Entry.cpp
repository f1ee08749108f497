// The program's entry point: sets the floating-point environment the simulation relies on, runs
// WinMain once, then the process ends with exit code 0.
#include "main/DMain.h"
#include "real/FloatEnv.h"

#ifdef _WIN32

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetFloatEnvironment();
    program::WinMain();
    return 0;
}

#elif defined(__EMSCRIPTEN__)

#include "engine/DEngine.h"
#include "platform/ScriptedClock.h"
#include "platform/web/Replay.h"

// The page: the program as it is, or the replay its address asks for (?seed=N&step-ms=S), which
// starts as particles-capture's does: the seed given, the clock at 0 ms from the start, and frame
// k reading k x S ms.
int main() {
    SetFloatEnvironment();
    web::ReplayRequest replay;
    if (!web::AskedReplay(replay)) {
        program::WinMain();
        return 0;
    }
    scriptedclock::Set(0);
    StartClock();
    TStartup startup;
    startup.FixedSeed = true;
    startup.Seed = replay.Seed;
    std::int32_t reference = 0;
    if (!StartProgram(startup, reference)) {
        return 0;
    }
    MSG message = {};
    while (Running) {
        scriptedclock::Advance(replay.StepMs);
        RunFrame(message, reference);
    }
    StopProgram();
    return 0;
}

#else

int main() {
    SetFloatEnvironment();
    program::WinMain();
    return 0;
}

#endif
