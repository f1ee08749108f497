// The wrappers of the failure seam and its state.
#include "Win32Seam.h"

#include <cstddef>
#include <cstring>

#include "platform/sdl/Layer.h"

namespace seam {
namespace {

struct SeamState {
    bool failing[static_cast<std::size_t>(Api::Count)] = {};
    bool displayForced = false;
    LONG displayResult = DISP_CHANGE_SUCCESSFUL;
    std::vector<MessageBoxRecord> boxes;
};

SeamState& S() {
    static SeamState state;
    return state;
}

// A program that shows message boxes forever must not grow without bound.
constexpr std::size_t MaxBoxes = 1000;

bool Fails(Api api) {
    return S().failing[static_cast<std::size_t>(api)];
}

} // namespace

void SetFailing(Api api, bool fail) {
    if (api < Api::Count) {
        S().failing[static_cast<std::size_t>(api)] = fail;
    }
}

void SetDisplayChangeResult(LONG result) {
    S().displayForced = true;
    S().displayResult = result;
}

void ClearDisplayChangeResult() {
    S().displayForced = false;
}

std::vector<MessageBoxRecord> TakeMessageBoxes() {
    std::vector<MessageBoxRecord> boxes;
    boxes.swap(S().boxes);
    return boxes;
}

std::vector<std::string> TakeMessages(UINT expected) {
    std::vector<std::string> shown;
    for (const MessageBoxRecord& box : TakeMessageBoxes()) {
        shown.push_back(box.caption + ": " + box.text +
                        (box.type == expected ? "" : " (type " + std::to_string(box.type) + ")"));
    }
    return shown;
}

void ResetSeam() {
    S() = SeamState();
}

} // namespace seam

using seam::Api;
using seam::Fails;
using seam::MaxBoxes;
using seam::S;

// ld --wrap sends the program's calls of X to __wrap_X, and __real_X to the layer's X.
#define PARTICLES_SEAM_WRAP(ret, name, failed, params, args)                                       \
    extern "C" ret WINAPI __real_##name params;                                                    \
    extern "C" ret WINAPI __wrap_##name params {                                                   \
        return Fails(Api::name) ? failed : __real_##name args;                                     \
    }

PARTICLES_SEAM_WRAP(ATOM, RegisterClassA, 0, (const WNDCLASSA* wc), (wc))
PARTICLES_SEAM_WRAP(BOOL, UnregisterClassA, FALSE, (LPCSTR name, HINSTANCE instance),
                    (name, instance))
PARTICLES_SEAM_WRAP(HWND, CreateWindowExA, nullptr,
                    (DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param),
                    (exStyle, className, windowName, style, x, y, width, height, parent, menu,
                     instance, param))
PARTICLES_SEAM_WRAP(BOOL, DestroyWindow, FALSE, (HWND window), (window))
PARTICLES_SEAM_WRAP(BOOL, ShowWindow, FALSE, (HWND window, int command), (window, command))
PARTICLES_SEAM_WRAP(HDC, GetDC, nullptr, (HWND window), (window))
PARTICLES_SEAM_WRAP(int, ReleaseDC, 0, (HWND window, HDC dc), (window, dc))
PARTICLES_SEAM_WRAP(int, ChoosePixelFormat, 0, (HDC dc, const PIXELFORMATDESCRIPTOR* request),
                    (dc, request))
PARTICLES_SEAM_WRAP(BOOL, SetPixelFormat, FALSE,
                    (HDC dc, int format, const PIXELFORMATDESCRIPTOR* request),
                    (dc, format, request))
PARTICLES_SEAM_WRAP(BOOL, SwapBuffers, FALSE, (HDC dc), (dc))
PARTICLES_SEAM_WRAP(BOOL, QueryPerformanceCounter, FALSE, (LARGE_INTEGER * count), (count))
PARTICLES_SEAM_WRAP(BOOL, QueryPerformanceFrequency, FALSE, (LARGE_INTEGER * frequency),
                    (frequency))
PARTICLES_SEAM_WRAP(HANDLE, CreateFileA, INVALID_HANDLE_VALUE,
                    (LPCSTR name, DWORD access, DWORD share, LPVOID security, DWORD creation,
                     DWORD flags, HANDLE templateFile),
                    (name, access, share, security, creation, flags, templateFile))
PARTICLES_SEAM_WRAP(BOOL, CloseHandle, FALSE, (HANDLE object), (object))
PARTICLES_SEAM_WRAP(HMODULE, LoadLibraryA, nullptr, (LPCSTR name), (name))

extern "C" BOOL WINAPI __real_ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                                       LPVOID overlapped);
extern "C" BOOL WINAPI __wrap_ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read,
                                       LPVOID overlapped) {
    if (Fails(Api::ReadFile)) {
        if (read) {
            *read = 0;
        }
        return FALSE;
    }
    return __real_ReadFile(file, buffer, toRead, read, overlapped);
}

extern "C" int WINAPI __real_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
extern "C" int WINAPI __wrap_MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    if (S().boxes.size() < MaxBoxes) {
        S().boxes.push_back(seam::MessageBoxRecord{text ? text : "", caption ? caption : "", type});
    }
    return __real_MessageBoxA(owner, text, caption, type);
}

extern "C" LONG WINAPI __real_ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags);
extern "C" LONG WINAPI __wrap_ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    if (mode && S().displayForced) {
        return S().displayResult;
    }
    return __real_ChangeDisplaySettingsA(mode, flags);
}

// The WGL calls are looked up by name in "OpenGL32.dll": the lookup hands out wrappers instead.
namespace {

using CreateContextFn = HGLRC(WINAPI*)(HDC);
using MakeCurrentFn = BOOL(WINAPI*)(HDC, HGLRC);
using DeleteContextFn = BOOL(WINAPI*)(HGLRC);
CreateContextFn RealCreateContext = nullptr;
MakeCurrentFn RealMakeCurrent = nullptr;
DeleteContextFn RealDeleteContext = nullptr;

HGLRC WINAPI CreateContext(HDC dc) {
    return Fails(Api::wglCreateContext) ? nullptr : RealCreateContext(dc);
}
BOOL WINAPI MakeCurrent(HDC dc, HGLRC context) {
    return Fails(Api::wglMakeCurrent) ? FALSE : RealMakeCurrent(dc, context);
}
BOOL WINAPI DeleteContext(HGLRC context) {
    return Fails(Api::wglDeleteContext) ? FALSE : RealDeleteContext(context);
}

using platform::AsFarProc;
using platform::FromFarProc;

} // namespace

extern "C" FARPROC WINAPI __real_GetProcAddress(HMODULE module, LPCSTR name);
extern "C" FARPROC WINAPI __wrap_GetProcAddress(HMODULE module, LPCSTR name) {
    const FARPROC real = __real_GetProcAddress(module, name);
    if (!real || !name) {
        return real;
    }
    if (std::strcmp(name, "wglCreateContext") == 0) {
        RealCreateContext = FromFarProc<CreateContextFn>(real);
        return AsFarProc(&CreateContext);
    }
    if (std::strcmp(name, "wglMakeCurrent") == 0) {
        RealMakeCurrent = FromFarProc<MakeCurrentFn>(real);
        return AsFarProc(&MakeCurrent);
    }
    if (std::strcmp(name, "wglDeleteContext") == 0) {
        RealDeleteContext = FromFarProc<DeleteContextFn>(real);
        return AsFarProc(&DeleteContext);
    }
    return real;
}
