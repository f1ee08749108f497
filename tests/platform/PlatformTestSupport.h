// Shared set-up of the Win32 layer tests: a recording window procedure, the WGL and OpenGL entry
// points found the way a program finds them (in the module loaded for "OpenGL32.dll", then
// through wglGetProcAddress), and a fixture that leaves no window, class, context, queued message
// or display change behind.
#pragma once

#include <string>
#include <vector>

#include <SDL.h>
#include <gtest/gtest.h>

#include "UserInput.h"
#include "platform/Win32.h"
#include "platform/sdl/Layer.h"

namespace platformtest {

struct ProcedureBehaviour {
    bool quitOnDestroy = false;
};

inline std::vector<UINT>& Received() {
    static std::vector<UINT> received;
    return received;
}

inline ProcedureBehaviour& Behaviour() {
    static ProcedureBehaviour behaviour;
    return behaviour;
}

// Records every message and leaves it to the default procedure.
inline LRESULT CALLBACK RecordingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Received().push_back(message);
    if (message == WM_DESTROY && Behaviour().quitOnDestroy) {
        PostQuitMessage(0);
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

// The message numbers received since the last call; the list is emptied.
inline std::vector<UINT> TakeReceived() {
    std::vector<UINT> taken;
    taken.swap(Received());
    return taken;
}

using userinput::DrainQueue;

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

template <typename F> F Find(HMODULE module, const char* name) {
    return platform::FromFarProc<F>(GetProcAddress(module, name));
}

// The WGL calls as "OpenGL32.dll" exports them.
struct Wgl {
    HMODULE module = LoadLibraryA("OpenGL32.dll");
    HGLRC(WINAPI* createContext)(HDC) = Find<decltype(createContext)>(module, "wglCreateContext");
    BOOL(WINAPI* makeCurrent)(HDC, HGLRC) = Find<decltype(makeCurrent)>(module, "wglMakeCurrent");
    BOOL(WINAPI* deleteContext)(HGLRC) = Find<decltype(deleteContext)>(module, "wglDeleteContext");
    PROC(WINAPI* getProcAddress)
    (LPCSTR) = Find<decltype(getProcAddress)>(module, "wglGetProcAddress");
};

// OpenGL as a program reaches it: from the module, then from the driver.
struct GLEntryPoints {
    template <typename F> static F Get(const Wgl& wgl, const char* name) {
        F f = Find<F>(wgl.module, name);
        return f ? f : platform::FromFarProc<F>(wgl.getProcAddress(name));
    }
    explicit GLEntryPoints(const Wgl& wgl)
        : clearColor(Get<decltype(clearColor)>(wgl, "glClearColor")),
          clear(Get<decltype(clear)>(wgl, "glClear")),
          readPixels(Get<decltype(readPixels)>(wgl, "glReadPixels")),
          getIntegerv(Get<decltype(getIntegerv)>(wgl, "glGetIntegerv")) {}

    void (*clearColor)(float, float, float, float);
    void (*clear)(unsigned);
    void (*readPixels)(int, int, int, int, unsigned, unsigned, void*);
    void (*getIntegerv)(unsigned, int*);

    // Clears the whole buffer to the colour and reads one pixel back, RGBA.
    std::vector<int> ClearAndRead(float r, float g, float b) const {
        clearColor(r, g, b, 1.0f);
        clear(0x4000);
        unsigned char pixel[4] = {7, 7, 7, 7};
        readPixels(2, 2, 1, 1, 0x1908, 0x1401, pixel);
        return {pixel[0], pixel[1], pixel[2], pixel[3]};
    }
};

class PlatformTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Behaviour() = ProcedureBehaviour();
        WNDCLASSA wc{};
        wc.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
        wc.lpfnWndProc = &RecordingProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.lpszClassName = ClassName;
        ASSERT_NE(RegisterClassA(&wc), 0);
        ASSERT_NE(wgl.createContext, nullptr);
        DrainQueue();
        Received().clear();
    }

    void TearDown() override {
        wgl.makeCurrent(nullptr, nullptr);
        for (HGLRC context : contexts_) {
            wgl.deleteContext(context);
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
    }

    HWND Create(DWORD style = WindowedStyle, int width = 320, int height = 240) {
        HWND window = CreateWindowExA(WS_EX_APPWINDOW, ClassName, "Test", style, 0, 0, width,
                                      height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (window) {
            windows_.push_back(window);
        }
        return window;
    }

    // A window with the pixel format set and a current context on it.
    HDC CreateWithContext(HWND* window, HGLRC* context) {
        *window = Create();
        HDC dc = GetDC(*window);
        const PIXELFORMATDESCRIPTOR pfd = ProgramRequest();
        EXPECT_TRUE(SetPixelFormat(dc, ChoosePixelFormat(dc, &pfd), &pfd));
        *context = wgl.createContext(dc);
        EXPECT_NE(*context, nullptr);
        if (*context) {
            contexts_.push_back(*context);
            EXPECT_TRUE(wgl.makeCurrent(dc, *context));
        }
        return dc;
    }

    static SDL_Window* Sdl(HWND window) { return platform::SdlWindowOf(window); }

    Wgl wgl;

  private:
    std::vector<HWND> windows_;
    std::vector<HGLRC> contexts_;
};

} // namespace platformtest
