// gdi32 and WGL: choosing and setting pixel formats, creating and switching contexts, drawing into
// the SDL window with the entry points a program finds, and drawing after the window is gone.
#include <cstring>

#include "PlatformTestSupport.h"
#include "gl/GL.h"

namespace {

using platformtest::GLEntryPoints;
using platformtest::PlatformTest;
using platformtest::ProgramRequest;

PIXELFORMATDESCRIPTOR Described(HDC dc, int format) {
    PIXELFORMATDESCRIPTOR pfd;
    std::memset(&pfd, 0xAB, sizeof pfd);
    EXPECT_GT(DescribePixelFormat(dc, format, sizeof pfd, &pfd), 0);
    return pfd;
}

using PixelFormats = PlatformTest;

TEST_F(PixelFormats, ProgramRequestGetsDoubleBufferedRgba8WithDepthAndStencil) {
    HDC dc = GetDC(Create());
    const PIXELFORMATDESCRIPTOR request = ProgramRequest();
    const int format = ChoosePixelFormat(dc, &request);
    ASSERT_GT(format, 0);
    const PIXELFORMATDESCRIPTOR pfd = Described(dc, format);
    EXPECT_EQ(pfd.nSize, sizeof pfd);
    EXPECT_EQ(pfd.dwFlags & (PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER),
              static_cast<DWORD>(PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER));
    EXPECT_EQ(pfd.iPixelType, PFD_TYPE_RGBA);
    EXPECT_EQ(pfd.cColorBits, 32);
    EXPECT_EQ(pfd.cRedBits, 8);
    EXPECT_EQ(pfd.cGreenBits, 8);
    EXPECT_EQ(pfd.cBlueBits, 8);
    EXPECT_EQ(pfd.cAlphaBits, 8);
    EXPECT_EQ(pfd.cDepthBits, 24);
    EXPECT_EQ(pfd.cStencilBits, 8);
}

TEST_F(PixelFormats, ClosestFormatForOtherRequests) {
    HDC dc = GetDC(Create());
    PIXELFORMATDESCRIPTOR request = ProgramRequest();
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL; // single-buffered
    request.cStencilBits = 0;
    request.cDepthBits = 16;
    PIXELFORMATDESCRIPTOR pfd = Described(dc, ChoosePixelFormat(dc, &request));
    EXPECT_EQ(pfd.dwFlags & PFD_DOUBLEBUFFER, 0u);
    EXPECT_GE(pfd.cDepthBits, 16);

    request = ProgramRequest();
    request.cDepthBits = 32; // more than any format has: the deepest is closest
    pfd = Described(dc, ChoosePixelFormat(dc, &request));
    EXPECT_EQ(pfd.cDepthBits, 24);
    EXPECT_NE(pfd.dwFlags & PFD_DOUBLEBUFFER, 0u);

    request = ProgramRequest();
    request.iPixelType = PFD_TYPE_COLORINDEX;
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    request = ProgramRequest();
    request.dwFlags |= PFD_DRAW_TO_BITMAP;
    EXPECT_EQ(ChoosePixelFormat(dc, &request), 0);
    EXPECT_EQ(ChoosePixelFormat(dc, nullptr), 0);
    request = ProgramRequest();
    EXPECT_EQ(ChoosePixelFormat(reinterpret_cast<HDC>(0x1234), &request), 0);
}

TEST_F(PixelFormats, DescribeCountsAndRefusesUnknownIndices) {
    HDC dc = GetDC(Create());
    const int count = DescribePixelFormat(dc, 1, 0, nullptr);
    ASSERT_GE(count, 1);
    PIXELFORMATDESCRIPTOR pfd;
    EXPECT_EQ(DescribePixelFormat(dc, 0, sizeof pfd, &pfd), 0);
    EXPECT_EQ(DescribePixelFormat(dc, count + 1, sizeof pfd, &pfd), 0);
    // A short buffer gets only what fits.
    unsigned char two[4] = {0, 0, 0x5A, 0x5A};
    EXPECT_EQ(DescribePixelFormat(dc, 1, 2, reinterpret_cast<PIXELFORMATDESCRIPTOR*>(two)), count);
    EXPECT_EQ(two[0], sizeof pfd);
    EXPECT_EQ(two[2], 0x5A);
}

TEST_F(PixelFormats, SetOnceOnly) {
    HDC dc = GetDC(Create());
    const PIXELFORMATDESCRIPTOR request = ProgramRequest();
    const int format = ChoosePixelFormat(dc, &request);
    EXPECT_EQ(GetPixelFormat(dc), 0);
    EXPECT_FALSE(SetPixelFormat(dc, 0, &request));
    EXPECT_FALSE(SetPixelFormat(dc, 1000, &request));
    ASSERT_TRUE(SetPixelFormat(dc, format, &request));
    EXPECT_EQ(GetPixelFormat(dc), format);
    EXPECT_FALSE(SetPixelFormat(dc, format, &request));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    EXPECT_FALSE(SetPixelFormat(dc, format == 1 ? 2 : 1, &request));
    EXPECT_EQ(GetPixelFormat(dc), format);
}

using Contexts = PlatformTest;

TEST_F(Contexts, CreationNeedsAPixelFormatAndLeavesTheCurrentContextAlone) {
    HDC bare = GetDC(Create());
    EXPECT_EQ(platform::wglCreateContext(bare), nullptr);
    EXPECT_EQ(platform::wglCreateContext(nullptr), nullptr);

    HWND window;
    HGLRC first;
    HDC dc = CreateWithContext(&window, &first);
    EXPECT_EQ(platform::wglGetCurrentContext(), first);
    HGLRC second = platform::wglCreateContext(dc);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(platform::wglGetCurrentContext(), first);
    EXPECT_EQ(platform::wglGetCurrentDC(), dc);
    EXPECT_TRUE(platform::wglDeleteContext(second));
}

TEST_F(Contexts, ClearedColourIsReadBack) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    HMODULE gl = LoadLibraryA("OpenGL32.dll");
    GLEntryPoints f(gl);
    ASSERT_TRUE(f.Complete());
    f.clearColor(1.0f, 0.5f, 0.0f, 1.0f);
    f.clear(platformtest::GL_COLOR_BUFFER_BIT_);
    unsigned char pixel[4] = {};
    f.readPixels(3, 3, 1, 1, platformtest::GL_RGBA_, platformtest::GL_UNSIGNED_BYTE_, pixel);
    EXPECT_EQ(pixel[0], 255);
    EXPECT_NEAR(pixel[1], 128, 1);
    EXPECT_EQ(pixel[2], 0);
    EXPECT_EQ(f.getError(), 0u);
    EXPECT_TRUE(SwapBuffers(dc));
    FreeLibrary(gl);
}

