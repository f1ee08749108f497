// Vector and colour arithmetic, normalisation and random directions.
#include <cmath>

#include <gtest/gtest.h>

#include "math/DVector.h"
#include "random/Random.h"

namespace {
void ExpectVector(const TVector3& v, float x, float y, float z) {
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_FLOAT_EQ(v.z, z);
}
} // namespace

TEST(Vector, LengthAndNormalize) {
    EXPECT_EQ(VectorLength(MakeVector(3, 4, 12)), 13.0f);
    EXPECT_EQ(VectorLength(MakeVector(0, 0, 0)), 0.0f);
    ExpectVector(VectorNormalize(MakeVector(0, 3, 4)), 0.0f, 0.6f, 0.8f);
    ExpectVector(VectorNormalize(MakeVector(0, 0, 0)), 0, 0, 0);
    // Near-zero vectors are returned as they are, neither zeroed nor enlarged.
    const TVector3 tiny = VectorNormalize(MakeVector(0.00005f, 0, 0));
    EXPECT_EQ(tiny.x, 0.00005f);
    EXPECT_EQ(tiny.y, 0.0f);
}

TEST(Vector, LengthIsComputedWithoutOverflowOrLossInFloat) {
    // The squares overflow a float but not the working precision.
    EXPECT_EQ(VectorLength(MakeVector(3e30f, 4e30f, 0)), 5e30f);
}

TEST(Vector, NormalizeMultipliesByTheFloatReciprocal) {
    const TVector3 v = MakeVector(1, 1, 1);
    const float reciprocal = static_cast<float>(1.0L / VectorLength(v));
    const TVector3 n = VectorNormalize(v);
    EXPECT_EQ(n.x, 1.0f * reciprocal);
    EXPECT_EQ(n.z, 1.0f * reciprocal);
}

TEST(Vector, AddAndScaleKeepComponentOrder) {
    ExpectVector(VectorAdd(MakeVector(1, 2, 3), MakeVector(10, 20, 30)), 11, 22, 33);
    ExpectVector(VectorScale(MakeVector(1, -2, 3), 0.5f), 0.5f, -1, 1.5f);
    const TVector3 m = MakeVector(-1, 0, 0);
    EXPECT_EQ(m.x, -1.0f);
}

TEST(Vector, RandomVectorHasTheLengthAndStaysInThePositiveOctant) {
    RandSeed = 12345;
    for (int i = 0; i < 1000; ++i) {
        const TVector3 v = RandomVector(2.0f);
        EXPECT_NEAR(VectorLength(v), 2.0f, 2e-6f);
        EXPECT_GE(v.x, 0.0f);
        EXPECT_GE(v.y, 0.0f);
        EXPECT_GE(v.z, 0.0f);
    }
    const TVector3 zero = RandomVector(0.0f);
    ExpectVector(zero, 0, 0, 0);
}

TEST(Vector, RandomVectorDrawsXThenYThenZ) {
    RandSeed = 777;
    const float x = static_cast<float>(Random());
    const float y = static_cast<float>(Random());
    const float z = static_cast<float>(Random());
    const std::uint32_t after = RandSeed;
    const TVector3 expected = VectorNormalize(MakeVector(x, y, z));

    RandSeed = 777;
    const TVector3 v = RandomVector(1.0f);
    EXPECT_EQ(RandSeed, after) << "one attempt takes exactly three draws";
    EXPECT_EQ(v.x, expected.x);
    EXPECT_EQ(v.y, expected.y);
    EXPECT_EQ(v.z, expected.z);
}

TEST(Color, ArithmeticPerComponent) {
    const TColor4 sum = ColorAdd(MakeColor(0.1f, 0.2f, 0.3f, 0.4f), MakeColor(1, 2, 3, 4));
    EXPECT_FLOAT_EQ(sum.r, 1.1f);
    EXPECT_FLOAT_EQ(sum.g, 2.2f);
    EXPECT_FLOAT_EQ(sum.b, 3.3f);
    EXPECT_FLOAT_EQ(sum.a, 4.4f);
    const TColor4 diff = ColorSub(MakeColor(1, 1, 1, 1), MakeColor(0.25f, 0.5f, 0.75f, 1));
    EXPECT_EQ(diff.r, 0.75f);
    EXPECT_EQ(diff.g, 0.5f);
    EXPECT_EQ(diff.b, 0.25f);
    EXPECT_EQ(diff.a, 0.0f);
    const TColor4 scaled = ColorScale(MakeColor(1, 0.5f, 0.25f, 1), 0.5f);
    EXPECT_EQ(scaled.r, 0.5f);
    EXPECT_EQ(scaled.g, 0.25f);
    EXPECT_EQ(scaled.b, 0.125f);
    EXPECT_EQ(scaled.a, 0.5f);
    const TColor4 c = MakeColor(1, 0, 0.5f, 1);
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.b, 0.5f);
}
