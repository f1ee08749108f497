// Test entry: headless by default (SDL's offscreen driver unless SDL_VIDEODRIVER names another),
// and message boxes only on stderr, so that no test waits for a click.
#include <cstdlib>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("PARTICLES_DIALOGS", "stderr", 1);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
