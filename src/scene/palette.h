// The 1,024-colour palette texture (texture 0) and the material all objects share (material 0).
#pragma once

// The colour the palette draws for cell n, 0xBBGGRR.
int PaletteColour(int cell);
void CreatePalette();
