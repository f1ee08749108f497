// The particle system base: creation, ageing and freeing, motion, the emission count and the
// slot cursor, and the clock fields.
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "ParticleTestSupport.h"
#include "particles/DEmitter.h"
#include "particles/DFlame.h"

using ptest::PositionOf;
using ptest::SetClock;
using ptest::TickAt;
using ptest::TProbe;

namespace {

std::vector<int> Range(int from, int to) {
    std::vector<int> v;
    for (int i = from; i < to; ++i) {
        v.push_back(i);
    }
    return v;
}

std::vector<int> AliveSlots(const TParticleSystem& s) {
    std::vector<int> v;
    for (int i = 0; i < s.Count; ++i) {
        if (s.Particles[i].Alive != 0) {
            v.push_back(i);
        }
    }
    return v;
}

} // namespace

TEST(ParticleSystemCreate, StartsWithEverySlotAliveAndZeroed) {
    // The creation time in seconds lies between the readings taken around the constructor.
    const float before = static_cast<float>(static_cast<long double>(GetTime()) / 1000.0L);
    TProbe s(4, 7.0f);
    const float after = static_cast<float>(static_cast<long double>(GetTime()) / 1000.0L);
    ASSERT_EQ(s.Count, 4);
    for (int i = 0; i < 4; ++i) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(&s.Particles[i]);
        for (int b = 0; b < 56; ++b) {
            ASSERT_EQ(bytes[b], 0) << "slot " << i << " byte " << b;
        }
        EXPECT_EQ(bytes[56], 1);
    }
    EXPECT_GE(s.LastUpdate, before);
    EXPECT_LE(s.LastUpdate, after);
    EXPECT_EQ(s.LastEmit, s.LastUpdate);
}

TEST(ParticleSystemCreate, NegativeCountGivesAnEmptySystem) {
    TProbe s(-5, 10.0f);
    EXPECT_EQ(s.Count, 0);
    CurrentTime = 1000.0f;
    SetClock(s, 0.0f);
    s.Update();
    EXPECT_TRUE(s.Born.empty());
}

TEST(ParticleSystemUpdate, FirstTickFreesTheInitialSlotsThenEmitsFromSlotZero) {
    TProbe s(6, 2.0f);
    SetClock(s, 1.0f);
    TickAt(s, 2000.0f); // dt = 1 s, x = 2: two particles
    EXPECT_EQ(s.Born, (std::vector<int>{0, 1}));
    EXPECT_EQ(AliveSlots(s), (std::vector<int>{0, 1}));
    EXPECT_EQ(s.LastUpdate, 2.0f);
    EXPECT_EQ(s.LastEmit, 2.0f);
    // The freed ones aged by dt and stayed where they were.
    EXPECT_EQ(float(s.Particles[4].Age), 1.0f);
    EXPECT_EQ(PositionOf(s.Particles[4]).x, 0.0f);
}

TEST(ParticleSystemUpdate, FirstTickWithZeroElapsedTimeStillFreesTheInitialSlots) {
    TProbe s(3, 0.0f);
    SetClock(s, 1.0f);
    TickAt(s, 1000.0f);
    EXPECT_TRUE(AliveSlots(s).empty());
    EXPECT_TRUE(s.Born.empty());
}

TEST(ParticleSystemUpdate, EmissionCountRoundsHalvesToEven) {
    // x = elapsed seconds × rate; the count is x + 0.5 rounded with ties to even.
    const struct {
        float rate;
        int expected;
    } rows[] = {{0.0f, 0}, {0.2f, 1}, {0.5f, 1}, {1.0f, 2}, {2.0f, 2},
                {2.2f, 3}, {3.0f, 4}, {1.5f, 2}, {2.5f, 3}, {0.7f, 1}};
    for (const auto& row : rows) {
        TProbe s(10, row.rate);
        SetClock(s, 1.0f);
        TickAt(s, 2000.0f); // one second later
        EXPECT_EQ(static_cast<int>(s.Born.size()), row.expected) << "rate " << row.rate;
        EXPECT_EQ(s.LastEmit, row.expected >= 1 ? 2.0f : 1.0f) << "rate " << row.rate;
    }
}

TEST(ParticleSystemUpdate, EmissionCountIsRoundedAtWorkingPrecision) {
    // x + 0.5 = 2.5 + 2^-30: a float would hold 2.5 and round to 2; the exact value gives 3.
    TProbe s(10, 1.0f);
    s.LastUpdate = 2.0f;
    s.LastEmit = -std::ldexp(1.0f, -30);
    TickAt(s, 2000.0f);
    EXPECT_EQ(s.Born.size(), 3u);
}

