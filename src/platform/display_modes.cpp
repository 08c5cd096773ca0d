// The display's own facts through SDL: the same calls read XRandR on X11, the display settings
// on Windows, and the compositor's outputs on Wayland.
#include "platform/display_modes.h"

#include <SDL.h>

#include <cstring>

namespace {
constexpr int primaryDisplay = 0;
constexpr int wordBytes = 4;
constexpr int wordBits = 32;
const char* const driversWithAScreen[] = {"x11", "wayland", "windows"};
} // namespace

bool VideoDriverShowsOnScreen(const char* driverName) {
    if (!driverName) return false;
    for (const char* name : driversWithAScreen)
        if (std::strcmp(driverName, name) == 0) return true;
    return false;
}

int ModeBitsPerPixel(uint32_t pixelFormat) {
    return SDL_BYTESPERPIXEL(pixelFormat) == wordBytes ? wordBits : static_cast<int>(SDL_BITSPERPIXEL(pixelFormat));
}

bool ListDisplayModes(std::vector<DisplayMode>& modes) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    const bool reached = VideoDriverShowsOnScreen(SDL_GetCurrentVideoDriver());
    const int count = reached ? SDL_GetNumDisplayModes(primaryDisplay) : 0;
    for (int i = 0; i < count; ++i) {
        SDL_DisplayMode mode;
        if (SDL_GetDisplayMode(primaryDisplay, i, &mode) == 0)
            modes.push_back({mode.w, mode.h, ModeBitsPerPixel(mode.format), mode.refresh_rate});
    }
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return reached;
}
