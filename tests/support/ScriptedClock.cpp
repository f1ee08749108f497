// The substitute clock's calls.
#include "support/ScriptedClock.h"

namespace scripted {

Clock& TheClock() {
    static Clock clock;
    return clock;
}

} // namespace scripted

extern "C" {

BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* count) {
    if (!count || scripted::TheClock().counterFails) {
        return FALSE;
    }
    count->QuadPart = scripted::TheClock().count;
    return TRUE;
}

BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* frequency) {
    if (!frequency || scripted::TheClock().counterFails) {
        return FALSE;
    }
    frequency->QuadPart = scripted::TheClock().frequency;
    return TRUE;
}

DWORD WINAPI GetTickCount() {
    return scripted::TheClock().ticks;
}

} // extern "C"
