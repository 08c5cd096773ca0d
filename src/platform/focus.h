// The keyboard focus of the saver's window (GetFocus on Windows, the X server's focus on X11).
#pragma once
#include <SDL.h>

bool WindowHasKeyboardFocus(SDL_Window* window);
// Asks for the keyboard; a window that is not shown yet is asked again later.
void RequestKeyboardFocus(SDL_Window* window);
