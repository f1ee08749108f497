// The colour spline: segments, held ends, exact keys, the key limit and rejected keys.
#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "ColorChecks.h"
#include "ParticleTestSupport.h"
#include "particles/DColorSpline.h"

namespace {

void ExpectColorEq(const TColor4& c, const TColor4& e) {
    EXPECT_EQ(c.r, e.r);
    EXPECT_EQ(c.g, e.g);
    EXPECT_EQ(c.b, e.b);
    EXPECT_EQ(c.a, e.a);
}

bool SameBytes(const TColorSpline& a, const TColorSpline& b) {
    return std::memcmp(&a, &b, sizeof(TColorSpline)) == 0;
}

const float NaN = std::numeric_limits<float>::quiet_NaN();
const float Inf = std::numeric_limits<float>::infinity();

} // namespace

TEST(ColorSpline, StartsEmptyAndZeroed) {
    TColorSpline s;
    EXPECT_EQ(s.Count, 0);
    EXPECT_EQ(TColorSpline::MaxKeys, 10);
    const TColorSpline zero{};
    EXPECT_TRUE(SameBytes(s, zero));
}

TEST(ColorSpline, WithoutKeysEvaluatesToTransparentBlack) {
    TColorSpline s;
    for (const float t : {-1.0f, 0.0f, 0.5f, 2.0f, NaN, Inf}) {
        ExpectColorEq(s.Evaluate(t), MakeColor(0.0f, 0.0f, 0.0f, 0.0f));
    }
}

TEST(ColorSpline, OneKeyGivesItsColourEverywhere) {
    TColorSpline s;
    s.AddKey(0.5f, MakeColor(0.1f, 0.2f, 0.3f, 0.4f));
    for (const float t : {-10.0f, 0.0f, 0.5f, 0.75f, 10.0f, NaN}) {
        ExpectColorEq(s.Evaluate(t), MakeColor(0.1f, 0.2f, 0.3f, 0.4f));
    }
}

TEST(ColorSpline, InterpolatesInsideAndHoldsTheEnds) {
    TColorSpline s;
    s.AddKey(0.2f, MakeColor(1.0f, 1.0f, 0.0f, 1.0f));
    s.AddKey(0.8f, MakeColor(1.0f, 0.0f, 0.0f, 1.0f));
    ExpectColorNear(s.Evaluate(0.5f), 1.0f, 0.5f, 0.0f, 1.0f);
    ExpectColorEq(s.Evaluate(0.1f), MakeColor(1.0f, 1.0f, 0.0f, 1.0f));
    ExpectColorEq(s.Evaluate(0.9f), MakeColor(1.0f, 0.0f, 0.0f, 1.0f));
    ExpectColorEq(s.Evaluate(-Inf), MakeColor(1.0f, 1.0f, 0.0f, 1.0f));
    ExpectColorEq(s.Evaluate(Inf), MakeColor(1.0f, 0.0f, 0.0f, 1.0f));
    ExpectColorEq(s.Evaluate(NaN), MakeColor(1.0f, 1.0f, 0.0f, 1.0f));
}

TEST(ColorSpline, AlphaIsInterpolatedLikeTheOtherComponents) {
    TColorSpline s;
    s.AddKey(0.0f, MakeColor(0.0f, 0.0f, 0.0f, 0.0f));
    s.AddKey(1.0f, MakeColor(1.0f, 1.0f, 1.0f, 1.0f));
    ExpectColorEq(s.Evaluate(0.25f), MakeColor(0.25f, 0.25f, 0.25f, 0.25f));
}

TEST(ColorSpline, EachSegmentUsesItsOwnKeys) {
    TColorSpline s;
    s.AddKey(0.0f, MakeColor(0.0f, 0.0f, 0.0f, 0.0f));
    s.AddKey(1.0f, MakeColor(1.0f, 0.0f, 0.0f, 1.0f));
    s.AddKey(3.0f, MakeColor(1.0f, 1.0f, 0.0f, 0.0f));
    s.AddKey(4.0f, MakeColor(0.0f, 0.0f, 1.0f, 0.5f));
    ExpectColorNear(s.Evaluate(0.5f), 0.5f, 0.0f, 0.0f, 0.5f);
    ExpectColorNear(s.Evaluate(2.0f), 1.0f, 0.5f, 0.0f, 0.5f);
    ExpectColorNear(s.Evaluate(3.5f), 0.5f, 0.5f, 0.5f, 0.25f);
}

TEST(ColorSpline, KeysAreHitExactlyEnough) {
    // The flame's gradient, whose keys lie close together near the start.
    const TFlame flame = ptest::SceneFlameOf(1);
    const TColorSpline& s = flame.Spline;
    ASSERT_GE(s.Count, 2);
    ExpectColorEq(s.Evaluate(s.ColorKeys[0].Time), s.ColorKeys[0].Color);
    for (int i = 1; i < s.Count; ++i) {
        const TColor4& k = s.ColorKeys[i].Color;
        ExpectColorNear(s.Evaluate(s.ColorKeys[i].Time), k.r, k.g, k.b, k.a);
    }
}

