// The program's integer reader and the resolution text built on it (the screen size, the
// preview host's handle).
#pragma once
#include <cstdint>
#include <string>

// Reads an integer as the program's text reader does: blanks, sign, decimal, "$" hex, "%" binary.
// Digits past 64 bits wrap around; every text gives a value.
int64_t ReadIntegerText(const std::string& text);
// Splits "1024 x 768" at the lower-case "x" into width and height.
void ParseResolution(const std::string& resolution, int32_t& width, int32_t& height);
