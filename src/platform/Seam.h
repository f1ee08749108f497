// The test seam of the Win32 layer: make any call fail, read back the message boxes.
//
// Tests only. The program never includes this header.
#pragma once

#include <string>
#include <vector>

#include "platform/Win32.h"

namespace platform {

// The calls that a test can make fail. A failing call does nothing and returns what the real one
// returns on failure (0, FALSE, null or INVALID_HANDLE_VALUE).
enum class Api {
    RegisterClassA,
    UnregisterClassA,
    CreateWindowExA,
    DestroyWindow,
    ShowWindow,
    GetDC,
    ReleaseDC,
    ChoosePixelFormat,
    SetPixelFormat,
    DescribePixelFormat,
    SwapBuffers,
    wglCreateContext,
    wglMakeCurrent,
    wglDeleteContext,
    QueryPerformanceCounter,
    QueryPerformanceFrequency,
    CreateFileA,
    ReadFile,
    CloseHandle,
    LoadLibraryA,
    Count
};

// From now on, `api` fails (or works again when `fail` is false).
void SetFailing(Api api, bool fail = true);

// What ChangeDisplaySettingsA answers to a request for a mode, instead of switching: for example
// DISP_CHANGE_FAILED or DISP_CHANGE_BADMODE. DISP_CHANGE_SUCCESSFUL pretends the switch worked
// without touching the display. ClearDisplayChangeResult() goes back to real switching.
void SetDisplayChangeResult(LONG result);
void ClearDisplayChangeResult();

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    UINT type;
};

// Every MessageBoxA since the last call, in order; the list is emptied.
std::vector<MessageBoxRecord> TakeMessageBoxes();

// Every call works again, no display result is forced, the message-box list is empty.
void ResetSeam();

} // namespace platform