TEST(ColorSpline, SlopeIsTheDifferenceTimesTheFloatReciprocal) {
    TColorSpline s;
    const TColor4 c0 = {0.1f, 0.9f, 0.3f, 0.0f}, c1 = {0.7f, 0.2f, 0.3f, 1.0f};
    s.AddKey(0.1f, c0);
    s.AddKey(0.4f, c1);
    const float r = static_cast<float>(Real(1) / (Real(0.4f) - Real(0.1f)));
    EXPECT_EQ(s.ColorKeys[1].Slope.r, (c1.r - c0.r) * r);
    EXPECT_EQ(s.ColorKeys[1].Slope.g, (c1.g - c0.g) * r);
    EXPECT_EQ(s.ColorKeys[1].Slope.b, 0.0f);
    EXPECT_EQ(s.ColorKeys[1].Slope.a, (c1.a - c0.a) * r);
    // Inside the segment: previous colour plus slope times the float offset.
    const float offset = 0.3f - 0.1f;
    const TColor4 c = s.Evaluate(0.3f);
    EXPECT_EQ(c.r, c0.r + s.ColorKeys[1].Slope.r * offset);
    EXPECT_EQ(c.g, c0.g + s.ColorKeys[1].Slope.g * offset);
    // At a key's own Time the segment that ends there is used, not the one that starts there.
    s.AddKey(0.9f, MakeColor(0.0f, 0.0f, 0.0f, 0.0f));
    const float span = 0.4f - 0.1f;
    const TColor4 k = s.Evaluate(0.4f);
    EXPECT_EQ(k.r, c0.r + s.ColorKeys[1].Slope.r * span);
    EXPECT_EQ(k.g, c0.g + s.ColorKeys[1].Slope.g * span);
    EXPECT_EQ(k.a, c0.a + s.ColorKeys[1].Slope.a * span);
}

TEST(ColorSpline, FirstKeySlopeStaysZero) {
    TColorSpline s;
    for (int i = 0; i < 12; ++i) {
        s.AddKey(static_cast<float>(i), MakeColor(1.0f * i, 2.0f, 3.0f, 4.0f));
        ExpectColorEq(s.ColorKeys[0].Slope, MakeColor(0.0f, 0.0f, 0.0f, 0.0f));
    }
}

TEST(ColorSpline, EleventhKeyIsIgnored) {
    TColorSpline s;
    for (int i = 0; i < 10; ++i) {
        s.AddKey(0.1f * static_cast<float>(i), MakeColor(0.1f * i, 0.0f, 1.0f, 1.0f));
    }
    ASSERT_EQ(s.Count, 10);
    const TColorSpline before = s;
    const TColor4 at = s.Evaluate(2.0f);
    s.AddKey(5.0f, MakeColor(0.5f, 0.5f, 0.5f, 0.5f));
    EXPECT_EQ(s.Count, 10);
    EXPECT_TRUE(SameBytes(s, before));
    ExpectColorEq(s.Evaluate(2.0f), at);
}

TEST(ColorSpline, KeysThatDoNotClimbAreIgnored) {
    TColorSpline s;
    s.AddKey(0.5f, MakeColor(1.0f, 0.0f, 0.0f, 1.0f));
    const TColorSpline one = s;
    s.AddKey(0.5f, MakeColor(0.0f, 1.0f, 0.0f, 1.0f));  // same time: infinite slope
    s.AddKey(0.25f, MakeColor(0.0f, 0.0f, 1.0f, 1.0f)); // earlier time
    s.AddKey(NaN, MakeColor(0.0f, 0.0f, 1.0f, 1.0f));
    s.AddKey(Inf, MakeColor(0.0f, 0.0f, 1.0f, 1.0f));
    EXPECT_TRUE(SameBytes(s, one));
    // A span too small for a float reciprocal is rejected as well.
    TColorSpline tiny;
    tiny.AddKey(0.0f, MakeColor(0.0f, 0.0f, 0.0f, 0.0f));
    tiny.AddKey(std::numeric_limits<float>::denorm_min(), MakeColor(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(tiny.Count, 1);
    // The spline still works and never yields a NaN.
    s.AddKey(1.5f, MakeColor(0.0f, 1.0f, 0.0f, 0.0f));
    ASSERT_EQ(s.Count, 2);
    for (const float t : {0.0f, 0.5f, 0.75f, 1.0f, 1.5f, 3.0f}) {
        const TColor4 c = s.Evaluate(t);
        EXPECT_FALSE(std::isnan(c.r) || std::isnan(c.g) || std::isnan(c.b) || std::isnan(c.a));
    }
    ExpectColorNear(s.Evaluate(1.0f), 0.5f, 0.5f, 0.0f, 0.5f);
}

TEST(ColorSpline, NonFiniteFirstKeyIsIgnored) {
    TColorSpline s;
    s.AddKey(NaN, MakeColor(1.0f, 1.0f, 1.0f, 1.0f));
    s.AddKey(-Inf, MakeColor(1.0f, 1.0f, 1.0f, 1.0f));
    EXPECT_EQ(s.Count, 0);
}
