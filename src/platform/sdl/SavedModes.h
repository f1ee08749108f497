// The display modes to put back, and the display guard's side of its pipe to the program: what
// the layer hands the guard (platform/Guard.cpp) and what the guard (GuardMain.cpp) reads. Free
// of X and SDL, so that the guard keeps nothing of the program's state.
#pragma once

#include <string>
#include <vector>

namespace platform {

// One RandR CRTC as it was before the switch.
struct SavedCrtc {
    unsigned long id = 0, mode = 0;
    int x = 0, y = 0;
    unsigned rotation = 0;
    std::vector<unsigned long> outputs;
};

// The screen and its CRTCs as they were before the switch.
struct SavedModes {
    int width = 0, height = 0, widthMm = 0, heightMm = 0;
    std::vector<SavedCrtc> crtcs;
};

// The modes as the guard's arguments: the screen's four sizes, the CRTC count, then for each its
// id, mode, x, y, rotation, output count and outputs, all decimal.
std::vector<std::string> ModesToWords(const SavedModes& modes);
// The reverse; false (and `modes` unspecified) for anything ModesToWords does not make.
bool ModesFromWords(const std::vector<std::string>& words, SavedModes& modes);

// The one byte the program writes to the guard's pipe once it has put the modes back itself.
constexpr char GuardReleased = 'R';

enum class GuardVerdict {
    Released,  // the program put the modes back: nothing to do
    Abandoned, // the pipe closed (or failed) without that: the program is gone, modes to restore
};

// Reads the guard's end of the pipe until the program releases it or the pipe closes; other
// bytes are ignored.
GuardVerdict AwaitProgram(int fd);

} // namespace platform
