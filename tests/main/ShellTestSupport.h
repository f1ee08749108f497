// Shared set-up of the shell tests: a clean slate of globals and seam before and after each test,
// and readable views of message boxes, the message queue and the cursor.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include <gtest/gtest.h>

#include "UserInput.h"
#include "Win32Seam.h"
#include "engine/DEngine.h"
#include "engine/DInput.h"
#include "gl/GL.h"
#include "main/DMain.h"
#include "main/DWindow.h"

namespace shelltest {

// Virtual-key codes of letter keys are their capitals.
constexpr int KeyA = 'A';
constexpr int KeyB = 'B';

// Every message box since the last call as "caption: text"; each must be an error box.
inline std::vector<std::string> Messages() {
    return seam::TakeMessages(MB_ICONERROR);
}

// Takes every pending message off the thread's queue; returns the exit codes of the quit
// messages among them.
inline std::vector<WPARAM> DrainQueue() {
    std::vector<WPARAM> quits;
    for (const MSG& message : userinput::DrainQueue()) {
        if (message.message == WM_QUIT) {
            quits.push_back(message.wParam);
        }
    }
    return quits;
}

// The cursor's display counter: 0 while shown as at start, negative while hidden.
inline int CursorCount() {
    const int count = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    return count;
}

inline void ResetCursor() {
    int count = ShowCursor(TRUE);
    while (count < 0) {
        count = ShowCursor(TRUE);
    }
    while (count > 0) {
        count = ShowCursor(FALSE);
    }
}

inline void ResetGlobals() {
    Fullscreen = true;
    WindowHandle = nullptr;
    DeviceContext = nullptr;
    RenderingContext = nullptr;
    Running = true;
    UpdateInterval = 30;
    CurrentTime = 0.0f;
    std::memset(Keys, 0, sizeof Keys);
}

// Every test starts windowless with the defaults; a full-screen switch is pretended to succeed
// so that no test changes the display mode.
class ShellTest : public ::testing::Test {
  protected:
    void SetUp() override {
        seam::ResetSeam();
        gl::ResetTable();
        ResetGlobals();
        ResetCursor();
        DrainQueue();
        seam::SetDisplayChangeResult(DISP_CHANGE_SUCCESSFUL);
    }

    void TearDown() override {
        seam::ResetSeam();
        seam::SetDisplayChangeResult(DISP_CHANGE_SUCCESSFUL);
        if (WindowHandle || DeviceContext || RenderingContext) {
            KillGLWindow();
        }
        for (HWND window : leaked_) {
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
        UnregisterClassA("OpenGL", GetModuleHandleA(nullptr));
        seam::ResetSeam();
        gl::ResetTable();
        ResetGlobals();
        ResetCursor();
        DrainQueue();
    }

    // A window that a test leaves behind on purpose (its destruction was made to fail).
    void Leak(HWND window) { leaked_.push_back(window); }

    // The scene reads DATA\Textures relative to the current directory.
    static void EnterDataDirectory() { ASSERT_EQ(chdir(PARTICLES_DATA_PARENT), 0); }

    // Creates the window, expecting success and silence.
    void CreateWindowOk() {
        ASSERT_TRUE(CreateGLWindow());
        ASSERT_EQ(Messages(), std::vector<std::string>{});
        ASSERT_NE(WindowHandle, nullptr);
    }

  private:
    std::vector<HWND> leaked_;
};

} // namespace shelltest
