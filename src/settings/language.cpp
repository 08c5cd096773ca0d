// The LanguageTable: the configuration window's texts by language block and row, filled once
// at start-up from the embedded list (zero-terminated strings, each language closed by "#####").
#include "settings/language.h"

#include <cstddef>
#include <cstring>

#include "settings/settings.h"

extern const char LanguageList[];    // language_list.cpp
extern const size_t LanguageListSize;

const char* const EndMarker = "#####";

namespace {

constexpr int filledBlocks = 2; // French, English; block 2 stays empty
std::string LanguageTable[languageBlocks][languageRows];
const std::string emptyText;

bool InTable(int block, int row) { return block >= 0 && block < languageBlocks && row >= 0 && row < languageRows; }

} // namespace

void LoadLanguageTable() {
    for (auto& block : LanguageTable)
        for (std::string& cell : block) cell.clear();
    size_t at = 0;
    for (int block = 0; block < filledBlocks; ++block) {
        // The list is fixed, so each block ends at its marker long before the room runs out;
        // the bounds only keep a damaged list from reading or writing past its end.
        for (int row = 0; row < languageRows && at < LanguageListSize; ++row) {
            size_t length = strnlen(LanguageList + at, LanguageListSize - at);
            LanguageTable[block][row].assign(LanguageList + at, length);
            at += length + 1;
            if (LanguageTable[block][row] == EndMarker) break;
        }
    }
}

const std::string& LanguageTableCell(int block, int row) {
    return InTable(block, row) ? LanguageTable[block][row] : emptyText;
}

// A Language the file names outside 0..2 reads like the unfilled block 2: empty texts.
const std::string& UiText(int row) { return LanguageTableCell(Settings.Language, row); }
