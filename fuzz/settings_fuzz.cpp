// The settings file reader against any bytes: it must not fail, and what a load gives, a
// save followed by a load gives again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/settings.h"

namespace {
bool Same(const SettingsRecord& a, const SettingsRecord& b) {
    return a.Resolution == b.Resolution && a.Shape == b.Shape && a.ObjectCount == b.ObjectCount &&
           a.showFPS == b.showFPS && a.showTime == b.showTime && a.Language == b.Language;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const SettingsRecord first = ParseSettingsText(bytes);
    const SettingsRecord again = ParseSettingsText(SettingsFileText(first));
    if (!Same(first, again)) std::abort();
    return 0;
}
