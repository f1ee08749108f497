// The capture's OpenGL context: a 1024 x 768 pop-up window made with the Win32 calls the demo
// itself makes, headless under SDL's offscreen driver.
#include <cstring>
#include <string>

#include "capture/Capture.h"
#include "engine/DEngine.h"
#include "gl/GL.h"
#include "main/DWindow.h"
#include "platform/Win32.h"
#include "random/FloatEnv.h"

namespace capture {
namespace {

const char* const ClassName = "particles-capture";

HWND Window = nullptr;
HDC Device = nullptr;
HGLRC Context = nullptr;
bool ClassRegistered = false;

LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace

bool OpenContext(std::string& error) {
    const FloatEnvironmentGuard guard;
    const auto failed = [&error](const char* what) {
        error = std::string("cannot set up the OpenGL context: ") + what;
        CloseContext();
        return false;
    };
    if (!gl::InitBinding("OpenGL32.dll", "GLU32.dll")) {
        return failed("the OpenGL libraries cannot be loaded");
    }
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass)) {
        return failed("RegisterClassA failed");
    }
    ClassRegistered = true;
    // A pop-up has no frame: its client area, and so the viewport, is the whole 1024 x 768.
    Window = CreateWindowExA(WS_EX_APPWINDOW, ClassName, WindowTitle,
                             WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, Width, Height,
                             nullptr, nullptr, instance, nullptr);
    if (!Window) {
        return failed("CreateWindowExA failed");
    }
    Device = GetDC(Window);
    if (!Device) {
        return failed("GetDC failed");
    }
    const PIXELFORMATDESCRIPTOR request = PixelFormatRequest();
    const int format = ChoosePixelFormat(Device, &request);
    if (format == 0) {
        return failed("ChoosePixelFormat found no format");
    }
    if (!SetPixelFormat(Device, format, &request)) {
        return failed("SetPixelFormat failed");
    }
    Context = wglCreateContext(Device);
    if (!Context) {
        return failed("wglCreateContext failed");
    }
    if (!wglMakeCurrent(Device, Context)) {
        return failed("wglMakeCurrent failed");
    }
    ShowWindow(Window, SW_SHOW);
    wglSwapIntervalEXT(VSync ? 1 : 0);
    return true;
}

void CloseContext() {
    const FloatEnvironmentGuard guard;
    if (Context) {
        wglMakeCurrent(Device, nullptr);
        wglDeleteContext(Context);
        Context = nullptr;
    }
    if (Device) {
        ReleaseDC(Window, Device);
        Device = nullptr;
    }
    if (Window) {
        DestroyWindow(Window);
        Window = nullptr;
    }
    if (ClassRegistered) {
        UnregisterClassA(ClassName, GetModuleHandleA(nullptr));
        ClassRegistered = false;
    }
}

void Present() {
    SwapBuffers(Device);
}

} // namespace capture
