// Windows gives the desktop its own mode back by itself: a full-screen mode that a program sets
// lasts only as long as the program, however the program ends. Nothing is left to guard.
#include "platform/desktop_mode.h"

void GuardDesktopMode() {}