TEST(ParticleSystemUpdate, HugeDueCountFillsEveryFreeSlotWithoutWrapping) {
    for (const float rate : {1e30f, std::numeric_limits<float>::infinity()}) {
        TProbe s(5, rate);
        SetClock(s, 1.0f);
        TickAt(s, 2000.0f);
        EXPECT_EQ(s.Born, Range(0, 5)) << "rate " << rate;
        EXPECT_EQ(s.LastEmit, 2.0f);
    }
}

TEST(ParticleSystemUpdate, NaNRateEmitsNothing) {
    TProbe s(5, std::numeric_limits<float>::quiet_NaN());
    SetClock(s, 1.0f);
    TickAt(s, 2000.0f);
    EXPECT_TRUE(s.Born.empty());
    EXPECT_EQ(s.LastEmit, 1.0f);
}

TEST(ParticleSystemUpdate, NewbornsTakeTheLowestFreeSlotsInAscendingOrder) {
    TProbe s(7, 3.0f);
    ptest::FreeAll(s);
    ptest::Place(s.Particles[1], {}, {}, 0.0f, 50.0f);
    ptest::Place(s.Particles[2], {}, {}, 0.0f, 50.0f);
    ptest::Place(s.Particles[4], {}, {}, 0.0f, 50.0f);
    SetClock(s, 1.0f);
    TickAt(s, 2000.0f); // x = 3: four particles
    EXPECT_EQ(s.Born, (std::vector<int>{0, 3, 5, 6}));
    for (int slot : s.Born) {
        EXPECT_EQ(float(s.Particles[slot].Age), 0.0f)
            << "newborns are not aged in their first tick";
    }
}

