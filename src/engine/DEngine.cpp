// Settings, the clock and the tick rule.
#include "engine/DEngine.h"

#include "platform/Win32.h"
#include "random/Random.h"

bool Fullscreen = true;
std::int32_t ScreenWidth = 1024;
std::int32_t ScreenHeight = 768;
std::int32_t ColorBits = 32;
bool VSync = false;
const char* const WindowTitle = "OpenGL";

std::int32_t UpdateInterval = 30;

float CurrentTime = 0.0f;

namespace {

// The counter's value when the program started (0 until StartClock): readings count from it, so
// that the demo's motion depends on how long it has run, not on how long the machine has been up.
std::int64_t CounterOrigin = 0;

} // namespace

std::int32_t CounterToMilliseconds(std::int64_t count, std::int64_t frequency) {
    // Multiply before dividing so that no resolution of the counter is lost. The product wraps in
    // 64 bits like the machine's multiply; unsigned arithmetic makes that defined.
    const auto product = static_cast<std::int64_t>(static_cast<std::uint64_t>(count) * 1000u);
    const Real quotient = static_cast<Real>(product) / static_cast<Real>(frequency);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(TruncToInt(quotient)));
}

void StartClock() {
    LARGE_INTEGER count = {};
    QueryPerformanceCounter(&count);
    CounterOrigin = count.QuadPart;
}

std::int32_t GetTime() {
    // Zero where a call fails, so that a missing counter reads as a stopped clock, not as
    // whatever the stack held.
    LARGE_INTEGER frequency = {}, count = {};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&count);
    // The counts since the start wrap like the machine's subtraction; unsigned makes that defined.
    const auto elapsed = static_cast<std::int64_t>(static_cast<std::uint64_t>(count.QuadPart) -
                                                   static_cast<std::uint64_t>(CounterOrigin));
    return CounterToMilliseconds(elapsed, frequency.QuadPart);
}

std::uint32_t TicksDue(std::int32_t now, std::int32_t& reference, std::int32_t interval) {
    if (interval < 1) {
        interval = 1;
    }
    // Wrapping subtraction keeps the difference right when the millisecond count wraps.
    const auto elapsed = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) -
                                                   static_cast<std::uint32_t>(reference));
    const std::int32_t whole = elapsed / interval;
    if (whole < 0) {
        // The reading lies more than one interval before the reference: wait for it.
        return 0;
    }
    // The remainder takes the sign of elapsed and is carried over to the next frame.
    const std::int32_t carried = elapsed % interval;
    reference = static_cast<std::int32_t>(static_cast<std::uint32_t>(now) -
                                          static_cast<std::uint32_t>(carried));
    // One tick more than the whole intervals, so that every frame ticks at least once.
    return static_cast<std::uint32_t>(whole) + 1u;
}
