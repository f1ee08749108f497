// Drawing, followed through recorders in the binding's table: every live particle becomes one
// point sprite, additively blended, without depth writes, at its record's position and colour;
// the state is pushed and popped in balance and left as it was found; an empty system, contexts
// without the point-parameter entry points and no library at all are drawn through harmlessly.
#include <vector>

#include <gtest/gtest.h>

#include "GLDoubles.h"
#include "ParticleTestSupport.h"
#include "gl/GL.h"
#include "particles/DEmitter.h"
#include "particles/DFlame.h"

namespace {

using Values = std::vector<double>;

class Render : public ::testing::Test {
  protected:
    void SetUp() override { gltest::Record(); }
    void TearDown() override { gl::ResetTable(); }

    // The recorded calls, with the checks that hold for every drawing: pushes and pops in
    // balance, the state left as found (but for the texture binding and a white current colour),
    // and every vertex a point sprite of `texture` and `size`, blended additively, drawn without
    // depth writes inside the push.
    static gltest::Followed Drawn(double texture, double size) {
        const gltest::Followed f = gltest::Follow(gltest::Calls);
        EXPECT_FALSE(f.PoppedTooOften);
        EXPECT_EQ(f.Pushed, 0);
        EXPECT_TRUE(f.State == gltest::GLState()) << "the state is left as it was found";
        for (const gltest::Vertex& v : f.Vertices) {
            const gltest::GLState& s = v.State;
            EXPECT_EQ(v.Primitive, GL_POINTS);
            EXPECT_GE(v.Pushed, 1);
            EXPECT_TRUE(s.On(GL_BLEND) && s.Source == GL_SRC_ALPHA && s.Destination == GL_ONE)
                << "additive blending";
            EXPECT_FALSE(s.DepthWrites);
            EXPECT_TRUE(s.On(GL_TEXTURE_2D) && s.Texture == texture);
            EXPECT_TRUE(s.On(GL_POINT_SPRITE_ARB) && s.CoordReplace);
            EXPECT_EQ(s.PointSize, size);
        }
        return f;
    }
};

TEST_F(Render, DrawsEveryLiveParticleFromItsRecordInSlotOrder) {
    ptest::TProbe s(5);
    s.PointSize = 12.5f;
    s.SetTexture(7);
    ptest::FreeAll(s);
    s.Particles[1].Alive = 1; // at byte 57: misaligned floats, read in place all the same
    s.Particles[1].Color = MakeColor(0.25f, 0.5f, 0.75f, 0.125f);
    s.Particles[1].Position = MakeVector(1.0f, 2.0f, 3.0f);
    s.Particles[4].Alive = 2; // any non-zero value is in use
    s.Particles[4].Color = MakeColor(1.0f, 0.5f, 0.25f, 0.0625f);
    s.Particles[4].Position = MakeVector(-1.0f, -2.0f, -3.0f);
    s.Render();

    const gltest::Followed f = Drawn(7, 12.5);
    ASSERT_EQ(f.Vertices.size(), 2u);
    EXPECT_EQ(f.Vertices[0].Position, (Values{1, 2, 3}));
    EXPECT_EQ(f.Vertices[0].State.Color, (Values{0.25, 0.5, 0.75, 0.125}));
    EXPECT_EQ(f.Vertices[1].Position, (Values{-1, -2, -3}));
    EXPECT_EQ(f.Vertices[1].State.Color, (Values{1, 0.5, 0.25, 0.0625}));
}

TEST_F(Render, BeforeTheFirstTickDrawsEverySlotBlackAtTheOriginAndChangesNothing) {
    TEmitter e = ptest::SceneEmitterOf(3);
    e.SetTexture(2);
    const std::vector<unsigned char> before = ptest::Bytes(e);
    e.Render();
    const gltest::Followed f = Drawn(2, 20.0);
    ASSERT_EQ(f.Vertices.size(), 3u);
    for (const gltest::Vertex& v : f.Vertices) {
        EXPECT_EQ(v.Position, (Values{0, 0, 0}));
        EXPECT_EQ(v.State.Color, (Values{0, 0, 0, 0}));
    }
    EXPECT_EQ(ptest::Bytes(e), before);
}

TEST_F(Render, AnEmptySystemDrawsNothingAndLeavesTheStateAlone) {
    TFlame f = ptest::SceneFlameOf(0);
    f.SetTexture(11);
    f.Render();
    EXPECT_TRUE(Drawn(11, 15.0).Vertices.empty());
    EXPECT_FALSE(gltest::Calls.empty()) << "the state calls are made all the same";
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
    const gltest::Followed f = Drawn(5, 20.0);
    ASSERT_EQ(f.Vertices.size(), 2u);
    EXPECT_EQ(f.Vertices[1].State.Color, (Values{1, 1, 1, 0.5}));
    EXPECT_TRUE(gltest::CallsOf("glPointParameterfARB").empty());
    EXPECT_EQ(gl::MissingCount(), 2);
}

TEST_F(Render, WorksWithNoLibraryAtAll) {
    // Every entry point missing: each call lands in a stub, and drawing goes through harmlessly.
    gl::ResetTable();
    TEmitter e = ptest::SceneEmitterOf(4);
    e.Render();
    e.Render();
    EXPECT_TRUE(gltest::Calls.empty());
    EXPECT_GE(gl::MissingCount(), 15);
}

} // namespace
