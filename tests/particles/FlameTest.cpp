// The flame: construction and gradient, birth on the shell, the rise, the jitter and the taper,
// and the colours along a particle's life.
#include <cmath>
#include <cstdint>
#include <vector>

#include <gtest/gtest.h>

#include "ColorChecks.h"
#include "ParticleTestSupport.h"
#include "RandomSteps.h"
#include "particles/DFlame.h"
#include "random/Random.h"

using ptest::ColorOf;
using ptest::PositionOf;
using ptest::SceneFlameOf;
using ptest::SetClock;
using ptest::TickAt;
using ptest::VelocityOf;

namespace {

// A live flame particle placed by hand, in mid-life.
void PlaceFlameParticle(TParticle& p, TVector3 position, float age) {
    ptest::Place(p, position, {0.0f, 0.0f, 0.0f}, age, 1.5f);
}

} // namespace

TEST(FlameCreate, GradientColoursAlongTheLife) {
    TFlame f = SceneFlameOf(1);
    ExpectColorNear(f.Spline.Evaluate(0.0f), 0.0f, 0.3f, 1.0f, 0.5f);
    ExpectColorNear(f.Spline.Evaluate(0.075f), 0.0f, 0.5f, 1.0f, 0.75f);
    ExpectColorNear(f.Spline.Evaluate(0.15f), 0.0f, 0.7f, 1.0f, 1.0f);
    ExpectColorNear(f.Spline.Evaluate(0.175f), 0.5f, 0.85f, 0.5f, 1.0f);
    ExpectColorNear(f.Spline.Evaluate(0.2f), 1.0f, 1.0f, 0.0f, 1.0f);
    ExpectColorNear(f.Spline.Evaluate(0.5f), 1.0f, 0.5f, 0.0f, 1.0f);
    ExpectColorNear(f.Spline.Evaluate(0.8f), 1.0f, 0.0f, 0.0f, 1.0f);
    ExpectColorNear(f.Spline.Evaluate(0.9f), 1.0f, 0.0f, 0.0f, 0.5f);
}

TEST(FlameInit, BornOnTheShellAboveAndBesideTheOrigin) {
    TFlame f(1, 50.0f, MakeVector(-1.0f, 2.0f, 0.5f), 0.15f, 0.2f, 1.0f);
    RandSeed = 314159;
    for (int i = 0; i < 2000; ++i) {
        f.Particles[0].Velocity = MakeVector(9.0f, 9.0f, 9.0f); // left by a previous occupant
        f.InitParticle(f.Particles[0]);
        const TParticle& p = f.Particles[0];
        const TVector3 pos = PositionOf(p);
        const float dx = pos.x + 1.0f, dy = pos.y - 2.0f, dz = pos.z - 0.5f;
        ASSERT_NEAR(std::sqrt(dx * dx + dy * dy + dz * dz), 0.15f, 1e-6f);
        ASSERT_GE(pos.x, -1.0f);
        ASSERT_GE(pos.y, 2.0f);
        ASSERT_GE(pos.z, 0.5f);
        ASSERT_EQ(float(p.Life), 1.5f);
        ASSERT_EQ(float(p.Reserved2), 1.0f);
        const TVector3 v = VelocityOf(p);
        ASSERT_EQ(v.x, 0.0f);
        ASSERT_EQ(v.y, 0.0f);
        ASSERT_EQ(v.z, 0.0f);
    }
}

TEST(FlameUpdate, NewbornsRiseByTheTickAndStartBlue) {
    // Two newborns: their birth draws come first, then one jitter per live particle.
    TFlame f = SceneFlameOf(4);
    f.EmitRate = 2.0f;
    SetClock(f, 0.0f);
    CurrentTime = 1000.0f; // dt = 1, x = 2: two newborns
    const std::uint32_t seed = 555;
    RandSeed = seed;
    f.Update();

    RandSeed = seed;
    const TVector3 origin = MakeVector(-1.0f, 0.0f, 0.0f);
    const TVector3 birth0 = VectorAdd(origin, RandomVector(0.15f));
    const TVector3 birth1 = VectorAdd(origin, RandomVector(0.15f));
    const TVector3 births[2] = {birth0, birth1};
    for (int i = 0; i < 2; ++i) {
        TVector3 j = RandomVector(0.2f);
        const float dt = 1.0f, taper = 1.0f;
        // Written out in float arithmetic: jitter with z = 1, then the pull toward the axis.
        const float x = births[i].x + j.x * dt, y = births[i].y + j.y * dt,
                    z = births[i].z + 1.0f * dt;
        const float k = (z - origin.z) * (taper * dt);
        const TVector3 pos = PositionOf(f.Particles[i]);
        EXPECT_EQ(pos.z, z);
        EXPECT_EQ(pos.x, x - (x - origin.x) * k);
        EXPECT_EQ(pos.y, y - (y - origin.y) * k);
        const TColor4 c = ColorOf(f.Particles[i]);
        EXPECT_EQ(c.r, 0.0f);
        EXPECT_EQ(c.g, 0.3f);
        EXPECT_EQ(c.b, 1.0f);
        EXPECT_EQ(c.a, 0.5f);
        EXPECT_EQ(float(f.Particles[i].Age), 0.0f);
    }
    EXPECT_EQ(f.Particles[2].Alive, 0);
    EXPECT_EQ(RandSeed, randomtest::Advance(seed, 12)) << "two births and two jitters";
}

