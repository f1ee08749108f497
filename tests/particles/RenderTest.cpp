// Drawing: the exact OpenGL call sequence through recorders in the binding's table, pointers into
// the packed records, an empty system, and contexts without the point-parameter entry points.
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "ParticleTestSupport.h"
#include "gl/GL.h"
#include "particles/DEmitter.h"
#include "particles/DFlame.h"

namespace {

struct Call {
    Call(std::string name, std::vector<double> args = {}, const void* pointer = nullptr,
         std::vector<float> data = {})
        : Name(std::move(name)), Args(std::move(args)), Pointer(pointer), Data(std::move(data)) {}

    std::string Name;
    std::vector<double> Args;
    const void* Pointer = nullptr;
    std::vector<float> Data; // what the pointer points at, copied out byte-wise

    bool operator==(const Call& o) const {
        return Name == o.Name && Args == o.Args && Pointer == o.Pointer && Data == o.Data;
    }
};

std::ostream& operator<<(std::ostream& os, const Call& c) {
    os << c.Name << "(";
    for (double a : c.Args) {
        os << a << " ";
    }
    if (c.Pointer) {
        os << c.Pointer << " {";
        for (float f : c.Data) {
            os << f << " ";
        }
        os << "}";
    }
    return os << ")";
}

std::vector<Call> Calls;

void Record(const char* name, std::vector<double> args) {
    Calls.push_back({name, args});
}

void RecordPointer(const char* name, std::vector<double> args, const GLfloat* p, int n) {
    Call c{name, args, p, std::vector<float>(n)};
    std::memcpy(c.Data.data(), p, sizeof(float) * n);
    Calls.push_back(c);
}

void GLAPIENTRY PushAttrib(GLbitfield mask) {
    Record("glPushAttrib", {double(mask)});
}
void GLAPIENTRY PopAttrib() {
    Record("glPopAttrib", {});
}
void GLAPIENTRY Enable(GLenum cap) {
    Record("glEnable", {double(cap)});
}
void GLAPIENTRY BindTexture(GLenum target, GLuint texture) {
    Record("glBindTexture", {double(target), double(texture)});
}
void GLAPIENTRY DepthMask(GLboolean flag) {
    Record("glDepthMask", {double(flag)});
}
void GLAPIENTRY BlendFunc(GLenum s, GLenum d) {
    Record("glBlendFunc", {double(s), double(d)});
}
void GLAPIENTRY PointParameterfv(GLenum pname, const GLfloat* params) {
    RecordPointer("glPointParameterfvARB", {double(pname)}, params, 3);
}
void GLAPIENTRY PointParameterf(GLenum pname, GLfloat param) {
    Record("glPointParameterfARB", {double(pname), param});
}
void GLAPIENTRY TexEnvf(GLenum target, GLenum pname, GLfloat param) {
    Record("glTexEnvf", {double(target), double(pname), param});
}
void GLAPIENTRY PointSize(GLfloat size) {
    Record("glPointSize", {size});
}
void GLAPIENTRY Begin(GLenum mode) {
    Record("glBegin", {double(mode)});
}
void GLAPIENTRY End() {
    Record("glEnd", {});
}
void GLAPIENTRY Color4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a) {
    Record("glColor4f", {r, g, b, a});
}
void GLAPIENTRY Color4fv(const GLfloat* v) {
    RecordPointer("glColor4fv", {}, v, 4);
}
void GLAPIENTRY Vertex3fv(const GLfloat* v) {
    RecordPointer("glVertex3fv", {}, v, 3);
}
PROC GLAPIENTRY NoExtensions(LPCSTR) {
    return nullptr;
}

class Render : public ::testing::Test {
  protected:
    void SetUp() override {
        gl::ResetTable();
        Calls.clear();
        gl::Table.wglGetProcAddress = NoExtensions;
        gl::Table.glPushAttrib = PushAttrib;
        gl::Table.glPopAttrib = PopAttrib;
        gl::Table.glEnable = Enable;
        gl::Table.glBindTexture = BindTexture;
        gl::Table.glDepthMask = DepthMask;
        gl::Table.glBlendFunc = BlendFunc;
        gl::Table.glPointParameterfvARB = PointParameterfv;
        gl::Table.glPointParameterfARB = PointParameterf;
        gl::Table.glTexEnvf = TexEnvf;
        gl::Table.glPointSize = PointSize;
        gl::Table.glBegin = Begin;
        gl::Table.glEnd = End;
        gl::Table.glColor4f = Color4f;
        gl::Table.glColor4fv = Color4fv;
        gl::Table.glVertex3fv = Vertex3fv;
    }
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

// The attenuation pointer is the system's own constant: check its contents, not its address.
void ForgetAttenuationPointer() {
    for (Call& c : Calls) {
        if (c.Name == "glPointParameterfvARB") {
            c.Pointer = nullptr;
        }
    }
}

void ExpectCalls(const std::vector<Call>& expected) {
    ForgetAttenuationPointer();
    ASSERT_EQ(Calls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Calls[i], expected[i]) << "call " << i;
    }
}

} // namespace

TEST_F(Render, DrawsEveryLiveParticleFromItsRecord) {
    ptest::TProbe s(5);
    s.PointSize = 12.5f;
    s.SetTexture(7);
    ptest::FreeAll(s);
    s.Particles[1].Alive = 1; // odd slots: misaligned floats, read in place all the same
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
    TEmitter e(3, 30, MakeVector(1, 0, 0), MakeColor(1, 0, 0.5f, 1), 1.0f, 2.0f);
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
    TFlame f(0, 50.0f, MakeVector(-1, 0, 0), 0.15f, 0.2f, 1.0f);
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
    TEmitter e(4, 30, MakeVector(1, 0, 0), MakeColor(1, 0, 0.5f, 1), 1.0f, 2.0f);
    e.Render();
    e.Render();
    EXPECT_TRUE(Calls.empty());
    EXPECT_GE(gl::MissingCount(), 15);
}
