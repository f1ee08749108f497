// The host's counter behind the clock (platform/Clock.cpp), in the page: the browser's
// high-resolution clock, stopped while the page is hidden.
//
// Reproduces a machine's monotonic counter across a suspend: a page that is hidden (a tab in the
// background, a minimised window) is a suspended machine, whose counter does not move. The
// browser runs no animation frames then, so the program runs no frames either (SwapBuffers
// waits, Contexts.cpp); when the page is shown again the counter goes on from where it stopped,
// and the first frame's ticks are those of one frame, not of the whole absence: no frozen page
// while a frame works off minutes of ticks, and no burst of particles born in one tick.
#include <emscripten/emscripten.h>

#include "platform/Core.h"

namespace {

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

LONGLONG platform::host::Counter() {
    return static_cast<LONGLONG>(PageMilliseconds() * (CounterFrequency / 1000));
}
