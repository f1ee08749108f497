// Test entry: headless by default (SDL's offscreen driver unless SDL_VIDEODRIVER names another),
// and message boxes only on stderr, so that no test waits for a click.
#include <cstdlib>

#include <gtest/gtest.h>

// Under the leak checker: SDL's D-Bus connection on X11 keeps a buffer for the life of the
// process, and Mesa's GLX (Debian 13's) one it allocates inside libGLX_mesa.so. (The OpenGL
// libraries stay loaded, so what they keep otherwise is still reachable.) Unused in builds
// without sanitizers.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\nleak:libGLX_mesa.so\n";
}

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("PARTICLES_DIALOGS", "stderr", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
