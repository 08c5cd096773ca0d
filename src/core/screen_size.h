// The size of the open display in pixels (the overlays are placed with it).
#pragma once
#include <cstdint>

extern int32_t ScreenWidth;
extern int32_t ScreenHeight;
