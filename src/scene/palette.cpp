// The palette every object takes its colour from: texture 0 drawn at start-up as 4 x 4-pixel
// cells along six colour ramps (red to yellow, green, cyan, blue, magenta, towards white),
// and material 0 made from it.
#include "scene/palette.h"

#include <cmath>

#include "core/engine_table.h"
#include "platform/screen.h"

namespace {

constexpr int paletteTexture = 0;
constexpr int paletteMaterial = 0;
constexpr int textureSize = 128;
constexpr int cellSize = 4;
constexpr int rampCount = 6;
constexpr int rampSteps = 171;
constexpr float fullLevel = 255;
constexpr int filteringMode = 0;
constexpr int blendingMode = 1;

int Rgb(int red, int green, int blue) { return red | green << 8 | blue << 16; }

// Colour of step k (1..rampSteps) of ramp r (1..rampCount); the level runs in float32 steps.
int RampColour(int r, int k) {
    const float levelStep = fullLevel / rampSteps;
    float v = float(k) * levelStep;
    if (v > fullLevel) v = fullLevel;
    const int a = int(std::lround(v));
    const int b = int(std::lround(fullLevel - v));
    switch (r) {
    case 1: return Rgb(255, a, 0);
    case 2: return Rgb(b, 255, 0);
    case 3: return Rgb(0, 255, a);
    case 4: return Rgb(0, b, 255);
    case 5: return Rgb(a, 0, 255);
    default: return Rgb(255, a, 255);
    }
}

} // namespace

int PaletteColour(int cell) { return RampColour(cell / rampSteps + 1, cell % rampSteps + 1); }

void CreatePalette() {
    Engine->CreateTexture(paletteTexture, textureSize, textureSize);
    StartDrawingOnTexture(paletteTexture);
    // six ramps make two boxes more than the texture has cells: they fall below it, clipped away
    int x = 0, y = 0;
    for (int r = 1; r <= rampCount; ++r)
        for (int k = 1; k <= rampSteps; ++k) {
            DrawBox(x, y, cellSize, cellSize, RampColour(r, k));
            x += cellSize;
            if (x == textureSize) x = 0, y += cellSize;
        }
    StopDrawing();
    Engine->CreateMaterial(paletteMaterial, Engine->TextureID(paletteTexture));
    Engine->MaterialFilteringMode(paletteMaterial, filteringMode);
    Engine->MaterialBlendingMode(paletteMaterial, blendingMode);
}
