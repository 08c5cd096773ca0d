// The desktop's mode on X11: the primary monitor's CRTC as XRandR reports it before the saver
// switches, set again from a fresh connection when the saver's own connection breaks. Xlib's
// default would end the process with a non-zero code and leave the display in the saver's mode.
#include "platform/desktop_mode.h"

#include <X11/Xlib.h>
#include <X11/extensions/Xrandr.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

struct DesktopMode {
    bool known = false;
    RRCrtc crtc = 0;
    RRMode mode = 0;
    int x = 0, y = 0;
    Rotation rotation = RR_Rotate_0;
    std::vector<RROutput> outputs;
    int screenWidth = 0, screenHeight = 0, screenWidthMm = 0, screenHeightMm = 0;
};
DesktopMode desktop;

int IgnoreError(Display*, XErrorEvent*) { return 0; }

// The CRTC of the primary output, or of the first output that shows something.
RRCrtc PrimaryCrtc(Display* display, XRRScreenResources* resources) {
    RROutput primary = XRRGetOutputPrimary(display, DefaultRootWindow(display));
    RRCrtc found = 0;
    for (int i = 0; i < resources->noutput; ++i) {
        XRROutputInfo* output = XRRGetOutputInfo(display, resources, resources->outputs[i]);
        if (output && output->crtc && (!found || resources->outputs[i] == primary)) found = output->crtc;
        if (output) XRRFreeOutputInfo(output);
    }
    return found;
}

void RememberDesktopMode(Display* display) {
    int eventBase = 0, errorBase = 0;
    if (!XRRQueryExtension(display, &eventBase, &errorBase)) return;
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, DefaultRootWindow(display));
    if (!resources) return;
    RRCrtc crtc = PrimaryCrtc(display, resources);
    XRRCrtcInfo* info = crtc ? XRRGetCrtcInfo(display, resources, crtc) : nullptr;
    if (info) {
        const int screen = DefaultScreen(display);
        desktop = DesktopMode{true, crtc, info->mode, info->x, info->y, info->rotation,
                              std::vector<RROutput>(info->outputs, info->outputs + info->noutput),
                              DisplayWidth(display, screen), DisplayHeight(display, screen),
                              DisplayWidthMM(display, screen), DisplayHeightMM(display, screen)};
        XRRFreeCrtcInfo(info);
    }
    XRRFreeScreenResources(resources);
}

bool DesktopModeShown(Display* display, XRRScreenResources* resources) {
    XRRCrtcInfo* info = XRRGetCrtcInfo(display, resources, desktop.crtc);
    const int screen = DefaultScreen(display);
    bool shown = info && info->mode == desktop.mode && info->x == desktop.x && info->y == desktop.y &&
                 DisplayWidth(display, screen) == desktop.screenWidth &&
                 DisplayHeight(display, screen) == desktop.screenHeight;
    if (info) XRRFreeCrtcInfo(info);
    return shown;
}

// As a mode switch does it: the CRTC off, the screen to its old size, the CRTC in its old mode.
void GiveDesktopModeBack() {
    if (!desktop.known) return;
    XSetErrorHandler(IgnoreError); // nothing here may end the process before it is done
    Display* display = XOpenDisplay(nullptr);
    if (!display) return; // the server itself is gone, and its modes with it
    Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    if (resources && !DesktopModeShown(display, resources)) {
        XGrabServer(display);
        XRRSetCrtcConfig(display, resources, desktop.crtc, CurrentTime, 0, 0, None, desktop.rotation, nullptr, 0);
        XRRSetScreenSize(display, root, desktop.screenWidth, desktop.screenHeight, desktop.screenWidthMm,
                         desktop.screenHeightMm);
        XRRSetCrtcConfig(display, resources, desktop.crtc, CurrentTime, desktop.x, desktop.y, desktop.mode,
                         desktop.rotation, desktop.outputs.data(), static_cast<int>(desktop.outputs.size()));
        XUngrabServer(display);
        XSync(display, False);
    }
    if (resources) XRRFreeScreenResources(resources);
    XCloseDisplay(display);
}

[[noreturn]] void EndAfterServerError() {
    GiveDesktopModeBack();
    std::fflush(nullptr);
    std::_Exit(0); // every way out of the saver ends with exit code 0
}

int EndOnLostConnection(Display*) { EndAfterServerError(); }
int EndOnProtocolError(Display*, XErrorEvent*) { EndAfterServerError(); }

} // namespace

void GuardDesktopMode() {
    if (Display* display = XOpenDisplay(nullptr)) {
        RememberDesktopMode(display);
        XCloseDisplay(display);
    }
    // Installed once SDL runs, in place of its own handler, which asks the server again on the
    // connection that is reporting the error and so waits for ever.
    XSetIOErrorHandler(EndOnLostConnection);
    XSetErrorHandler(EndOnProtocolError);
}
