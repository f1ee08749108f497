// A clock the test sets: a link-time substitute for the counter and the tick count
// (QueryPerformanceCounter, QueryPerformanceFrequency, GetTickCount). A test program that links
// it reads these values instead of the system's clock.
#pragma once

#include "platform/Win32.h"

namespace scripted {

struct Clock {
    LONGLONG count = 0;
    LONGLONG frequency = 1000; // one count per millisecond
    DWORD ticks = 0;
    bool counterFails = false; // both counter calls fail
};

// The clock every substitute call reads; tests set it.
Clock& TheClock();

} // namespace scripted
