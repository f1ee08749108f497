// Drawing: the exact OpenGL call sequence through recorders in the binding's table, pointers into
// the packed records, an empty system, and contexts without the point-parameter entry points.
#include <cstring>
#include <vector>

#include <gtest/gtest.h>

#include "GLDoubles.h"
#include "ParticleTestSupport.h"
#include "gl/GL.h"
#include "particles/DEmitter.h"
#include "particles/DFlame.h"

namespace {

using gltest::Call;
using gltest::Calls;

class Render : public ::testing::Test {
  protected:
    void SetUp() override { gltest::Record(); }
    void TearDown() override { gl::ResetTable(); }
};

// The state calls through glBegin, with or without the two point-parameter calls.
std::vector<Call> Opening(double texture, double pointSize, bool pointParameters = true) {
    std::vector<Call> v = {
        {"glPushAttrib", {0x6102}}, {"glEnable", {0x0DE1}}, {"glBindTexture", {0x0DE1, texture}},
        {"glDepthMask", {0}},       {"glEnable", {0x0BE2}}, {"glBlendFunc", {0x0302, 1}},
        {"glEnable", {0x8861}},
    };
    if (pointParameters) {
        v.push_back({"glPointParameterfvARB", {0x8129}, nullptr, {1.0f, 0.0f, 0.01f}});
        v.push_back({"glPointParameterfARB", {0x8128, 20.0}});
    }
    v.push_back({"glTexEnvf", {0x8861, 0x8862, 1.0}});
    v.push_back({"glPointSize", {pointSize}});
    v.push_back({"glBegin", {0}});
    return v;
}

const std::vector<Call> Closing = {
    {"glColor4f", {1.0, 1.0, 1.0, 1.0}},
    {"glEnd", {}},
    {"glPopAttrib", {}},
};

// The calls in order; where an expected call names an address, the call must have used it.
void ExpectCalls(const std::vector<Call>& expected) {
    ASSERT_EQ(Calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Calls[i], expected[i]) << "call " << i;
        if (expected[i].Address) {
            EXPECT_EQ(Calls[i].Address, expected[i].Address) << "call " << i;
        }
    }
}

} // namespace

TEST_F(Render, DrawsEveryLiveParticleFromItsRecord) {
    ptest::TProbe s(5);
    s.PointSize = 12.5f;
    s.SetTexture(7);
    ptest::FreeAll(s);
    s.Particles[1].Alive = 1; // at byte 57: misaligned floats, read in place all the same
    s.Particles[1].Color = MakeColor(0.1f, 0.2f, 0.3f, 0.4f);
    s.Particles[1].Position = MakeVector(1.0f, 2.0f, 3.0f);
    s.Particles[4].Alive = 2; // any non-zero value is in use
    s.Particles[4].Color = MakeColor(1.0f, 0.5f, 0.25f, 0.125f);
    s.Particles[4].Position = MakeVector(-1.0f, -2.0f, -3.0f);
    s.Render();

    const auto* base = reinterpret_cast<const unsigned char*>(s.Particles.get());
    std::vector<Call> expected = Opening(7, 12.5);
    expected.push_back({"glColor4fv", {}, base + 57 + 12, {0.1f, 0.2f, 0.3f, 0.4f}});
    expected.push_back({"glVertex3fv", {}, base + 57, {1.0f, 2.0f, 3.0f}});
    expected.push_back({"glColor4fv", {}, base + 4 * 57 + 12, {1.0f, 0.5f, 0.25f, 0.125f}});
    expected.push_back({"glVertex3fv", {}, base + 4 * 57, {-1.0f, -2.0f, -3.0f}});
    expected.insert(expected.end(), Closing.begin(), Closing.end());
    ExpectCalls(expected);
}

TEST_F(Render, BeforeTheFirstTickDrawsEverySlotBlackAtTheOrigin) {
    TEmitter e = ptest::SceneEmitterOf(3);
    e.SetTexture(2);
    const std::vector<unsigned char> before(
        reinterpret_cast<const unsigned char*>(e.Particles.get()),
        reinterpret_cast<const unsigned char*>(e.Particles.get()) + 3 * sizeof(TParticle));
    e.Render();
    const auto* base = reinterpret_cast<const unsigned char*>(e.Particles.get());
    std::vector<Call> expected = Opening(2, 20.0);
    for (int i = 0; i < 3; ++i) {
        expected.push_back({"glColor4fv", {}, base + 57 * i + 12, {0, 0, 0, 0}});
        expected.push_back({"glVertex3fv", {}, base + 57 * i, {0, 0, 0}});
    }
    expected.insert(expected.end(), Closing.begin(), Closing.end());
    ExpectCalls(expected);
    // Drawing changes nothing.
    EXPECT_EQ(std::memcmp(before.data(), e.Particles.get(), before.size()), 0);
}

TEST_F(Render, EmptySystemStillMakesTheStateCalls) {
    TFlame f = ptest::SceneFlameOf(0);
    f.SetTexture(11);
    f.Render();
    std::vector<Call> expected = Opening(11, 15.0);
    expected.insert(expected.end(), Closing.begin(), Closing.end());
    ExpectCalls(expected);
}

TEST_F(Render, WithoutPointParametersTheRestIsStillDrawn) {
    // A context without the extension: both entry points resolve to do-nothing stubs (no library
    // is loaded here, and the driver's lookup answers nothing).
    gl::ResetTable();
    const gl::FunctionTable resolvers = gl::Table;
    SetUp();
    gl::Table.glPointParameterfARB = resolvers.glPointParameterfARB;
    gl::Table.glPointParameterfvARB = resolvers.glPointParameterfvARB;
    gl::Table.wglGetProcAddress = &gltest::Nothing<gl::PFN_wglGetProcAddress>::Call;
    ptest::TProbe s(2);
    s.SetTexture(5);
    s.PointSize = 20.0f;
    ptest::FreeAll(s);
    s.Particles[1].Alive = 1;
    s.Particles[1].Color = MakeColor(1.0f, 1.0f, 1.0f, 0.5f);
    s.Render();
    s.Render();
    const auto* base = reinterpret_cast<const unsigned char*>(s.Particles.get());
    std::vector<Call> once = Opening(5, 20.0, false);
    once.push_back({"glColor4fv", {}, base + 57 + 12, {1.0f, 1.0f, 1.0f, 0.5f}});
    once.push_back({"glVertex3fv", {}, base + 57, {0.0f, 0.0f, 0.0f}});
    once.insert(once.end(), Closing.begin(), Closing.end());
    std::vector<Call> expected = once;
    expected.insert(expected.end(), once.begin(), once.end());
    ExpectCalls(expected);
    EXPECT_EQ(gl::MissingCount(), 2);
}

TEST_F(Render, WorksWithNoLibraryAtAll) {
    // Every entry point missing: each call lands in a stub, and drawing goes through harmlessly.
    gl::ResetTable();
    TEmitter e = ptest::SceneEmitterOf(4);
    e.Render();
    e.Render();
    EXPECT_TRUE(Calls.empty());
    EXPECT_GE(gl::MissingCount(), 15);
}
