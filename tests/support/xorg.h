// A private Xorg with the dummy video driver for one test process: real XRandR modes (the
// desktop 1920x1080; 1280x1024, 1024x768, 800x600, 640x480) and room for a second monitor.
#pragma once
#include <string>
#include <vector>

struct _XDisplay;

// Starts Xorg on a free display (-displayfd) and points DISPLAY at it; stopped at exit (and
// when the test process dies). Returns the display name, or "" if it could not start.
std::string StartXorg();
// Stops the server: its clients lose their connection.
void StopXorg();

// The size of the X screen and of the primary monitor, read from XRandR: "1920x1080".
std::string XorgScreenSize();
std::string XorgPrimaryMonitorSize();
// Back to one monitor in the desktop's 1920x1080 and a black root, whatever a test left.
void ResetXorgMonitors();
// Turns on the second monitor, 1024x768 right of the primary one; false if xrandr refused.
bool AddSecondMonitor();

// A pointing device moving the pointer to (x, y), as the server sees a mouse move (XTest);
// xdotool's mousemove is a warp, which no device reports.
void MoveDeviceTo(int x, int y);

// The X screen's size changes as XRandR reports them, from the watch's start on.
class ScreenSizeWatch {
public:
    ScreenSizeWatch();
    ~ScreenSizeWatch();
    // The sizes the screen took since the last call, in order: {"800x600", "1920x1080"}.
    std::vector<std::string> SizesSeen();

private:
    _XDisplay* display = nullptr;
    int eventBase = 0;
};
