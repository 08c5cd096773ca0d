#include "swarm_census.h"

#include <algorithm>
#include <array>

namespace {

constexpr int litLevel = 90;         // the brightest channel of a lit face
constexpr int saturationSpread = 80; // brightest minus darkest channel
constexpr int sectorMinimum = 20;    // object pixels for a hue sector to count
constexpr int skyBlackShare = 20;    // at most 1/20 of the area may be pure black
constexpr int swarmMinimum = 500;    // object pixels of a swarm that has spread

bool IsObjectColour(const uint8_t* p) {
    int high = std::max({p[0], p[1], p[2]}), low = std::min({p[0], p[1], p[2]});
    return high >= litLevel && high - low >= saturationSpread;
}

int HueSector(const uint8_t* p) { // 0 red, 1 yellow, 2 green, 3 cyan, 4 blue, 5 magenta
    float r = p[0], g = p[1], b = p[2];
    float high = std::max({r, g, b}), low = std::min({r, g, b}), span = high - low;
    float hue = high == r ? 60 * (g - b) / span : high == g ? 120 + 60 * (b - r) / span : 240 + 60 * (r - g) / span;
    if (hue < 0) hue += 360;
    return static_cast<int>((hue + 30) / 60) % 6;
}

template <typename Visit>
void ForEachPixel(const Picture& shot, Area area, Visit visit) {
    const int right = std::min(area.left + area.width, shot.width), bottom = std::min(area.top + area.height, shot.height);
    for (int y = std::max(area.top, 0); y < bottom; ++y)
        for (int x = std::max(area.left, 0); x < right; ++x) visit(shot.At(x, y));
}

} // namespace

Census CountSwarm(const Picture& shot, Area area) {
    Census c;
    std::array<int, 6> sectors{};
    ForEachPixel(shot, area, [&](const uint8_t* p) {
        ++c.pixels;
        c.blackPixels += p[0] == 0 && p[1] == 0 && p[2] == 0;
        if (IsObjectColour(p)) ++c.objectPixels, ++sectors[HueSector(p)];
    });
    c.coloursSeen = static_cast<int>(std::count_if(sectors.begin(), sectors.end(), [](int n) { return n > sectorMinimum; }));
    return c;
}

bool SwarmOverSky(const Census& census) {
    return census.pixels > 0 && census.blackPixels < census.pixels / skyBlackShare &&
           census.objectPixels > swarmMinimum && census.coloursSeen >= 4;
}

int CountColour(const Picture& shot, Area area, uint8_t r, uint8_t g, uint8_t b) {
    int count = 0;
    ForEachPixel(shot, area, [&](const uint8_t* p) { count += p[0] == r && p[1] == g && p[2] == b; });
    return count;
}
