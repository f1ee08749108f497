// particles-capture's entry: options, the headless defaults, the run.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "capture/Capture.h"
#include "real/FloatEnv.h"

int main(int argc, char** argv) {
    SetFloatEnvironment();
    capture::Options options;
    std::string error;
    switch (capture::ParseOptions(argc, argv, options, error)) {
    case capture::Parsed::Help:
        std::fputs(capture::Usage(), stdout);
        return 0;
    case capture::Parsed::Error:
        std::fprintf(stderr, "particles-capture: %s\n%s", error.c_str(), capture::Usage());
        return 2;
    case capture::Parsed::Run:
        break;
    }
    // Headless unless told otherwise; message boxes would wait for a click nobody can give.
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("PARTICLES_DIALOGS", "stderr", 0);
    capture::RemoveTemporariesOnSignals();
    return capture::Run(options);
}
