#include "xorg.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xrandr.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "process.h"
#include "temp_folder.h"

namespace {
pid_t xorgPid = -1;
bool stopAtExit = false;

std::string Size(int width, int height) { return std::to_string(width) + "x" + std::to_string(height); }
} // namespace

std::string StartXorg() {
    if (xorgPid > 0) return std::getenv("DISPLAY");
    const std::string folder = MakeTempFolder(); // its log, and an empty folder of config snippets
    const std::string snippets = folder + "/xorg.conf.d";
    const std::string config = std::string(ZELVARO_SOURCE_DIR) + "/tests/xorg-dummy.conf";
    const std::string log = folder + "/xorg.log";
    mkdir(snippets.c_str(), 0700);
    int fds[2];
    if (pipe(fds) != 0) return "";
    pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM); // never outlives the test
        close(fds[0]);
        std::freopen((folder + "/xorg.stderr").c_str(), "w", stderr);
        std::string fd = std::to_string(fds[1]);
        execlp("Xorg", "Xorg", "-displayfd", fd.c_str(), "-config", config.c_str(), "-configdir", snippets.c_str(),
               "-logfile", log.c_str(), "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (pid < 0 || number.empty()) {
        std::fprintf(stderr, "Xorg did not start; its log: %s\n", log.c_str());
        if (pid > 0) waitpid(pid, nullptr, 0);
        return "";
    }
    xorgPid = pid;
    std::string display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    if (!stopAtExit) std::atexit(StopXorg);
    stopAtExit = true;
    return display;
}

void StopXorg() {
    if (xorgPid <= 0) return;
    kill(xorgPid, SIGTERM);
    waitpid(xorgPid, nullptr, 0);
    xorgPid = -1;
}

std::string XorgScreenSize() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return "";
    std::string size = Size(DisplayWidth(display, DefaultScreen(display)), DisplayHeight(display, DefaultScreen(display)));
    XCloseDisplay(display);
    return size;
}

std::string XorgPrimaryMonitorSize() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return "";
    std::string size;
    Window root = DefaultRootWindow(display);
    XRRScreenResources* resources = XRRGetScreenResourcesCurrent(display, root);
    RROutput primary = XRRGetOutputPrimary(display, root);
    XRROutputInfo* output = resources ? XRRGetOutputInfo(display, resources, primary) : nullptr;
    XRRCrtcInfo* crtc = output && output->crtc ? XRRGetCrtcInfo(display, resources, output->crtc) : nullptr;
    if (crtc) size = Size(static_cast<int>(crtc->width), static_cast<int>(crtc->height));
    if (crtc) XRRFreeCrtcInfo(crtc);
    if (output) XRRFreeOutputInfo(output);
    if (resources) XRRFreeScreenResources(resources);
    XCloseDisplay(display);
    return size;
}

void ResetXorgMonitors() {
    RunCommand("xsetroot -solid black 2>/dev/null");
    RunCommand("xrandr --output DUMMY1 --off 2>/dev/null");
    RunCommand("xrandr --output DUMMY0 --primary --mode 1920x1080 --pos 0x0 2>/dev/null");
}

bool AddSecondMonitor() {
    int status = -1;
    RunCommand("xrandr --addmode DUMMY1 1024x768 2>/dev/null", &status);
    RunCommand("xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 2>/dev/null", &status);
    return status == 0;
}

void MoveDeviceTo(int x, int y) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return;
    XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
    XSync(display, False);
    XCloseDisplay(display);
}

ScreenSizeWatch::ScreenSizeWatch() {
    display = XOpenDisplay(nullptr);
    int errorBase = 0;
    if (!display || !XRRQueryExtension(display, &eventBase, &errorBase)) return;
    XRRSelectInput(display, DefaultRootWindow(display), RRScreenChangeNotifyMask);
    XSync(display, False);
}

ScreenSizeWatch::~ScreenSizeWatch() {
    if (display) XCloseDisplay(display);
}

std::vector<std::string> ScreenSizeWatch::SizesSeen() {
    std::vector<std::string> sizes;
    if (!display) return sizes;
    XSync(display, False);
    while (XPending(display) > 0) {
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != eventBase + RRScreenChangeNotify) continue;
        const auto& change = reinterpret_cast<const XRRScreenChangeNotifyEvent&>(event);
        sizes.push_back(Size(change.width, change.height));
    }
    return sizes;
}
