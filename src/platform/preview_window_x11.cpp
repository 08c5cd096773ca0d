// The preview window on X11: a child window of the host, watched on a connection of its own
// for the close request (WM_DELETE_WINDOW) and for its destruction along with the host.
#include "platform/preview_window.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstdlib>

namespace {

Display* previewDisplay = nullptr;
Window previewWindow = 0;
Atom protocolsAtom = 0;
Atom deleteWindowAtom = 0;

// Once the host is gone, drawing into its child fails: such errors must not end the process
// with a non-zero code; the event step notices the window's end and stops cleanly.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }
int EndOnLostServer(Display*) {
    std::fflush(nullptr);
    std::_Exit(0);
}

bool Connect() {
    if (!previewDisplay) previewDisplay = XOpenDisplay(nullptr);
    return previewDisplay != nullptr;
}

} // namespace

bool HostClientSize(uint64_t host, int& width, int& height) {
    if (host == 0 || !Connect()) return false;
    XSetErrorHandler(IgnoreXError);
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(previewDisplay, static_cast<Window>(host), &attributes)) return false;
    width = attributes.width;
    height = attributes.height;
    return true;
}

uint64_t OpenPreviewWindow(uint64_t host, int width, int height) {
    if (!Connect()) return 0;
    XSetErrorHandler(IgnoreXError);
    XSetIOErrorHandler(EndOnLostServer);
    XSetWindowAttributes attributes{};
    attributes.background_pixel = 0;
    attributes.event_mask = StructureNotifyMask;
    previewWindow = XCreateWindow(previewDisplay, static_cast<Window>(host), 0, 0, width, height, 0,
                                  CopyFromParent, InputOutput, CopyFromParent, CWBackPixel | CWEventMask, &attributes);
    protocolsAtom = XInternAtom(previewDisplay, "WM_PROTOCOLS", False);
    deleteWindowAtom = XInternAtom(previewDisplay, "WM_DELETE_WINDOW", False);
    XSetWMProtocols(previewDisplay, previewWindow, &deleteWindowAtom, 1);
    XMapWindow(previewDisplay, previewWindow);
    XSync(previewDisplay, False);
    return previewWindow;
}

PreviewMessage NextPreviewMessage() {
    if (!previewDisplay || !previewWindow) return PreviewMessage::NoMessage;
    while (XPending(previewDisplay) > 0) {
        XEvent event;
        XNextEvent(previewDisplay, &event);
        if (event.type == ClientMessage && event.xclient.message_type == protocolsAtom &&
            static_cast<Atom>(event.xclient.data.l[0]) == deleteWindowAtom)
            return PreviewMessage::Close;
        if (event.type == DestroyNotify && event.xdestroywindow.window == previewWindow) {
            previewWindow = 0;
            return PreviewMessage::HostGone;
        }
        // any other message gets the default treatment, which is none
    }
    return PreviewMessage::NoMessage;
}

void ClosePreviewWindow() {
    if (!previewDisplay) return;
    if (previewWindow) XDestroyWindow(previewDisplay, previewWindow);
    XCloseDisplay(previewDisplay);
    previewDisplay = nullptr;
    previewWindow = 0;
}
