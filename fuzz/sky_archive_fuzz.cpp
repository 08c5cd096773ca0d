// The engine's sky archive reader against any bytes: the archive is registered, its
// "space2.png" looked up by bare name and decoded, as SkyBox does it. The bytes live in a
// memory file, so that the reader opens them by path like any archive.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "engine_calls.h"
#include "engine_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const int memoryFile = memfd_create("sky_archive_fuzz", 0);
    if (memoryFile < 0 || ftruncate(memoryFile, 0) != 0) std::abort();
    if (size > 0 && pwrite(memoryFile, data, size, 0) != static_cast<ssize_t>(size)) std::abort();
    const std::string path = "/proc/self/fd/" + std::to_string(memoryFile);

    zelvaro::world.archives.clear();
    if (zelvaro::Add3DArchive(path.c_str(), 1)) {
        zelvaro::Sky sky;
        sky.name = "space2.png";
        if (zelvaro::LoadSkyPicture(sky) && sky.rgba.size() != static_cast<size_t>(sky.width) * sky.height * 4)
            std::abort();
    }
    zelvaro::world.archives.clear();
    return 0;
}
