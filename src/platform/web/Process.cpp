// The end of the program, in the page.
//
// Implements ExitProcess.
// Reproduces: the program ends at once with the code, without the program's own exit-time
// destructors; the page shows the end (Module.onExit) and the console has
// "particles: exit code N". The end of main comes the same way: the page runs main and reports
// what it returns.
// Leaves out: DLL notifications and other threads (there are none).
#include <emscripten/emscripten.h>

#include <cstdlib>

#include "platform/web/Host.h"

extern "C" {

void WINAPI ExitProcess(UINT exitCode) {
    // Ends the runtime whatever keeps it alive (the sleeping frame loop): Module.onExit reports.
    emscripten_force_exit(static_cast<int>(exitCode));
    std::abort(); // not reached
}

} // extern "C"
