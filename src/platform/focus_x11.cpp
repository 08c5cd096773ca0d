// Which window has the keyboard, asked of the X server itself: SDL's own record of the focus
// misses changes that happen while its window is being mapped.
#include "platform/focus.h"

#include <SDL_syswm.h>
#include <X11/Xlib.h>

bool WindowHasKeyboardFocus(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return false;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(info.info.x11.display, &focus, &revert);
    return focus == info.info.x11.window;
}

void RequestKeyboardFocus(SDL_Window* window) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (!window || !SDL_GetWindowWMInfo(window, &info) || info.subsystem != SDL_SYSWM_X11) return;
    XWindowAttributes attributes;
    // Only a viewable window may take the focus; until then the request waits for a later frame.
    if (XGetWindowAttributes(info.info.x11.display, info.info.x11.window, &attributes) &&
        attributes.map_state == IsViewable) {
        XRaiseWindow(info.info.x11.display, info.info.x11.window);
        XSetInputFocus(info.info.x11.display, info.info.x11.window, RevertToParent, CurrentTime);
        XFlush(info.info.x11.display);
    }
}
