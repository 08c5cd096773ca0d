// Overlay text in the saver: the sliding frame-rate line and clock, in the glyph font.
#pragma once
#include <cstdint>
#include <string>

constexpr int glyphAdvance = 32;

extern int GlyphTable[256]; // character code -> screen image, 0 when empty

struct OverlayState {
    int32_t fpsX, fpsDx, fpsMaxX;
    int32_t clockX, clockDx, clockMaxX;
};
extern OverlayState Overlay;

// Makes the 37 glyph images from the embedded PNG files (Saver only).
void LoadGlyphs();
void DrawGlyphText(int x, int y, const std::string& text, int advance);
// Sets the start positions from ScreenWidth (just before the first frame).
void StartOverlays();
void DrawOverlays();
