// Floating-point conventions of the whole program.
//
// The simulation computes intermediate values at extended precision (64-bit significand,
// rounding to nearest with ties to even) and stores its fields as 32-bit floats. `Real` is that
// working precision, the same on every machine. On x86 with GCC, Clang or MinGW it is the x87's
// long double, whose control word is fixed at 0x133F from start-up on: every exception masked,
// 64-bit significand, rounding to nearest. Elsewhere (ARM64, WebAssembly, a 64-bit long double) it
// is SoftReal, the same format in software, giving the same bits; PARTICLES_SOFT_REAL forces it
// on x86 too.
#pragma once

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <cstdint>

#if (defined(__i386__) || defined(__x86_64__)) && LDBL_MANT_DIG == 64 &&                           \
    !defined(PARTICLES_SOFT_REAL)
#define PARTICLES_HARDWARE_REAL 1
using Real = long double;

// The x87's square root: correctly rounded at working precision.
inline Real Sqrt(Real x) {
    return std::sqrt(x);
}
#else
#define PARTICLES_HARDWARE_REAL 0
#include "real/SoftReal.h"
using Real = SoftReal;
#endif

// The control word the program runs with.
constexpr std::uint16_t ProgramControlWord = 0x133F;

// Loads ProgramControlWord into the x87 unit (and masks every SSE exception, so that no
// floating-point operation traps whichever unit computes it). Called first by every entry point
// (the program's, the replay tool's, the benchmarks'); tests may call it again.
void SetFloatEnvironment();

// The x87 control word now in force; 0 where there is no x87 unit.
std::uint16_t FloatControlWord();

// Puts the floating-point environment (x87 and SSE control registers, status flags) back as it
// was when the guard was made: some drivers change it inside window and context calls, and the
// simulation relies on it. fesetenv restores the x87 control word everywhere, but not the SSE
// control register with every C library, hence the second save.
class FloatEnvironmentGuard {
  public:
    FloatEnvironmentGuard();
    ~FloatEnvironmentGuard();
    FloatEnvironmentGuard(const FloatEnvironmentGuard&) = delete;
    FloatEnvironmentGuard& operator=(const FloatEnvironmentGuard&) = delete;

  private:
    std::fenv_t Saved;
    // The SSE control register, where there is one.
    [[maybe_unused]] std::uint32_t SavedCsr = 0;
};
