// The overlay text against the recording engine: where the two lines are drawn frame after
// frame, what they read, what is drawn or asked when a line is off, the glyph images, and
// the decoding of pictures into screen images with black as the transparent colour.
#include <gtest/gtest.h>
#include <png.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "core/run_mode.h"
#include "core/screen_size.h"
#include "core/settings_record.h"
#include "data/embedded.h"
#include "motion/overlay.h"
#include "platform/screen.h"
#include "support/fake_engine.h"

namespace {

const std::string glyphCharacters = "abcdefghijklmnopqrstuvwxyz0123456789:";
constexpr int firstTestImage = 100; // images the tests put into the glyph table

// The clock the tests give the overlay: 09:05:07, each reading logged among the engine calls.
std::tm clockTime{};
std::tm FixedClock() {
    FakeEngine.calls.push_back({"ReadClock", {}, ""});
    return clockTime;
}

// What the engine was given by CreateImage, when a test asks for it.
struct MadeImage {
    int width, height;
    std::vector<unsigned char> rgba;
};
std::vector<MadeImage> madeImages;
int refuseImageNumber = 0; // the CreateImage call (from 1) that fails, 0 for none

int RecordingCreateImage(int width, int height, const unsigned char* rgba) {
    madeImages.push_back({width, height, std::vector<unsigned char>(rgba, rgba + size_t(width) * height * 4)});
    if (int(madeImages.size()) == refuseImageNumber) return 0;
    return FakeEngine.nextImage++;
}

class Overlays : public ::testing::Test {
protected:
    void SetUp() override {
        UseFakeEngine();
        ReleaseScreenImages();
        FlipDisplay(); // no 2D drawing left open by an earlier test
        FakeEngine.calls.clear();
        originalCreateImage = FakeEngineTable.CreateImage;
        FakeEngineTable.CreateImage = RecordingCreateImage;
        madeImages.clear();
        refuseImageNumber = 0;

        RunMode = RunModeKind::Saver;
        Settings = SettingsRecord{};
        Settings.showFPS = 1;
        Settings.showTime = 1;
        OpenScreen(1024, 768);
        std::fill(std::begin(GlyphTable), std::end(GlyphTable), 0);
        for (size_t i = 0; i < glyphCharacters.size(); ++i)
            GlyphTable[(unsigned char)glyphCharacters[i]] = firstTestImage + int(i);
        clockTime = std::tm{};
        clockTime.tm_hour = 9, clockTime.tm_min = 5, clockTime.tm_sec = 7;
        SetLocalTimeSource(FixedClock);
        FakeEngine.status3 = 60;
        FakeEngine.status5 = 18444;
    }
    void TearDown() override {
        SetLocalTimeSource(nullptr);
        FakeEngineTable.CreateImage = originalCreateImage;
        std::fill(std::begin(GlyphTable), std::end(GlyphTable), 0);
    }

    static void OpenScreen(int width, int height) {
        ScreenWidth = width;
        ScreenHeight = height;
        StartOverlays();
    }
    int FpsRow() const { return ScreenHeight - 33; }
    static constexpr int clockRow = 1;

