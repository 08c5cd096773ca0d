// Screen images: decoded pictures drawn over the rendered frame through the engine.
#include "platform/screen.h"

#include "scene/engine.h"

namespace {
bool drawing2D = false; // SwitchTo2D has run since the last flip
}

int LoadScreenImage(const unsigned char*, size_t) { return 0; }

void DrawScreenImage(int image, int x, int y) {
    if (image == 0 || !Engine) return;
    if (!drawing2D) {
        Engine->SwitchTo2D();
        drawing2D = true;
    }
    Engine->DrawImage(image, x, y);
}

void FlipDisplay() {
    drawing2D = false;
    Engine->FlipBuffers();
}

void ReleaseScreenImages() {}
