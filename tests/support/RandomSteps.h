// The random generator's recurrence written out again, forwards and backwards, so that the tests
// do not lean on Random itself.
#pragma once

#include <cstdint>

namespace randomtest {

constexpr std::uint32_t Multiplier = 134775813u;

inline std::uint32_t NextState(std::uint32_t s) {
    return s * Multiplier + 1u;
}

inline std::uint32_t Advance(std::uint32_t s, int steps) {
    for (int i = 0; i < steps; ++i) {
        s = NextState(s);
    }
    return s;
}

// The state whose step leads to `s`: the multiplier is odd, hence invertible modulo 2^32 (five
// Newton steps give its inverse, 3645876429).
inline std::uint32_t PreviousState(std::uint32_t s) {
    std::uint32_t inverse = Multiplier;
    for (int i = 0; i < 5; ++i) {
        inverse *= 2u - Multiplier * inverse;
    }
    return (s - 1u) * inverse;
}

} // namespace randomtest
