// The integer reader and the resolution text against any text: no overflow anywhere, and the
// decimal text of any 64-bit value reads back as that value.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/integer_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    ReadIntegerText(text);
    int32_t width = 0, height = 0;
    ParseResolution(text, width, height);

    if (size >= sizeof(int64_t)) {
        int64_t value = 0;
        std::memcpy(&value, data, sizeof value);
        if (ReadIntegerText(std::to_string(value)) != value) std::abort();
        if (ReadIntegerText(" \t" + std::to_string(value) + "x") != value) std::abort();
    }
    return 0;
}
