// The capture's clock: the counter functions of the Win32 interface, answering a time that the
// capture sets instead of the machine's.
//
// ScriptedClock.cpp defines QueryPerformanceCounter, QueryPerformanceFrequency and GetTickCount
// itself. Linked as an object of the executable, it takes the place of the real clock library,
// whose object the linker then never pulls in. The frequency is 1000, so GetTime returns the set
// millisecond exactly, through the program's own conversion.
#pragma once

#include <cstdint>

namespace capture {

// From now on every clock reading is `ms` (wrapping in 32 bits, as GetTime does).
void SetClock(std::int32_t ms);

} // namespace capture
