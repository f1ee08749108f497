// The spray emitter: construction, the newborn's random draws, the fade and the flight invariants.
#include <cmath>
#include <cstdint>

#include <gtest/gtest.h>

#include "ParticleTestSupport.h"
#include "RandomSteps.h"
#include "particles/DEmitter.h"
#include "random/Random.h"

using ptest::ColorOf;
using ptest::PositionOf;
using ptest::SetClock;
using ptest::TickAt;
using ptest::VelocityOf;

namespace {

// The scene's spray with `count` slots and a colour whose alpha is not 1.
TEmitter TranslucentSpray(std::int32_t count) {
    TEmitterSetup s = SceneEmitter;
    s.Count = count;
    s.Color.a = 0.25f;
    return MakeEmitter(s);
}

float Fade(float age, float life) {
    return static_cast<float>(Real(1) - Real(age) / Real(life));
}

} // namespace

TEST(EmitterCreate, EverySlotStartsInUseAndBlack) {
    TEmitter e(17, 30, MakeVector(1.0f, 2.0f, 3.0f), MakeColor(0.1f, 0.2f, 0.3f, 0.4f), 1.25f,
               2.5f);
    ASSERT_EQ(e.Count, 17);
    // Before the first tick every slot is in use and black: the fade has not run.
    for (int i = 0; i < e.Count; ++i) {
        EXPECT_EQ(e.Particles[i].Alive, 1);
        EXPECT_EQ(ColorOf(e.Particles[i]).a, 0.0f);
    }
}

TEST(EmitterInit, NewbornsLeaveTheOriginInTheSprayColourOpaque) {
    TEmitter e = TranslucentSpray(8);
    SetClock(e, 0.0f);
    CurrentTime = 100.0f; // 0.1 s × 30 + 0.5 = 3.5, rounded to even: four newborns
    RandSeed = 0x12345678u;
    e.Update();
    for (int i = 0; i < 4; ++i) {
        const TParticle& p = e.Particles[i];
        ASSERT_EQ(p.Alive, 1) << i;
        EXPECT_EQ(float(p.Age), 0.0f);
        EXPECT_NEAR(VectorLength(VelocityOf(p)), 0.5f, 1e-6f);
        EXPECT_TRUE(float(p.Life) >= 1.0f && float(p.Life) <= 2.0f) << p.Life;
        // Born at Origin in the emitter's colour, alpha 1 whatever ParticleColor's alpha is.
        const TVector3 pos = PositionOf(p);
        EXPECT_TRUE(pos.x == 1.0f && pos.y == 0.0f && pos.z == 0.0f);
        const TColor4 c = ColorOf(p);
        EXPECT_TRUE(c.r == 1.0f && c.g == 0.0f && c.b == 0.5f && c.a == 1.0f);
        EXPECT_TRUE(float(p.Reserved1) == 0.0f && float(p.Reserved2) == 0.0f);
    }
    EXPECT_EQ(e.Particles[4].Alive, 0);
    // The newborns differ: each drew its own direction.
    EXPECT_NE(VelocityOf(e.Particles[0]).x, VelocityOf(e.Particles[1]).x);
}

TEST(EmitterInit, ADrawOfZeroGivesTheLongestLife) {
    TEmitter e = TranslucentSpray(4);
    ptest::FreeAll(e);
    // Seed so that the fourth draw (the lifetime's) leaves the generator at 0.
    std::uint32_t seed = 0;
    for (int i = 0; i < 4; ++i) {
        seed = randomtest::PreviousState(seed);
    }
    RandSeed = seed;
    e.InitParticle(e.Particles[1]);
    EXPECT_EQ(RandSeed, 0u);
    EXPECT_EQ(float(e.Particles[1].Life), 2.0f);
}

