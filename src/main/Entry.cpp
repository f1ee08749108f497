// The program's entry point: runs WinMain once, then the process ends with exit code 0.
#include "main/DMain.h"

#ifdef _WIN32

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    program::WinMain();
    return 0;
}

#else

int main() {
    program::WinMain();
    return 0;
}

#endif
