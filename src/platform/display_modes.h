// The display's own facts, read through SDL: whether its video driver shows on a real screen,
// and the primary display's modes (XRandR underneath on X11).
#pragma once
#include <cstdint>
#include <vector>

struct DisplayMode {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
    int refreshRate = 0;
};

// True for the drivers that show on a screen someone looks at (X11, Wayland, Windows); SDL's
// offscreen and dummy drivers start without one and would run a saver nobody sees.
bool VideoDriverShowsOnScreen(const char* driverName);
// Bits per pixel of an SDL pixel format as a display mode counts them: 24 colour bits stored
// in 4 bytes are a 32-bit mode.
int ModeBitsPerPixel(uint32_t pixelFormat);
// The primary display's modes, as the display lists them. False when no display with a screen
// can be reached; true with an empty list when it offers none.
bool ListDisplayModes(std::vector<DisplayMode>& modes);
