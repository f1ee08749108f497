// The program's entry point: sets the floating-point environment the simulation relies on, runs
// WinMain once, then the process ends with exit code 0.
#include "main/DMain.h"
#include "real/FloatEnv.h"

#ifdef _WIN32

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    SetFloatEnvironment();
    program::WinMain();
    return 0;
}

#else

int main() {
    SetFloatEnvironment();
    program::WinMain();
    return 0;
}

#endif
