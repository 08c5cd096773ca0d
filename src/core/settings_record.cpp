#include "core/settings_record.h"

SettingsRecord Settings;
const SettingsRecord SettingsDefaults{"1024 x 768", 2, 2, 0, 0, 1};
