// The user's six persisted choices, as every part reads them.
#pragma once
#include <cstdint>
#include <string>

struct SettingsRecord {
    std::string Resolution; // "1024 x 768"
    int8_t Shape = 0;       // ShapeKind
    int32_t ObjectCount = 0;
    int8_t showFPS = 0;
    int8_t showTime = 0;
    int32_t Language = 0;   // 0 French, 1 English
};

extern SettingsRecord Settings;
extern const SettingsRecord SettingsDefaults;
