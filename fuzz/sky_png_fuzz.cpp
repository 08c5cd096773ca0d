// The engine's PNG decoder (the sky picture) against any bytes, their chunk checksums put
// right: a picture it accepts has exactly the pixels its size says.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "engine_state.h"
#include "png_checksums.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    FixPngChecksums(file);
    int width = 0, height = 0;
    std::vector<uint8_t> rgba;
    if (zelvaro::DecodePng(file, width, height, rgba) &&
        (width <= 0 || height <= 0 || rgba.size() != static_cast<size_t>(width) * static_cast<size_t>(height) * 4))
        std::abort();
    return 0;
}
