// The display guard: the saved modes as its arguments, its wait on the program's pipe, the guard
// executable's ends (the build copies it beside this test), and the layer starting and releasing
// it around a switch (x11 driver only).
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "PlatformTestSupport.h"
#include "platform/sdl/SavedModes.h"

// After GoogleTest: Xlib's macros (None, Bool) would rename its declarations.
#include "platform/sdl/RandR.h"

extern char** environ;

namespace {

using platform::GuardVerdict;
using platform::SavedCrtc;
using platform::SavedModes;

SavedModes TwoCrtcs() {
    SavedModes modes;
    modes.width = 2304;
    modes.height = 1024;
    modes.widthMm = 609;
    modes.heightMm = 270;
    SavedCrtc left;
    left.id = 63;
    left.mode = 0xffffffffUL; // the largest X id
    left.x = -1024;
    left.y = 0;
    left.rotation = 1;
    left.outputs = {64, 65};
    SavedCrtc right;
    right.id = 70;
    right.mode = 71;
    right.x = 0;
    right.y = 256;
    right.rotation = 8;
    modes.crtcs = {left, right}; // the second with no output
    return modes;
}

bool SameModes(const SavedModes& a, const SavedModes& b) {
    if (a.width != b.width || a.height != b.height || a.widthMm != b.widthMm ||
        a.heightMm != b.heightMm || a.crtcs.size() != b.crtcs.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.crtcs.size(); ++i) {
        const SavedCrtc &x = a.crtcs[i], &y = b.crtcs[i];
        if (x.id != y.id || x.mode != y.mode || x.x != y.x || x.y != y.y ||
            x.rotation != y.rotation || x.outputs != y.outputs) {
            return false;
        }
    }
    return true;
}

TEST(GuardWords, CarryTheModesThrough) {
    const SavedModes modes = TwoCrtcs();
    SavedModes back;
    ASSERT_TRUE(platform::ModesFromWords(platform::ModesToWords(modes), back));
    EXPECT_TRUE(SameModes(modes, back));
}

TEST(GuardWords, RefuseWhatTheLayerDoesNotWrite) {
    const std::vector<std::string> good = platform::ModesToWords(TwoCrtcs());
    SavedModes back;
    auto refused = [&](std::vector<std::string> words) {
        return !platform::ModesFromWords(words, back);
    };
    EXPECT_TRUE(refused({}));
    EXPECT_TRUE(refused(std::vector<std::string>(good.begin(), good.end() - 1))); // cut short
    std::vector<std::string> words = good;
    words.push_back("1");
    EXPECT_TRUE(refused(words)); // a word too many
    for (const char* bad : {"", "+2304", "2304x", "0x900", "1e3", "-", "99999999999999999999"}) {
        words = good;
        words[0] = bad;
        EXPECT_TRUE(refused(words)) << "width '" << bad << "'";
    }
    words = good;
    words[0] = "0";
    EXPECT_TRUE(refused(words)); // no screen
    words = good;
    words[5] = "0";
    EXPECT_TRUE(refused(words)); // CRTC id None
    words = good;
    words[6] = "4294967296";
    EXPECT_TRUE(refused(words)); // beyond an X id
    // A count far beyond any server's is refused before anything is made for it.
    EXPECT_TRUE(refused({"1", "1", "0", "0", "1000000000"}));
    EXPECT_TRUE(refused({"1", "1", "0", "0", "1", "5", "6", "0", "0", "1", "1000000000"}));
}

struct Pipe {
    int read = -1, write = -1;
    Pipe() {
        int fds[2];
        EXPECT_EQ(::pipe2(fds, O_CLOEXEC), 0);
        read = ::fcntl(fds[0], F_DUPFD_CLOEXEC, 10); // never 3, which dup2 would leave closing
        ::close(fds[0]);
        write = fds[1];
    }
    void CloseWrite() {
        if (write >= 0) {
            ::close(write);
        }
        write = -1;
    }
    ~Pipe() {
        CloseWrite();
        ::close(read);
    }
};

TEST(GuardPipe, ReleasedAtOnceAbandonedWhenItClosesWithoutTheWord) {
    {
        Pipe pipe;
        ASSERT_EQ(::write(pipe.write, "xR", 2), 2);
        EXPECT_EQ(platform::AwaitProgram(pipe.read), GuardVerdict::Released); // still open
    }
    {
        Pipe pipe;
        pipe.CloseWrite();
        EXPECT_EQ(platform::AwaitProgram(pipe.read), GuardVerdict::Abandoned);
    }
    {
        Pipe pipe;
        ASSERT_EQ(::write(pipe.write, "r?\n", 3), 3);
        pipe.CloseWrite();
        EXPECT_EQ(platform::AwaitProgram(pipe.read), GuardVerdict::Abandoned);
    }
    EXPECT_EQ(platform::AwaitProgram(-1), GuardVerdict::Abandoned);
}

std::string Beside(const char* name) {
    char self[4096];
    const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
    std::string path(self, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + name;
}

const std::string GuardPath = Beside("display-guard");

// Starts the guard with `words`, the pipe's reading end on descriptor 3 unless `noPipe`; `end`
// then does the program's part. The guard's exit status, or -1 when it did not end within 5 s.
template <typename End> int RunGuard(const std::vector<std::string>& words, bool noPipe, End end) {
    Pipe pipe;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (noPipe) {
        posix_spawn_file_actions_addclose(&actions, 3); // whatever this process was given there
    } else {
        posix_spawn_file_actions_adddup2(&actions, pipe.read, 3);
    }
    std::vector<std::string> args = words;
    std::vector<char*> argv{const_cast<char*>(GuardPath.c_str())};
    for (std::string& word : args) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned =
        posix_spawn(&pid, GuardPath.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << GuardPath;
    if (spawned != 0) {
        return -1;
    }
    end(pipe);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    int status = 0;
    while (waitpid(pid, &status, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        usleep(10000);
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The writing end stays open until the guard has ended: it has to end on the word alone.
void Release(Pipe& pipe) {
    ASSERT_EQ(::write(pipe.write, &platform::GuardReleased, 1), 1);
}

void Die(Pipe& pipe) {
    pipe.CloseWrite();
}

TEST(GuardExecutable, EndsAtOnceWhenReleasedAndRefusesToRunWithoutItsInputs) {
    const std::vector<std::string> words = platform::ModesToWords(TwoCrtcs());
    EXPECT_EQ(RunGuard(words, false, &Release), 0);
    EXPECT_EQ(RunGuard({"1", "2"}, false, &Die), 2);
    EXPECT_EQ(RunGuard(words, true, &Die), 2); // not started by a program
}

TEST(GuardExecutable, AbandonedWithoutAnXServerEndsWithNothingRestored) {
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    setenv("DISPLAY", ":9999", 1); // no server there
    EXPECT_EQ(RunGuard(platform::ModesToWords(TwoCrtcs()), false, &Die), 1);
    if (display.empty()) {
        unsetenv("DISPLAY");
    } else {
        setenv("DISPLAY", display.c_str(), 1);
    }
}

bool OnX11() {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    return driver && std::strcmp(driver, "x11") == 0 && std::getenv("DISPLAY");
}

TEST(GuardExecutable, AbandonedPutsTheModesBackOnTheServer) {
    if (!OnX11()) {
        GTEST_SKIP() << "needs an X server";
    }
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    SavedModes now;
    ASSERT_TRUE(platform::ReadModes(display, now));
    XCloseDisplay(display);
    EXPECT_EQ(RunGuard(platform::ModesToWords(now), false, &Die), 0);
}

// The live children of this process that run the guard.
std::vector<pid_t> GuardChildren() {
    std::vector<pid_t> found;
    DIR* proc = opendir("/proc");
    while (dirent* entry = proc ? readdir(proc) : nullptr) {
        const pid_t pid = static_cast<pid_t>(std::atoi(entry->d_name));
        char exe[4096];
        const std::string base = std::string("/proc/") + entry->d_name;
        const ssize_t length = ::readlink((base + "/exe").c_str(), exe, sizeof exe - 1);
        if (pid <= 0 || length <= 0 || std::string(exe, length) != GuardPath) {
            continue;
        }
        // "PID (NAME) STATE PPID ..."
        char stat[512] = "";
        const int fd = ::open((base + "/stat").c_str(), O_RDONLY);
        const ssize_t got = fd >= 0 ? ::read(fd, stat, sizeof stat - 1) : 0;
        if (fd >= 0) {
            ::close(fd);
        }
        const char* after = got > 0 ? std::strrchr(stat, ')') : nullptr;
        int parent = 0;
        char state = 0;
        if (after && std::sscanf(after, ") %c %d", &state, &parent) == 2 && parent == getpid()) {
            found.push_back(pid);
        }
    }
    if (proc) {
        closedir(proc);
    }
    return found;
}

using GuardedSwitch = platformtest::PlatformTest;

TEST_F(GuardedSwitch, OneGuardFromTheFirstSwitchUntilTheRestore) {
    if (!OnX11()) {
        GTEST_SKIP() << "needs the x11 driver";
    }
    ASSERT_TRUE(platform::StartVideo());
    SDL_DisplayMode current{};
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &current), 0);
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = static_cast<DWORD>(current.w);
    mode.dmPelsHeight = static_cast<DWORD>(current.h);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    EXPECT_TRUE(GuardChildren().empty());
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    const std::vector<pid_t> first = GuardChildren();
    EXPECT_EQ(first.size(), 1u);
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    EXPECT_EQ(GuardChildren(), first);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_TRUE(GuardChildren().empty());
    for (pid_t pid : first) {
        EXPECT_NE(::access(("/proc/" + std::to_string(pid)).c_str(), F_OK), 0)
            << "the released guard was not reaped";
    }
}

} // namespace
