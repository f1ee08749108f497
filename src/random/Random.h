// The program's single random-number generator and its two float-to-integer conversions.
#pragma once

#include <cstdint>

#include "real/FloatEnv.h"

// The whole state of the generator: 0 until Randomize runs.
extern std::uint32_t RandSeed;

// Seeds RandSeed from the high-resolution counter, or from the tick count where that fails.
void Randomize();

// Advances RandSeed one step of the 32-bit LCG (x * 134775813 + 1) and returns RandSeed / 2^32,
// a value in [0, 1) that a double holds exactly.
inline Real Random() {
    RandSeed = RandSeed * 134775813u + 1u;
    return static_cast<Real>(RandSeed) * static_cast<Real>(1.0 / 4294967296.0);
}

// Nearest integer, exact halves to the even neighbour (the rounding mode in force).
std::int64_t RoundToInt(Real x);

// Integer part, rounding toward zero whatever the rounding mode says. Values outside the 64-bit
// range give the x87 "integer indefinite", INT64_MIN, rather than undefined behaviour.
std::int64_t TruncToInt(Real x);
