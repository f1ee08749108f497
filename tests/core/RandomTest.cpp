// The generator's sequence, the conversions to integers and the floating-point environment.
#include <cmath>
#include <cstdint>
#include <limits>

#include <gtest/gtest.h>

#include "RandomSteps.h"
#include "platform/Win32.h"
#include "random/FloatEnv.h"
#include "random/Random.h"

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
        EXPECT_EQ(r, std::ldexp(static_cast<Real>(states[i]), -32)) << "step " << i;
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
    EXPECT_EQ(RoundToInt(0.5L), 0);
    EXPECT_EQ(RoundToInt(1.5L), 2);
    EXPECT_EQ(RoundToInt(2.5L), 2);
    EXPECT_EQ(RoundToInt(3.5L), 4);
    EXPECT_EQ(RoundToInt(-0.5L), 0);
    EXPECT_EQ(RoundToInt(-1.5L), -2);
    EXPECT_EQ(RoundToInt(0.4999L), 0);
    EXPECT_EQ(RoundToInt(0.7L), 1);
    // Working precision: 0.5 + 2^-60 is above the tie and rounds up; a double would not see it.
    EXPECT_EQ(RoundToInt(0.5L + std::ldexp(1.0L, -60)), 1);
}

TEST(Conversions, TruncToIntTowardZeroAndRestoresRounding) {
    EXPECT_EQ(TruncToInt(2.7L), 2);
    EXPECT_EQ(TruncToInt(-2.7L), -2);
    EXPECT_EQ(TruncToInt(-0.9L), 0);
    EXPECT_EQ(TruncToInt(999.9999L), 999);
    EXPECT_EQ(TruncToInt(9007199254740993.75L), 9007199254740993LL);
    // Afterwards rounding is to nearest even again.
    EXPECT_EQ(RoundToInt(2.5L), 2);
    EXPECT_EQ(RoundToInt(2.7L), 3);
}

TEST(Conversions, OutOfRangeGivesIntegerIndefinite) {
    const Real inf = std::numeric_limits<Real>::infinity();
    EXPECT_EQ(TruncToInt(inf), INT64_MIN);
    EXPECT_EQ(TruncToInt(-inf), INT64_MIN);
    EXPECT_EQ(TruncToInt(std::numeric_limits<Real>::quiet_NaN()), INT64_MIN);
    EXPECT_EQ(RoundToInt(1e30L), INT64_MIN);
}

#if defined(__i386__) || defined(__x86_64__)
TEST(FloatEnvironment, ControlWordIsSetAndKept) {
    // Bit 6 is reserved and reads back as 1 on real processors; it has no effect.
    const auto effective = [] { return FloatControlWord() & ~0x0040; };
    SetFloatEnvironment();
    EXPECT_EQ(effective(), 0x133F);
    TruncToInt(1.5L);
    EXPECT_EQ(effective(), 0x133F);
}
#endif

TEST(FloatEnvironment, DivisionByZeroAndInvalidDoNotTrap) {
    SetFloatEnvironment();
    volatile Real zero = 0;
    const Real one = 1;
    EXPECT_EQ(one / zero, std::numeric_limits<Real>::infinity());
    EXPECT_TRUE(std::isnan(zero / zero));
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
