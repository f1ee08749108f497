// The Win32 core: what Windows does the same whatever shows the windows, shared by the SDL host
// (platform/sdl/) and the browser host (platform/web/). Messages.cpp is the message queue,
// Windows.cpp the class and window registry with its handles, Modules.cpp the module table; each
// host implements the back-end below. Not part of the Win32 interface.
#pragma once

#include <cctype>
#include <string>

#include "platform/Win32.h"

namespace platform {

// A handle's value, as the tables key their entries.
inline UINT_PTR Key(const void* handle) {
    return reinterpret_cast<UINT_PTR>(handle);
}

// `text` in lower case (null as empty): class and library names are matched without case.
inline std::string Lower(const char* text) {
    std::string s(text ? text : "");
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

// A function as GetProcAddress hands it out, and back.
template <typename F> FARPROC AsFarProc(F f) {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(f));
}
template <typename F> F FromFarProc(FARPROC p) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(p));
}

// Messages.cpp: queues a message; DestroyWindow drops those of a window that goes.
void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ForgetMessagesOf(HWND window);
// Messages.cpp: queues a key's message for `window` as Windows makes it: WM_SYSKEYDOWN and
// WM_SYSKEYUP for keys held with Alt (not AltGr, which is Alt with Ctrl), for Alt itself and
// for F10; lParam with the repeat count, the Alt bit and the previous-state and transition bits.
void PostKey(HWND window, BYTE vk, bool down, bool repeat, bool alt, bool ctrl);

// Windows.cpp: the host's own window behind a window handle, or null for a window that does not
// exist.
void* NativeOf(HWND window);
// Windows.cpp: the first window, not being destroyed, whose host window `match` accepts; null
// when none does.
HWND FindWindowWhere(bool (*match)(void* native, const void* data), const void* data);
// Windows.cpp: the window whose device context `dc` is, or null.
HWND WindowOfDC(HDC dc);
// Windows.cpp: the window SetFocus gave the keyboard focus, or null.
HWND FocusWindow();
// Windows.cpp: calls the window's procedure; 0 when the window does not exist.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// What each host implements for the core.
namespace host {

// Clock.cpp's counter: the host's monotonic counter, in ticks of CounterFrequency.
constexpr LONGLONG CounterFrequency = 10000000;
LONGLONG Counter();

// PeekMessageA, first: moves what the host has seen since into the queue.
void PumpMessages();

// CreateWindowExA: the host's window with a client area of width x height at (x, y), hidden;
// null when it cannot be made (said on stderr).
void* CreateNative(const char* title, DWORD style, int x, int y, int width, int height);
// ShowWindow: shows or hides the host's window.
void ShowNative(void* native, bool visible);
// DestroyWindow, before WM_DESTROY: the window leaves the screen (`visible`: it was shown).
void HideGoing(void* native, bool visible);
// DestroyWindow, after WM_NCDESTROY: the host's window goes.
void DestroyNative(HWND window, void* native);
// SetForegroundWindow and SetFocus on a shown window.
void RaiseNative(void* native);
void FocusNative(void* native);
// ShowCursor: the cursor's display counter crossed 0.
void ShowNativeCursor(bool shown);

// The libraries the module table stands for.
enum class Library { OpenGL, Glu };
// LoadLibraryA: the library's handle, loaded once; null when it cannot be (said on stderr).
void* OpenLibrary(Library library);
// GetProcAddress: the library's export named `name`, or null.
FARPROC LibraryExport(Library library, void* handle, const char* name);
// GetProcAddress: the WGL call named `name` that "OpenGL32.dll" exports besides the library's
// own functions, or null.
FARPROC WglExport(const char* name);

} // namespace host

} // namespace platform
