// The clock: the performance counter and the tick count, on CLOCK_MONOTONIC.
//
// Implements QueryPerformanceCounter, QueryPerformanceFrequency and GetTickCount.
// Reproduces: a counter at a fixed 10 MHz, like the counter of most Windows machines, counting
// from an origin near the system's start; a millisecond tick count that wraps after 49.7 days.
// Leaves out: nothing the program reads. Free of SDL and of the window layer, so that the
// simulation core can link it alone.
#include "platform/Win32.h"

#include <cstdint>
#include <ctime>

namespace {

// CLOCK_MONOTONIC keeps nanoseconds, so 10 MHz invents nothing.
constexpr LONGLONG CounterFrequency = 10000000;

} // namespace

extern "C" {

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) {
        return FALSE;
    }
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    count->QuadPart = static_cast<LONGLONG>(now.tv_sec) * CounterFrequency +
                      now.tv_nsec / (1000000000 / CounterFrequency);
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) {
        return FALSE;
    }
    frequency->QuadPart = CounterFrequency;
    return TRUE;
}

DWORD WINAPI GetTickCount() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // Milliseconds since the system started, wrapping after 49.7 days like Windows.
    const auto ms = static_cast<std::uint64_t>(now.tv_sec) * 1000u +
                    static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<DWORD>(ms);
}

} // extern "C"
