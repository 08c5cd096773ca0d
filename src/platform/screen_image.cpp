// Screen images: decoded pictures drawn over the rendered frame through the engine.
// Black is the transparent colour of a screen image; the picture's own alpha is not used.
#include <png.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/engine_table.h"
#include "platform/screen.h"

namespace {

bool drawing2D = false;          // SwitchTo2D has run since the last flip
std::vector<int> madeImages;     // every image made here, freed by ReleaseScreenImages

constexpr png_uint_32 largestPictureSide = 1 << 14;

// The PNG file in memory as libpng reads it.
struct PngSource {
    const unsigned char* bytes;
    size_t size;
    size_t offset;
};

// What the decoder leaves behind: plain C memory, so that a libpng error may leave by longjmp.
struct DecodedRgb {
    png_uint_32 width = 0, height = 0;
    unsigned char* rgb = nullptr; // 3 bytes a pixel, rows from the top
    png_bytep* rows = nullptr;
};

void ReadFromMemory(png_structp png, png_bytep out, size_t count) {
    PngSource* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (count > source->size - source->offset) png_error(png, "truncated");
    std::memcpy(out, source->bytes + source->offset, count);
    source->offset += count;
}

// A broken picture is answered by the result; nothing is printed.
void StopOnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

// Any PNG to 8-bit RGB: palettes and grey expanded, alpha dropped, no gamma correction.
// Nothing between setjmp and its return may need a destructor.
bool DecodeToRgb(png_structp png, png_infop info, DecodedRgb* out) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_user_limits(png, largestPictureSide, largestPictureSide);
    png_read_info(png, info);
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_gray_to_rgb(png);
    png_set_strip_alpha(png);
    png_set_scale_16(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_channels(png, info) != 3 || png_get_bit_depth(png, info) != 8) return false;
    out->width = png_get_image_width(png, info);
    out->height = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    out->rgb = static_cast<unsigned char*>(std::malloc(rowBytes * out->height));
    out->rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * out->height));
    if (!out->rgb || !out->rows) return false;
    for (png_uint_32 y = 0; y < out->height; ++y) out->rows[y] = out->rgb + y * rowBytes;
    png_read_image(png, out->rows);
    return true;
}

bool DecodePng(const unsigned char* bytes, size_t size, DecodedRgb* out) {
    if (!bytes || size < 8 || png_sig_cmp(bytes, 0, 8) != 0) return false;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, StopOnError, IgnoreWarning);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    PngSource source = {bytes, size, 0};
    png_set_read_fn(png, &source, ReadFromMemory);
    const bool decoded = info && DecodeToRgb(png, info, out);
    png_destroy_read_struct(&png, &info, nullptr);
    return decoded;
}

// Pure black becomes transparent, every other colour opaque.
std::vector<unsigned char> KeyedRgba(const DecodedRgb& picture) {
    const size_t pixels = size_t(picture.width) * picture.height;
    std::vector<unsigned char> rgba(pixels * 4);
    for (size_t i = 0; i < pixels; ++i) {
        const unsigned char* rgb = picture.rgb + i * 3;
        const bool black = rgb[0] == 0 && rgb[1] == 0 && rgb[2] == 0;
        std::memcpy(&rgba[i * 4], rgb, 3);
        rgba[i * 4 + 3] = black ? 0 : 255;
    }
    return rgba;
}

} // namespace

int LoadScreenImage(const unsigned char* png, size_t size) {
    if (!Engine) return 0;
    DecodedRgb picture;
    const bool decoded = DecodePng(png, size, &picture);
    int image = 0;
    if (decoded) image = Engine->CreateImage(int(picture.width), int(picture.height), KeyedRgba(picture).data());
    std::free(picture.rgb);
    std::free(picture.rows);
    if (image != 0) madeImages.push_back(image);
    return image;
}

void DrawScreenImage(int image, int x, int y) {
    if (image == 0 || !Engine) return;
    if (!drawing2D) {
        Engine->SwitchTo2D();
        drawing2D = true;
    }
    Engine->DrawImage(image, x, y);
}

void FlipDisplay() {
    drawing2D = false;
    Engine->FlipBuffers();
}

void ReleaseScreenImages() {
    if (Engine)
        for (int image : madeImages) Engine->FreeImage(image);
    madeImages.clear();
    drawing2D = false;
}
