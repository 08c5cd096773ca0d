// The data files built into the program, as the bytes of the files themselves.
#pragma once
#include <cstddef>

struct EmbeddedFile {
    const unsigned char* bytes;
    size_t size;
};

extern const EmbeddedFile ShapeTableFile[1];  // shapes.bin: the five polyhedra
extern const EmbeddedFile GlyphFiles[37];     // glyphs/a.png .. z.png, 0.png .. 9.png, colon.png
extern const EmbeddedFile BannerFile[1];      // banner.bmp: the configuration window's picture
