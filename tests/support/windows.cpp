#include "windows.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <sstream>

#include "process.h"

namespace {
// The window the X server gives the keyboard to, as a decimal id; xdotool's own answer falls
// back to the window under the pointer, which is not the same thing.
std::string FocusedWindow() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return "";
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    XCloseDisplay(display);
    return std::to_string(focus);
}

// True once the middle of the window shows something other than black: a frame was flipped.
bool WindowShowsAFrame(const std::string& id) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Window window = std::stoul(id);
    XWindowAttributes attributes;
    bool drawn = false;
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state == IsViewable) {
        const int side = 64;
        XImage* image = XGetImage(display, window, attributes.width / 2 - side / 2, attributes.height / 2 - side / 2,
                                  side, side, AllPlanes, ZPixmap);
        for (int y = 0; image && y < side && !drawn; ++y)
            for (int x = 0; x < side && !drawn; ++x) drawn = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
        if (image) XDestroyImage(image);
    }
    XCloseDisplay(display);
    return drawn;
}
} // namespace

std::string WaitForSaverWindow(pid_t pid, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.1) {
        std::string ids = RunCommand("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null");
        std::string focus = FocusedWindow();
        std::istringstream list(ids);
        for (std::string id; std::getline(list, id);)
            if (!id.empty() && focus == id && WindowShowsAFrame(id)) return id;
        if (!ProcessRunning(pid)) return "";
        Pause(0.1);
    }
    return "";
}

std::string FindWindowTitled(const std::string& title) {
    // xdotool cannot match titles stored as UTF-8 text; the tree listing shows them all
    std::istringstream tree(RunCommand("xwininfo -root -tree 2>/dev/null"));
    const std::string quoted = "\"" + title + "\"";
    for (std::string line; std::getline(tree, line);) {
        size_t id = line.find("0x");
        if (id != std::string::npos && line.find(quoted) != std::string::npos)
            return line.substr(id, line.find(' ', id) - id);
    }
    return "";
}
