// What a screenshot shows of the saver's picture inside one rectangle: the swarm's lit faces
// in palette colours, pure black where no sky is drawn, and pixels of one exact colour.
#pragma once
#include <cstdint>

#include "screenshot.h"

struct Area {
    int left = 0, top = 0, width = 0, height = 0;
};

struct Census {
    int pixels = 0;       // in the area, after clipping to the picture
    int objectPixels = 0; // strongly saturated, not dark: a lit face of a palette colour
    int blackPixels = 0;
    int coloursSeen = 0;  // hue sectors (of six) with more than a few object pixels
};

Census CountSwarm(const Picture& shot, Area area);
// The sky fills the area (hardly a pixel is pure black) and the swarm has spread over it,
// through the palette's ramps.
bool SwarmOverSky(const Census& census);
int CountColour(const Picture& shot, Area area, uint8_t r, uint8_t g, uint8_t b);
