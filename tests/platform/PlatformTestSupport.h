// Shared set-up of the Win32 layer tests: a recording window procedure, a fixture that leaves no
// window, class, context, queued message or display change behind, and the OpenGL entry points
// looked up the way a program does (LoadLibraryA + GetProcAddress, then wglGetProcAddress).
#pragma once

#include <string>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "platform/Internal.h"
#include "platform/Seam.h"
#include "platform/Win32.h"

namespace platformtest {

struct Message {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    bool isWindow; // IsWindow(hwnd) while the procedure ran
};

// What the recording procedure does besides recording.
struct ProcedureBehaviour {
    LRESULT ncCreateResult = TRUE;
    LRESULT createResult = 0;
    bool quitOnDestroy = false;
};

inline std::vector<Message>& Received() {
    static std::vector<Message> received;
    return received;
}

inline ProcedureBehaviour& Behaviour() {
    static ProcedureBehaviour behaviour;
    return behaviour;
}

inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Received().push_back(Message{hwnd, message, wParam, lParam, IsWindow(hwnd) != FALSE});
    switch (message) {
    case WM_NCCREATE:
        return Behaviour().ncCreateResult;
    case WM_CREATE:
        return Behaviour().createResult;
    case WM_DESTROY:
        if (Behaviour().quitOnDestroy) {
            PostQuitMessage(0);
        }
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

// The message numbers received since the last call; the list is emptied.
inline std::vector<UINT> TakeReceived() {
    std::vector<UINT> numbers;
    for (const Message& m : Received()) {
        numbers.push_back(m.message);
    }
    Received().clear();
    return numbers;
}

inline std::vector<MSG> DrainQueue() {
    std::vector<MSG> taken;
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        taken.push_back(m);
    }
    return taken;
}

constexpr const char* ClassName = "PlatformTest";
constexpr DWORD WindowedStyle = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD PopupStyle = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;

// The program's pixel format request.
inline PIXELFORMATDESCRIPTOR ProgramRequest() {
    PIXELFORMATDESCRIPTOR pfd{};
    pfd.nSize = sizeof pfd;
    pfd.nVersion = 1;
    pfd.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    pfd.iPixelType = PFD_TYPE_RGBA;
    pfd.cColorBits = 32;
    pfd.cStencilBits = 32;
    return pfd;
}

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::ResetSeam();
        Behaviour() = ProcedureBehaviour();
        WNDCLASSA wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
        wc.lpfnWndProc = &RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = ClassName;
        ASSERT_NE(RegisterClassA(&wc), 0);
        DrainQueue();
        Received().clear();
    }

    void TearDown() override {
        platform::ResetSeam();
        if (HGLRC current = platform::wglGetCurrentContext()) {
            platform::wglMakeCurrent(nullptr, nullptr);
            (void)current;
        }
        for (HGLRC context : contexts_) {
            platform::wglDeleteContext(context);
        }
        for (HWND window : windows_) {
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
        UnregisterClassA(ClassName, GetModuleHandleA(nullptr));
        ChangeDisplaySettingsA(nullptr, 0);
        DrainQueue();
        Received().clear();
        platform::ResetSeam();
    }

    HWND Create(DWORD style = WindowedStyle, int width = 320, int height = 240) {
        HWND window = CreateWindowExA(WS_EX_APPWINDOW, ClassName, "Test", style, 0, 0, width,
                                      height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (window) {
            windows_.push_back(window);
        }
        return window;
    }

    // A window with the given pixel format and a current context on it.
    HDC CreateWithContext(HWND* window, HGLRC* context, int format = 0) {
        *window = Create();
        HDC dc = GetDC(*window);
        const PIXELFORMATDESCRIPTOR pfd = ProgramRequest();
        if (format == 0) {
            format = ChoosePixelFormat(dc, &pfd);
        }
        EXPECT_TRUE(SetPixelFormat(dc, format, &pfd));
        *context = platform::wglCreateContext(dc);
        EXPECT_NE(*context, nullptr);
        if (*context) {
            contexts_.push_back(*context);
            EXPECT_TRUE(platform::wglMakeCurrent(dc, *context));
        }
        return dc;
    }

    static SDL_Window* Sdl(HWND window) { return platform::detail::SdlWindowOf(window); }

  private:
    std::vector<HWND> windows_;
    std::vector<HGLRC> contexts_;
};

// OpenGL as a program reaches it: from the module loaded for "OpenGL32.dll", then from the
// driver for what the module does not export.
struct GLEntryPoints {
    using ClearColor = void (*)(float, float, float, float);
    using Clear = void (*)(unsigned);
    using ReadPixels = void (*)(int, int, int, int, unsigned, unsigned, void*);
    using Finish = void (*)();
    using GetIntegerv = void (*)(unsigned, int*);
    using GetError = unsigned (*)();

    ClearColor clearColor = nullptr;
    Clear clear = nullptr;
    ReadPixels readPixels = nullptr;
    Finish finish = nullptr;
    GetIntegerv getIntegerv = nullptr;
    GetError getError = nullptr;

    template <typename F> static F Find(HMODULE gl, const char* name) {
        FARPROC p = GetProcAddress(gl, name);
        if (!p) {
            p = platform::wglGetProcAddress(name);
        }
        return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
    }

    explicit GLEntryPoints(HMODULE gl)
        : clearColor(Find<ClearColor>(gl, "glClearColor")), clear(Find<Clear>(gl, "glClear")),
          readPixels(Find<ReadPixels>(gl, "glReadPixels")), finish(Find<Finish>(gl, "glFinish")),
          getIntegerv(Find<GetIntegerv>(gl, "glGetIntegerv")),
          getError(Find<GetError>(gl, "glGetError")) {}

    bool Complete() const {
        return clearColor && clear && readPixels && finish && getIntegerv && getError;
    }
};

constexpr unsigned GL_COLOR_BUFFER_BIT_ = 0x4000;
constexpr unsigned GL_RGBA_ = 0x1908;
constexpr unsigned GL_UNSIGNED_BYTE_ = 0x1401;
constexpr unsigned GL_DEPTH_BITS_ = 0x0D56;
constexpr unsigned GL_STENCIL_BITS_ = 0x0D57;

} // namespace platformtest
