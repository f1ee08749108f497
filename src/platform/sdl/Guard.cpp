// The display guard: a small process beside the program that puts the display modes back when
// the program ends without doing it itself, however it ends (SIGKILL included), as Windows does
// for a process that ends during a temporary mode change.
//
// The guard is its own executable, started from the directory of the program's (GuardName, next
// to /proc/self/exe), with the saved modes as arguments and the reading end of a pipe as
// descriptor 3; the program keeps the writing end. posix_spawn starts it, so nothing but exec
// runs in the child of a process that may have threads, and the guard inherits nothing else of
// the program: no X connection, SDL or OpenGL state, no other descriptor. A normal restore writes
// GuardReleased and the guard ends at once; when the pipe closes without it, the program is gone
// and the guard restores the modes over an X connection of its own. Without the guard (not
// installed, or not startable) the program says so and runs as before.
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/sdl/Layer.h"
#include "platform/sdl/SavedModes.h"

extern char** environ;

namespace {

// Not named after the program, so that `pkill -9 particles` aimed at a hung program spares it.
constexpr const char* GuardName = "display-guard";

// Read by signal handlers, hence sig_atomic_t; 0 and -1 when no guard runs.
volatile std::sig_atomic_t GuardPid = 0;
volatile std::sig_atomic_t GuardFd = -1;

std::string GuardPath() {
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return GuardName; // not found; the spawn says so
    }
    std::string path(self, static_cast<std::size_t>(length));
    return path.substr(0, path.rfind('/') + 1) + GuardName;
}

void SleepBriefly() {
    const timespec tenMs = {0, 10 * 1000 * 1000};
    nanosleep(&tenMs, nullptr);
}

// Waits up to `tries` × 10 ms for the guard to end, and reaps it. Async-signal-safe.
void AwaitGuard(pid_t pid, int tries) {
    for (int i = 0; i < tries; ++i) {
        int status = 0;
        const pid_t got = waitpid(pid, &status, WNOHANG);
        if (got == pid || (got < 0 && errno != EINTR)) {
            return;
        }
        SleepBriefly();
    }
}

} // namespace

namespace platform {

bool StartModeGuard(const SavedModes& modes) {
    if (GuardPid > 0) {
        return true;
    }
    const std::string path = GuardPath();
    std::vector<std::string> words = ModesToWords(modes);
    std::vector<char*> argv{const_cast<char*>(path.c_str())};
    for (std::string& word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        std::fprintf(stderr, "Win32 layer: no pipe for the display guard (%s)\n",
                     std::strerror(errno));
        return false;
    }
    if (fds[0] == 3) { // dup2 onto itself would keep close-on-exec
        const int moved = ::fcntl(fds[0], F_DUPFD_CLOEXEC, 4);
        ::close(fds[0]);
        fds[0] = moved;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[0], 3);
#if defined(__GLIBC__) && (__GLIBC__ > 2 || __GLIBC_MINOR__ >= 34)
    posix_spawn_file_actions_addclosefrom_np(&actions, 4);
#endif
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes, &none);
    // A session of its own: what is sent to the program's process group (Ctrl+C, a hang-up, a
    // kill of the whole group) does not reach the guard, which ends with its pipe instead.
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSID);
    pid_t pid = 0;
    const int failed =
        fds[0] < 0 ? errno
                   : posix_spawn(&pid, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (fds[0] >= 0) {
        ::close(fds[0]);
    }
    if (failed != 0) {
        ::close(fds[1]);
        std::fprintf(stderr,
                     "Win32 layer: cannot start the display guard %s (%s); the display mode will "
                     "not come back if the program is killed or crashes\n",
                     path.c_str(), std::strerror(failed));
        return false;
    }
    GuardFd = fds[1];
    GuardPid = pid;
    return true;
}

void ReleaseModeGuard() {
    const pid_t pid = GuardPid;
    const int fd = GuardFd;
    if (pid <= 0) {
        return;
    }
    GuardPid = 0; // first, so that a signal handler now finds nothing to do
    GuardFd = -1;
    const char released = GuardReleased;
    while (::write(fd, &released, 1) < 0 && errno == EINTR) {
    }
    ::close(fd);
    AwaitGuard(pid, 100);
}

void AbandonModeGuard() {
    const int savedErrno = errno;
    const pid_t pid = GuardPid;
    const int fd = GuardFd;
    if (pid > 0) {
        GuardPid = 0;
        GuardFd = -1;
        ::close(fd);          // the guard's read ends: it puts the modes back and ends
        AwaitGuard(pid, 200); // so that the modes are back before the process ends
    }
    errno = savedErrno;
}

} // namespace platform
