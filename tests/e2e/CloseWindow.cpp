// Asks a top-level X window to close the way a window manager's close box does: sends it the
// WM_DELETE_WINDOW message of the WM_PROTOCOLS protocol. Xvfb runs no window manager. Or does
// what a hostile client does: destroys the window itself, or cuts its owner's connection.
//
//   close-window [--destroy | --kill] WINDOW-ID   (decimal or 0x hexadecimal, as xdotool prints)
#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>
#include <string>

int main(int argc, char** argv) {
    const std::string how = argc == 3 ? argv[1] : "";
    if ((argc != 2 && argc != 3) || (argc == 3 && how != "--destroy" && how != "--kill")) {
        std::fprintf(stderr, "usage: close-window [--destroy | --kill] WINDOW-ID\n");
        return 2;
    }
    char* rest = nullptr;
    const unsigned long window = std::strtoul(argv[argc - 1], &rest, 0);
    if (window == 0 || *rest != '\0') {
        std::fprintf(stderr, "close-window: '%s' is not a window id\n", argv[argc - 1]);
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "close-window: cannot open the display\n");
        return 1;
    }
    if (how == "--destroy") {
        XDestroyWindow(display, window);
    } else if (how == "--kill") {
        XKillClient(display, window);
    }
    if (!how.empty()) {
        XSync(display, False);
        XCloseDisplay(display);
        return 0;
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
