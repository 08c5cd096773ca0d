// Keyboard, mouse and focus through SDL. The saver reads states, not events: the queue is
// pumped so the states are fresh, then emptied so it never grows.
#include "platform/screen.h"

#include <SDL.h>

#include "core/engine_table.h"
#include "platform/display_modes.h"
#include "platform/focus.h"

namespace {
bool inputStarted = false;
bool screenHadFocus = false;
// Presses seen in the queue since the last reading: a tap shorter than a frame still counts.
bool keyPressed = false;
bool leftPressed = false;
bool rightPressed = false;
bool quitRequested = false; // the system asked the process to end (SIGTERM, SIGINT)

// SDL takes the first motion after the pointer's place is forgotten (a window entered, a
// grab) for placing it, not for motion. Giving it a place, which moves nothing in relative
// mode, makes the next single count of motion count.
void KeepMousePlaced() {
    if (!SDL_GetRelativeMouseMode()) return;
    SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow());
    if (screen) SDL_WarpMouseInWindow(screen, 0, 0);
}

// Entering a window is where SDL forgets the place, and the motion that comes with it may be
// handled in the same pump: place it again at once.
int PlaceAgainOnEnter(void*, SDL_Event* event) {
    if (event->type == SDL_WINDOWEVENT && event->window.event == SDL_WINDOWEVENT_ENTER) KeepMousePlaced();
    return 0;
}

void PumpInput() {
    SDL_PumpEvents();
    SDL_Event events[64];
    int count;
    while ((count = SDL_PeepEvents(events, 64, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT)) > 0) {
        for (int i = 0; i < count; ++i) {
            if (events[i].type == SDL_QUIT) quitRequested = true;
            if (events[i].type == SDL_KEYDOWN) keyPressed = true;
            if (events[i].type == SDL_MOUSEBUTTONDOWN && events[i].button.button == SDL_BUTTON_LEFT) leftPressed = true;
            if (events[i].type == SDL_MOUSEBUTTONDOWN && events[i].button.button == SDL_BUTTON_RIGHT) rightPressed = true;
        }
    }
}
} // namespace

bool StartInput() {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) return false;
    inputStarted = true;
    // Without a display SDL falls back to a driver that has no screen: input would "start" and
    // the saver would run where nobody sees it, holding the single-instance lock.
    return VideoDriverShowsOnScreen(SDL_GetCurrentVideoDriver());
}

void StopInput() {
    if (inputStarted) SDL_Quit();
    inputStarted = false;
}

void PrimeInput(bool ownKeyboardAndMouse) {
    SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow());
    if (ownKeyboardAndMouse) {
        // The device's own motion, not the pointer's: a mouse pushed against a screen edge moves
        // no pointer but still ends the saver. The pointer is hidden anyway.
        SDL_SetRelativeMouseMode(SDL_TRUE);
        SDL_AddEventWatch(PlaceAgainOnEnter, nullptr);
        // The saver's window takes the keyboard, so that another window taking it ends the saver.
        RequestKeyboardFocus(screen);
        screenHadFocus = WindowHasKeyboardFocus(screen);
    }
    // Keys and buttons pressed on the new window count; its own appearance is no motion.
    PumpInput();
    SDL_GetRelativeMouseState(nullptr, nullptr);
    KeepMousePlaced();
}

void DiscardInputEvents() {
    PumpInput();
    keyPressed = leftPressed = rightPressed = false;
}

bool QuitRequested() { return quitRequested; }

bool AnyKeyDown() {
    PumpInput();
    int count = 0;
    const Uint8* keys = SDL_GetKeyboardState(&count);
    if (keyPressed) {
        keyPressed = false;
        return true;
    }
    if (!keys) return false; // no reading: no key counts as down
    for (int k = 0; k < count; ++k)
        if (keys[k]) return true;
    return false;
}

void ReadMouse(int& dx, int& dy, bool& left, bool& right) {
    Uint32 buttons = SDL_GetRelativeMouseState(&dx, &dy);
    left = leftPressed || (buttons & SDL_BUTTON_LMASK) != 0;
    right = rightPressed || (buttons & SDL_BUTTON_RMASK) != 0;
    leftPressed = rightPressed = false;
    KeepMousePlaced();
}

bool ScreenLostFocus() {
    SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow());
    bool hasFocus = WindowHasKeyboardFocus(screen);
    if (hasFocus) screenHadFocus = true;
    // The window may not be shown yet when it first asks for the keyboard: ask until it has it.
    if (!screenHadFocus) RequestKeyboardFocus(screen);
    return screenHadFocus && !hasFocus;
}
