// The process: its end, its signals and its standard descriptors.
//
// Implements ExitProcess.
// Reproduces: the process ends at once with the code, without the program's own exit-time
// destructors, and a temporary display-mode change is undone first, as Windows undoes it for a
// process that ends.
// Besides, for a POSIX host: SIGINT, SIGTERM and SIGHUP ask the program to quit as closing its
// window does (the next PeekMessageA finds WM_QUIT); a second one, or any other signal that ends
// a process, has the display guard put the display mode back before the signal takes its course
// (SIGKILL, which no handler sees, leaves it to the guard alone). The handlers make only
// async-signal-safe calls: no Xlib, no SDL. SIGPIPE is ignored, so that a closed stderr costs a
// message, not the process. Descriptors 0 to 2, when closed at start, are opened on /dev/null
// before anything else can take them.
// Leaves out: DLL notifications and other threads (there are none).
#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "platform/sdl/Layer.h"

namespace {

volatile std::sig_atomic_t QuitAsked = 0;

void Install(int signal, void (*handler)(int), int flags) {
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

// The process ends on this signal: the display guard puts the mode back first (within 2 s), then
// the signal ends the process as it would have.
void OnFatalSignal(int signal) {
    platform::AbandonModeGuard();
    Install(signal, SIG_DFL, 0);
    raise(signal);
}

void OnQuitSignal(int signal) {
    if (QuitAsked) {
        OnFatalSignal(signal); // asked before and not heard: the program is stuck
    }
    QuitAsked = 1;
}

// Runs before the program's own initialisation, so that nothing takes descriptors 0 to 2 first.
// The layer's one start-up step outside the entry point: no call from main() could come before
// the static initialisers of SDL and the C++ library, which may open files.
__attribute__((constructor(101))) void PrepareProcess() {
    for (;;) {
        const int fd = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        if (fd < 0) {
            break;
        }
        if (fd > 2) {
            ::close(fd);
            break;
        }
        ::fcntl(fd, F_SETFD, 0); // a standard descriptor is inherited like any other
    }
    Install(SIGPIPE, SIG_IGN, 0);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
        Install(signal, &OnQuitSignal, SA_RESTART);
    }
}

} // namespace

namespace platform {

bool TakeQuitSignal() {
    const bool asked = QuitAsked != 0;
    QuitAsked = 0;
    return asked;
}

void GuardDisplayMode() {
    for (int signal : {SIGQUIT, SIGILL, SIGABRT, SIGFPE, SIGSEGV, SIGBUS, SIGTRAP, SIGSYS, SIGALRM,
                       SIGUSR1, SIGUSR2, SIGXCPU, SIGXFSZ, SIGVTALRM, SIGPROF}) {
        Install(signal, &OnFatalSignal, SA_RESETHAND | SA_NODEFER);
    }
}

} // namespace platform

extern "C" void WINAPI ExitProcess(UINT exitCode) {
    platform::RestoreDisplayMode();
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}