TEST(EmitterInit, LifetimesStayWithinTheBounds) {
    TEmitter e = TranslucentSpray(1);
    RandSeed = 99;
    for (int i = 0; i < 2000; ++i) {
        e.InitParticle(e.Particles[0]);
        ASSERT_GE(float(e.Particles[0].Life), 1.0f);
        ASSERT_LE(float(e.Particles[0].Life), 2.0f);
        ASSERT_NEAR(VectorLength(VelocityOf(e.Particles[0])), 0.5f, 1e-6f);
    }
    // Equal bounds give that lifetime exactly; reversed bounds work the same way.
    TEmitter fixed(1, 1, MakeVector(0, 0, 0), MakeColor(1, 1, 1, 1), 1.5f, 1.5f);
    TEmitter reversed(1, 1, MakeVector(0, 0, 0), MakeColor(1, 1, 1, 1), 3.0f, 1.0f);
    for (int i = 0; i < 200; ++i) {
        fixed.InitParticle(fixed.Particles[0]);
        ASSERT_EQ(float(fixed.Particles[0].Life), 1.5f);
        reversed.InitParticle(reversed.Particles[0]);
        ASSERT_GE(float(reversed.Particles[0].Life), 1.0f);
        ASSERT_LE(float(reversed.Particles[0].Life), 3.0f);
    }
}

TEST(EmitterUpdate, ParticlesFlyStraightAndFadeLinearly) {
    TEmitter e = TranslucentSpray(1000);
    RandSeed = 2024;
    SetClock(e, 10.0f);
    std::vector<TColor4> before(1000);
    std::vector<std::uint8_t> wasAlive(1000);
    int freed = 0;
    for (int frame = 1; frame <= 250; ++frame) { // 4 s of 16 ms frames
        for (int i = 0; i < e.Count; ++i) {
            before[i] = ColorOf(e.Particles[i]);
            wasAlive[i] = e.Particles[i].Alive;
        }
        TickAt(e, 10000.0f + 16.0f * frame);
        for (int i = 0; i < e.Count; ++i) {
            const TParticle& p = e.Particles[i];
            if (p.Alive == 0) {
                if (wasAlive[i] != 0 && frame > 1) {
                    // Freed in this tick: keeps its colour, the fade skips it.
                    ++freed;
                    const TColor4 c = ColorOf(p);
                    ASSERT_EQ(c.a, before[i].a);
                }
                continue;
            }
            const TVector3 pos = PositionOf(p), v = VelocityOf(p);
            ASSERT_LT(float(p.Age), float(p.Life));
            ASSERT_NEAR(pos.x, 1.0f + v.x * p.Age, 2e-5f) << i;
            ASSERT_NEAR(pos.y, v.y * p.Age, 2e-5f) << i;
            ASSERT_NEAR(pos.z, v.z * p.Age, 2e-5f) << i;
            ASSERT_NEAR(std::sqrt((pos.x - 1.0f) * (pos.x - 1.0f) + pos.y * pos.y + pos.z * pos.z),
                        0.5f * p.Age, 2e-5f);
            ASSERT_GE(v.x, 0.0f);
            ASSERT_GE(v.y, 0.0f);
            ASSERT_GE(v.z, 0.0f);
            const TColor4 c = ColorOf(p);
            ASSERT_EQ(c.a, Fade(p.Age, p.Life)) << i;
            ASSERT_GT(c.a, 0.0f);
            ASSERT_LE(c.a, 1.0f);
            ASSERT_EQ(c.r, 1.0f);
            ASSERT_EQ(c.b, 0.5f);
        }
    }
    EXPECT_GT(freed, 0);
}

TEST(EmitterUpdate, SecondTickInAFrameLeavesAlphaAlone) {
    TEmitter e = TranslucentSpray(50);
    RandSeed = 7;
    SetClock(e, 1.0f);
    TickAt(e, 1500.0f);
    TickAt(e, 1750.0f);
    std::vector<float> alpha;
    for (int i = 0; i < e.Count; ++i) {
        alpha.push_back(ColorOf(e.Particles[i]).a);
    }
    const std::uint32_t seed = RandSeed;
    e.Update();
    for (int i = 0; i < e.Count; ++i) {
        EXPECT_EQ(ColorOf(e.Particles[i]).a, alpha[i]);
    }
    EXPECT_EQ(RandSeed, seed);
}
