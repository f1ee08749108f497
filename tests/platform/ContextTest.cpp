// The pixel format and WGL contexts: choosing and setting the format, creating and switching
// contexts, drawing with the entry points a program finds, and drawing after the window is gone.
#include "PlatformTestSupport.h"
#include "gl/GL.h"

namespace {

using platformtest::PlatformTest;
using platformtest::ProgramRequest;
using Pixel = std::vector<int>;

using PixelFormats = PlatformTest;

TEST_F(PixelFormats, AnyRgbaWindowRequestGetsTheOneFormatSetOnce) {
    HDC dc = GetDC(Create());
    PIXELFORMATDESCRIPTOR request = ProgramRequest();
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 1);
    request.dwFlags &= ~static_cast<DWORD>(PFD_DOUBLEBUFFER);
    request.cDepthBits = 32; // wishes, not limits
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 1);
    request.iPixelType = 1; // colour index
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    request = ProgramRequest();
    request.dwFlags |= PFD_DRAW_TO_BITMAP;
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    EXPECT_EQ(ChoosePixelFormat(dc, nullptr), 0);
    EXPECT_EQ(ChoosePixelFormat(reinterpret_cast<HDC>(0x1234), &request), 0);

    EXPECT_FALSE(SetPixelFormat(dc, 2, nullptr));
    EXPECT_TRUE(SetPixelFormat(dc, 1, nullptr));
    EXPECT_FALSE(SetPixelFormat(dc, 1, nullptr)) << "a window's format is set once";
}

using Contexts = PlatformTest;

TEST_F(Contexts, CreationNeedsTheFormatAndLeavesTheCurrentContextAlone) {
    HDC bare = GetDC(Create());
    EXPECT_EQ(wgl.createContext(bare), nullptr);
    EXPECT_EQ(wgl.createContext(nullptr), nullptr);

    HWND window;
    HGLRC first;
    HDC dc = CreateWithContext(&window, &first);
    const platformtest::GLEntryPoints gl(wgl);
    EXPECT_EQ(gl.ClearAndRead(1.0f, 0.0f, 0.0f), (Pixel{255, 0, 0, 255}));
    HGLRC second = wgl.createContext(dc);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(gl.ClearAndRead(0.0f, 1.0f, 0.0f), (Pixel{0, 255, 0, 255})) << "still the first";
    EXPECT_TRUE(wgl.deleteContext(second));
    EXPECT_FALSE(wgl.deleteContext(second));
    EXPECT_TRUE(SwapBuffers(dc));

    int depth = 0, stencil = 0;
    gl.getIntegerv(0x0D56, &depth);
    gl.getIntegerv(0x0D57, &stencil);
    EXPECT_EQ(depth, 24);
    EXPECT_EQ(stencil, 8);
}

TEST_F(Contexts, MakeCurrentRefusesBadHandlesAndReleasingAlwaysWorks) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    EXPECT_FALSE(wgl.makeCurrent(reinterpret_cast<HDC>(0x1234), context));
    EXPECT_FALSE(SwapBuffers(dc)) << "a failed switch leaves no context current";
    EXPECT_FALSE(wgl.makeCurrent(GetDC(Create()), context)) << "no pixel format";
    EXPECT_FALSE(wgl.makeCurrent(dc, reinterpret_cast<HGLRC>(0x1234)));
    EXPECT_TRUE(wgl.makeCurrent(nullptr, nullptr));
    EXPECT_TRUE(wgl.makeCurrent(dc, nullptr));
    EXPECT_FALSE(wgl.deleteContext(nullptr));
}

TEST_F(Contexts, ExtensionsOnlyWhileCurrentAndNeverGlu) {
    EXPECT_EQ(wgl.getProcAddress("wglSwapIntervalEXT"), nullptr);
    HWND window;
    HGLRC context;
    CreateWithContext(&window, &context);
    PROC p = wgl.getProcAddress("wglSwapIntervalEXT");
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(platform::FromFarProc<BOOL(WINAPI*)(int)>(p)(0));
    EXPECT_NE(wgl.getProcAddress("glPointParameterfARB"), nullptr);
    EXPECT_EQ(wgl.getProcAddress("wglNoSuchFunction"), nullptr);
    EXPECT_EQ(wgl.getProcAddress("gluPerspective"), nullptr);
}

TEST_F(Contexts, DrawingAfterTheWindowIsGoneGoesNowhereAndTheContextLivesOn) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    const platformtest::GLEntryPoints gl(wgl);
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(gl.ClearAndRead(1.0f, 0.0f, 0.0f), (Pixel{7, 7, 7, 7}));
    EXPECT_FALSE(SwapBuffers(dc));
    EXPECT_TRUE(wgl.makeCurrent(dc, nullptr));
    EXPECT_FALSE(wgl.makeCurrent(dc, context));

    HDC next = GetDC(Create());
    ASSERT_TRUE(SetPixelFormat(next, 1, nullptr));
    ASSERT_TRUE(wgl.makeCurrent(next, context));
    EXPECT_EQ(gl.ClearAndRead(0.0f, 0.0f, 1.0f), (Pixel{0, 0, 255, 255}));
    EXPECT_TRUE(SwapBuffers(next));
}

// The program's binding, resolving through this layer: the library functions by name, the
// extensions through wglGetProcAddress.
TEST_F(Contexts, BindingDrawsIntoTheWindow) {
    gl::ResetTable();
    ASSERT_TRUE(gl::InitBinding("OpenGL32.dll", "GLU32.dll"));
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    GLubyte pixel[4] = {};
    glReadPixels(2, 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(pixel[1], 255);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 1.0f);
    gluPerspective(45.0, 4.0 / 3.0, 0.1, 100.0);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
    EXPECT_TRUE(wglSwapIntervalEXT(0));
    EXPECT_EQ(gl::MissingCount(), 0);
    EXPECT_TRUE(SwapBuffers(dc));
    gl::ResetTable();
}

} // namespace
