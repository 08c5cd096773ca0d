// The user's six persisted choices and their settings file.
#pragma once
#include <string>

#include "core/settings_record.h"

// Beside the program, or in the user's own settings folder when the program's folder cannot
// hold it; worked out afresh at each call.
std::string SettingsFilePath();
// Fills Settings from the file, or with the defaults when it cannot be opened.
void LoadSettings();
// Writes the whole file anew; on failure shows "Can't save preferences !" and returns.
void SaveSettings();
// ASCII comparison without regard to letter case (keys, resolution entries).
bool SameTextIgnoringCase(const std::string& a, const std::string& b);
// The exact bytes SaveSettings writes for a record.
std::string SettingsFileText(const SettingsRecord& s);
// Reads settings file bytes into a record, key by key, defaults for what is missing.
SettingsRecord ParseSettingsText(const std::string& bytes);
