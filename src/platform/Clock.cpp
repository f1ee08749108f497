// The clock: the performance counter and the tick count, on the host's counter, or at a time set
// by hand (platform/ScriptedClock.h) for a replay (particles-capture, the page's) and the tests.
//
// Implements QueryPerformanceCounter, QueryPerformanceFrequency and GetTickCount.
// Reproduces: a counter at a fixed 10 MHz, like the counter of most Windows machines, counting
// from an origin near the system's start (the page's: its own start); a millisecond tick count
// that wraps after 49.7 days; once a time is set, only what was set, so that GetTime returns
// that millisecond exactly; both counter calls failing on request, as on a machine without the
// counter.
// Leaves out: nothing the program reads. Free of SDL and of the window layer, so that the
// simulation core can link it alone.
#include "platform/ScriptedClock.h"

#include "platform/Core.h"

namespace {

// The real counter's rate: a set time converts back to whole milliseconds exactly.
constexpr LONGLONG Frequency = platform::host::CounterFrequency;

bool Scripted = false;
std::int64_t ScriptedMs = 0;
bool CounterFails = false;

LONGLONG Now() {
    return Scripted ? ScriptedMs * (Frequency / 1000) : platform::host::Counter();
}

} // namespace

void scriptedclock::Set(std::int32_t ms) {
    Scripted = true;
    ScriptedMs = ms;
}

void scriptedclock::Advance(std::int32_t ms) {
    ScriptedMs += ms;
}

void scriptedclock::FailCounter(bool fail) {
    CounterFails = fail;
}

extern "C" {

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count || CounterFails) {
        return FALSE;
    }
    count->QuadPart = Now();
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency || CounterFails) {
        return FALSE;
    }
    frequency->QuadPart = Frequency;
    return TRUE;
}

DWORD WINAPI GetTickCount() {
    // Wrapping after 49.7 days, like Windows.
    return static_cast<DWORD>(Now() / (Frequency / 1000));
}

} // extern "C"
