// The overlay font as the program embeds it: the PNG format and chunks, the eight colours of
// the glowing style, each character's extent in its cell, and the generator that reproduces
// the files kept in the source tree.
#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "data/embedded.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

constexpr int cell = 32;
constexpr int glyphTotal = 37;
const char* const glyphNames[glyphTotal] = {
    "a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "n", "o", "p", "q", "r", "s",
    "t", "u", "v", "w", "x", "y", "z", "0", "1", "2", "3", "4", "5", "6", "7", "8", "9", "colon"};

struct Rgba {
    int r, g, b, a;
    bool operator<(const Rgba& o) const { return std::array{r, g, b, a} < std::array{o.r, o.g, o.b, o.a}; }
    bool operator==(const Rgba& o) const = default;
};
const Rgba transparentBlack = {0, 0, 0, 0};
// The outline, then the glow outwards.
const Rgba styleSteps[] = {{147, 216, 176, 255}, {57, 166, 102, 198}, {38, 102, 65, 117}, {33, 86, 55, 97},
                           {23, 54, 36, 57},     {19, 42, 29, 41},    {11, 25, 18, 18}};
constexpr int stepCount = 7;

// What libpng reads back; plain data, since libpng leaves by longjmp on an error.
struct ReadBack {
    png_uint_32 width, height;
    int bitDepth, colourType, interlace;
    bool hasTime, hasPhys, hasGamma;
    png_uint_32 physX, physY;
    int physUnit;
    png_fixed_point gamma;
    unsigned char rgba[cell * cell * 4];
};

struct Source {
    const unsigned char* bytes;
    size_t size, offset;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    Source* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->size - source->offset) png_error(png, "truncated");
    std::memcpy(out, source->bytes + source->offset, count);
    source->offset += count;
}

bool ReadInto(png_structp png, png_infop info, ReadBack* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    png_get_IHDR(png, info, &out->width, &out->height, &out->bitDepth, &out->colourType, &out->interlace,
                 nullptr, nullptr);
    if (out->width != cell || out->height != cell || out->bitDepth != 8 || out->colourType != PNG_COLOR_TYPE_RGBA)
        return true; // the format checks report it; the pixels are not read
    png_bytep rows[cell];
    for (int y = 0; y < cell; ++y) rows[y] = out->rgba + y * cell * 4;
    png_read_image(png, rows);
    png_read_end(png, info);
    png_time* time = nullptr;
    out->hasTime = png_get_tIME(png, info, &time) != 0;
    out->hasPhys = png_get_pHYs(png, info, &out->physX, &out->physY, &out->physUnit) != 0;
    out->hasGamma = png_get_gAMA_fixed(png, info, &out->gamma) != 0;
    return true;
}

ReadBack ReadPng(const unsigned char* bytes, size_t size) {
    ReadBack back{};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Source source = {bytes, size, 0};
    png_set_read_fn(png, &source, ReadFromMemory);
    EXPECT_TRUE(ReadInto(png, info, &back)) << "libpng could not read the file";
    png_destroy_read_struct(&png, &info, nullptr);
    return back;
}

ReadBack ReadGlyph(int index) { return ReadPng(GlyphFiles[index].bytes, GlyphFiles[index].size); }

Rgba PixelAt(const ReadBack& png, int x, int y) {
    const unsigned char* p = png.rgba + (y * cell + x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

bool IsBlack(const Rgba& p) { return p.r == 0 && p.g == 0 && p.b == 0; }

// 0 for black, 1 for the outline, 2 to 7 for the glow steps, -1 for anything else.
int StepOf(const Rgba& p) {
    if (p == transparentBlack) return 0;
    for (int k = 0; k < stepCount; ++k)
        if (p == styleSteps[k]) return k + 1;
    return -1;
}

TEST(GlyphFiles, AreRgbaPngsWithTheirChunks) {
    for (int i = 0; i < glyphTotal; ++i) {
        SCOPED_TRACE(glyphNames[i]);
        const ReadBack png = ReadGlyph(i);
        EXPECT_EQ(png.width, 32u);
        EXPECT_EQ(png.height, 32u);
        EXPECT_EQ(png.bitDepth, 8);
        EXPECT_EQ(png.colourType, PNG_COLOR_TYPE_RGBA);
        EXPECT_EQ(png.interlace, PNG_INTERLACE_NONE);
        EXPECT_TRUE(png.hasTime);
        ASSERT_TRUE(png.hasPhys);
        EXPECT_EQ(png.physX, 2834u);
        EXPECT_EQ(png.physY, 2834u);
        EXPECT_EQ(png.physUnit, PNG_RESOLUTION_METER);
        ASSERT_TRUE(png.hasGamma);
        EXPECT_EQ(png.gamma, 45455);
    }
}

TEST(GlyphFiles, ShowTheOutlineAndEveryGlowStepAndNoOtherColour) {
    for (int i = 0; i < glyphTotal; ++i) {
        SCOPED_TRACE(glyphNames[i]);
        const ReadBack png = ReadGlyph(i);
        std::set<Rgba> seen;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                const Rgba p = PixelAt(png, x, y);
                EXPECT_NE(StepOf(p), -1) << "colour (" << p.r << ", " << p.g << ", " << p.b << ") alpha " << p.a
                                         << " at " << x << ", " << y;
                seen.insert(p);
            }
        EXPECT_EQ(seen.size(), size_t(1 + stepCount));
    }
}

struct Extent {
    int left, right, top, bottom;
};

// Letters and digits span the whole cell but its last column; the narrow ones are centred.
Extent ExpectedExtent(const std::string& name) {
    if (name == "i") return {1, 29, 0, 31};
    if (name == "1") return {2, 28, 0, 31};
    if (name == "colon") return {6, 24, 4, 28};
    return {0, 30, 0, 31};
}

TEST(GlyphFiles, FillTheirCellsToTheirExtents) {
    for (int i = 0; i < glyphTotal; ++i) {
        SCOPED_TRACE(glyphNames[i]);
        const ReadBack png = ReadGlyph(i);
        Extent found = {cell, -1, cell, -1};
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x)
                if (!IsBlack(PixelAt(png, x, y))) {
                    found.left = std::min(found.left, x), found.right = std::max(found.right, x);
                    found.top = std::min(found.top, y), found.bottom = std::max(found.bottom, y);
                }
        const Extent expected = ExpectedExtent(glyphNames[i]);
        EXPECT_EQ(found.left, expected.left);
        EXPECT_EQ(found.right, expected.right);
        EXPECT_EQ(found.top, expected.top);
        EXPECT_EQ(found.bottom, expected.bottom);
    }
}

