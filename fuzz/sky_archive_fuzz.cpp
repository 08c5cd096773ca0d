// The engine's sky archive reader against any bytes: the archive is registered and its
// "space2.png" looked up, checked and decoded as SkyBox and the sky's loader do it. The bytes
// live in a memory file, so that the reader opens them by path like any archive.
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine_calls.h"
#include "sky.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int memoryFile = memfd_create("sky_archive_fuzz", 0);
    if (memoryFile < 0 || ftruncate(memoryFile, 0) != 0) std::abort();
    if (size > 0 && pwrite(memoryFile, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(memoryFile);

    zelvaro::world.archives.clear();
    if (zelvaro::Add3DArchive(path.c_str(), 1)) {
        const std::string name = "space2.png";
        int width = 0, height = 0;
        std::vector<uint8_t> file;
        if (zelvaro::ReadSkyHeader(zelvaro::world.archives, name, width, height) &&
            zelvaro::ReadArchiveFile(zelvaro::world.archives, name, zelvaro::LargestSkyFile(width, height), file) &&
            zelvaro::IsWholePng(file)) {
            const std::atomic<bool> cancel{false};
            zelvaro::SkyPicture picture;
            if (zelvaro::DecodeSkyPicture(file, width, height, 0, 1, cancel, picture) &&
                (picture.levels.size() != 1 || picture.levels[0].width != width || picture.levels[0].height != height))
                std::abort();
        }
    }
    zelvaro::world.archives.clear();
    return 0;
}
