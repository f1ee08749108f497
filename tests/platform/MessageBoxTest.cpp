// Message boxes: with PARTICLES_DIALOGS=stderr written to stderr alone, as "caption: text" (a
// missing caption reads "Error", as on Windows); otherwise real dialogs.
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#include "platform/Win32.h"

TEST(MessageBoxes, WrittenToStderrAndAnsweredAtOnce) {
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxA(nullptr, "Не могу удалить окно", "Ошибка", MB_ICONERROR), IDOK);
    EXPECT_EQ(MessageBoxA(nullptr, "Continue?", nullptr, MB_OK), IDOK);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "Ошибка: Не могу удалить окно\n"
                                                      "Error: Continue?\n");
}

// Without the stderr setting the box is a real dialog. Where none can be shown (no display
// server), it answers at once; on an X server it waits for the user, here xdotool pressing
// Escape.
class RealDialogs : public ::testing::Test {
  protected:
    void SetUp() override { unsetenv("PARTICLES_DIALOGS"); }
    void TearDown() override { setenv("PARTICLES_DIALOGS", "stderr", 1); }
};

TEST_F(RealDialogs, AnswerAtOnceWhereNoDialogCanBeShown) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            unsetenv("DISPLAY");
            unsetenv("WAYLAND_DISPLAY");
            std::exit(MessageBoxA(nullptr, "Nowhere to show", "Headless", MB_OK) == IDOK ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "Headless: Nowhere to show");
}

TEST_F(RealDialogs, WaitForTheUserOnAnXServer) {
    const char* driver = std::getenv("SDL_VIDEODRIVER");
    if (!driver || std::strcmp(driver, "x11") != 0 || !std::getenv("DISPLAY") ||
        std::system("command -v xdotool xwininfo >/dev/null") != 0) {
        GTEST_SKIP() << "needs the x11 driver, xdotool and xwininfo";
    }
    // Finds the dialog by its caption (xwininfo: SDL names it in a type xdotool does not
    // read), gives it the focus and presses Escape; gives up after 10 s.
    ASSERT_EQ(std::system("(for i in $(seq 100); do"
                          " w=$(xwininfo -root -tree | grep '\"PlatformDialog\"' |"
                          " awk '{print $1}' | head -n1);"
                          " if [ -n \"$w\" ]; then xdotool windowfocus --sync $w key Escape;"
                          " break; fi; sleep 0.1; done) >/dev/null 2>&1 &"),
              0);
    EXPECT_EQ(MessageBoxA(nullptr, "Press Escape", "PlatformDialog", MB_ICONERROR), IDOK);
}
