// The page's counter: the browser's high-resolution clock, stopped while the page is hidden; and
// the replay's scripted time (platform/ScriptedClock.h), which the page sets by its address.
//
// Implements QueryPerformanceCounter, QueryPerformanceFrequency and GetTickCount, at the real
// counter's 10 MHz, and the scripted clock's Set, Advance and FailCounter, as the Linux layer's
// ScriptedClock.cpp does for particles-capture.
// Reproduces a machine's monotonic counter across a suspend: a page that is hidden (a tab in the
// background, a minimised window) is a suspended machine, whose counter does not move. The
// browser runs no animation frames then, so the program runs no frames either (SwapBuffers
// waits, Contexts.cpp); when the page is shown again the counter goes on from where it stopped,
// and the first frame's ticks are those of one frame, not of the whole absence: no frozen page
// while a frame works off minutes of ticks, and no burst of particles born in one tick.
#include <emscripten/emscripten.h>

#include "platform/ScriptedClock.h"
#include "platform/Win32.h"

namespace {

constexpr LONGLONG Frequency = 10000000;

bool Scripted = false;
std::int64_t ScriptedMs = 0;
bool CounterFails = false;

// Milliseconds of performance.now() less the time the page spent hidden. The listener is set
// with the first reading; a page hidden before it has not run anything yet.
// clang-format off
EM_JS(double, PageMilliseconds, (), {
    let clock = Module.pageClock;
    if (!clock) {
        clock = Module.pageClock = { paused: 0, hiddenAt: document.hidden ? performance.now() : -1 };
        document.addEventListener('visibilitychange', () => {
            const now = performance.now();
            if (document.hidden) {
                if (clock.hiddenAt < 0) clock.hiddenAt = now;
            } else if (clock.hiddenAt >= 0) {
                clock.paused += now - clock.hiddenAt;
                clock.hiddenAt = -1;
            }
        });
    }
    return (clock.hiddenAt >= 0 ? clock.hiddenAt : performance.now()) - clock.paused;
});
// clang-format on

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
    count->QuadPart = Scripted ? ScriptedMs * (Frequency / 1000)
                               : static_cast<LONGLONG>(PageMilliseconds() * (Frequency / 1000));
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
    return static_cast<DWORD>(Scripted ? ScriptedMs
                                       : static_cast<std::int64_t>(PageMilliseconds()));
}

} // extern "C"
