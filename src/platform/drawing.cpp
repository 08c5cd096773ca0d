// 2D drawing on an engine texture whose pixels the engine lends for the time of drawing.
#include "platform/screen.h"

#include <algorithm>
#include <cstdint>

#include "core/engine_table.h"

namespace {
int drawingTexture = -1;
uint32_t* drawingPixels = nullptr;
int drawingWidth = 0;
int drawingHeight = 0;
} // namespace

bool StartDrawingOnTexture(int texture) {
    drawingPixels = Engine->LockTexture(texture, &drawingWidth, &drawingHeight);
    drawingTexture = drawingPixels ? texture : -1;
    return drawingPixels != nullptr;
}

void DrawBox(int x, int y, int width, int height, int colour) {
    if (!drawingPixels) return;
    int left = std::max(x, 0), top = std::max(y, 0);
    int right = std::min(x + width, drawingWidth), bottom = std::min(y + height, drawingHeight);
    // pixels are R, G, B, A bytes in memory: a little-endian word 0xAABBGGRR
    uint32_t pixel = 0xFF000000u | (static_cast<uint32_t>(colour) & 0xFFFFFFu);
    for (int row = top; row < bottom; ++row)
        std::fill(drawingPixels + row * drawingWidth + left, drawingPixels + row * drawingWidth + right, pixel);
}

void StopDrawing() {
    if (drawingTexture >= 0) Engine->UnlockTexture(drawingTexture);
    drawingTexture = -1;
    drawingPixels = nullptr;
}
