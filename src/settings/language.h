// The configuration window's texts in French and English, looked up by row.
#pragma once
#include <string>

constexpr int languageBlocks = 3;
constexpr int languageRows = 101;
extern const char* const EndMarker; // "#####"

// Fills blocks 0 (French) and 1 (English) from the embedded list.
void LoadLanguageTable();
// The text at row in block Settings.Language; empty outside the table.
const std::string& UiText(int row);
// The text at (block, row); empty outside the table.
const std::string& LanguageTableCell(int block, int row);