TEST_F(Contexts, EveryOfferedFormatGivesItsDepthAndStencilBits) {
    HMODULE gl = LoadLibraryA("OpenGL32.dll");
    HDC probe = GetDC(Create());
    const int count = DescribePixelFormat(probe, 1, 0, nullptr);
    for (int format = 1; format <= count; ++format) {
        HWND window;
        HGLRC context;
        HDC dc = CreateWithContext(&window, &context, format);
        ASSERT_NE(context, nullptr) << format;
        GLEntryPoints f(gl);
        int depth = -1, stencil = -1;
        f.getIntegerv(platformtest::GL_DEPTH_BITS_, &depth);
        f.getIntegerv(platformtest::GL_STENCIL_BITS_, &stencil);
        const PIXELFORMATDESCRIPTOR pfd = Described(dc, format);
        EXPECT_EQ(depth, pfd.cDepthBits) << "format " << format;
        EXPECT_EQ(stencil, pfd.cStencilBits) << "format " << format;
        EXPECT_TRUE(SwapBuffers(dc)) << format;
        EXPECT_TRUE(platform::wglMakeCurrent(nullptr, nullptr));
        EXPECT_TRUE(platform::wglDeleteContext(context));
        EXPECT_TRUE(DestroyWindow(window));
    }
    FreeLibrary(gl);
}

TEST_F(Contexts, MakeCurrentAndDeleteRefuseBadHandles) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    // A failed switch leaves the thread without a current context.
    EXPECT_FALSE(platform::wglMakeCurrent(reinterpret_cast<HDC>(0x1234), context));
    EXPECT_EQ(platform::wglGetCurrentContext(), nullptr);
    EXPECT_TRUE(platform::wglMakeCurrent(dc, context));
    EXPECT_FALSE(platform::wglMakeCurrent(dc, reinterpret_cast<HGLRC>(0x1234)));
    EXPECT_EQ(platform::wglGetCurrentContext(), nullptr);
    // A window with another pixel format cannot take the context.
    HDC other = GetDC(Create());
    ASSERT_TRUE(SetPixelFormat(other, 2, nullptr));
    EXPECT_FALSE(platform::wglMakeCurrent(other, context));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PIXEL_FORMAT));
    // Releasing needs no device context and always works.
    EXPECT_TRUE(platform::wglMakeCurrent(nullptr, nullptr));
    EXPECT_FALSE(platform::wglDeleteContext(nullptr));
    EXPECT_FALSE(platform::wglDeleteContext(reinterpret_cast<HGLRC>(0x1234)));
    HGLRC spare = platform::wglCreateContext(dc);
    EXPECT_TRUE(platform::wglDeleteContext(spare));
    EXPECT_FALSE(platform::wglDeleteContext(spare));
}

