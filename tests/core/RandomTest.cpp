// The generator's sequence, the conversions to integers and the floating-point environment.
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "RandomSteps.h"
#include "platform/Win32.h"
#include "random/Random.h"
#include "real/FloatEnv.h"

#include "platform/ScriptedClock.h"

TEST(Random, SequenceFromSeedZero) {
    RandSeed = 0;
    const std::uint32_t states[] = {1u, 134775814u, 3698175007u, 870078620u, 1172187917u};
    const double values[] = {2.3283064365386963e-10, 0.031379939522594213, 0.8610484672244638,
                             0.20258096512407064, 0.2729212671983987};
    for (int i = 0; i < 5; ++i) {
        const Real r = Random();
        EXPECT_EQ(RandSeed, states[i]) << "step " << i;
        // The result is exactly the state divided by 2^32.
        EXPECT_EQ(r, static_cast<Real>(states[i]) / Real(4294967296.0)) << "step " << i;
        EXPECT_DOUBLE_EQ(static_cast<double>(r), values[i]) << "step " << i;
    }
}

using randomtest::PreviousState;

TEST(Random, StaysBelowOneButRoundsToOneAsFloatFromTheTop128States) {
    RandSeed = PreviousState(4294967295u);
    const Real top = Random();
    EXPECT_EQ(RandSeed, 4294967295u);
    EXPECT_LT(top, Real(1));
    EXPECT_EQ(static_cast<float>(top), 1.0f);

    RandSeed = PreviousState(4294967168u);
    EXPECT_EQ(static_cast<float>(Random()), 1.0f);
    RandSeed = PreviousState(4294967167u);
    EXPECT_LT(static_cast<float>(Random()), 1.0f);
}

TEST(Random, ReturnsZeroFromTheStateBeforeZero) {
    RandSeed = PreviousState(0u);
    EXPECT_EQ(Random(), Real(0));
    EXPECT_EQ(RandSeed, 0u);
}

TEST(Conversions, RoundToIntTiesToEven) {
    EXPECT_EQ(RoundToInt(Real(0.5)), 0);
    EXPECT_EQ(RoundToInt(Real(1.5)), 2);
    EXPECT_EQ(RoundToInt(Real(2.5)), 2);
    EXPECT_EQ(RoundToInt(Real(3.5)), 4);
    EXPECT_EQ(RoundToInt(Real(-0.5)), 0);
    EXPECT_EQ(RoundToInt(Real(-1.5)), -2);
    EXPECT_EQ(RoundToInt(Real(0.4999)), 0);
    EXPECT_EQ(RoundToInt(Real(0.7)), 1);
    // Working precision: 0.5 + 2^-60 is above the tie and rounds up; a double would not see it.
    EXPECT_EQ(RoundToInt(Real(0.5) + Real(std::ldexp(1.0, -60))), 1);
}

TEST(Conversions, TruncToIntTowardZeroAndRestoresRounding) {
    EXPECT_EQ(TruncToInt(Real(2.7)), 2);
    EXPECT_EQ(TruncToInt(Real(-2.7)), -2);
    EXPECT_EQ(TruncToInt(Real(-0.9)), 0);
    EXPECT_EQ(TruncToInt(Real(999.9999)), 999);
    EXPECT_EQ(TruncToInt(Real(9007199254740993) + Real(0.75)), 9007199254740993LL);
    // Afterwards rounding is to nearest even again.
    EXPECT_EQ(RoundToInt(Real(2.5)), 2);
    EXPECT_EQ(RoundToInt(Real(2.7)), 3);
}

TEST(Conversions, OutOfRangeGivesIntegerIndefinite) {
    const Real inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(TruncToInt(inf), INT64_MIN);
    EXPECT_EQ(TruncToInt(-inf), INT64_MIN);
    EXPECT_EQ(TruncToInt(Real(std::numeric_limits<double>::quiet_NaN())), INT64_MIN);
    EXPECT_EQ(RoundToInt(Real(1e30)), INT64_MIN);
}

#if defined(__i386__) || defined(__x86_64__)
TEST(FloatEnvironment, ControlWordIsSetAndKept) {
    // Bit 6 is reserved and reads back as 1 on real processors; it has no effect.
    const auto effective = [] { return FloatControlWord() & ~0x0040; };
    SetFloatEnvironment();
    EXPECT_EQ(effective(), 0x133F);
    TruncToInt(Real(1.5));
    EXPECT_EQ(effective(), 0x133F);
}
#endif

TEST(FloatEnvironment, DivisionByZeroAndInvalidDoNotTrap) {
    SetFloatEnvironment();
    volatile double zeroValue = 0;
    const Real zero = zeroValue;
    const Real one = 1;
    EXPECT_EQ(one / zero, Real(std::numeric_limits<double>::infinity()));
    const Real invalid = zero / zero;
    EXPECT_FALSE(invalid == invalid);
    volatile float fzero = 0.0f;
    EXPECT_TRUE(std::isinf(1.0f / fzero));
}

TEST(Randomize, SeedsFromTheCounterOrElseTheTickCount) {
    // 123456789 ms are 0x11F71FB0450 counts of the 10 MHz counter: its low 32 bits seed.
    scriptedclock::Set(123456789);
    Randomize();
    EXPECT_EQ(RandSeed, 0x71FB0450u);

    scriptedclock::FailCounter(true);
    Randomize();
    EXPECT_EQ(RandSeed, 123456789u); // the tick count
    scriptedclock::FailCounter(false);
}
