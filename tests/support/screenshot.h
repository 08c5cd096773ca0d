// Screenshots of the test's X display, read back as RGBA pixels.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct Picture {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba; // rows from the top
    const uint8_t* At(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};

// Reads a PNG file (8 bits per channel after expansion); an empty picture on failure.
Picture ReadPng(const std::string& path);
// Grabs the whole screen of DISPLAY into path (a PNG) and reads it back.
Picture Screenshot(const std::string& path);
