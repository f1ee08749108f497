// Settings and the clock.
#include "engine/DEngine.h"

#include "platform/Win32.h"
#include "random/Random.h"

bool Fullscreen = true;
std::int32_t ScreenWidth = 1024;
std::int32_t ScreenHeight = 768;
std::int32_t ColorBits = 32;
bool VSync = false;
const char* const WindowTitle = "OpenGL";

float CurrentTime = 0.0f;

std::int32_t CounterToMilliseconds(std::int64_t count, std::int64_t frequency) {
    // Multiply before dividing so that no resolution of the counter is lost. The product wraps in
    // 64 bits like the machine's multiply; unsigned arithmetic makes that defined.
    const auto product = static_cast<std::int64_t>(static_cast<std::uint64_t>(count) * 1000u);
    const Real quotient = static_cast<Real>(product) / static_cast<Real>(frequency);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(TruncToInt(quotient)));
}

std::int32_t GetTime() {
    LARGE_INTEGER frequency, count;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    return CounterToMilliseconds(count.QuadPart, frequency.QuadPart);
}