TEST(FlameUpdate, RisesByExactlyTheTickWithVelocityZero) {
    TFlame f = SceneFlameOf(3000);
    RandSeed = 77;
    SetClock(f, 5.0f);
    std::vector<float> z(3000);
    std::vector<std::uint8_t> alive(3000);
    for (int frame = 1; frame <= 150; ++frame) { // 3 s in 20 ms frames
        for (int i = 0; i < f.Count; ++i) {
            z[i] = PositionOf(f.Particles[i]).z;
            alive[i] = f.Particles[i].Alive;
        }
        const float previous = f.LastUpdate;
        TickAt(f, 5000.0f + 20.0f * frame);
        const float dt = f.LastUpdate - previous;
        for (int i = 0; i < f.Count; ++i) {
            const TParticle& p = f.Particles[i];
            if (p.Alive == 0) {
                continue;
            }
            const TVector3 v = VelocityOf(p);
            ASSERT_EQ(v.x, 0.0f);
            ASSERT_EQ(v.y, 0.0f);
            ASSERT_EQ(v.z, 0.0f);
            ASSERT_LT(float(p.Age), 1.5f);
            if (alive[i] != 0 && p.Age > 0.0f) {
                ASSERT_EQ(PositionOf(p).z, z[i] + dt) << "slot " << i << " frame " << frame;
            }
            const TColor4 c = ColorOf(p);
            const TColor4 e = f.Spline.Evaluate(p.Age / p.Life);
            ASSERT_EQ(c.r, e.r);
            ASSERT_EQ(c.g, e.g);
            ASSERT_EQ(c.b, e.b);
            ASSERT_EQ(c.a, e.a);
        }
    }
}

TEST(FlameUpdate, ColourFollowsTheFractionOfLife) {
    TFlame f = SceneFlameOf(3);
    ptest::FreeAll(f);
    f.EmitRate = 0.0f;
    PlaceFlameParticle(f.Particles[0], MakeVector(-1.0f, 0.0f, 0.5f), 0.3f);   // 0.2: yellow
    PlaceFlameParticle(f.Particles[1], MakeVector(-1.0f, 0.0f, 0.5f), 0.225f); // 0.15
    PlaceFlameParticle(f.Particles[2], MakeVector(-1.0f, 0.0f, 0.5f), 1.2f);   // 0.8: red
    SetClock(f, 2.0f);
    TickAt(f, 2000.0f); // dt = 0: only the colours change
    ExpectColorNear(ColorOf(f.Particles[0]), 1.0f, 1.0f, 0.0f, 1.0f);
    ExpectColorNear(ColorOf(f.Particles[1]), 0.0f, 0.7f, 1.0f, 1.0f);
    ExpectColorNear(ColorOf(f.Particles[2]), 1.0f, 0.0f, 0.0f, 1.0f);
}

TEST(FlameUpdate, WithoutTurbulenceOrTaperParticlesRiseStraightUp) {
    TFlame f(2, 0.0f, MakeVector(-1.0f, 0.0f, 0.0f), 0.15f, 0.0f, 0.0f);
    ptest::FreeAll(f);
    PlaceFlameParticle(f.Particles[1], MakeVector(-0.9f, 0.1f, 0.25f), 0.0f);
    SetClock(f, 1.0f);
    TickAt(f, 1250.0f);
    const TVector3 pos = PositionOf(f.Particles[1]);
    EXPECT_EQ(pos.x, -0.9f);
    EXPECT_EQ(pos.y, 0.1f);
    EXPECT_EQ(pos.z, 0.5f);
}

