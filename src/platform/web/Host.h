// What the concerns of the browser host need from each other; not part of the Win32 interface.
#pragma once

#include <cstdint>

#include "platform/Win32.h"

namespace web {

// Windows.cpp: the window whose device context `dc` is, or null.
HWND WindowOfDC(HDC dc);
// Windows.cpp: the window SetFocus gave the keyboard focus, or the window when there is one.
HWND KeyWindow();
// Windows.cpp: calls the window's procedure; 0 when the window does not exist.
LRESULT Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Messages.cpp: queues a message; DestroyWindow drops those of a window that goes.
void Post(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void ForgetMessagesOf(HWND window);
// Messages.cpp: starts listening to the page's keys (once).
void ListenToKeys();

// MessageBox.cpp: whether a message box is open; the box has the keyboard meanwhile, and keys
// pressed then never reach the program.
bool InMessageBox();

// Contexts.cpp: the window is about to go; a context drawing into it stops doing so.
void WindowGoing(HWND window);
// Contexts.cpp: the WGL calls, which the module loaded for "OpenGL32.dll" exports by name.
FARPROC WglExport(const char* name);
// Contexts.cpp: how many frames SwapBuffers has presented.
std::uint32_t PresentedFrames();

// Replay.cpp: in replay mode (the page's ?seed=N&step-ms=S), puts the seed into the generator
// and sets the clock to 0 ms; the window's creation calls it, right after the program seeded the
// generator from the clock. Does nothing otherwise.
void StartReplay();
// Replay.cpp: in replay mode, moves the clock on by one step; each frame of the loop begins with
// its one PeekMessageA, which calls this.
void NextReplayFrame();
// Replay.cpp: in replay mode, the frame whose picture the page keeps (the page's &frame=K), or 0.
std::uint32_t ReplayFrameToKeep();

} // namespace web