TEST(ParticleSystemUpdate, CursorNeverMovesBackwards) {
    // A slot that becomes free behind the cursor during emission is not reused in this tick.
    TProbe s(4, 3.0f);
    ptest::FreeAll(s);
    ptest::Place(s.Particles[1], {}, {}, 0.0f, 50.0f);
    s.OnInit = [&s](int slot) {
        if (slot == 2) {
            s.Particles[0].Alive = 0;
        }
    };
    SetClock(s, 1.0f);
    TickAt(s, 2000.0f);
    EXPECT_EQ(s.Born, (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(s.Particles[0].Alive, 0);
}

TEST(ParticleSystemUpdate, ParticlesDueWhileFullAreDropped) {
    TProbe s(3, 2.0f);
    ptest::FreeAll(s);
    for (int i = 0; i < 3; ++i) {
        ptest::Place(s.Particles[i], {}, {}, 0.0f, 50.0f);
    }
    SetClock(s, 1.0f);
    TickAt(s, 2000.0f);
    EXPECT_TRUE(s.Born.empty());
    EXPECT_EQ(s.LastEmit, 2.0f) << "the loss is never made up";

    // One free slot and four due: one born, three dropped and not carried over.
    s.Particles[1].Alive = 0;
    s.EmitRate = 3.0f;
    TickAt(s, 3000.0f);
    EXPECT_EQ(s.Born, (std::vector<int>{1}));
    s.Particles[2].Alive = 0;
    s.Update(); // same time: nothing due
    EXPECT_EQ(s.Born, (std::vector<int>{1}));
    EXPECT_EQ(s.LastEmit, 3.0f);
}

TEST(ParticleSystemUpdate, AgesAndMovesLiveParticles) {
    TProbe s(3, 0.0f);
    ptest::FreeAll(s);
    const TVector3 p0 = {0.1f, -0.2f, 0.3f}, v0 = {0.7f, -1.3f, 2.9f};
    ptest::Place(s.Particles[1], p0, v0, 0.5f, 10.0f);
    SetClock(s, 1.0f);
    TickAt(s, 1016.0f);
    // dt: 1.016 s as the nearest float, less 1.
    const float t = static_cast<float>(1016.0L / 1000.0L);
    EXPECT_EQ(s.LastUpdate, t);
    const float dt = t - 1.0f;
    EXPECT_EQ(float(s.Particles[1].Age), 0.5f + dt);
    const TVector3 p = PositionOf(s.Particles[1]);
    EXPECT_EQ(p.x, p0.x + v0.x * dt);
    EXPECT_EQ(p.y, p0.y + v0.y * dt);
    EXPECT_EQ(p.z, p0.z + v0.z * dt);
    EXPECT_EQ(s.Particles[0].Alive, 0);
}

TEST(ParticleSystemUpdate, ReachingTheLifetimeExactlyFreesWithoutMoving) {
    TProbe s(2, 0.0f);
    ptest::FreeAll(s);
    ptest::Place(s.Particles[0], {1.0f, 2.0f, 3.0f}, {1.0f, 1.0f, 1.0f}, 0.75f, 1.0f);
    ptest::Place(s.Particles[1], {1.0f, 2.0f, 3.0f}, {1.0f, 1.0f, 1.0f}, 0.5f, 1.0f);
    SetClock(s, 1.0f);
    TickAt(s, 1250.0f); // dt = 0.25
    EXPECT_EQ(s.Particles[0].Alive, 0);
    EXPECT_EQ(float(s.Particles[0].Age), 1.0f);
    EXPECT_EQ(PositionOf(s.Particles[0]).x, 1.0f);
    EXPECT_EQ(s.Particles[1].Alive, 1);
    EXPECT_EQ(PositionOf(s.Particles[1]).x, 1.25f);
}

TEST(ParticleSystemUpdate, ALongGapFreesEveryoneAndRefillsFromSlotZero) {
    TProbe s(4, 1.0f);
    ptest::FreeAll(s);
    for (int i = 0; i < 4; ++i) {
        ptest::Place(s.Particles[i], {}, {1.0f, 0.0f, 0.0f}, 0.0f, 1.0f + i);
    }
    SetClock(s, 1.0f);
    TickAt(s, 6000.0f); // dt = 5 s, x = 5 → six due, four slots
    EXPECT_EQ(s.Born, Range(0, 4));
}

TEST(ParticleSystemUpdate, SecondTickInTheSameFrameChangesNothing) {
    TProbe s(3, 10.0f);
    SetClock(s, 1.0f);
    CurrentTime = 1500.0f;
    s.NewVelocity = {1.0f, 2.0f, 3.0f};
    s.Update();
    ASSERT_EQ(s.Born.size(), 3u);
    s.Particles[2].Alive = 0;
    const std::vector<unsigned char> before = ptest::Bytes(s);
    s.Update();
    EXPECT_EQ(ptest::Bytes(s), before);
    EXPECT_EQ(s.Born.size(), 3u);
    EXPECT_EQ(s.LastEmit, 1.5f);
}

TEST(ParticleSystemUpdate, ClockGoingBackRejuvenatesAndReversesWithoutEmitting) {
    TProbe s(2, 5.0f);
    ptest::FreeAll(s);
    ptest::Place(s.Particles[0], {1.0f, 1.0f, 1.0f}, {0.5f, 0.0f, -1.0f}, 0.25f, 0.5f);
    SetClock(s, 2.0f);
    TickAt(s, 1750.0f); // dt = -0.25
    EXPECT_EQ(s.Particles[0].Alive, 1);
    EXPECT_EQ(float(s.Particles[0].Age), 0.0f);
    const TVector3 p = PositionOf(s.Particles[0]);
    EXPECT_EQ(p.x, 0.875f);
    EXPECT_EQ(p.z, 1.25f);
    EXPECT_TRUE(s.Born.empty());
    EXPECT_EQ(s.LastUpdate, 1.75f);
    EXPECT_EQ(s.LastEmit, 2.0f);
}

TEST(ParticleSystemUpdate, ZeroRateNeverEmits) {
    TProbe s(3, 0.0f);
    const float created = s.LastEmit;
    for (int frame = 1; frame <= 5; ++frame) {
        TickAt(s, s.LastUpdate * 1000.0f + 1000.0f);
    }
    EXPECT_TRUE(s.Born.empty());
    EXPECT_EQ(s.LastEmit, created);
}

TEST(ParticleSystemUpdate, EmptySystemOnlyMovesTheClock) {
    TProbe s(0, 4.0f);
    SetClock(s, 1.0f);
    TickAt(s, 1000.0f);
    EXPECT_EQ(s.LastEmit, 1.0f); // x = 0: nothing due
    TickAt(s, 1250.0f);
    EXPECT_EQ(s.LastUpdate, 1.25f);
    EXPECT_EQ(s.LastEmit, 1.25f); // x = 1: due, and dropped
    EXPECT_TRUE(s.Born.empty());
}

// Run under the sanitizers: every kind of system, ticked, goes through the base pointer with its
// array, with no leak and no mismatched delete.
TEST(ParticleSystemDestroy, EveryKindReleasesThroughTheBasePointer) {
    std::vector<std::unique_ptr<TParticleSystem>> systems;
    systems.emplace_back(new TProbe(100, 5.0f));
    systems.emplace_back(new TEmitter(MakeEmitter(SceneEmitter)));
    systems.emplace_back(new TFlame(MakeFlame(SceneFlame)));
    for (const std::unique_ptr<TParticleSystem>& s : systems) {
        SetClock(*s, 0.0f);
        TickAt(*s, 500.0f);
        EXPECT_GT(ptest::Live(*s), 0);
    }
    systems.clear();
}
