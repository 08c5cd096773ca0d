// The covers on X11: override-redirect windows on the saver's own connection, so no window
// manager places, decorates or focuses them; the server paints them black itself, and the
// pointer is invisible over them. Monitors are SDL's displays: display 0 is the primary.
#include "platform/cover_windows.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>

#include <vector>

#include "core/engine_table.h"

namespace {

constexpr int primaryDisplay = 0;
Display* coverDisplay = nullptr;
std::vector<Window> covers;

Cursor InvisibleCursor(Display* display, Window root) {
    static const char noBits[1] = {0};
    Pixmap empty = XCreateBitmapFromData(display, root, noBits, 1, 1);
    XColor black{};
    Cursor cursor = XCreatePixmapCursor(display, empty, empty, &black, &black, 0, 0);
    XFreePixmap(display, empty);
    return cursor;
}

} // namespace

void CoverOtherMonitors() {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    SDL_Window* screen = static_cast<SDL_Window*>(Engine->ScreenWindow());
    if (!screen || !SDL_GetWindowWMInfo(screen, &info) || info.subsystem != SDL_SYSWM_X11) return;
    coverDisplay = info.info.x11.display;
    const int screenNumber = DefaultScreen(coverDisplay);
    const Window root = RootWindow(coverDisplay, screenNumber);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    attributes.background_pixel = BlackPixel(coverDisplay, screenNumber);
    attributes.cursor = InvisibleCursor(coverDisplay, root);
    for (int display = 0; display < SDL_GetNumVideoDisplays(); ++display) {
        SDL_Rect bounds;
        if (display == primaryDisplay || SDL_GetDisplayBounds(display, &bounds) != 0) continue;
        Window cover = XCreateWindow(coverDisplay, root, bounds.x, bounds.y, bounds.w, bounds.h, 0, CopyFromParent,
                                     InputOutput, CopyFromParent, CWOverrideRedirect | CWBackPixel | CWCursor,
                                     &attributes);
        XMapRaised(coverDisplay, cover);
        covers.push_back(cover);
    }
    XFreeCursor(coverDisplay, attributes.cursor);
    XFlush(coverDisplay);
}

void UncoverMonitors() {
    for (Window cover : covers) XDestroyWindow(coverDisplay, cover);
    if (coverDisplay) XFlush(coverDisplay);
    covers.clear();
    coverDisplay = nullptr;
}