    decltype(ZelvaroEngine::CreateImage) originalCreateImage = nullptr;
};

// The character a test image stands for.
char CharacterOfImage(int image) {
    for (int code = 0; code < 256; ++code)
        if (GlyphTable[code] == image) return char(code);
    return '?';
}

// The DrawImage calls on one row read back as text: cell k holds what was drawn at
// left + k * advance, a space where nothing was drawn.
std::string DrawnText(int row, int left, int advance = glyphAdvance) {
    std::string text;
    for (const EngineCall& call : CallsNamed("DrawImage")) {
        if (int(call.args[2]) != row) continue;
        const int offset = int(call.args[1]) - left;
        EXPECT_EQ(offset % advance, 0) << "a glyph off its cell at x " << call.args[1];
        const size_t cellIndex = size_t(offset / advance);
        if (text.size() <= cellIndex) text.resize(cellIndex + 1, ' ');
        text[cellIndex] = CharacterOfImage(int(call.args[0]));
    }
    return text;
}

// The left edge of a line in this frame: the smallest x drawn on its row.
int DrawnLeft(int row) {
    int left = std::numeric_limits<int>::max();
    for (const EngineCall& call : CallsNamed("DrawImage"))
        if (int(call.args[2]) == row) left = std::min(left, int(call.args[1]));
    return left;
}

std::vector<int> DrawnLefts(int row, int frames) {
    std::vector<int> lefts;
    for (int frame = 0; frame < frames; ++frame) {
        FakeEngine.calls.clear();
        DrawOverlays();
        lefts.push_back(DrawnLeft(row));
    }
    return lefts;
}

// ---- the sweep ----

struct SweepCase {
    const char* what;
    int width;
    bool fpsLine; // else the clock
    int start, firstStep;
    std::vector<int> turns; // the first positions where the line reverses
};

TEST_F(Overlays, LinesSlideOnePixelAFrameAndTurnPastTheirBounds) {
    const SweepCase cases[] = {
        {"frame-rate line, 1024 wide", 1024, true, 160, +1, {289, 31, 289}},
        {"clock, 1024 wide", 1024, false, 384, -1, {-1, 769, -1}},
        {"frame-rate line, 1023 wide: half the width rounds down", 1023, true, 159, +1, {288, 31, 288}},
        {"frame-rate line, 640 wide: beyond its bound from the start", 640, true, -32, +1, {-31, -32, -31}},
        {"clock, 640 wide", 640, false, 192, -1, {-1, 385, -1}},
    };
    for (const SweepCase& c : cases) {
        SCOPED_TRACE(c.what);
        OpenScreen(c.width, 768);
        const std::vector<int> lefts = DrawnLefts(c.fpsLine ? FpsRow() : clockRow, 2000);
        EXPECT_EQ(lefts[0], c.start);
        EXPECT_EQ(lefts[1] - lefts[0], c.firstStep);
        std::vector<int> turns;
        for (size_t f = 1; f + 1 < lefts.size(); ++f) {
            ASSERT_EQ(std::abs(lefts[f] - lefts[f - 1]), 1) << "frame " << f;
            if ((lefts[f] - lefts[f - 1]) != (lefts[f + 1] - lefts[f])) turns.push_back(lefts[f]);
        }
        turns.resize(std::min(turns.size(), c.turns.size()));
        EXPECT_EQ(turns, c.turns);
    }
}

TEST_F(Overlays, FrameRateLineSitsNearTheBottomAndTheClockAtTheTop) {
    OpenScreen(800, 600);
    DrawOverlays();
    EXPECT_EQ(DrawnLeft(600 - 33), 800 / 2 - 352);
    EXPECT_EQ(DrawnLeft(1), 800 / 2 - 128);
    for (const EngineCall& call : CallsNamed("DrawImage"))
        EXPECT_TRUE(call.args[2] == 567 || call.args[2] == 1) << "a glyph at y " << call.args[2];
}

// ---- the texts ----

TEST_F(Overlays, LinesReadTheRoundedStatusAndTheTimeOfDay) {
    DrawOverlays();
    EXPECT_EQ(DrawnText(FpsRow(), 160), "60 fps : 18444 polygons");
    EXPECT_EQ(DrawnText(clockRow, 384), "09:05:07");

    FakeEngine.calls.clear();
    FakeEngine.status3 = 61.5f;
    FakeEngine.status5 = 18444.5f;
    clockTime.tm_hour = 23, clockTime.tm_min = 59, clockTime.tm_sec = 0;
    DrawOverlays();
    EXPECT_EQ(DrawnText(FpsRow(), 161), "62 fps : 18444 polygons");
    EXPECT_EQ(DrawnText(clockRow, 383), "23:59:00");
}

TEST(FrameRateText, RoundsBothValuesToTheNearestIntegerHalvesToEven) {
    const struct {
        double fps, polygons;
        const char* text;
    } cases[] = {
        {60, 18444, "60 fps : 18444 polygons"},
        {59.5, 18444, "60 fps : 18444 polygons"},
        {60.5, 18444, "60 fps : 18444 polygons"},
        {61.5, 18444, "62 fps : 18444 polygons"},
        {59.49, 18444.51, "59 fps : 18445 polygons"},
        {0.5, 18444.5, "0 fps : 18444 polygons"},
        {1.5, 18445.5, "2 fps : 18446 polygons"},
        {-0.5, -1.5, "0 fps : -2 polygons"},
        {0, 1099511627776.0, "0 fps : 1099511627776 polygons"}, // 2^40: beyond 32 bits
        {std::nan(""), std::numeric_limits<double>::infinity(), "0 fps : 9223372036854775807 polygons"},
        {-std::numeric_limits<double>::infinity(), 3e19, "-9223372036854775808 fps : 9223372036854775807 polygons"},
    };
    std::string text = "left over from the frame before";
    for (const auto& c : cases) {
        BuildFrameRateText(text, float(c.fps), float(c.polygons));
        EXPECT_EQ(text, c.text) << c.fps << ", " << c.polygons;
    }
}

TEST(ClockText, FillsTheMaskWithTwoDigitFields) {
    const struct {
        int hour, minute, second;
        const char* mask;
        const char* text;
    } cases[] = {
        {9, 5, 7, "%hh:%ii:%ss", "09:05:07"},
        {0, 0, 0, "%hh:%ii:%ss", "00:00:00"},
        {23, 59, 59, "%hh:%ii:%ss", "23:59:59"},
        {12, 34, 56, "at %hh h %ii", "at 12 h 34"},
        {1, 2, 3, "%h %ss%", "%h 03%"},
    };
    std::string text = "left over";
    for (const auto& c : cases) {
        std::tm time{};
        time.tm_hour = c.hour, time.tm_min = c.minute, time.tm_sec = c.second;
        FormatTime(text, c.mask, time);
        EXPECT_EQ(text, c.text);
    }
}

TEST_F(Overlays, CharactersWithoutAGlyphKeepTheirCellEmpty) {
    GlyphTable[0xE9] = 999; // a code above 127 finds its own entry
    const struct {
        const char* text;
        int advance;
        std::string drawn;
    } cases[] = {
        {"aB-c", 32, "a  c"},
        {"a b", 32, "a b"},
        {"  9", 32, "  9"},
        {"\xE9z", 32, "\xE9z"},
        {"ab", 40, "ab"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        FakeEngine.calls.clear();
        DrawGlyphText(10, 20, c.text, c.advance);
        EXPECT_EQ(DrawnText(20, 10, c.advance), c.drawn);
    }
}

// ---- what is asked and in which order ----

TEST_F(Overlays, NothingIsDrawnOrAskedForALineThatIsOff) {
    const struct {
        const char* what;
        RunModeKind mode;
        int8_t showFPS, showTime;
    } cases[] = {
        {"both settings 0", RunModeKind::Saver, 0, 0},
        {"both settings 2", RunModeKind::Saver, 2, 2},
        {"settings 2 and 0", RunModeKind::Saver, 2, 0},
        {"settings -1", RunModeKind::Saver, -1, -1},
        {"preview", RunModeKind::Preview, 1, 1},
        {"configuration", RunModeKind::Configure, 1, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        RunMode = c.mode;
        Settings.showFPS = c.showFPS;
        Settings.showTime = c.showTime;
        StartOverlays();
        const OverlayState before = Overlay;
        FakeEngine.calls.clear();
        for (int frame = 0; frame < 3; ++frame) DrawOverlays();
        EXPECT_EQ(CallNames(), std::vector<std::string>{});
        EXPECT_EQ(std::memcmp(&Overlay, &before, sizeof Overlay), 0) << "a line moved";
    }
}

TEST_F(Overlays, OneLineOnAsksOnlyWhatItShows) {
    Settings.showFPS = 1, Settings.showTime = 0;
    DrawOverlays();
    EXPECT_EQ(CallsNamed("ReadClock").size(), 0u);
    EXPECT_EQ(CallsNamed("Engine3DStatus").size(), 2u);
    EXPECT_EQ(Overlay.clockX, 384);
    EXPECT_EQ(Overlay.fpsX, 161);

    FakeEngine.calls.clear();
    Settings.showFPS = 0, Settings.showTime = 1;
    DrawOverlays();
    EXPECT_EQ(CallsNamed("ReadClock").size(), 1u);
    EXPECT_EQ(CallsNamed("Engine3DStatus").size(), 0u);
    EXPECT_EQ(Overlay.fpsX, 161);
    EXPECT_EQ(Overlay.clockX, 383);
}

TEST_F(Overlays, FrameRateLineComesBeforeTheClock) {
    DrawOverlays();
    std::vector<std::string> order;
    for (const EngineCall& call : FakeEngine.calls) {
        std::string step = call.name;
        if (call.name == "Engine3DStatus") step += "(" + std::to_string(int(call.args[0])) + ")";
        if (call.name == "DrawImage") step = call.args[2] == 1 ? "clock glyph" : "frame-rate glyph";
        if (order.empty() || order.back() != step) order.push_back(step);
    }
    const std::vector<std::string> expected = {"Engine3DStatus(3)", "Engine3DStatus(5)", "SwitchTo2D",
                                               "frame-rate glyph", "ReadClock", "clock glyph"};
    EXPECT_EQ(order, expected);
}

// ---- glyph images ----

TEST_F(Overlays, GlyphsFillTheTableByCharacterCode) {
    std::fill(std::begin(GlyphTable), std::end(GlyphTable), 0);
    refuseImageNumber = 5; // the engine refuses the fifth picture, "e"
    LoadGlyphs();
    ASSERT_EQ(madeImages.size(), 37u);
    int expectedImage = 1;
    for (size_t i = 0; i < glyphCharacters.size(); ++i) {
        const unsigned char code = glyphCharacters[i];
        SCOPED_TRACE(glyphCharacters[i]);
        EXPECT_EQ(madeImages[i].width, 32);
        EXPECT_EQ(madeImages[i].height, 32);
        EXPECT_EQ(GlyphTable[code], code == 'e' ? 0 : expectedImage);
        if (code != 'e') ++expectedImage;
    }
    int filled = 0;
    for (int code = 0; code < 256; ++code) filled += GlyphTable[code] != 0;
    EXPECT_EQ(filled, 36);
}

TEST_F(Overlays, GlyphGlowBecomesOpaqueAndOnlyBlackTransparent) {
    LoadGlyphs();
    ASSERT_EQ(madeImages.size(), 37u);
    int faintestGlow = 0;
    for (const MadeImage& image : madeImages)
        for (size_t i = 0; i < image.rgba.size(); i += 4) {
            const unsigned char* p = &image.rgba[i];
            const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
            ASSERT_EQ(p[3], black ? 0 : 255);
            faintestGlow += p[0] == 11 && p[1] == 25 && p[2] == 18; // alpha 18 in the file
        }
    EXPECT_GT(faintestGlow, 0);
}

// ---- screen images from PNG files ----

// A picture to encode: samples as libpng takes them (16-bit samples big-endian).
struct PngPicture {
    int width, height, colourType, bitDepth;
    std::vector<unsigned char> samples;
    std::vector<png_color> palette = {};
    std::vector<unsigned char> paletteAlpha = {};
    bool interlaced = false;
    png_fixed_point gamma = 0; // 0: no gAMA chunk
};

void AppendToString(png_structp png, png_bytep data, size_t size) {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), size);
}
void NoFlush(png_structp) {}

// Plain data only between setjmp and the end: libpng leaves by longjmp.
bool EncodeInto(png_structp png, png_infop info, const PngPicture* picture, std::string* out, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, AppendToString, NoFlush);
    png_set_IHDR(png, info, picture->width, picture->height, picture->bitDepth, picture->colourType,
                 picture->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!picture->palette.empty())
        png_set_PLTE(png, info, picture->palette.data(), int(picture->palette.size()));
    if (!picture->paletteAlpha.empty())
        png_set_tRNS(png, info, picture->paletteAlpha.data(), int(picture->paletteAlpha.size()), nullptr);
    if (picture->gamma) png_set_gAMA_fixed(png, info, picture->gamma);
    png_set_rows(png, info, rows);
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    return true;
}

