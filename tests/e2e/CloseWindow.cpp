// Asks a top-level X window to close the way a window manager's close box does: sends it the
// WM_DELETE_WINDOW message of the WM_PROTOCOLS protocol. Xvfb runs no window manager, and
// destroying the window from outside (xdotool windowclose) is not what a user's close does.
//
//   close-window WINDOW-ID      (decimal or 0x hexadecimal, as xdotool prints it)
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: close-window WINDOW-ID\n");
        return 2;
    }
    char* rest = nullptr;
    const unsigned long window = std::strtoul(argv[1], &rest, 0);
    if (window == 0 || *rest != '\0') {
        std::fprintf(stderr, "close-window: '%s' is not a window id\n", argv[1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "close-window: cannot open the display\n");
        return 1;
    }
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
    XCloseDisplay(display);
    return 0;
}
