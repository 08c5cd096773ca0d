// The engine's PNG decoder (the sky picture) against any bytes, their chunk checksums put
// right: a file whose header passes the engine's bounds and whose chunks are whole decodes, if
// at all, to exactly the pixels its header says.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "png_checksums.h"
#include "sky.h"

namespace {
// The IHDR chunk follows the 8-byte signature and the chunk's length and type.
constexpr size_t widthAt = 16, heightAt = 20, headerEnd = 24;

uint32_t BigEndian(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    FixPngChecksums(file);
    if (file.size() < headerEnd || !zelvaro::IsWholePng(file)) return 0;
    const uint32_t width = BigEndian(&file[widthAt]), height = BigEndian(&file[heightAt]);
    if (width == 0 || height == 0 || width > zelvaro::largestSkyWidth || height > zelvaro::largestSkyHeight) return 0;
    if (file.size() > zelvaro::LargestSkyFile(int(width), int(height))) return 0;
    const std::atomic<bool> cancel{false};
    zelvaro::SkyPicture picture;
    if (zelvaro::DecodeSkyPicture(file, int(width), int(height), 0, 2, cancel, picture)) {
        if (picture.levels.empty() || picture.levels[0].width != int(width) || picture.levels[0].height != int(height))
            std::abort();
    }
    return 0;
}
