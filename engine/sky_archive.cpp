// The sky: zip archives whose files load by bare name, and the PNG panorama taken from them.
// A picture's size is read from its header before anything is allocated for its pixels; too
// large a picture, like a missing or broken one, leaves the world without a sky (a black
// background), never an error. Pixels are decoded as stored, with no gamma correction.
#include <png.h>
#include <zip.h>

#include <csetjmp>
#include <cstring>

#include "engine_calls.h"
#include "engine_state.h"
#include "sky.h"

namespace zelvaro {
namespace {

constexpr int archiveZip = 1;
constexpr size_t pngSignatureSize = 8;
constexpr size_t chunkFrameSize = 12;       // length, type, CRC
constexpr size_t headerEnd = 8 + 8 + 13;    // signature, IHDR length and type, IHDR data
constexpr size_t widestPngPixel = 8;        // 16-bit RGBA
constexpr size_t chunkAllowance = 1u << 20; // text, profiles and the like beside the pixels
constexpr png_uint_32 opaqueAlpha = 0xFF;
constexpr int cancelCheckRows = 64;

uint32_t BigEndian(const uint8_t* p) {
    return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}

bool IsPngSignature(const uint8_t* bytes, size_t size) {
    return size >= pngSignatureSize && png_sig_cmp(bytes, 0, pngSignatureSize) == 0;
}

// ---- archives ----

// Opens the archive's entry of that name, if it holds one, and gives its size.
zip_file_t* OpenEntry(zip_t* archive, const std::string& name, zip_uint64_t& size) {
    const zip_int64_t index = zip_name_locate(archive, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_NODIR);
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (index < 0 || zip_stat_index(archive, index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE)) return nullptr;
    size = stat.size;
    return zip_fopen_index(archive, index, 0);
}

// Reads up to count bytes of the entry, from its start; false when the archive has no such entry.
bool ReadEntry(const std::string& path, const std::string& name, size_t largest, size_t count, bool whole,
               std::vector<uint8_t>& bytes) {
    zip_t* archive = zip_open(path.c_str(), ZIP_RDONLY, nullptr);
    if (!archive) return false;
    zip_uint64_t size = 0;
    zip_file_t* file = OpenEntry(archive, name, size);
    bool found = file != nullptr;
    if (found) {
        const size_t wanted = whole ? static_cast<size_t>(size) : std::min<size_t>(count, size);
        found = size <= largest;
        if (found) {
            bytes.resize(wanted);
            found = zip_fread(file, bytes.data(), wanted) == static_cast<zip_int64_t>(wanted);
        }
        zip_fclose(file);
    }
    zip_discard(archive);
    if (!found) std::vector<uint8_t>().swap(bytes);
    return found;
}

// The last registered archive that holds the file answers.
bool ReadFromArchives(const std::vector<std::string>& archives, const std::string& name, size_t largest,
                      size_t count, bool whole, std::vector<uint8_t>& bytes) {
    for (auto path = archives.rbegin(); path != archives.rend(); ++path)
        if (ReadEntry(*path, name, largest, count, whole, bytes)) return true;
    return false;
}

// ---- decoding ----

struct MemoryReader {
    const uint8_t* data;
    size_t size, at;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t count) {
    auto* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (count > reader->size - reader->at) png_error(png, "truncated picture");
    std::memcpy(out, reader->data + reader->at, count);
    reader->at += count;
}

// A picture that fails to decode is simply not shown: no messages on the console.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

// Every PNG kind becomes 8-bit RGBA.
void AskForRgba(png_structp png, png_infop info) {
    const int bitDepth = png_get_bit_depth(png, info);
    const int colourType = png_get_color_type(png, info);
    const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (bitDepth == 16) png_set_strip_16(png);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colourType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (hasTransparency) png_set_tRNS_to_alpha(png);
    if (!(colourType & PNG_COLOR_MASK_COLOR)) png_set_gray_to_rgb(png);
    if (!(colourType & PNG_COLOR_MASK_ALPHA) && !hasTransparency) png_set_filler(png, opaqueAlpha, PNG_FILLER_AFTER);
}

// libpng reports errors by longjmp, so each step that can fail sets its own jump point in a
// frame that holds nothing with a destructor; the buffers live in the caller.
bool ReadInfo(png_structp png, png_infop info, MemoryReader* reader, png_uint_32 width, png_uint_32 height,
              int* passes) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, largestSkyWidth, largestSkyHeight);
    png_set_read_fn(png, reader, ReadFromMemory);
    png_read_info(png, info);
    if (png_get_image_width(png, info) != width || png_get_image_height(png, info) != height) return false;
    AskForRgba(png, info);
    *passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return png_get_rowbytes(png, info) == static_cast<size_t>(width) * skyBytesPerPixel;
}

// Row by row, so that a cancelled load stops soon.
bool ReadRows(png_structp png, uint8_t* pixels, png_uint_32 width, png_uint_32 height, int passes,
              const std::atomic<bool>* cancel) {
    if (setjmp(png_jmpbuf(png))) return false;
    const size_t rowBytes = static_cast<size_t>(width) * skyBytesPerPixel;
    for (int pass = 0; pass < passes; ++pass)
        for (png_uint_32 row = 0; row < height; ++row) {
            if (row % cancelCheckRows == 0 && cancel->load(std::memory_order_relaxed)) return false;
            png_read_row(png, pixels + row * rowBytes, nullptr);
        }
    png_read_end(png, nullptr);
    return true;
}

