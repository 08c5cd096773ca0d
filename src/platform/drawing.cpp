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

// Clipped on all four sides of the texture; sizes that overflow an int clip like any other.
void DrawBox(int x, int y, int width, int height, int colour) {
    if (!drawingPixels || width <= 0 || height <= 0) return;
    const int64_t left = std::max<int64_t>(x, 0), top = std::max<int64_t>(y, 0);
    const int64_t right = std::min<int64_t>(int64_t(x) + width, drawingWidth);
    const int64_t bottom = std::min<int64_t>(int64_t(y) + height, drawingHeight);
    if (left >= right || top >= bottom) return; // wholly outside
    // pixels are R, G, B, A bytes in memory: a little-endian word 0xAABBGGRR
    const uint32_t pixel = 0xFF000000u | (static_cast<uint32_t>(colour) & 0xFFFFFFu);
    for (int64_t row = top; row < bottom; ++row)
        std::fill(drawingPixels + row * drawingWidth + left, drawingPixels + row * drawingWidth + right, pixel);
}

void StopDrawing() {
    if (drawingTexture >= 0) Engine->UnlockTexture(drawingTexture);
    drawingTexture = -1;
    drawingPixels = nullptr;
}
