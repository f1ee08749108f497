// A clock set by hand, in place of the real one: for replaying a run exactly (particles-capture)
// and for tests and benchmarks.
//
// The clock itself (platform/Clock.cpp) follows the host's counter until a time is set; from then
// on it reads only what was set, and GetTime returns that millisecond exactly.
#pragma once

#include <cstdint>

namespace scriptedclock {

// From now on every reading is `ms` milliseconds (GetTime's value, GetTickCount's too).
void Set(std::int32_t ms);
// Moves the set time on by `ms` milliseconds.
void Advance(std::int32_t ms);
// From now on both counter calls fail (or work again), as on a machine without the counter.
void FailCounter(bool fail);

} // namespace scriptedclock