bool DecodeWhole(const std::vector<uint8_t>& file, int width, int height, const std::atomic<bool>& cancel,
                 SkyLevel& level) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    MemoryReader reader{file.data(), file.size(), 0};
    int passes = 1;
    bool ok = info && ReadInfo(png, info, &reader, width, height, &passes);
    if (ok) {
        level.width = width;
        level.height = height;
        level.rgba = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(width) * height * skyBytesPerPixel);
        ok = ReadRows(png, level.rgba.get(), width, height, passes, &cancel);
    }
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    if (!ok) level = SkyLevel();
    return ok;
}

// The next level of detail: each pixel the mean of a 2 x 2 block (one row or column where the
// level is a single pixel high or wide), as mipmaps are made.
SkyLevel Halve(const SkyLevel& from) {
    SkyLevel to;
    to.width = std::max(from.width / 2, 1);
    to.height = std::max(from.height / 2, 1);
    to.rgba = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(to.width) * to.height * skyBytesPerPixel);
    const int stepX = from.width > 1 ? 2 : 1, stepY = from.height > 1 ? 2 : 1;
    for (int y = 0; y < to.height; ++y)
        for (int x = 0; x < to.width; ++x)
            for (int c = 0; c < skyBytesPerPixel; ++c) {
                int sum = 0;
                for (int dy = 0; dy < stepY; ++dy)
                    for (int dx = 0; dx < stepX; ++dx)
                        sum += from.rgba[(static_cast<size_t>(y * stepY + dy) * from.width + x * stepX + dx) * skyBytesPerPixel + c];
                const int count = stepX * stepY;
                to.rgba[(static_cast<size_t>(y) * to.width + x) * skyBytesPerPixel + c] =
                    static_cast<uint8_t>((sum + count / 2) / count);
            }
    return to;
}

} // namespace

// ---- for the loader ----

bool ReadArchiveFile(const std::vector<std::string>& archives, const std::string& name, size_t largest,
                     std::vector<uint8_t>& bytes) {
    return ReadFromArchives(archives, name, largest, 0, true, bytes);
}

bool ReadSkyHeader(const std::vector<std::string>& archives, const std::string& name, int& width, int& height) {
    std::vector<uint8_t> head;
    if (!ReadFromArchives(archives, name, SIZE_MAX, headerEnd, false, head) || head.size() < headerEnd) return false;
    if (!IsPngSignature(head.data(), head.size()) || std::memcmp(&head[12], "IHDR", 4) != 0) return false;
    const uint32_t w = BigEndian(&head[16]), h = BigEndian(&head[20]);
    if (w == 0 || h == 0 || w > largestSkyWidth || h > largestSkyHeight) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

size_t LargestSkyFile(int width, int height) {
    return static_cast<size_t>(height) * (1 + static_cast<size_t>(width) * widestPngPixel) + chunkAllowance;
}

bool IsWholePng(const std::vector<uint8_t>& file) {
    if (!IsPngSignature(file.data(), file.size())) return false;
    size_t at = pngSignatureSize;
    while (file.size() - at >= chunkFrameSize) {
        const size_t length = BigEndian(&file[at]);
        if (length > file.size() - at - chunkFrameSize) return false;
        if (std::memcmp(&file[at + 4], "IEND", 4) == 0) return true;
        at += chunkFrameSize + length;
    }
    return false;
}

bool DecodeSkyPicture(const std::vector<uint8_t>& file, int width, int height, int firstLevel, int levelCount,
                      const std::atomic<bool>& cancel, SkyPicture& picture) {
    picture = SkyPicture();
    SkyLevel level;
    if (!DecodeWhole(file, width, height, cancel, level)) return false;
    for (int n = 0; n < firstLevel + levelCount; ++n) {
        if (cancel.load(std::memory_order_relaxed)) {
            picture = SkyPicture();
            return false;
        }
        SkyLevel next = n + 1 < firstLevel + levelCount ? Halve(level) : SkyLevel();
        if (n >= firstLevel) picture.levels.push_back(std::move(level));
        level = std::move(next);
    }
    picture.firstLevel = firstLevel;
    return true;
}

// ---- the engine's operations ----

int Add3DArchive(const char* path, int kind) {
    if (!path || kind != archiveZip) return 0;
    zip_t* archive = zip_open(path, ZIP_RDONLY, nullptr);
    if (!archive) return 0;
    zip_discard(archive);
    world.archives.emplace_back(path);
    return 1;
}

// An equirectangular panorama: the full width is one turn around, the height pole to pole.
// Only its header and chunks are checked here; it is decoded off this thread and shows from
// the first frame after it is ready.
int SkyBox(const char* imageName) {
    StopSkyLoad();
    DropSkyTexture();
    Sky& sky = world.sky;
    sky = Sky();
    sky.name = imageName ? imageName : "";
    sky.present = ReadSkyHeader(world.archives, sky.name, sky.width, sky.height) &&
                  ReadArchiveFile(world.archives, sky.name, LargestSkyFile(sky.width, sky.height), sky.file) &&
                  IsWholePng(sky.file);
    if (!sky.present) sky = Sky();
    return sky.present ? 1 : 0;
}

} // namespace zelvaro
