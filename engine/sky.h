// The sky's picture on its way from the archive to the screen: read and checked by SkyBox on
// the caller's thread, decoded on a worker thread of the engine's own (sky_loader.cpp), uploaded
// and drawn on the render thread (sky_render.cpp).
#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine_state.h"

namespace zelvaro {

// The largest panorama the engine takes, checked from the PNG header before anything is
// allocated for its pixels: 128 MiB decoded.
constexpr int largestSkyWidth = 8192;
constexpr int largestSkyHeight = 4096;
constexpr int skyBytesPerPixel = 4; // R, G, B, A

struct SkyLevel {
    int width = 0, height = 0;
    std::unique_ptr<uint8_t[]> rgba; // rows from the top, no padding
};

// Levels of detail firstLevel, firstLevel + 1, ... of the panorama (level n is 2^n times smaller).
struct SkyPicture {
    int firstLevel = 0;
    std::vector<SkyLevel> levels;
};

// ---- sky_archive.cpp ----
// The file of that bare name in the most recently registered archive that holds one, if its
// size is at most largest bytes.
bool ReadArchiveFile(const std::vector<std::string>& archives, const std::string& name, size_t largest,
                     std::vector<uint8_t>& bytes);
// The picture's size from its PNG header, and whether it is within the engine's bounds.
bool ReadSkyHeader(const std::vector<std::string>& archives, const std::string& name, int& width, int& height);
// The most bytes a PNG file of that size may take: more is not a picture the engine reads.
size_t LargestSkyFile(int width, int height);
// A PNG file whose chunks run whole from the signature to the end chunk (nothing decoded).
bool IsWholePng(const std::vector<uint8_t>& file);
// Decodes the file and keeps only the levels asked for; false when it is broken, has another
// size than width x height, or cancel was set meanwhile.
bool DecodeSkyPicture(const std::vector<uint8_t>& file, int width, int height, int firstLevel, int levelCount,
                      const std::atomic<bool>& cancel, SkyPicture& picture);

// ---- sky_loader.cpp: one load at a time on the engine's worker thread ----
struct SkyRequest {
    std::vector<std::string> archives; // where to read the picture when file is empty
    std::string name;
    std::vector<uint8_t> file;         // the PNG file, when the caller has it already
    int width = 0, height = 0;         // from its header
    int firstLevel = 0, levelCount = 1;
};
void StartSkyLoad(SkyRequest request); // ends any load still running first
bool SkyLoadRunning();                 // started and not yet taken
// Once the load has ended: true, with ok telling whether picture holds it. Before: false.
bool TakeSkyLoad(SkyPicture& picture, bool& ok);
void StopSkyLoad(); // cancels a running load and waits for its thread

// ---- sky_render.cpp (render thread, GL context current) ----
void UpdateSky();   // starts the decoding for this screen, uploads the picture once decoded
void DrawSky(const glm::mat4& projection, const glm::mat4& view, int viewportHeight);
void DropSkyTexture();    // the picture's texture, as a new picture comes
void ReleaseSkyObjects(); // every GL object of the sky; the picture is decoded again for the next screen
bool SkyShown();    // the sky's texture is on the GPU

} // namespace zelvaro