TEST(FlameUpdate, WithoutTaperParticlesDriftTowardPositiveXAndY) {
    TFlameSetup untapered = SceneFlame;
    untapered.Count = 200;
    untapered.Taper = 0.0f;
    TFlame f = MakeFlame(untapered);
    RandSeed = 4242;
    SetClock(f, 0.0f);
    TickAt(f, 1000.0f);
    for (int frame = 1; frame <= 20; ++frame) {
        std::vector<TVector3> before(200);
        for (int i = 0; i < 200; ++i) {
            before[i] = PositionOf(f.Particles[i]);
        }
        TickAt(f, 1000.0f + 25.0f * frame);
        for (int i = 0; i < 200; ++i) {
            if (f.Particles[i].Alive != 0 && f.Particles[i].Age > 0.0f) {
                const TVector3 now = PositionOf(f.Particles[i]);
                ASSERT_GE(now.x, before[i].x);
                ASSERT_GE(now.y, before[i].y);
                // The horizontal step is at most Turbulence × dt.
                ASSERT_LE(std::hypot(now.x - before[i].x, now.y - before[i].y),
                          0.2f * 0.025f + 1e-6f);
            }
        }
    }
}

TEST(FlameUpdate, TaperPullsTowardTheAxisHarderWithHeight) {
    TFlame f(3, 0.0f, MakeVector(-1.0f, 0.0f, 0.0f), 0.15f, 0.0f, 1.0f);
    ptest::FreeAll(f);
    PlaceFlameParticle(f.Particles[0], MakeVector(-0.9f, 0.2f, 0.25f), 0.0f);  // ends at 0.5
    PlaceFlameParticle(f.Particles[1], MakeVector(-0.9f, 0.2f, 0.75f), 0.0f);  // ends at 1.0
    PlaceFlameParticle(f.Particles[2], MakeVector(-0.9f, 0.2f, -0.25f), 0.0f); // ends at origin
    SetClock(f, 1.0f);
    TickAt(f, 1250.0f); // dt = 0.25
    // The horizontal offset shrinks by the fraction height × Taper × dt.
    const TVector3 low = PositionOf(f.Particles[0]), high = PositionOf(f.Particles[1]),
                   level = PositionOf(f.Particles[2]);
    EXPECT_NEAR(low.x + 1.0f, 0.1f * (1.0f - 0.5f * 0.25f), 1e-6f);
    EXPECT_NEAR(low.y, 0.2f * (1.0f - 0.5f * 0.25f), 1e-6f);
    EXPECT_NEAR(high.x + 1.0f, 0.1f * (1.0f - 1.0f * 0.25f), 1e-6f);
    EXPECT_NEAR(high.y, 0.2f * (1.0f - 1.0f * 0.25f), 1e-6f);
    EXPECT_EQ(level.z, 0.0f);
    EXPECT_EQ(level.x, -0.9f);
    EXPECT_EQ(level.y, 0.2f);
}

TEST(FlameUpdate, SecondTickInAFrameOnlyDrawsAndRecolours) {
    TFlame f = SceneFlameOf(100);
    RandSeed = 8;
    SetClock(f, 0.0f);
    TickAt(f, 1000.0f);
    TickAt(f, 1300.0f);
    const int live = ptest::Live(f);
    const std::vector<unsigned char> before = ptest::Bytes(f);
    ASSERT_GT(live, 0);
    const std::uint32_t seed = RandSeed;
    f.Update();
    EXPECT_EQ(ptest::Bytes(f), before);
    EXPECT_EQ(RandSeed, randomtest::Advance(seed, 3 * live)) << "one jitter per live particle";
}

TEST(FlameUpdate, EmptyFlameOnlyMovesTheClock) {
    TFlame f = SceneFlameOf(0);
    RandSeed = 1;
    SetClock(f, 0.0f);
    TickAt(f, 1000.0f);
    EXPECT_EQ(f.LastUpdate, 1.0f);
    EXPECT_EQ(f.LastEmit, 1.0f);
    EXPECT_EQ(RandSeed, 1u);
}

TEST(FlameUpdate, ParticlesDieAfterOneAndAHalfSeconds) {
    TFlame f = SceneFlameOf(10);
    f.EmitRate = 0.5f;
    SetClock(f, 0.0f);
    TickAt(f, 1000.0f); // x = 0.5 → one newborn in slot 0
    ASSERT_EQ(f.Particles[0].Alive, 1);
    CurrentTime = 2250.0f;
    f.EmitRate = 0.0f;
    f.Update();
    EXPECT_EQ(f.Particles[0].Alive, 1);
    TickAt(f, 2500.0f); // age 1.5: freed
    EXPECT_EQ(f.Particles[0].Alive, 0);
}
