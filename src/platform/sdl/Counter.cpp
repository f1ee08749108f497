// The host's counter behind the clock (platform/Clock.cpp), on CLOCK_MONOTONIC, which keeps
// nanoseconds, so that 10 MHz invents nothing. Free of SDL, so that the simulation core can link
// it alone.
#include <ctime>

#include "platform/Core.h"

LONGLONG platform::host::Counter() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<LONGLONG>(now.tv_sec) * CounterFrequency +
           now.tv_nsec / (1000000000 / CounterFrequency);
}
