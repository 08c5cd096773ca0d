// The resolution list: the display's 32-bit modes, large enough for the saver, one per size,
// in the order of their sort keys.
#include "settings/resolution_list.h"

#include <algorithm>

namespace {

// A mode is offered when it is at least 600 pixels both ways: the width rule alone would offer
// 640 x 480, which is too small for the saver and was never meant to be listed.
constexpr int smallestSide = 600;
constexpr int offeredDepth = 32;
constexpr int padBelow = 1000; // sizes below this take one leading "0" in the sort key

const std::vector<DisplayMode>* displayModesForTests = nullptr;
bool enumerationStartsForTests = true;

std::string SortKeyPart(int32_t size) { return (size < padBelow ? "0" : "") + std::to_string(size); }

} // namespace

std::vector<ResolutionEntry> BuildResolutionList(const std::vector<DisplayMode>& modes) {
    std::vector<ResolutionEntry> list;
    for (const DisplayMode& mode : modes) {
        if (mode.width < smallestSide || mode.height < smallestSide || mode.bitsPerPixel != offeredDepth) continue;
        bool known = std::any_of(list.begin(), list.end(), [&](const ResolutionEntry& entry) {
            return entry.width == mode.width && entry.height == mode.height;
        });
        if (known) continue; // the same size at another refresh rate
        list.push_back({mode.width, mode.height, static_cast<uint8_t>(offeredDepth),
                        SortKeyPart(mode.width) + SortKeyPart(mode.height)});
    }
    // std::string compares bytes as unsigned chars, as a byte-wise sort does.
    std::stable_sort(list.begin(), list.end(),
                     [](const ResolutionEntry& a, const ResolutionEntry& b) { return a.sortKey < b.sortKey; });
    return list;
}

std::string ResolutionText(const ResolutionEntry& entry) {
    return std::to_string(entry.width) + " x " + std::to_string(entry.height);
}

// The toolkit's own mode list knows only the current size on some desktops: the display is
// asked directly.
bool ReadDisplayModes(std::vector<DisplayMode>& modes) {
    if (!displayModesForTests) return ListDisplayModes(modes);
    modes = *displayModesForTests;
    return enumerationStartsForTests;
}

void SetDisplayModesForTests(const std::vector<DisplayMode>* modes, bool enumerationStarts) {
    displayModesForTests = modes;
    enumerationStartsForTests = enumerationStarts;
}
