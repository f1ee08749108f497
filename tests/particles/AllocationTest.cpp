// Update and Render allocate nothing: every allocation in this executable is counted.
#include <gtest/gtest.h>

#include "AllocationCounter.h"
#include "GLDoubles.h"
#include "ParticleTestSupport.h"
#include "game/SceneSystems.h"
#include "random/Random.h"

TEST(Allocation, TicksAndDrawingAllocateNothing) {
    gltest::BindNothing();
    TFlame flame = MakeFlame(SceneFlame);
    TEmitter emitter = MakeEmitter(SceneEmitter);
    RandSeed = 1;
    ptest::SetClock(flame, 0.0f);
    ptest::SetClock(emitter, 0.0f);
    const alloctest::Counts before = alloctest::Now();
    for (int frame = 1; frame <= 200; ++frame) {
        CurrentTime = 16.0f * frame;
        emitter.Update();
        flame.Update();
        emitter.Render();
        flame.Render();
    }
    EXPECT_EQ(alloctest::Now().news, before.news);
    EXPECT_EQ(alloctest::Now().mallocs, before.mallocs);
    gl::ResetTable();
}
