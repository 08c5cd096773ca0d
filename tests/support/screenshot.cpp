#include "screenshot.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>

Picture ReadPng(const std::string& path) {
    Picture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return picture;
    picture.width = static_cast<int>(image.width);
    picture.height = static_cast<int>(image.height);
    picture.rgba = std::move(pixels);
    return picture;
}

Picture Screenshot(const std::string& path) {
    std::string command = "import -window root -depth 8 'png32:" + path + "' 2>/dev/null";
    if (std::system(command.c_str()) != 0) return Picture{};
    return ReadPng(path);
}