std::string EncodePng(const PngPicture& picture) {
    const size_t rowBytes = picture.samples.size() / picture.height;
    std::vector<png_bytep> rows;
    for (int y = 0; y < picture.height; ++y)
        rows.push_back(const_cast<png_bytep>(picture.samples.data() + y * rowBytes));
    std::string out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    EXPECT_TRUE(EncodeInto(png, info, &picture, &out, rows.data()));
    png_destroy_write_struct(&png, &info);
    return out;
}

int LoadPng(const std::string& bytes) {
    return LoadScreenImage(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

constexpr png_fixed_point linearGamma = 100000; // a file that asks for gamma correction

TEST_F(Overlays, PicturesBecomeImagesWithBlackTransparentAndTheirOwnAlphaIgnored) {
    const struct {
        const char* what;
        PngPicture picture;
        std::vector<unsigned char> rgba;
    } cases[] = {
        {"RGBA: alpha ignored, black keyed",
         {4, 1, PNG_COLOR_TYPE_RGBA, 8, {0, 0, 0, 255, 200, 100, 50, 0, 0, 0, 0, 0, 1, 0, 0, 128}},
         {0, 0, 0, 0, 200, 100, 50, 255, 0, 0, 0, 0, 1, 0, 0, 255}},
        {"RGB with a gamma chunk, not corrected",
         {3, 1, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0, 128, 128, 128, 0, 0, 1}, {}, {}, false, linearGamma},
         {0, 0, 0, 0, 128, 128, 128, 255, 0, 0, 1, 255}},
        {"grey",
         {3, 1, PNG_COLOR_TYPE_GRAY, 8, {0, 128, 255}, {}, {}, false, linearGamma},
         {0, 0, 0, 0, 128, 128, 128, 255, 255, 255, 255, 255}},
        {"grey and alpha",
         {2, 1, PNG_COLOR_TYPE_GRAY_ALPHA, 8, {0, 255, 7, 0}},
         {0, 0, 0, 0, 7, 7, 7, 255}},
        {"palette with a transparent entry",
         {2, 1, PNG_COLOR_TYPE_PALETTE, 8, {0, 1}, {{0, 0, 0}, {10, 20, 30}}, {255, 0}},
         {0, 0, 0, 0, 10, 20, 30, 255}},
        {"16 bits a sample",
         {2, 1, PNG_COLOR_TYPE_RGB, 16, {0, 0, 0, 0, 0, 0, 0xFF, 0xFF, 0x80, 0x80, 0, 0}},
         {0, 0, 0, 0, 255, 128, 0, 255}},
        {"interlaced, two rows",
         {2, 2, PNG_COLOR_TYPE_RGB, 8, {0, 0, 0, 9, 9, 9, 5, 6, 7, 0, 0, 0}, {}, {}, true},
         {0, 0, 0, 0, 9, 9, 9, 255, 5, 6, 7, 255, 0, 0, 0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        madeImages.clear();
        const int image = LoadPng(EncodePng(c.picture));
        EXPECT_NE(image, 0);
        ASSERT_EQ(madeImages.size(), 1u);
        EXPECT_EQ(madeImages[0].width, c.picture.width);
        EXPECT_EQ(madeImages[0].height, c.picture.height);
        EXPECT_EQ(madeImages[0].rgba, c.rgba);
    }
}

TEST_F(Overlays, BrokenPicturesGiveNoImage) {
    const std::string good = EncodePng({2, 2, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    ASSERT_GT(good.size(), 60u);
    std::string damaged = good;
    const size_t data = damaged.find("IDAT") + 4;
    for (size_t i = data; i < data + 8; ++i) damaged[i] = char(~damaged[i]);
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"no bytes", ""},
        {"not a PNG file", "this is not a picture at all, only some text"},
        {"the signature alone", good.substr(0, 8)},
        {"cut in the image data", good.substr(0, good.find("IDAT") + 10)},
        {"damaged image data", damaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        madeImages.clear();
        EXPECT_EQ(LoadPng(c.bytes), 0);
        EXPECT_TRUE(madeImages.empty());
    }
    EXPECT_NE(LoadPng(good), 0) << "the undamaged file must load";
}

TEST_F(Overlays, ImagesTheEngineRefusesAreNotMadeNorFreed) {
    const std::string png = EncodePng({1, 1, PNG_COLOR_TYPE_RGB, 8, {1, 2, 3}});
    refuseImageNumber = 2;
    EXPECT_EQ(LoadPng(png), 1);
    EXPECT_EQ(LoadPng(png), 0);
    EXPECT_EQ(LoadPng(png), 2);
    ReleaseScreenImages();
    std::vector<int> freed;
    for (const EngineCall& call : CallsNamed("FreeImage")) freed.push_back(int(call.args[0]));
    EXPECT_EQ(freed, (std::vector<int>{1, 2}));

    FakeEngine.calls.clear();
    ReleaseScreenImages();
    EXPECT_TRUE(CallsNamed("FreeImage").empty()) << "an image freed twice";
}

} // namespace
