// The end of the process.
//
// Implements ExitProcess.
// Reproduces: the process ends at once with the code, without the program's own exit-time
// destructors, and a temporary display-mode change is undone first.
// Leaves out: DLL notifications and other threads (there are none).
#include <cstdio>
#include <cstdlib>

#include "platform/Layer.h"

extern "C" void WINAPI ExitProcess(UINT exitCode) {
    platform::RestoreDisplayMode();
    std::fflush(nullptr);
    std::_Exit(static_cast<int>(exitCode));
}
