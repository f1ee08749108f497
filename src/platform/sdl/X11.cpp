// The X server's failures, under SDL's x11 driver.
//
// Reproduces what a Windows program can count on and an X client cannot: a window that another
// client destroys ends as a closed window does (DestroyWindow's messages, then the program's own
// end); a request the server refuses (a window that is gone, a context or drawable the driver
// will not make) is a failed call, never the end of the process through Xlib's default handler;
// a lost connection ends the process at once with exit code 0, a message, and the display mode
// put back over a connection of the layer's own, as Windows puts it back for any process that
// ends. The modes read over that connection before the first switch are the display guard's
// (Guard.cpp), which puts them back for every other end.
// Xwayland's modes are only emulated: a switch there changes the mode for the program's own
// connection alone, so there is nothing to remember, guard or put back (OnXwayland tells).
// Leaves out: other video drivers (Wayland changes no mode), and restoring on a server that has
// gone away.
#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/sdl/Layer.h"
#include "platform/sdl/RandR.h"

namespace {

struct X11State {
    bool watching = false;
    std::vector<unsigned long> lost; // X windows gone behind the program's back
    Display* own = nullptr;          // the layer's connection, for the modes
    bool remembered = false;
    int xwayland = -1;          // unknown until asked
    platform::SavedModes modes; // as they were before the first switch
};

X11State& X() {
    static X11State state;
    return state;
}

unsigned long XWindowOf(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) {
        return 0;
    }
    return info.info.x11.window;
}

void NoteLost(unsigned long window) {
    for (unsigned long w : X().lost) {
        if (w == window) {
            return;
        }
    }
    X().lost.push_back(window);
}

int OnError(Display* display, XErrorEvent* error) {
    // Once: a window that is gone draws a refusal every frame until the program has seen it go.
    static bool told = false;
    if (!told) {
        told = true;
        char text[160] = "";
        XGetErrorText(display, error->error_code, text, sizeof text);
        std::fprintf(stderr, "Win32 layer: the X server refused a request (%s); carrying on\n",
                     text);
    }
    if (error->error_code == BadWindow || error->error_code == BadDrawable) {
        NoteLost(error->resourceid);
    }
    return 0;
}

int IgnoreErrors(Display*, XErrorEvent*) {
    return 0;
}

int OwnConnectionLost(Display*) {
    _exit(0); // the server is gone: nothing left to restore
}

// Puts the remembered modes back over the layer's own connection, for a lost connection of SDL's.
void RestoreOverOwnConnection() {
    X11State& x = X();
    if (!x.own || !x.remembered) {
        return;
    }
    XSetErrorHandler(&IgnoreErrors);
    XSetIOErrorHandler(&OwnConnectionLost);
    platform::PutModesBack(x.own, x.modes);
    platform::ForgetX11Modes();
}

int OnConnectionLost(Display*) {
    std::fprintf(stderr, "Win32 layer: the connection to the X server was lost; ending\n");
    RestoreOverOwnConnection();
    std::fflush(nullptr);
    _exit(0); // Xlib ends the process if this returns; nothing more can be drawn
}

// The layer's own connection, opened on first use; null when the server cannot be reached.
Display* OwnConnection() {
    X11State& x = X();
    if (!x.own) {
        x.own = XOpenDisplay(nullptr);
    }
    return x.own;
}

// Xwayland names its outputs XWAYLAND0, XWAYLAND1, ... (it has no extension of its own to ask
// before version 23.1).
bool HasXwaylandOutputs(Display* d) {
    int ignored = 0;
    if (XQueryExtension(d, "XWAYLAND", &ignored, &ignored, &ignored)) {
        return true;
    }
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, DefaultRootWindow(d));
    if (!resources) {
        return false;
    }
    bool found = false;
    for (int i = 0; i < resources->noutput && !found; ++i) {
        XRROutputInfo* info = XRRGetOutputInfo(d, resources, resources->outputs[i]);
        found = info && std::strncmp(info->name, "XWAYLAND", 8) == 0;
        if (info) {
            XRRFreeOutputInfo(info);
        }
    }
    XRRFreeScreenResources(resources);
    return found;
}

} // namespace

namespace platform {

void WatchX11() {
    const char* driver = SDL_GetCurrentVideoDriver();
    if (X().watching || !driver || std::strcmp(driver, "x11") != 0) {
        return;
    }
    X().watching = true;
    // Replaces SDL's own handler, which restores modes from inside the handler and deadlocks.
    XSetErrorHandler(&OnError);
    XSetIOErrorHandler(&OnConnectionLost);
    SDL_EventState(SDL_SYSWMEVENT, SDL_ENABLE);
}

bool OnXwayland() {
    X11State& x = X();
    if (x.xwayland < 0) {
        Display* d = x.watching ? OwnConnection() : nullptr;
        x.xwayland = d && HasXwaylandOutputs(d) ? 1 : 0;
    }
    return x.xwayland == 1;
}

void RememberX11Modes() {
    X11State& x = X();
    if (!x.watching || x.remembered) {
        return; // a second switch keeps the desktop's modes of the first
    }
    if (!OwnConnection()) {
        return;
    }
    if (ReadModes(x.own, x.modes)) {
        x.remembered = true;
        StartModeGuard(x.modes);
    }
}

void ForgetX11Modes() {
    X().remembered = false;
    ReleaseModeGuard();
}

void NoteX11Event(const void* sdlEvent) {
    const auto* e = static_cast<const SDL_Event*>(sdlEvent);
    if (e->type == SDL_SYSWMEVENT && e->syswm.msg->subsystem == SDL_SYSWM_X11 &&
        e->syswm.msg->msg.x11.event.type == DestroyNotify) {
        NoteLost(e->syswm.msg->msg.x11.event.xdestroywindow.window);
    }
}

bool LostOnX11(SDL_Window* window) {
    if (X().lost.empty()) {
        return false;
    }
    const unsigned long id = XWindowOf(window);
    for (unsigned long w : X().lost) {
        if (w == id && id != 0) {
            return true;
        }
    }
    return false;
}

} // namespace platform
