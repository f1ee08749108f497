// Floating-point conventions of the whole program.
//
// The simulation computes intermediate values at extended precision (64-bit mantissa) and stores
// its fields as 32-bit floats. `Real` is that working precision. On x86 the x87 unit carries it;
// its control word is fixed at 0x133F from start-up on: every exception masked, 64-bit mantissa,
// rounding to nearest with ties to even.
#pragma once

#include <cfenv>
#include <cfloat>
#include <cstdint>

#if LDBL_MANT_DIG >= 64
using Real = long double;
#elif defined(PARTICLES_ALLOW_DOUBLE)
// Accepted on request only: results may then differ from the x86 build in the last bits.
using Real = double;
#else
#error "particles needs a 64-bit-mantissa long double (GCC, Clang or MinGW on x86). \
Configure with -DPARTICLES_ALLOW_DOUBLE=ON to accept double as the working precision."
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
    std::uint32_t SavedCsr = 0;
};
