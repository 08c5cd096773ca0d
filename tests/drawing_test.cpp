// DrawBox on a texture that the engine lends: every box is clipped to the texture's four sides,
// and no word outside the texture's pixels is written, whatever the box's place and size.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <vector>

#include "core/engine_table.h"
#include "platform/screen.h"

namespace {

constexpr int textureWidth = 16, textureHeight = 8;
constexpr size_t guardWords = 64; // on each side of the lent pixels
constexpr uint32_t untouched = 0x12345678u;
constexpr int boxColour = 0x3020F0;                  // 0xBBGGRR
constexpr uint32_t boxPixel = 0xFF000000u | 0x3020F0u; // bytes R, G, B, A

std::vector<uint32_t> memory; // guard, the texture's rows, guard

ZelvaroEngine LendingEngine() {
    ZelvaroEngine table{};
    table.version = ZELVARO_ENGINE_VERSION;
    table.LockTexture = [](int, int* width, int* height) -> uint32_t* {
        *width = textureWidth;
        *height = textureHeight;
        return memory.data() + guardWords;
    };
    table.UnlockTexture = [](int) {};
    return table;
}

struct BoxCase {
    const char* name;
    int x, y, width, height;
    int left, top, right, bottom; // the pixels it must fill: [left, right) x [top, bottom)
};

const BoxCase boxCases[] = {
    {"inside", 2, 1, 3, 2, 2, 1, 5, 3},
    {"across the left side", -3, 2, 5, 2, 0, 2, 2, 4},
    {"across the right side", 14, 0, 5, 3, 14, 0, 16, 3},
    {"across the top", 4, -2, 2, 4, 4, 0, 6, 2},
    {"across the bottom", 4, 6, 2, 5, 4, 6, 6, 8},
    {"over the whole texture", -5, -5, 40, 40, 0, 0, 16, 8},
    {"wholly left", -10, 2, 5, 2, 0, 0, 0, 0},
    {"wholly right", 20, 2, 5, 2, 0, 0, 0, 0},
    {"wholly above", 2, -9, 3, 4, 0, 0, 0, 0},
    {"wholly below", 2, 9, 3, 4, 0, 0, 0, 0},
    {"beside the right side", 16, 0, 4, 4, 0, 0, 0, 0},
    {"below and to the left", -8, 12, 4, 4, 0, 0, 0, 0},
    {"no width", 3, 3, 0, 2, 0, 0, 0, 0},
    {"a negative height", 3, 3, 2, -4, 0, 0, 0, 0},
    {"a width past the largest int", 5, 1, INT_MAX, 1, 5, 1, 16, 2},
    {"from the smallest int", INT_MIN, INT_MIN, INT_MAX, INT_MAX, 0, 0, 0, 0},
};

TEST(DrawBox, ClipsAtAllFourSidesAndWritesNothingElse) {
    const ZelvaroEngine table = LendingEngine();
    Engine = &table;
    for (const BoxCase& c : boxCases) {
        SCOPED_TRACE(c.name);
        memory.assign(guardWords + textureWidth * textureHeight + guardWords, untouched);
        ASSERT_TRUE(StartDrawingOnTexture(0));
        DrawBox(c.x, c.y, c.width, c.height, boxColour);
        StopDrawing();
        int wrong = 0;
        for (size_t i = 0; i < memory.size(); ++i) {
            const bool inTexture = i >= guardWords && i < guardWords + textureWidth * textureHeight;
            const int x = static_cast<int>(i - guardWords) % textureWidth, y = static_cast<int>(i - guardWords) / textureWidth;
            const bool inBox = inTexture && x >= c.left && x < c.right && y >= c.top && y < c.bottom;
            wrong += memory[i] != (inBox ? boxPixel : untouched);
        }
        EXPECT_EQ(wrong, 0);
    }
    Engine = nullptr;
}

} // namespace
