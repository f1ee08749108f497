// A clock that stands in for the real one (src/platform/Clock.cpp) in the executable that links
// tests/support/ScriptedClock.cpp (the CMake target pt_scripted_clock): it defines the counter
// functions itself, so the linker never takes the library's. It follows CLOCK_MONOTONIC, as the
// real clock does, until a time is set; from then on it reads only what was set.
#pragma once

#include <cstdint>

namespace scriptedclock {

// From now on every reading is `ms` milliseconds (GetTime's value, GetTickCount's too).
void Set(std::int32_t ms);
// Moves the set time on by `ms` milliseconds.
void Advance(std::int32_t ms);

} // namespace scriptedclock
