// The display's facts as the program counts them: which video drivers show on a screen, and the
// bits per pixel of a mode's pixel format.
#include <gtest/gtest.h>
#include <SDL.h>

#include "platform/display_modes.h"

namespace {

TEST(DisplayModes, TwentyFourColourBitsInFourBytesCountAsThirtyTwo) {
    const struct {
        const char* name;
        uint32_t format;
        int bits;
    } cases[] = {
        {"RGB888 (X11 depth 24)", SDL_PIXELFORMAT_RGB888, 32},
        {"BGR888", SDL_PIXELFORMAT_BGR888, 32},
        {"ARGB8888", SDL_PIXELFORMAT_ARGB8888, 32},
        {"RGB24, three bytes", SDL_PIXELFORMAT_RGB24, 24},
        {"RGB565", SDL_PIXELFORMAT_RGB565, 16},
        {"INDEX8", SDL_PIXELFORMAT_INDEX8, 8},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ModeBitsPerPixel(c.format), c.bits);
    }
}

TEST(DisplayModes, OnlyDriversWithAScreenCount) {
    const struct {
        const char* driver;
        bool shows;
    } cases[] = {
        {"x11", true}, {"wayland", true}, {"windows", true},
        {"offscreen", false}, {"dummy", false}, {"evdev", false}, {"", false}, {nullptr, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.driver ? c.driver : "(none)");
        EXPECT_EQ(VideoDriverShowsOnScreen(c.driver), c.shows);
    }
}

} // namespace
