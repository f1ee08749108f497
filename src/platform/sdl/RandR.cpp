// Reading and putting back the display modes with RandR (see RandR.h).
#include "platform/sdl/RandR.h"

#include <X11/extensions/Xrandr.h>

namespace platform {

bool ReadModes(Display* d, SavedModes& modes) {
    const Window root = DefaultRootWindow(d);
    modes = SavedModes{};
    modes.width = DisplayWidth(d, DefaultScreen(d));
    modes.height = DisplayHeight(d, DefaultScreen(d));
    modes.widthMm = DisplayWidthMM(d, DefaultScreen(d));
    modes.heightMm = DisplayHeightMM(d, DefaultScreen(d));
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, root);
    if (!resources) {
        return false;
    }
    for (int i = 0; i < resources->ncrtc; ++i) {
        XRRCrtcInfo* info = XRRGetCrtcInfo(d, resources, resources->crtcs[i]);
        if (info && info->mode != None) {
            SavedCrtc crtc;
            crtc.id = resources->crtcs[i];
            crtc.mode = info->mode;
            crtc.x = info->x;
            crtc.y = info->y;
            crtc.rotation = info->rotation;
            crtc.outputs.assign(info->outputs, info->outputs + info->noutput);
            modes.crtcs.push_back(crtc);
        }
        if (info) {
            XRRFreeCrtcInfo(info);
        }
    }
    XRRFreeScreenResources(resources);
    return !modes.crtcs.empty();
}

void PutModesBack(Display* d, const SavedModes& modes) {
    const Window root = DefaultRootWindow(d);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(d, root);
    if (resources) {
        // The screen first, in case it was shrunk with the mode: the old mode has to fit in it.
        // (A connection's idea of the screen size dates from its start, so it is not asked.)
        XRRSetScreenSize(d, root, modes.width, modes.height, modes.widthMm, modes.heightMm);
        for (const SavedCrtc& c : modes.crtcs) {
            std::vector<RROutput> outputs(c.outputs.begin(), c.outputs.end());
            XRRSetCrtcConfig(d, resources, c.id, CurrentTime, c.x, c.y, c.mode,
                             static_cast<Rotation>(c.rotation), outputs.data(),
                             static_cast<int>(outputs.size()));
        }
        XRRFreeScreenResources(resources);
    }
    XSync(d, False);
}

} // namespace platform
