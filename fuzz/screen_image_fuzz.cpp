// The program's PNG loader (the overlay's glyph images) against any bytes, their chunk
// checksums put right, with an engine table that only takes the image: every pixel handed
// over is read, and each is either transparent or opaque.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "core/engine_table.h"
#include "platform/screen.h"
#include "png_checksums.h"

namespace {

int TakeImage(int width, int height, const unsigned char* rgba) {
    if (width <= 0 || height <= 0 || !rgba) std::abort();
    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < pixels; ++i)
        if (rgba[i * 4 + 3] != 0 && rgba[i * 4 + 3] != 255) std::abort();
    return 1;
}

void FreeImage(int) {}

ZelvaroEngine ImageOnlyEngine() {
    ZelvaroEngine table{};
    table.CreateImage = TakeImage;
    table.FreeImage = FreeImage;
    return table;
}

const ZelvaroEngine imageOnlyEngine = ImageOnlyEngine();

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Engine = &imageOnlyEngine;
    std::vector<uint8_t> file(data, data + size);
    FixPngChecksums(file);
    LoadScreenImage(file.data(), file.size());
    ReleaseScreenImages();
    return 0;
}
