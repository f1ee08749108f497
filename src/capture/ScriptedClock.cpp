// The scripted clock: a counter that stands where the capture puts it.
#include "capture/ScriptedClock.h"

#include "platform/Win32.h"

namespace {

std::int32_t Now = 0;

} // namespace

void capture::SetClock(std::int32_t ms) {
    Now = ms;
}

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count) {
        return FALSE;
    }
    count->QuadPart = Now;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency) {
        return FALSE;
    }
    frequency->QuadPart = 1000;
    return TRUE;
}

DWORD WINAPI GetTickCount() {
    return static_cast<DWORD>(Now);
}
