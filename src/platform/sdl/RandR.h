// Reading and putting back the display modes over an X connection, with RandR: for the layer
// (X11.cpp) and for the display guard (GuardMain.cpp).
#pragma once

#include <X11/Xlib.h>

#include "platform/sdl/SavedModes.h"

namespace platform {

// The screen and its active CRTCs as they are now; false when RandR tells nothing.
bool ReadModes(Display* display, SavedModes& modes);
// Puts the screen and the CRTCs back as `modes` has them, and waits for the server to have done
// it. X errors go to the connection's error handler.
void PutModesBack(Display* display, const SavedModes& modes);

} // namespace platform
