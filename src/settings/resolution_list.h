// The resolutions the configuration window offers, built from the display's modes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/display_modes.h"

struct ResolutionEntry {
    int32_t width = 0;
    int32_t height = 0;
    uint8_t depth = 0;   // always 32 in the list
    std::string sortKey; // "08000600" for 800 x 600
};

// The offered resolutions: 32-bit modes at least 600 pixels both ways (so 640 x 480 is too
// small), one per size, ordered by sortKey.
std::vector<ResolutionEntry> BuildResolutionList(const std::vector<DisplayMode>& modes);
// "800 x 600"
std::string ResolutionText(const ResolutionEntry& entry);

// The display's modes; false when their enumeration cannot start (no display). A display that
// reports none gives an empty list and true.
bool ReadDisplayModes(std::vector<DisplayMode>& modes);
// Replaces the display's own modes (nullptr restores them); enumerationStarts false stands for
// a display that cannot be reached.
void SetDisplayModesForTests(const std::vector<DisplayMode>* modes, bool enumerationStarts = true);
