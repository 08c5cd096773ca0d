// The sky: zip archives whose files load by bare name, and the PNG panorama taken from them.
// Pixels are decoded as stored, with no gamma correction. A missing archive or picture leaves
// the world without a sky (a black background), never an error.
#include <png.h>
#include <zip.h>

#include <csetjmp>
#include <cstring>

#include "engine_calls.h"
#include "engine_state.h"

namespace zelvaro {
namespace {

constexpr int archiveZip = 1;
constexpr size_t pngSignatureSize = 8;
constexpr zip_uint64_t largestArchiveFile = 256u << 20;
constexpr png_uint_32 largestPictureSide = 1u << 14;
constexpr int bytesPerPixel = 4;
constexpr png_uint_32 opaqueAlpha = 0xFF;

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
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
}

// libpng reports errors by longjmp, so each step that can fail sets its own jump point in a
// frame that holds nothing with a destructor; the buffers live in the caller.
bool ReadHeader(png_structp png, png_infop info, MemoryReader* reader, png_uint_32* width, png_uint_32* height) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, reader, ReadFromMemory);
    png_read_info(png, info);
    *width = png_get_image_width(png, info);
    *height = png_get_image_height(png, info);
    if (*width == 0 || *height == 0 || *width > largestPictureSide || *height > largestPictureSide) return false;
    AskForRgba(png, info);
    return png_get_rowbytes(png, info) == static_cast<size_t>(*width) * bytesPerPixel;
}

bool ReadRows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

bool Decode(png_structp png, png_infop info, const std::vector<uint8_t>& file, int& width, int& height,
            std::vector<uint8_t>& rgba) {
    MemoryReader reader{file.data(), file.size(), 0};
    png_uint_32 w = 0, h = 0;
    if (!ReadHeader(png, info, &reader, &w, &h)) return false;
    const size_t rowBytes = static_cast<size_t>(w) * bytesPerPixel;
    rgba.resize(rowBytes * h);
    std::vector<png_bytep> rows(h);
    for (png_uint_32 row = 0; row < h; ++row) rows[row] = rgba.data() + row * rowBytes;
    if (!ReadRows(png, rows.data())) return false;
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    return true;
}

// A picture that fails to decode is simply not shown: no messages on the console.
void QuietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void QuietWarning(png_structp, png_const_charp) {}

} // namespace

bool DecodePng(const std::vector<uint8_t>& file, int& width, int& height, std::vector<uint8_t>& rgba) {
    if (file.size() < pngSignatureSize || png_sig_cmp(file.data(), 0, pngSignatureSize) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, QuietError, QuietWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    const bool ok = info && Decode(png, info, file, width, height, rgba);
    png_destroy_read_struct(&png, info ? &info : nullptr, nullptr);
    return ok;
}

namespace {

// The file of that bare name in the most recently registered archive that holds one.
bool ReadArchiveFile(const std::string& name, std::vector<uint8_t>& bytes) {
    for (auto path = world.archives.rbegin(); path != world.archives.rend(); ++path) {
        zip_t* archive = zip_open(path->c_str(), ZIP_RDONLY, nullptr);
        if (!archive) continue;
        const zip_int64_t index = zip_name_locate(archive, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_NODIR);
        zip_stat_t stat;
        zip_stat_init(&stat);
        bool found = index >= 0 && zip_stat_index(archive, index, 0, &stat) == 0 &&
                     (stat.valid & ZIP_STAT_SIZE) && stat.size <= largestArchiveFile;
        if (found) {
            bytes.resize(stat.size);
            zip_file_t* file = zip_fopen_index(archive, index, 0);
            found = file && zip_fread(file, bytes.data(), stat.size) == static_cast<zip_int64_t>(stat.size);
            if (file) zip_fclose(file);
        }
        zip_discard(archive);
        if (found) return true;
    }
    return false;
}

} // namespace

bool LoadSkyPicture(Sky& sky) {
    std::vector<uint8_t> file;
    return ReadArchiveFile(sky.name, file) && DecodePng(file, sky.width, sky.height, sky.rgba);
}

int Add3DArchive(const char* path, int kind) {
    if (!path || kind != archiveZip) return 0;
    zip_t* archive = zip_open(path, ZIP_RDONLY, nullptr);
    if (!archive) return 0;
    zip_discard(archive);
    world.archives.emplace_back(path);
    return 1;
}

// An equirectangular panorama: the full width is one turn around, the height pole to pole.
int SkyBox(const char* imageName) {
    Sky& sky = world.sky;
    if (sky.gl && screen.context) glDeleteTextures(1, &sky.gl); // the next render uploads the new one
    sky = Sky();
    sky.name = imageName ? imageName : "";
    sky.present = LoadSkyPicture(sky);
    if (!sky.present) sky.rgba = {};
    return sky.present ? 1 : 0;
}

} // namespace zelvaro
