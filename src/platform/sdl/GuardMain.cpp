// display-guard: puts the display modes back for a program that ended without doing it.
//
//   display-guard MODES...   (started by the Win32 layer, platform/Guard.cpp)
//
// MODES are the words of ModesToWords; descriptor 3 is the reading end of the program's pipe.
// When the program writes GuardReleased the guard ends at once; when the pipe closes without it,
// the guard restores the modes over an X connection of its own ($DISPLAY) and ends. Exit codes: 0
// released or restored, 1 nothing could be restored (no X server), 2 bad arguments.
#include <X11/Xlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/sdl/RandR.h"
#include "platform/sdl/SavedModes.h"

namespace {

constexpr int ProgramPipe = 3;

int IgnoreErrors(Display*, XErrorEvent*) {
    return 0; // a CRTC or mode that is gone: the rest is still put back
}

int ServerGone(Display*) {
    _exit(1);
}

} // namespace

int main(int argc, char** argv) {
    if (::fcntl(ProgramPipe, F_GETFD) < 0) {
        std::fprintf(stderr, "Win32 layer: display guard: no pipe from the program on descriptor "
                             "3; the guard is started by the program itself\n");
        return 2;
    }
    // The terminal's signals are the program's (the guard has a session of its own, and these
    // are ignored should it be started otherwise): the program restores and releases the guard.
    for (int signal : {SIGINT, SIGQUIT, SIGHUP, SIGPIPE}) {
        std::signal(signal, SIG_IGN);
    }
    platform::SavedModes modes;
    if (!platform::ModesFromWords(std::vector<std::string>(argv + 1, argv + argc), modes) ||
        modes.crtcs.empty()) {
        std::fprintf(stderr, "Win32 layer: display guard: started without display modes\n");
        return 2;
    }
    if (platform::AwaitProgram(ProgramPipe) == platform::GuardVerdict::Released) {
        return 0;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        return 1; // the X server went with the program: no desktop to restore
    }
    XSetErrorHandler(&IgnoreErrors);
    XSetIOErrorHandler(&ServerGone);
    platform::PutModesBack(display, modes);
    XCloseDisplay(display);
    std::fprintf(stderr, "Win32 layer: the program ended with the display mode switched; the "
                         "display guard put it back\n");
    return 0;
}
