// The counter functions with a time set by hand.
#include "platform/ScriptedClock.h"

#include <ctime>

#include "platform/Win32.h"

namespace {

// The real counter's rate: a set time converts back to whole milliseconds exactly.
constexpr LONGLONG Frequency = 10000000;

bool Scripted = false;
std::int64_t ScriptedMs = 0;
bool CounterFails = false;

std::int64_t Nanoseconds() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
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
    count->QuadPart =
        Scripted ? ScriptedMs * (Frequency / 1000) : Nanoseconds() / (1000000000 / Frequency);
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
    return static_cast<DWORD>(Scripted ? ScriptedMs : Nanoseconds() / 1000000);
}

} // extern "C"
