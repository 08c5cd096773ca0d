// Keyboard, mouse and focus through SDL. The saver reads states, not events: the queue is
// pumped so the states are fresh, then emptied so it never grows.
#include "platform/screen.h"

#include <SDL.h>

#include "scene/engine.h"

namespace {
bool inputStarted = false;
bool screenHadFocus = false;

void PumpInput() {
    SDL_PumpEvents();
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}
} // namespace

bool StartInput() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    inputStarted = true;
    return true;
}

void StopInput() {
    if (inputStarted) SDL_Quit();
    inputStarted = false;
}

void PrimeInput() {
    PumpInput();
    SDL_GetRelativeMouseState(nullptr, nullptr); // the window's own appearance is no motion
    // The saver's window takes the keyboard, so that another window taking it ends the saver.
    if (SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow())) {
        SDL_RaiseWindow(screen);
        SDL_SetWindowInputFocus(screen);
    }
}

void DiscardInputEvents() { PumpInput(); }

bool AnyKeyDown() {
    PumpInput();
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    if (!keys) return false; // no reading: no key counts as down
    for (int k = 0; k < count; ++k)
        if (keys[k]) return true;
    return false;
}

void ReadMouse(int& dx, int& dy, bool& left, bool& right) {
    Uint32 buttons = SDL_GetRelativeMouseState(&dx, &dy);
    left = (buttons & SDL_BUTTON_LMASK) != 0;
    right = (buttons & SDL_BUTTON_RMASK) != 0;
}

bool ScreenLostFocus() {
    SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow());
    SDL_Window* focus = SDL_GetKeyboardFocus();
    if (focus == screen) screenHadFocus = true;
    return screenHadFocus && focus != screen;
}
