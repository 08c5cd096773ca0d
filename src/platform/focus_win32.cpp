// The saver's keyboard focus on Windows: the foreground window, which the user changes by
// switching to another program. The screen's window is the engine library's, made by that
// library's own copy of SDL, so it is known here by its thread: the thread's one shown window
// that takes the focus (the monitors' black covers never do).
#include "platform/focus.h"

#include <windows.h>

namespace {

BOOL CALLBACK NoteScreenWindow(HWND window, LPARAM found) {
    const bool takesFocus = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_NOACTIVATE) == 0;
    if (!IsWindowVisible(window) || !takesFocus) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND ScreenWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), NoteScreenWindow, reinterpret_cast<LPARAM>(&found));
    return found;
}

} // namespace

bool WindowHasKeyboardFocus(SDL_Window* window) {
    HWND front = GetForegroundWindow();
    return window && front && GetWindowThreadProcessId(front, nullptr) == GetCurrentThreadId();
}

void RequestKeyboardFocus(SDL_Window* window) {
    HWND screen = window ? ScreenWindow() : nullptr;
    if (screen) SetForegroundWindow(screen);
}
