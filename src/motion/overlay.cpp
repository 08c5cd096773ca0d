// Placeholder until the overlays exist.
#include "motion/overlay.h"

int GlyphTable[256] = {};
OverlayState Overlay{};
void LoadGlyphs() {}
void StartOverlays() {}
void DrawOverlays() {}
