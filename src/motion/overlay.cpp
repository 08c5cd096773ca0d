// The saver's overlay text: a frame-rate line near the bottom and a clock at the top, drawn
// in the embedded glyph font over the rendered frame. Both slide one pixel a frame and turn
// back at their bounds; a line whose setting is off keeps its place and asks for nothing.
#include "motion/overlay.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "core/engine_table.h"
#include "core/run_mode.h"
#include "core/screen_size.h"
#include "core/settings_record.h"
#include "data/embedded.h"
#include "platform/screen.h"

int GlyphTable[256] = {};
OverlayState Overlay{};

namespace {

// The characters of the embedded glyph files, in the order of the files.
constexpr std::string_view glyphCharacters = "abcdefghijklmnopqrstuvwxyz0123456789:";
static_assert(glyphCharacters.size() == sizeof GlyphFiles / sizeof GlyphFiles[0]);

constexpr int settingOn = 1; // any other value, hand-written ones included, is off

// The frame-rate line: 23 cells, starting 11 cells left of the centre, on the bottom row.
constexpr int fpsLineCells = 23;
constexpr int fpsStartLeftOfCentre = 11 * glyphAdvance;
constexpr int fpsLeftBound = 32;
constexpr int fpsRiseFromBottom = 33;

// The clock: 8 cells, starting centred, one pixel below the top.
constexpr int clockCells = 8;
constexpr int clockStartLeftOfCentre = 4 * glyphAdvance;
constexpr int clockLeftBound = 0;
constexpr int clockRow = 1;
constexpr std::string_view clockMask = "%hh:%ii:%ss";

std::tm SystemLocalTime() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now); // one thread: the shared result is safe here
    return local ? *local : std::tm{};
}
LocalTimeSource localTime = SystemLocalTime;

// The texts live for the run, so that building them anew each frame allocates nothing.
std::string fpsText;
std::string clockText;

void AppendDecimal(std::string& text, int64_t value) {
    char digits[24];
    const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
    text.append(digits, end.ptr);
}

void AppendTwoDigits(std::string& text, int value) {
    text += char('0' + value / 10 % 10);
    text += char('0' + value % 10);
}

// One step, then a turn when the step went past a bound: the position beyond the bound is
// drawn once before the line comes back.
void Slide(int32_t& x, int32_t& dx, int32_t leftBound, int32_t rightBound) {
    x += dx;
    if (x > rightBound || x < leftBound) dx = -dx;
}

void DrawFrameRateLine() {
    const float framesPerSecond = Engine->Engine3DStatus(ENGINE_STATUS_FPS);
    const float polygons = Engine->Engine3DStatus(ENGINE_STATUS_TRIANGLES);
    BuildFrameRateText(fpsText, framesPerSecond, polygons);
    DrawGlyphText(Overlay.fpsX, ScreenHeight - fpsRiseFromBottom, fpsText, glyphAdvance);
    Slide(Overlay.fpsX, Overlay.fpsDx, fpsLeftBound, Overlay.fpsMaxX);
}

void DrawClock() {
    FormatTime(clockText, clockMask, localTime());
    DrawGlyphText(Overlay.clockX, clockRow, clockText, glyphAdvance);
    Slide(Overlay.clockX, Overlay.clockDx, clockLeftBound, Overlay.clockMaxX);
}

} // namespace

void LoadGlyphs() {
    for (size_t i = 0; i < glyphCharacters.size(); ++i) {
        const unsigned char code = glyphCharacters[i];
        GlyphTable[code] = LoadScreenImage(GlyphFiles[i].bytes, GlyphFiles[i].size);
    }
}

void DrawGlyphText(int x, int y, std::string_view text, int advance) {
    for (size_t k = 0; k < text.size(); ++k) {
        const unsigned char code = text[k]; // codes above 127 index the table too
        if (code != ' ') DrawScreenImage(GlyphTable[code], x + int(k) * advance, y);
    }
}

void StartOverlays() {
    Overlay.fpsX = ScreenWidth / 2 - fpsStartLeftOfCentre;
    Overlay.fpsDx = +1;
    Overlay.fpsMaxX = ScreenWidth - fpsLineCells * glyphAdvance;
    Overlay.clockX = ScreenWidth / 2 - clockStartLeftOfCentre;
    Overlay.clockDx = -1;
    Overlay.clockMaxX = ScreenWidth - clockCells * glyphAdvance;
}

void DrawOverlays() {
    if (RunMode != RunModeKind::Saver && RunMode != RunModeKind::Hosted) return;
    if (Settings.showFPS == settingOn) DrawFrameRateLine();
    if (Settings.showTime == settingOn) DrawClock();
}

int64_t RoundStatus(double value) {
    // A value beyond the integers (or no number at all) still gives a line to show.
    constexpr double twoToThe63 = 9223372036854775808.0;
    if (std::isnan(value)) return 0;
    if (value >= twoToThe63) return std::numeric_limits<int64_t>::max();
    if (value < -twoToThe63) return std::numeric_limits<int64_t>::min();
    // Exact in binary floating point, and independent of the rounding mode in force.
    const double below = std::floor(value);
    const double fraction = value - below;
    const bool belowIsEven = std::fmod(below, 2.0) == 0.0;
    const bool up = fraction > 0.5 || (fraction == 0.5 && !belowIsEven);
    return up ? int64_t(below) + 1 : int64_t(below);
}

void BuildFrameRateText(std::string& text, float framesPerSecond, float polygons) {
    text.clear();
    AppendDecimal(text, RoundStatus(framesPerSecond));
    text += " fps : ";
    AppendDecimal(text, RoundStatus(polygons));
    text += " polygons";
}

void FormatTime(std::string& text, std::string_view mask, const std::tm& time) {
    text.clear();
    for (size_t i = 0; i < mask.size(); ++i) {
        const std::string_view rest = mask.substr(i);
        if (rest.starts_with("%hh")) AppendTwoDigits(text, time.tm_hour);
        else if (rest.starts_with("%ii")) AppendTwoDigits(text, time.tm_min);
        else if (rest.starts_with("%ss")) AppendTwoDigits(text, time.tm_sec);
        else {
            text += mask[i];
            continue;
        }
        i += 2; // the rest of the token
    }
}

void SetLocalTimeSource(LocalTimeSource source) { localTime = source ? source : SystemLocalTime; }
