// user32 on SDL2: window classes, windows, the message queue, the keyboard, the cursor, message
// boxes and display modes.
#include "platform/Internal.h"

#include <SDL.h>
#include <cstdio>

ATOM WINAPI RegisterClassA(const WNDCLASSA*) {
    return 0;
}
BOOL WINAPI UnregisterClassA(LPCSTR, HINSTANCE) {
    return FALSE;
}
HWND WINAPI CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU,
                            HINSTANCE, LPVOID) {
    return nullptr;
}
BOOL WINAPI DestroyWindow(HWND) {
    return FALSE;
}
BOOL WINAPI IsWindow(HWND) {
    return FALSE;
}
BOOL WINAPI ShowWindow(HWND, int) {
    return FALSE;
}
BOOL WINAPI SetForegroundWindow(HWND) {
    return FALSE;
}
HWND WINAPI SetFocus(HWND) {
    return nullptr;
}
HDC WINAPI GetDC(HWND) {
    return nullptr;
}
int WINAPI ReleaseDC(HWND, HDC) {
    return 0;
}
HCURSOR WINAPI LoadCursorA(HINSTANCE, LPCSTR) {
    return nullptr;
}
int WINAPI ShowCursor(BOOL) {
    return 0;
}
BOOL WINAPI PeekMessageA(LPMSG, HWND, UINT, UINT, UINT) {
    return FALSE;
}
BOOL WINAPI TranslateMessage(const MSG*) {
    return FALSE;
}
LRESULT WINAPI DispatchMessageA(const MSG*) {
    return 0;
}
LRESULT WINAPI DefWindowProcA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}
BOOL WINAPI PostMessageA(HWND, UINT, WPARAM, LPARAM) {
    return FALSE;
}
LRESULT WINAPI SendMessageA(HWND, UINT, WPARAM, LPARAM) {
    return 0;
}
void WINAPI PostQuitMessage(int) {}
int WINAPI MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT type) {
    platform::detail::RecordMessageBox(text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
    return IDOK;
}
LONG WINAPI ChangeDisplaySettingsA(DEVMODEA*, DWORD) {
    return DISP_CHANGE_FAILED;
}

namespace platform::detail {
void RestoreDisplayMode() {}
SDL_Window* SdlWindowOf(HWND) {
    return nullptr;
}
int SdlFormatOf(HWND) {
    return 0;
}
bool RecreateSdlWindow(HWND, int) {
    return false;
}
} // namespace platform::detail
