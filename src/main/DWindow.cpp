// The window, the display mode and the OpenGL rendering context: creation, tear-down and the
// window procedure.
#include "main/DWindow.h"

#include <cstring>
#include <string>

#include "engine/DEngine.h"
#include "engine/DInput.h"
#include "game/DMessage.h"
#include "gl/GL.h"
#include "real/FloatEnv.h"

HWND WindowHandle = nullptr;
HDC DeviceContext = nullptr;
HGLRC RenderingContext = nullptr;

namespace {

const char* const ClassName = "OpenGL";

// True while KillGLWindow destroys the window itself. That destruction must not post a quit
// message: a pending quit message closes every message box shown after it at once, so the
// failure reports that follow a tear-down would never be seen.
bool DestroyingWindow = false;

void ShowCreateError(const char* text) {
    ShowMessage(text, "Error", MB_ICONERROR);
}

void ShowTearDownError(const char* text) {
    ShowMessage(text, "Ошибка", MB_ICONERROR);
}

// Switches the display to ScreenWidth x ScreenHeight x ColorBits until the program ends. Only
// DISP_CHANGE_SUCCESSFUL is a switch: every other answer (a refused mode, a mode that needs a
// restart, bad flags) leaves the display as it was.
bool SwitchToFullscreen() {
    DEVMODEA mode;
    std::memset(&mode, 0, sizeof mode);
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(ScreenWidth);
    mode.dmPelsHeight = static_cast<DWORD>(ScreenHeight);
    mode.dmBitsPerPel = static_cast<DWORD>(ColorBits);
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) == DISP_CHANGE_SUCCESSFUL;
}

// Tears down what exists and reports the creation failure after the tear-down's own reports.
bool FailCreation(const char* text) {
    KillGLWindow();
    ShowCreateError(text);
    return false;
}

} // namespace

PIXELFORMATDESCRIPTOR PixelFormatRequest() {
    // No depth bits are asked for; the 32 stands in the stencil field. The request is only a
    // preference: whatever depth and stencil the closest format has are accepted.
    PIXELFORMATDESCRIPTOR request;
    std::memset(&request, 0, sizeof request);
    request.nSize = sizeof request;
    request.nVersion = 1;
    request.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    request.iPixelType = PFD_TYPE_RGBA;
    request.cColorBits = static_cast<BYTE>(ColorBits & 0xFF);
    request.cStencilBits = 32;
    request.iLayerType = PFD_MAIN_PLANE;
    return request;
}

bool CreateGLWindow(const TWindowRequest& asked) {
    // Without either library nothing can be drawn: a failed start-up, where nothing is built yet.
    if (!gl::InitBinding("OpenGL32.dll", "GLU32.dll")) {
        ShowCreateError((std::string("Unable to load ") + gl::FailedLibrary()).c_str());
        return false;
    }
    const HINSTANCE instance = GetModuleHandleA(nullptr);

    WNDCLASSA windowClass;
    std::memset(&windowClass, 0, sizeof windowClass);
    windowClass.style = CS_HREDRAW | CS_VREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = WndProc;
    windowClass.hInstance = instance;
    // IDC_ARROW in its ANSI form, whatever UNICODE says.
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.lpszClassName = ClassName;
    if (!RegisterClassA(&windowClass)) {
        ShowCreateError("Failed to register the window class!");
        return false;
    }

    if (asked.Windowed) {
        Fullscreen = false;
    }
    if (Fullscreen && !SwitchToFullscreen()) {
        ShowCreateError("Unable to switch to fullscreen!");
        Fullscreen = false;
    }

    DWORD exStyle;
    DWORD style;
    if (Fullscreen || asked.Frameless) {
        exStyle = WS_EX_APPWINDOW;
        style = WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    } else {
        exStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
        style = WS_OVERLAPPEDWINDOW | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
    }
    if (Fullscreen) {
        ShowCursor(FALSE);
    }

    {
        const FloatEnvironmentGuard guard;
        WindowHandle = CreateWindowExA(exStyle, ClassName, WindowTitle, style, 0, 0, ScreenWidth,
                                       ScreenHeight, nullptr, nullptr, instance, nullptr);
    }
    if (!WindowHandle) {
        return FailCreation("Unable to create window!");
    }

    DeviceContext = GetDC(WindowHandle);
    if (!DeviceContext) {
        return FailCreation("Unable to get a device context!");
    }

    const PIXELFORMATDESCRIPTOR request = PixelFormatRequest();
    const int format = ChoosePixelFormat(DeviceContext, &request);
    if (format == 0) {
        return FailCreation("Unable to find a suitable pixel format");
    }
    if (!SetPixelFormat(DeviceContext, format, &request)) {
        return FailCreation("Unable to set the pixel format");
    }

    RenderingContext = wglCreateContext(DeviceContext);
    if (!RenderingContext) {
        return FailCreation("Unable to create an OpenGL rendering context");
    }
    wglMakeCurrent(DeviceContext, RenderingContext);

    ShowWindow(WindowHandle, SW_SHOW);
    SetForegroundWindow(WindowHandle);
    SetFocus(WindowHandle);
    // A driver without the extension keeps its default interval (the binding never calls
    // through a missing entry point).
    wglSwapIntervalEXT(VSync ? 1 : 0);
    return true;
}

void KillGLWindow() {
    if (Fullscreen) {
        ChangeDisplaySettingsA(nullptr, 0);
        ShowCursor(TRUE);
    }

    // The Russian texts below are the program's own, shown exactly as they stand.
    if (!wglMakeCurrent(DeviceContext, nullptr)) {
        ShowTearDownError("Не могу выбрать контекст рендиринга!");
    }

    // A context that was never created is no failure to delete one.
    if (RenderingContext) {
        if (!wglDeleteContext(RenderingContext)) {
            ShowTearDownError("Не могу удалит контекст рендеринга!");
        }
        RenderingContext = nullptr;
    }

    // A window the user closed is gone already, and its device context with it: there is
    // nothing left to release or destroy, and nothing to report.
    const bool windowAlive = WindowHandle && IsWindow(WindowHandle);

    if (DeviceContext) {
        if (windowAlive && !ReleaseDC(WindowHandle, DeviceContext)) {
            ShowTearDownError("Не могу освободить контексты рендеринга!");
        }
        DeviceContext = nullptr;
    }

    if (WindowHandle) {
        if (windowAlive) {
            DestroyingWindow = true;
            const BOOL destroyed = DestroyWindow(WindowHandle);
            DestroyingWindow = false;
            if (!destroyed) {
                ShowTearDownError("Не могу удалить окно");
            }
        }
        WindowHandle = nullptr;
    }

    if (!UnregisterClassA(ClassName, GetModuleHandleA(nullptr))) {
        ShowTearDownError("Unable to unregister window class!");
    }
}

LRESULT CALLBACK WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        if (!DestroyingWindow) {
            PostQuitMessage(0);
        }
        return 0;
    case WM_KEYDOWN:
        if (wParam < sizeof Keys) {
            Keys[wParam] = 1;
        }
        return 0;
    case WM_KEYUP:
        if (wParam < sizeof Keys) {
            Keys[wParam] = 0;
        }
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
