// The failure seam of the Win32 layer, for tests only: make any call the program makes fail, force
// the answer of a display-mode change, and read back the message boxes.
//
// The seam wraps the layer's entry points at link time (ld --wrap, see tests/support/CMakeLists):
// a test program that links it calls the wrappers, which fail on demand and otherwise call the
// layer. The WGL calls, which the OpenGL binding looks up by name, are wrapped through
// GetProcAddress. The shipped program carries none of it.
#pragma once

#include <string>
#include <vector>

#include "platform/Win32.h"

namespace seam {

// The calls that a test can make fail: each then does nothing and returns what the real call
// returns on failure (0, FALSE, null or INVALID_HANDLE_VALUE).
#define PARTICLES_SEAM_APIS(X)                                                                     \
    X(RegisterClassA)                                                                              \
    X(UnregisterClassA)                                                                            \
    X(CreateWindowExA)                                                                             \
    X(DestroyWindow)                                                                               \
    X(ShowWindow)                                                                                  \
    X(GetDC)                                                                                       \
    X(ReleaseDC)                                                                                   \
    X(ChoosePixelFormat)                                                                           \
    X(SetPixelFormat)                                                                              \
    X(SwapBuffers)                                                                                 \
    X(wglCreateContext)                                                                            \
    X(wglMakeCurrent)                                                                              \
    X(wglDeleteContext)                                                                            \
    X(QueryPerformanceCounter)                                                                     \
    X(QueryPerformanceFrequency)                                                                   \
    X(CreateFileA)                                                                                 \
    X(ReadFile)                                                                                    \
    X(CloseHandle)                                                                                 \
    X(LoadLibraryA)

enum class Api {
#define PARTICLES_SEAM_ENUM(name) name,
    PARTICLES_SEAM_APIS(PARTICLES_SEAM_ENUM)
#undef PARTICLES_SEAM_ENUM
        Count
};

// From now on, `api` fails (or works again when `fail` is false).
void SetFailing(Api api, bool fail = true);

// What ChangeDisplaySettingsA answers to a request for a mode, instead of switching:
// DISP_CHANGE_SUCCESSFUL pretends the switch worked without touching the display.
// ClearDisplayChangeResult() goes back to real switching. A null record always restores.
void SetDisplayChangeResult(LONG result);
void ClearDisplayChangeResult();

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type;
};

// Every MessageBoxA since the last call, in order; the list is emptied.
std::vector<MessageBoxRecord> TakeMessageBoxes();
// The same as "caption: text" lines, with " (type N)" added to a box not of type `expected`.
std::vector<std::string> TakeMessages(UINT expected);

// Every call works again, no display answer is forced, the message-box list is empty.
void ResetSeam();

} // namespace seam
