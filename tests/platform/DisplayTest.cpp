// Display modes: exact matches only, full-screen pop-up windows in the switched mode, and the
// mode restored on request and at process exit.
#include <cstdlib>

#include "PlatformTestSupport.h"

namespace {

using platformtest::PlatformTest;
using platformtest::PopupStyle;

DEVMODEA Mode(DWORD width, DWORD height, DWORD bits) {
    DEVMODEA mode{};
    mode.dmSize = sizeof mode;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = bits;
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    return mode;
}

// The mode the display is in, which it always offers.
DEVMODEA CurrentMode() {
    SDL_DisplayMode mode{};
    EXPECT_TRUE(platform::StartVideo());
    EXPECT_EQ(SDL_GetDesktopDisplayMode(0, &mode), 0);
    return Mode(static_cast<DWORD>(mode.w), static_cast<DWORD>(mode.h),
                static_cast<DWORD>(SDL_BYTESPERPIXEL(mode.format) * 8));
}

using DisplayModes = PlatformTest;

TEST_F(DisplayModes, AbsentModeIsABadMode) {
    DEVMODEA mode = Mode(1234, 567, 32);
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    mode = CurrentMode();
    mode.dmBitsPerPel = 8;
    EXPECT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_BADMODE);
    // A refused switch leaves pop-up windows as they are.
    HWND window = Create(PopupStyle, 200, 100);
    EXPECT_FALSE(SDL_GetWindowFlags(Sdl(window)) & SDL_WINDOW_FULLSCREEN);
}

TEST_F(DisplayModes, PopupMadeInTheSwitchedModeCoversTheDisplayUntilRestored) {
    DEVMODEA mode = CurrentMode();
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN), DISP_CHANGE_SUCCESSFUL);
    HWND popup =
        Create(PopupStyle, static_cast<int>(mode.dmPelsWidth), static_cast<int>(mode.dmPelsHeight));
    HWND framed = Create();
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(SDL_GetWindowFlags(Sdl(popup)) & SDL_WINDOW_FULLSCREEN);
    EXPECT_FALSE(SDL_GetWindowFlags(Sdl(framed)) & SDL_WINDOW_FULLSCREEN);
    ShowWindow(popup, SW_SHOW);
    SDL_DisplayMode shown;
    ASSERT_EQ(SDL_GetWindowDisplayMode(Sdl(popup), &shown), 0);
    EXPECT_EQ(static_cast<DWORD>(shown.w), mode.dmPelsWidth);
    EXPECT_EQ(static_cast<DWORD>(shown.h), mode.dmPelsHeight);
    EXPECT_EQ(ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
    EXPECT_FALSE(SDL_GetWindowFlags(Sdl(popup)) & SDL_WINDOW_FULLSCREEN);
    EXPECT_TRUE(IsWindow(popup)); // restoring the mode leaves the window
}

// The exit path of a failed texture load: the process ends with code 1 while the display is
// switched. An exit-time check registered before the switch runs after the layer's own.
SDL_Window* ExitWindow = nullptr;

void CheckRestoredAtExit() {
    if (!ExitWindow || (SDL_GetWindowFlags(ExitWindow) & SDL_WINDOW_FULLSCREEN)) {
        std::_Exit(99);
    }
}

TEST_F(DisplayModes, ModeIsRestoredWhenTheProcessExits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::atexit(&CheckRestoredAtExit);
            DEVMODEA mode = CurrentMode();
            if (ChangeDisplaySettingsA(&mode, CDS_FULLSCREEN) != DISP_CHANGE_SUCCESSFUL) {
                std::_Exit(98);
            }
            HWND popup = Create(PopupStyle, static_cast<int>(mode.dmPelsWidth),
                                static_cast<int>(mode.dmPelsHeight));
            ShowWindow(popup, SW_SHOW);
            ExitWindow = Sdl(popup);
            if (!(SDL_GetWindowFlags(ExitWindow) & SDL_WINDOW_FULLSCREEN)) {
                std::_Exit(97);
            }
            std::exit(1);
        },
        ::testing::ExitedWithCode(1), "");
}

} // namespace
