// Update and Render allocate nothing: every allocation in this executable is counted.
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "ParticleTestSupport.h"
#include "gl/GL.h"
#include "particles/DEmitter.h"
#include "particles/DFlame.h"
#include "random/Random.h"

namespace {
long Allocations = 0;
} // namespace

void* operator new(std::size_t size) {
    ++Allocations;
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {
void GLAPIENTRY Ignore(GLenum) {}
void GLAPIENTRY Ignore2(const GLfloat*) {}
} // namespace

TEST(Allocation, TicksAndDrawingAllocateNothing) {
    gl::ResetTable();
    gl::Table.glEnable = Ignore;
    gl::Table.glColor4fv = Ignore2;
    gl::Table.glVertex3fv = Ignore2;
    TFlame flame(3000, 50.0f, MakeVector(-1, 0, 0), 0.15f, 0.2f, 1.0f);
    TEmitter emitter(1000, 30, MakeVector(1, 0, 0), MakeColor(1, 0, 0.5f, 1), 1.0f, 2.0f);
    // Resolve every entry point once (resolution itself may print and allocate).
    flame.Render();
    emitter.Render();
    RandSeed = 1;
    ptest::SetClock(flame, 0.0f);
    ptest::SetClock(emitter, 0.0f);
    const long before = Allocations;
    for (int frame = 1; frame <= 200; ++frame) {
        CurrentTime = 16.0f * frame;
        emitter.Update();
        flame.Update();
        emitter.Render();
        flame.Render();
    }
    EXPECT_EQ(Allocations, before);
    gl::ResetTable();
}
