// Random numbers and the conversions from working precision to integers.
#include "random/Random.h"

#include <cfenv>
#include <cmath>

#include "platform/Win32.h"

std::uint32_t RandSeed = 0;

void Randomize() {
    LARGE_INTEGER count;
    if (QueryPerformanceCounter(&count)) {
        RandSeed = static_cast<std::uint32_t>(count.QuadPart);
    } else {
        RandSeed = GetTickCount();
    }
}

#if PARTICLES_HARDWARE_REAL
namespace {

// lrint-style conversion: honours the rounding mode in force and, for NaN or values out of range,
// yields INT64_MIN (what the x87 store gives) instead of undefined behaviour.
std::int64_t ConvertInCurrentMode(Real x) {
    if (!(x >= -9223372036854775808.0L && x < 9223372036854775808.0L)) {
        return INT64_MIN;
    }
    return static_cast<std::int64_t>(std::llrint(x));
}

} // namespace

std::int64_t RoundToInt(Real x) {
    return ConvertInCurrentMode(x);
}

std::int64_t TruncToInt(Real x) {
    const int previous = std::fegetround();
    std::fesetround(FE_TOWARDZERO);
    const std::int64_t result = ConvertInCurrentMode(x);
    std::fesetround(previous);
    return result;
}
#else
// The software type rounds by itself, to nearest even as the program's control word does.
std::int64_t RoundToInt(Real x) {
    return x.RoundToInt64();
}

std::int64_t TruncToInt(Real x) {
    return x.TruncToInt64();
}
#endif
