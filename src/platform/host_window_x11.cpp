// The daemon's window on X11, watched on a connection of our own: its size changes
// (ConfigureNotify) and its end (DestroyNotify, which takes our child window with it).
// Our child window selects no input, so keys and the pointer still reach the daemon.
#include "platform/host_window.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

Display* hostDisplay = nullptr;
Window hostWindow = 0;  // the daemon's window, or the root window
Window coverWindow = 0; // ours: the engine draws in it
bool hostIsRoot = false;
int coverWidth = 0, coverHeight = 0;

// Once the host is gone, drawing into its child fails: such errors must not end the process
// with a non-zero code; the event step notices the window's end and stops cleanly.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }
int EndOnLostServer(Display*) {
    std::fflush(nullptr);
    std::_Exit(0);
}

} // namespace

HostCheck FindHostWindow(bool rootWindow, uint64_t host, int& width, int& height) {
    if (!hostDisplay) hostDisplay = XOpenDisplay(nullptr);
    if (!hostDisplay) return HostCheck::NoDisplay;
    XSetErrorHandler(IgnoreXError);
    XSetIOErrorHandler(EndOnLostServer);
    if (!rootWindow && host == None) return HostCheck::NoWindow;
    hostIsRoot = rootWindow;
    hostWindow = rootWindow ? DefaultRootWindow(hostDisplay) : static_cast<Window>(host);
    // Watch before reading the size, so that no change falls between the two.
    XSelectInput(hostDisplay, hostWindow, StructureNotifyMask);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(hostDisplay, hostWindow, &attributes)) return HostCheck::NoWindow;
    width = attributes.width;
    height = attributes.height;
    return HostCheck::Ready;
}

uint64_t OpenHostedWindow(int width, int height) {
    if (!hostDisplay || !hostWindow) return 0;
    XSetErrorHandler(IgnoreXError); // the screen's start-up may have put its own in place
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    attributes.event_mask = StructureNotifyMask;
    // On the root window ours is a top-level window: no window manager frame, and kept under
    // every other window, as a desktop background is.
    attributes.override_redirect = hostIsRoot ? True : False;
    coverWindow = XCreateWindow(hostDisplay, hostWindow, 0, 0, width, height, 0, CopyFromParent, InputOutput,
                                CopyFromParent, CWBackPixel | CWEventMask | CWOverrideRedirect, &attributes);
    XMapWindow(hostDisplay, coverWindow);
    if (hostIsRoot) XLowerWindow(hostDisplay, coverWindow);
    XSync(hostDisplay, False);
    coverWidth = width;
    coverHeight = height;
    return coverWindow;
}

HostEvent NextHostEvent(int& width, int& height) {
    if (!hostDisplay || !coverWindow) return HostEvent::NoEvent;
    bool resized = false;
    while (XPending(hostDisplay) > 0) {
        XEvent event;
        XNextEvent(hostDisplay, &event);
        if (event.type == DestroyNotify &&
            (event.xdestroywindow.window == coverWindow || event.xdestroywindow.window == hostWindow)) {
            coverWindow = 0;
            return HostEvent::HostGone;
        }
        if (event.type == ConfigureNotify && event.xconfigure.window == hostWindow &&
            (event.xconfigure.width != coverWidth || event.xconfigure.height != coverHeight)) {
            coverWidth = event.xconfigure.width;
            coverHeight = event.xconfigure.height;
            resized = true; // a burst of changes gives one resize, to the last size
        }
    }
    if (!resized) return HostEvent::NoEvent;
    XResizeWindow(hostDisplay, coverWindow, coverWidth, coverHeight);
    XSync(hostDisplay, False);
    width = coverWidth;
    height = coverHeight;
    return HostEvent::Resized;
}

void CloseHostedWindow() {
    if (!hostDisplay) return;
    if (coverWindow) XDestroyWindow(hostDisplay, coverWindow);
    XCloseDisplay(hostDisplay);
    hostDisplay = nullptr;
    hostWindow = coverWindow = 0;
}
