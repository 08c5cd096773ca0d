// Overlay text in the saver: the sliding frame-rate line and clock, in the glyph font.
#pragma once
#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>

constexpr int glyphAdvance = 32;

extern int GlyphTable[256]; // character code -> screen image, 0 when empty

struct OverlayState {
    int32_t fpsX, fpsDx, fpsMaxX;
    int32_t clockX, clockDx, clockMaxX;
};
extern OverlayState Overlay;

// Makes the 37 glyph images from the embedded PNG files (Saver only).
void LoadGlyphs();
// One image per character cell from x to the right; spaces and characters without a glyph
// leave their cell empty.
void DrawGlyphText(int x, int y, std::string_view text, int advance);
// Sets the start positions from ScreenWidth (just before the first frame).
void StartOverlays();
void DrawOverlays();

// ---- the texts of the two lines ----
// A status value as the line shows it: the nearest integer, halves to even.
int64_t RoundStatus(double value);
// "60 fps : 18444 polygons", into text (reused from frame to frame).
void BuildFrameRateText(std::string& text, float framesPerSecond, float polygons);
// The mask with %hh, %ii and %ss replaced by the hour, minute and second, two digits each.
void FormatTime(std::string& text, std::string_view mask, const std::tm& time);

// Where the clock reads the local time; tests give it a fixed one (nullptr: the system's).
using LocalTimeSource = std::tm (*)();
void SetLocalTimeSource(LocalTimeSource source);
