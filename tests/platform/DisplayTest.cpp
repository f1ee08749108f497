// Display modes: exact matches only, full-screen pop-up windows in the switched mode, and the
// mode restored on request and at process exit.
#include <cstdlib>

#include "platform/sdl/Layer.h"

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

// A presented mode fills the output as a monitor shows it: inside, centred, one side filling the
// output, the other keeping the mode's aspect to the pixel.
TEST(PresentedModes, FrameFillsTheOutputWithItsAspectKept) {
    const int sizes[][2] = {{1024, 768}, {640, 480}, {1280, 1024}, {800, 600}, {1, 1}};
    const int outputs[][2] = {{1920, 1080}, {1280, 1024}, {1024, 768}, {3840, 2160},
                              {1080, 1920}, {2560, 1080}, {1, 1},      {3, 1000}};
    for (const auto& m : sizes) {
        for (const auto& o : outputs) {
            const platform::FrameRect r = platform::FitFrame(m[0], m[1], o[0], o[1]);
            SCOPED_TRACE(::testing::Message()
                         << m[0] << "x" << m[1] << " on " << o[0] << "x" << o[1]);
            EXPECT_GE(r.x, 0);
            EXPECT_GE(r.y, 0);
            EXPECT_LE(r.x + r.width, o[0]);
            EXPECT_LE(r.y + r.height, o[1]);
            EXPECT_LE(std::abs((o[0] - r.width - r.x) - r.x), 1);
            EXPECT_LE(std::abs((o[1] - r.height - r.y) - r.y), 1);
            EXPECT_TRUE(r.width == o[0] || r.height == o[1]);
            const double aspect = static_cast<double>(m[0]) / m[1];
            if (r.width == o[0] && r.height != o[1]) {
                EXPECT_NEAR(r.height, r.width / aspect, 1.0);
            } else if (r.height == o[1] && r.width != o[0]) {
                EXPECT_NEAR(r.width, r.height * aspect, 1.0);
            }
        }
    }
    const platform::FrameRect wide = platform::FitFrame(1024, 768, 1920, 1080);
    EXPECT_EQ(wide.x, 240);
    EXPECT_EQ(wide.width, 1440);
}

} // namespace
