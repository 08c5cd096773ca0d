// Keyboard and mouse through SDL.
#include "platform/screen.h"

#include <SDL.h>

namespace {
bool inputStarted = false;
}

bool StartInput() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    inputStarted = true;
    return true;
}

void StopInput() {
    if (inputStarted) SDL_Quit();
    inputStarted = false;
}

void PrimeMouse() {}
bool AnyKeyDown() { return false; }
void ReadMouse(int& dx, int& dy, bool& left, bool& right) { dx = dy = 0, left = right = false; }
bool ScreenLostFocus() { return false; }
