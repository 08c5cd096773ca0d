// Build tool: writes the program's icon, the picture of src/data/icon.xpm, as a Windows icon
// file of one 32 x 32 image in 16 colours (4 bits a pixel); the XPM's transparent pixels go
// into the image's mask. The Windows build puts the file into the program's resources.
// usage: zelvaro_make_icon OUT.ico
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

#include "data/icon.xpm"

constexpr int side = 32;
constexpr int paletteSize = 16;
constexpr int bitsPerPixel = 4;
constexpr int infoHeaderBytes = 40;
constexpr int directoryBytes = 6 + 16; // the icon directory and its one entry
constexpr int colourRowBytes = side * bitsPerPixel / 8;
constexpr int maskRowBytes = 4; // one bit a pixel, rows padded to 32 bits
constexpr uint32_t opaqueBlack = 0x000000;

struct IconPicture {
    std::vector<uint32_t> palette{opaqueBlack}; // 0xRRGGBB; index 0 also fills transparent pixels
    std::vector<int> index;                     // per pixel, rows from the top
    std::vector<bool> transparent;
};

bool ReadXpm(IconPicture& picture, std::string& problem) {
    int width = 0, height = 0, colours = 0, charsPerPixel = 0;
    if (std::sscanf(zelvaro_icon_xpm[0], "%d %d %d %d", &width, &height, &colours, &charsPerPixel) != 4 ||
        width != side || height != side || charsPerPixel != 1) {
        problem = "the XPM is not a 32 x 32 picture of one character a pixel";
        return false;
    }
    std::map<char, int> indexOf; // -1: transparent
    for (int c = 1; c <= colours; ++c) {
        const std::string line = zelvaro_icon_xpm[c];
        const size_t value = line.find(" c ");
        if (value == std::string::npos) {
            problem = "no colour in XPM line " + line;
            return false;
        }
        const std::string colour = line.substr(value + 3);
        if (colour == "None") {
            indexOf[line[0]] = -1;
            continue;
        }
        const uint32_t rgb = static_cast<uint32_t>(std::stoul(colour.substr(1), nullptr, 16));
        int index = 0;
        while (index < static_cast<int>(picture.palette.size()) && picture.palette[index] != rgb) ++index;
        if (index == static_cast<int>(picture.palette.size())) picture.palette.push_back(rgb);
        indexOf[line[0]] = index;
    }
    if (picture.palette.size() > paletteSize) {
        problem = "the XPM has more than 16 colours";
        return false;
    }
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const auto found = indexOf.find(zelvaro_icon_xpm[1 + colours + y][x]);
            if (found == indexOf.end()) {
                problem = "a pixel of an unknown colour";
                return false;
            }
            picture.transparent.push_back(found->second < 0);
            picture.index.push_back(found->second < 0 ? 0 : found->second);
        }
    return true;
}

void Put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// The image as an icon holds it: a bitmap header of twice the height (colours, then mask),
// the palette, the colour rows and the mask rows, both from the bottom row up.
std::string IconImage(const IconPicture& picture) {
    const uint32_t pixelBytes = side * (colourRowBytes + maskRowBytes);
    std::string image;
    Put(image, infoHeaderBytes, 4);
    Put(image, side, 4);
    Put(image, 2 * side, 4);
    Put(image, 1, 2); // planes
    Put(image, bitsPerPixel, 2);
    Put(image, 0, 4); // no compression
    Put(image, pixelBytes, 4);
    Put(image, 0, 4); // no preferred resolution
    Put(image, 0, 4);
    Put(image, paletteSize, 4);
    Put(image, 0, 4);
    for (int i = 0; i < paletteSize; ++i) {
        const uint32_t rgb = i < static_cast<int>(picture.palette.size()) ? picture.palette[i] : opaqueBlack;
        Put(image, rgb & 0xFF, 1); // blue, green, red, reserved
        Put(image, (rgb >> 8) & 0xFF, 1);
        Put(image, (rgb >> 16) & 0xFF, 1);
        Put(image, 0, 1);
    }
    for (int y = side - 1; y >= 0; --y)
        for (int x = 0; x < side; x += 2)
            Put(image, picture.index[y * side + x] << 4 | picture.index[y * side + x + 1], 1);
    for (int y = side - 1; y >= 0; --y) {
        uint32_t bits = 0; // the leftmost pixel is the highest bit of the first byte
        for (int x = 0; x < side; ++x)
            if (picture.transparent[y * side + x]) bits |= 1u << (31 - x);
        for (int shift = 24; shift >= 0; shift -= 8) Put(image, (bits >> shift) & 0xFF, 1);
    }
    return image;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.ico\n", argv[0]);
        return 2;
    }
    IconPicture picture;
    std::string problem;
    if (!ReadXpm(picture, problem)) {
        std::fprintf(stderr, "%s: %s\n", argv[0], problem.c_str());
        return 1;
    }
    const std::string image = IconImage(picture);
    std::string file;
    Put(file, 0, 2); // reserved
    Put(file, 1, 2); // an icon, not a cursor
    Put(file, 1, 2); // one image
    Put(file, side, 1);
    Put(file, side, 1);
    Put(file, paletteSize, 1);
    Put(file, 0, 1);
    Put(file, 1, 2); // planes
    Put(file, bitsPerPixel, 2);
    Put(file, static_cast<uint32_t>(image.size()), 4);
    Put(file, directoryBytes, 4);
    file += image;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return out ? 0 : 1;
}