TEST_F(Contexts, SwapIntervalIsAnExtensionOfTheCurrentContext) {
    EXPECT_EQ(platform::wglGetProcAddress("wglSwapIntervalEXT"), nullptr);
    HWND window;
    HGLRC context;
    CreateWithContext(&window, &context);
    PROC p = platform::wglGetProcAddress("wglSwapIntervalEXT");
    ASSERT_NE(p, nullptr);
    auto swapInterval = reinterpret_cast<BOOL (*)(int)>(reinterpret_cast<void (*)()>(p));
    EXPECT_TRUE(swapInterval(0));
    EXPECT_EQ(platform::wglGetProcAddress("wglNoSuchFunction"), nullptr);
    EXPECT_NE(platform::wglGetProcAddress("glPointParameterfARB"), nullptr);
}

TEST_F(Contexts, DrawingAfterTheWindowIsGoneGoesNowhere) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    HMODULE gl = LoadLibraryA("OpenGL32.dll");
    GLEntryPoints f(gl);
    ASSERT_TRUE(DestroyWindow(window));
    // Still current as far as WGL is concerned; the calls reach no surface.
    EXPECT_EQ(platform::wglGetCurrentContext(), context);
    f.clearColor(1, 0, 0, 1);
    f.clear(platformtest::GL_COLOR_BUFFER_BIT_);
    unsigned char pixel[4] = {7, 7, 7, 7};
    f.readPixels(0, 0, 1, 1, platformtest::GL_RGBA_, platformtest::GL_UNSIGNED_BYTE_, pixel);
    f.finish();
    EXPECT_EQ(pixel[0], 7);
    EXPECT_FALSE(SwapBuffers(dc));
    EXPECT_TRUE(platform::wglMakeCurrent(dc, nullptr));
    EXPECT_FALSE(platform::wglMakeCurrent(dc, context));
    EXPECT_TRUE(platform::wglDeleteContext(context));
    FreeLibrary(gl);
}

TEST_F(Contexts, ContextOutlivesItsWindow) {
    HWND first;
    HGLRC context;
    CreateWithContext(&first, &context);
    ASSERT_TRUE(DestroyWindow(first));
    HDC dc = GetDC(Create());
    ASSERT_TRUE(SetPixelFormat(dc, 1, nullptr)); // the format the context was made for
    ASSERT_TRUE(platform::wglMakeCurrent(dc, context));
    HMODULE gl = LoadLibraryA("OpenGL32.dll");
    GLEntryPoints f(gl);
    f.clearColor(0, 0, 1, 1);
    f.clear(platformtest::GL_COLOR_BUFFER_BIT_);
    unsigned char pixel[4] = {};
    f.readPixels(1, 1, 1, 1, platformtest::GL_RGBA_, platformtest::GL_UNSIGNED_BYTE_, pixel);
    EXPECT_EQ(pixel[2], 255);
    EXPECT_EQ(pixel[0], 0);
    FreeLibrary(gl);
}

TEST_F(Contexts, SwapBuffersNeedsTheWindowsContext) {
    HWND window;
    HGLRC context;
    HDC dc = CreateWithContext(&window, &context);
    EXPECT_TRUE(SwapBuffers(dc));
    HDC other = GetDC(Create());
    EXPECT_FALSE(SwapBuffers(other)); // no pixel format
    ASSERT_TRUE(SetPixelFormat(other, 1, nullptr));
    EXPECT_FALSE(SwapBuffers(other)); // nothing draws into it
    EXPECT_TRUE(platform::wglMakeCurrent(nullptr, nullptr));
    EXPECT_FALSE(SwapBuffers(dc));
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
    EXPECT_EQ(pixel[0], 0);
    EXPECT_EQ(pixel[1], 255);
    EXPECT_EQ(pixel[2], 0);
    glPointParameterfARB(GL_POINT_FADE_THRESHOLD_SIZE_ARB, 1.0f);
    EXPECT_EQ(glGetError(), GL_NO_ERROR);
    EXPECT_TRUE(wglSwapIntervalEXT(0));
    EXPECT_EQ(gl::MissingCount(), 0);
    EXPECT_TRUE(SwapBuffers(dc));
    gl::ResetTable();
}

} // namespace
