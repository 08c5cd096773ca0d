// The palette texture as the recording engine receives it: the engine calls, the colour of each
// cell read back from the lent pixels, the two boxes that fall below the texture, and nothing
// drawn outside it.
#include <gtest/gtest.h>

#include <cstdint>
#include <set>
#include <vector>

#include "scene/palette.h"
#include "support/fake_engine.h"

namespace {

constexpr int side = 128;
constexpr int cellPixels = 4;
constexpr int cellsPerRow = 32;
constexpr uint32_t untouched = 0x5A5A5A5Au; // no fill writes this: its alpha byte is not opaque

struct Rgb {
    int r, g, b;
};
bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
std::ostream& operator<<(std::ostream& out, Rgb c) { return out << "(" << c.r << ", " << c.g << ", " << c.b << ")"; }

// The lent pixels are R, G, B, A bytes: the word 0xAABBGGRR.
Rgb PixelColour(uint32_t pixel) { return {int(pixel & 0xFF), int(pixel >> 8 & 0xFF), int(pixel >> 16 & 0xFF)}; }

// The colour a cell should show, from the ramp table with integer arithmetic: a = 255 k / 171
// rounded to nearest (no step is a half), b = 255 - a.
Rgb RampColour(int cell) {
    const int r = cell / 171 + 1, k = cell % 171 + 1;
    const int a = (2 * 255 * k + 171) / (2 * 171), b = 255 - a;
    switch (r) {
    case 1: return {255, a, 0};
    case 2: return {b, 255, 0};
    case 3: return {0, 255, a};
    case 4: return {0, b, 255};
    case 5: return {a, 0, 255};
    default: return {255, a, 255};
    }
}

// A drawing surface the test lends in place of the texture's own pixels: `width` x `height`
// pixels with guard words before and after, everything preset to `untouched`.
struct LentSurface {
    int width = side, height = side;
    size_t guard = 0;
    std::vector<uint32_t> words;
    uint32_t* Pixels() { return words.data() + guard; }
    uint32_t At(int x, int y) { return Pixels()[y * width + x]; }
};
LentSurface lent;

class Palette : public ::testing::Test {
protected:
    void SetUp() override {
        savedTable = FakeEngineTable;
        UseFakeEngine();
    }
    void TearDown() override { FakeEngineTable = savedTable; }

    // Makes LockTexture lend `lent` instead of the fake's own texture buffer.
    void Lend(int width, int height, size_t guard) {
        lent = LentSurface{width, height, guard, std::vector<uint32_t>(size_t(width) * height + 2 * guard, untouched)};
        FakeEngineTable.LockTexture = [](int texture, int* width, int* height) -> uint32_t* {
            FakeEngine.calls.push_back({"LockTexture", {double(texture)}, ""});
            *width = lent.width;
            *height = lent.height;
            return lent.Pixels();
        };
    }

    // The pixels of texture 0 as the fake keeps them.
    static uint32_t TexturePixel(int x, int y) { return FakeEngine.textures[0][size_t(y) * side + x]; }
    static Rgb CellColour(int cell, int pixelX = 0, int pixelY = 0) {
        return PixelColour(TexturePixel(cell % cellsPerRow * cellPixels + pixelX, cell / cellsPerRow * cellPixels + pixelY));
    }

    ZelvaroEngine savedTable{};
};

TEST_F(Palette, MakesTextureZeroThenMaterialZeroFromIt) {
    CreatePalette();
    const std::vector<std::string> expected = {"CreateTexture", "LockTexture", "UnlockTexture", "TextureID",
                                               "CreateMaterial", "MaterialFilteringMode", "MaterialBlendingMode"};
    ASSERT_EQ(CallNames(), expected);
    const std::vector<std::vector<double>> args = {{0, 128, 128}, {0}, {0}, {0}, {0, 1000 + 0}, {0, 0}, {0, 1}};
    for (size_t i = 0; i < args.size(); ++i) EXPECT_EQ(FakeEngine.calls[i].args, args[i]) << expected[i];
}

TEST_F(Palette, CellsShowTheirRampColours) {
    CreatePalette();
    const struct {
        int cell;
        Rgb colour;
    } cases[] = {
        {0, {255, 1, 0}},     {1, {255, 3, 0}},     {31, {255, 48, 0}},     {32, {255, 49, 0}},
        {169, {255, 254, 0}}, {170, {255, 255, 0}}, {171, {254, 255, 0}},   {341, {0, 255, 0}},
        {342, {0, 255, 1}},   {512, {0, 255, 255}}, {513, {0, 254, 255}},   {683, {0, 0, 255}},
        {684, {1, 0, 255}},   {854, {255, 0, 255}}, {855, {255, 1, 255}},   {992, {255, 206, 255}},
        {1022, {255, 251, 255}}, {1023, {255, 252, 255}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("cell " + std::to_string(c.cell));
        for (int y = 0; y < cellPixels; ++y)
            for (int x = 0; x < cellPixels; ++x) EXPECT_EQ(CellColour(c.cell, x, y), c.colour) << "pixel " << x << ", " << y;
    }
}

TEST_F(Palette, EveryCellIsFlatDistinctAndNotWhite) {
    CreatePalette();
    std::set<int> colours;
    for (int cell = 0; cell < 1024; ++cell) {
        SCOPED_TRACE("cell " + std::to_string(cell));
        const Rgb want = RampColour(cell);
        for (int y = 0; y < cellPixels; ++y)
            for (int x = 0; x < cellPixels; ++x) ASSERT_EQ(CellColour(cell, x, y), want) << "pixel " << x << ", " << y;
        EXPECT_EQ(PaletteColour(cell), want.r | want.g << 8 | want.b << 16);
        EXPECT_FALSE(want == (Rgb{255, 255, 255}));
        colours.insert(PaletteColour(cell));
    }
    EXPECT_EQ(colours.size(), 1024u);
    for (uint32_t pixel : FakeEngine.textures[0]) EXPECT_EQ(pixel >> 24, 0xFFu) << "every pixel is opaque";
}

// Lent a surface 8 rows taller than the texture, the drawing shows all its boxes: the two that
// the texture clips away land at the start of row 32 of cells, and no box comes after them.
TEST_F(Palette, DrawsSixRampsOf171Boxes) {
    constexpr int extraRows = 8;
    Lend(side, side + extraRows, 0);
    CreatePalette();
    int boxes = 0;
    for (int cell = 0; cell < (side + extraRows) / cellPixels * cellsPerRow; ++cell) {
        const uint32_t pixel = lent.At(cell % cellsPerRow * cellPixels, cell / cellsPerRow * cellPixels);
        if (pixel == untouched) continue;
        ++boxes;
        EXPECT_EQ(PixelColour(pixel), RampColour(cell)) << "box " << cell;
    }
    EXPECT_EQ(boxes, 6 * 171);
    EXPECT_EQ(PixelColour(lent.At(0, side)), (Rgb{255, 254, 255}));
    EXPECT_EQ(PixelColour(lent.At(4, side)), (Rgb{255, 255, 255}));
}

TEST_F(Palette, DrawsEveryPixelAndNothingOutsideTheTexture) {
    constexpr size_t guardWords = 4 * side;
    Lend(side, side, guardWords);
    CreatePalette();
    for (size_t i = 0; i < guardWords; ++i) {
        ASSERT_EQ(lent.words[i], untouched) << "before the texture, word " << i;
        ASSERT_EQ(lent.words[lent.words.size() - 1 - i], untouched) << "after the texture, word " << i;
    }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) ASSERT_NE(lent.At(x, y), untouched) << "pixel " << x << ", " << y;
}

} // namespace
