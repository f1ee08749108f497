// Display modes, in the page: the canvas stands for the display.
//
// Implements ChangeDisplaySettingsA.
// Reproduces: the display's one mode is the canvas's 1024 x 768 at 32 bits per pixel (24 is
// taken as the same mode, as Windows counts the padding byte); asking for it succeeds and
// changes nothing, and fields left out of dmFields keep its values; any other mode is
// DISP_CHANGE_BADMODE; a null record puts the desktop's mode back, which is always there.
// Leaves out: refresh rates, CDS_TEST and the other flags. The page's own full-screen mode is the
// browser's business (its menu or F11), never the program's.
#include "platform/web/Host.h"

namespace {

constexpr DWORD DisplayWidth = 1024;
constexpr DWORD DisplayHeight = 768;
constexpr DWORD DisplayBits = 32;

} // namespace

extern "C" {

LONG WINAPI ChangeDisplaySettingsA(DEVMODEA* mode, DWORD /*flags*/) {
    if (!mode) {
        return DISP_CHANGE_SUCCESSFUL;
    }
    const DWORD width = (mode->dmFields & DM_PELSWIDTH) ? mode->dmPelsWidth : DisplayWidth;
    const DWORD height = (mode->dmFields & DM_PELSHEIGHT) ? mode->dmPelsHeight : DisplayHeight;
    const DWORD bits = (mode->dmFields & DM_BITSPERPEL) ? mode->dmBitsPerPel : DisplayBits;
    if (width != DisplayWidth || height != DisplayHeight || (bits != 32 && bits != 24)) {
        return DISP_CHANGE_BADMODE;
    }
    return DISP_CHANGE_SUCCESSFUL;
}

} // extern "C"
