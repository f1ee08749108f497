// The software working precision: bit for bit the x87's on every operation the program performs,
// and the same bits on every machine.
#include <cinttypes>
#include <cstdio>
#include <string>
#include <type_traits>

#include <gtest/gtest.h>

#include "RealCheck.h"
#include "real/FloatEnv.h"
#include "real/SoftReal.h"

namespace {

using realcheck::Bits;
using realcheck::BitsOf;

#if REALCHECK_HAVE_X87
std::string Describe(Bits b) {
    char text[40];
    std::snprintf(text, sizeof text, "%04x:%016" PRIx64, b.SignExponent, b.Significand);
    return text;
}

std::string Describe(const realcheck::Case& c) {
    char text[160];
    std::snprintf(text, sizeof text,
                  "float %08x, double %016" PRIx64 ", int64 %" PRId64 ", int32 %" PRId32
                  ", uint32 %" PRIu32,
                  c.Float, c.Double, c.Int64, c.Int32, c.Uint32);
    return "a " + Describe(c.A) + ", b " + Describe(c.B) + ", " + text;
}
#endif

bool SameBits(SoftReal x, Bits expected) {
    return x.SignExponentBits() == expected.SignExponent &&
           x.SignificandBits() == expected.Significand;
}

} // namespace

#if REALCHECK_HAVE_X87
// Every case's results from the x87 and from SoftReal; the first differing operation fails.
// bench/RealBench.cpp runs the same comparison over far more cases.
TEST(SoftReal, AgreesWithTheX87BitForBit) {
    SetFloatEnvironment();
    realcheck::Generator generator(20261209);
    std::uint64_t hardware[realcheck::ResultCount], software[realcheck::ResultCount];
    constexpr int cases = 200000;
    for (int i = 0; i < cases; ++i) {
        const realcheck::Case c = generator.NextCase();
        realcheck::Evaluate<long double>(c, hardware);
        realcheck::Evaluate<SoftReal>(c, software);
        for (int k = 0; k < realcheck::ResultCount; ++k) {
            ASSERT_EQ(software[k], hardware[k])
                << realcheck::ResultNames[k] << " differs in case " << i << ": " << Describe(c);
        }
    }
}

TEST(SoftReal, ProgramConstantsAreTheX87Literals) {
    EXPECT_TRUE(SameBits(SoftReal(1) / SoftReal(1000), BitsOf(0.001L)));
    EXPECT_TRUE(SameBits(SoftReal(1) / SoftReal(10000), BitsOf(0.0001L)));
    EXPECT_TRUE(SameBits(SoftReal(0.5), BitsOf(0.5L)));
}
#endif

// The digest of the software results on a fixed set of cases: the same number on every machine
// and compiler. Where the x87 is there, the test above shows these results to be its own. To
// re-pin after a change of the generator, print realcheck::SoftDigest(1, 50000) on x86.
TEST(SoftReal, SameResultsOnEveryMachine) {
    EXPECT_EQ(realcheck::SoftDigest(1, 50000), 0xd22e1917d2392b32ull);
}

// The working precision's constants, computed at compile time, have the x87 literals' bits.
TEST(SoftReal, ConstantsFoldAtCompileTime) {
    constexpr SoftReal thousandth = SoftReal(1) / SoftReal(1000);
    static_assert(thousandth.SignExponentBits() == 0x3FF5, "0.001 exponent");
    EXPECT_TRUE(SameBits(thousandth, {0x3FF5, 0x83126E978D4FDF3Bull}));
    constexpr SoftReal tenThousandth = SoftReal(1) / SoftReal(10000);
    EXPECT_TRUE(SameBits(tenThousandth, {0x3FF1, 0xD1B71758E219652Cull}));
}

// The hardware type stays where it is the x87's (unless the software one is asked for); on
// ARM64, WebAssembly and with a 64-bit long double the software type is the one in use.
#if defined(PARTICLES_SOFT_REAL) || !(defined(__i386__) || defined(__x86_64__)) ||                 \
    __LDBL_MANT_DIG__ != 64
static_assert(std::is_same_v<Real, SoftReal> && !PARTICLES_HARDWARE_REAL, "software type");
#else
static_assert(std::is_same_v<Real, long double> && PARTICLES_HARDWARE_REAL, "hardware type");
#endif