// The black that the border cannot reach without crossing a colour is the character's inside.
std::vector<bool> InsideOf(const ReadBack& png) {
    std::vector<bool> outside(cell * cell, false);
    std::vector<std::pair<int, int>> todo;
    for (int i = 0; i < cell; ++i)
        for (auto [x, y] : {std::pair{i, 0}, {i, cell - 1}, {0, i}, {cell - 1, i}}) todo.push_back({x, y});
    while (!todo.empty()) {
        auto [x, y] = todo.back();
        todo.pop_back();
        if (x < 0 || y < 0 || x >= cell || y >= cell || outside[y * cell + x] || !IsBlack(PixelAt(png, x, y))) continue;
        outside[y * cell + x] = true;
        todo.insert(todo.end(), {{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}});
    }
    std::vector<bool> inside(cell * cell);
    for (int y = 0; y < cell; ++y)
        for (int x = 0; x < cell; ++x) inside[y * cell + x] = IsBlack(PixelAt(png, x, y)) && !outside[y * cell + x];
    return inside;
}

template <typename Visit>
void ForNeighbours(int x, int y, Visit visit) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if ((dx || dy) && x + dx >= 0 && y + dy >= 0 && x + dx < cell && y + dy < cell) visit(x + dx, y + dy);
}

TEST(GlyphFiles, TraceTheBlackInsideWithTheOutlineAndGlowOutwards) {
    for (int i = 0; i < glyphTotal; ++i) {
        SCOPED_TRACE(glyphNames[i]);
        const ReadBack png = ReadGlyph(i);
        const std::vector<bool> inside = InsideOf(png);
        int insideCount = 0;
        for (int y = 0; y < cell; ++y)
            for (int x = 0; x < cell; ++x) {
                const int step = StepOf(PixelAt(png, x, y));
                bool touchesInside = false, touchesStepBelow = false;
                ForNeighbours(x, y, [&](int nx, int ny) {
                    touchesInside |= inside[ny * cell + nx];
                    touchesStepBelow |= StepOf(PixelAt(png, nx, ny)) == step - 1;
                });
                if (inside[y * cell + x]) ++insideCount;
                if (step == 1) {
                    EXPECT_TRUE(touchesInside) << "outline pixel away from the inside at " << x << ", " << y;
                }
                if (step > 1) {
                    EXPECT_FALSE(touchesInside) << "glow against the inside at " << x << ", " << y;
                    EXPECT_TRUE(touchesStepBelow) << "glow step " << step << " skips a step at " << x << ", " << y;
                }
            }
        EXPECT_GT(insideCount, 0);
    }
}

TEST(GlyphFiles, AreAllDifferent) {
    std::set<std::string> pictures;
    for (int i = 0; i < glyphTotal; ++i) {
        const ReadBack png = ReadGlyph(i);
        pictures.insert(std::string(reinterpret_cast<const char*>(png.rgba), sizeof png.rgba));
    }
    EXPECT_EQ(pictures.size(), size_t(glyphTotal));
}

TEST(GlyphGenerator, ReproducesTheFilesKeptInTheSourceTreeAndEmbedded) {
    const std::string folder = MakeTempFolder();
    int status = -1;
    RunCommand(std::string(ZELVARO_TOOLS_DIR) + "/gen_glyphs " + folder, &status);
    ASSERT_EQ(status, 0);
    for (int i = 0; i < glyphTotal; ++i) {
        SCOPED_TRACE(glyphNames[i]);
        const std::string name = std::string(glyphNames[i]) + ".png";
        const std::string kept = ReadFileBytes(std::string(ZELVARO_SOURCE_DIR) + "/src/data/glyphs/" + name);
        const std::string embedded(reinterpret_cast<const char*>(GlyphFiles[i].bytes), GlyphFiles[i].size);
        EXPECT_FALSE(kept.empty());
        EXPECT_TRUE(ReadFileBytes(folder + "/" + name) == kept) << "the generator draws another " << name;
        EXPECT_TRUE(embedded == kept) << "the program embeds another " << name;
    }
}

} // namespace
