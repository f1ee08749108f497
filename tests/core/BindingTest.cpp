// The OpenGL binding: resolution on first call, missing entry points.
#include <cstring>

#include <gtest/gtest.h>

#include "gl/GL.h"

TEST(Binding, AMissingEntryPointIsNeverCalledThrough) {
    // No library named: nothing can be found, so every call lands in a stub that returns zero.
    gl::ResetTable();
    EXPECT_EQ(gl::MissingCount(), 0);
    EXPECT_EQ(glGetError(), 0u);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 20.0f);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 20.0f);
    EXPECT_EQ(gluBuild2DMipmaps(GL_TEXTURE_2D, 3, 4, 4, GL_RGB, GL_UNSIGNED_BYTE, nullptr), 0);
    EXPECT_EQ(wglCreateContext(nullptr), nullptr);
    // Each missing function is looked up and reported once, then the stub stays in the table.
    const int missing = gl::MissingCount();
    EXPECT_GE(missing, 4);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 20.0f);
    EXPECT_EQ(gl::MissingCount(), missing);
    gl::ResetTable();
}

TEST(Binding, ResolvesFromTheNamedLibraries) {
    gl::ResetTable();
    if (!gl::InitBinding("OpenGL32.dll", "GLU32.dll")) {
        GTEST_SKIP() << "no OpenGL libraries on this machine";
    }
    const gl::FunctionTable before = gl::Table;
    // glFinish without a current context is harmless; the call resolves the entry.
    glFinish();
    EXPECT_NE(reinterpret_cast<void*>(gl::Table.glFinish),
              reinterpret_cast<void*>(before.glFinish));
    EXPECT_EQ(gl::MissingCount(), 0);
    gl::ResetTable();
}

namespace {
// A driver's lookup that answers every name, as GLX's answers any name that starts with "gl".
bool DriverStubCalled = false;
void GLAPIENTRY DriverStub() {
    DriverStubCalled = true;
}
PROC GLAPIENTRY AnswerEverything(LPCSTR) {
    return reinterpret_cast<PROC>(&DriverStub);
}
} // namespace

TEST(Binding, GluComesFromTheGluLibraryOnlyAndAMissingLibraryIsNamed) {
    gl::ResetTable();
    EXPECT_FALSE(gl::InitBinding("OpenGL32.dll", "NoSuchGlu.dll"));
    ASSERT_NE(gl::FailedLibrary(), nullptr);
    if (std::strcmp(gl::FailedLibrary(), "OpenGL32.dll") == 0) {
        gl::ResetTable();
        GTEST_SKIP() << "no OpenGL library on this machine"; // a cross-built core's, say
    }
    EXPECT_STREQ(gl::FailedLibrary(), "NoSuchGlu.dll");
    gl::Table.wglGetProcAddress = &AnswerEverything;
    gluPerspective(45.0, 4.0 / 3.0, 0.1, 100.0);
    EXPECT_FALSE(DriverStubCalled);
    EXPECT_EQ(gl::MissingCount(), 1);
    gl::ResetTable();
}
