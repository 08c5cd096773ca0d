// The scene: palette material, one entity per object, sky box, camera and light.
#pragma once
#include <cstdint>

// Palette cell of object i among n: i * 1024 / n, ties to even, within 32..1023.
int PaletteCellOf(int i, int n);
// Populates the world once, after the display is open.
void BuildScene();
