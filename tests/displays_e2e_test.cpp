// The built saver under a real X server (Xorg with the dummy driver, a 1920x1080 desktop that
// also offers 800x600): it switches the display to the configured 800x600 and gives the desktop
// its own mode back on every way out; with a second monitor it covers that one in black and ends
// on input there.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <signal.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <sstream>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/windows.h"
#include "support/xorg.h"

namespace {

const std::string desktopSize = "1920x1080";
const std::string saverSize = "800x600";
const std::string twoMonitorScreen = "2944x1080"; // 1920 + 1024 wide
constexpr int secondMonitorLeft = 1920, secondMonitorWidth = 1024, secondMonitorHeight = 768;

std::string Xdotool(const std::string& args) { return RunCommand("xdotool " + args + " 2>/dev/null"); }

// Waits until the X screen and its primary monitor have these sizes; false on time-out.
bool WaitForSizes(const std::string& screen, const std::string& primary, double seconds) {
    for (double waited = 0; waited < seconds; waited += 0.1) {
        if (XorgScreenSize() == screen && XorgPrimaryMonitorSize() == primary) return true;
        Pause(0.1);
    }
    ADD_FAILURE() << "screen " << XorgScreenSize() << ", primary monitor " << XorgPrimaryMonitorSize();
    return false;
}

// Another client destroys the saver's window: its next request on it is a protocol error.
void DestroyWindow(const std::string& id) {
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XDestroyWindow(display, std::stoul(id));
    XSync(display, False);
    XCloseDisplay(display);
}

int NonBlackPixels(const Picture& shot, int left, int top, int width, int height) {
    int count = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) {
            const uint8_t* p = shot.At(x, y);
            count += p[0] != 0 || p[1] != 0 || p[2] != 0;
        }
    return count;
}

// A window half off the screen makes reading its pixels a protocol error: the test goes on.
int IgnoreXError(Display*, XErrorEvent*) { return 0; }

// Pixels of the primary monitor's 800 x 600 that are neither black nor the desktop's green.
int SaverPixels(const Picture& shot) {
    int count = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) {
            const uint8_t* p = shot.At(x, y);
            const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
            const bool desktop = p[0] == 0x40 && p[1] == 0xa0 && p[2] == 0x40;
            count += !black && !desktop;
        }
    return count;
}

class Displays : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        XSetErrorHandler(IgnoreXError);
        ASSERT_NE(StartXorg(), "");
    }
    void SetUp() override {
        ResetXorgMonitors(); // whatever a failed test left
        ASSERT_TRUE(WaitForSizes(desktopSize, desktopSize, 10));
        IsolateRuntimeFolder();
        folder = MakeTempFolder();
        program = InstallProgramCopy(folder);
        SetResolution("800 x 600");
        Xdotool("mousemove 960 540");
    }
    void SetResolution(const std::string& text) {
        WriteFileBytes(folder + "/Zelvaro.ini", "[PARAM]\r\nResolution = " + text + "\r\n");
    }
    pid_t StartSaver(const std::vector<std::string>& env = {}) {
        pid_t pid = StartProcess({program, "/s"}, env);
        window = WaitForSaverWindow(pid, 90);
        return pid;
    }
    // "WxH+X+Y" of the saver's window.
    std::string WindowGeometry() {
        int x = -1, y = -1, width = 0, height = 0;
        std::istringstream shell(Xdotool("getwindowgeometry --shell " + window));
        for (std::string line; std::getline(shell, line);) {
            std::sscanf(line.c_str(), "X=%d", &x);
            std::sscanf(line.c_str(), "Y=%d", &y);
            std::sscanf(line.c_str(), "WIDTH=%d", &width);
            std::sscanf(line.c_str(), "HEIGHT=%d", &height);
        }
        return std::to_string(width) + "x" + std::to_string(height) + "+" + std::to_string(x) + "+" + std::to_string(y);
    }
    std::string folder, program, window;
};

TEST_F(Displays, SaverRunsInTheConfiguredModeAndEveryWayOutGivesTheDesktopItsOwnBack) {
    PipedProcess other; // a window that takes the keyboard
    const struct {
        const char* what;
        std::function<void(pid_t)> act;
    } waysOut[] = {
        {"a key", [](pid_t) { Xdotool("key a"); }},
        {"a mouse move", [](pid_t) { Xdotool("mousemove_relative 1 0"); }},
        {"the left button", [](pid_t) { Xdotool("click 1"); }},
        {"another window takes the keyboard",
         [&](pid_t) {
             other = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", "200", "100"});
             Xdotool("windowfocus " + ReadLine(other, 10));
         }},
        {"SIGTERM", [](pid_t pid) { kill(pid, SIGTERM); }},
        {"SIGINT", [](pid_t pid) { kill(pid, SIGINT); }},
        {"its connection to the X server is cut", [&](pid_t) { RunCommand("xkill -id " + window + " >/dev/null 2>&1"); }},
        {"a protocol error on its window", [&](pid_t) { DestroyWindow(window); }},
    };
    for (const auto& wayOut : waysOut) {
        SCOPED_TRACE(wayOut.what);
        pid_t pid = StartSaver();
        ASSERT_NE(window, "") << "the saver opened no window";
        EXPECT_TRUE(WaitForSizes(saverSize, saverSize, 10));
        EXPECT_EQ(WindowGeometry(), "800x600+0+0"); // the whole of the switched display
        wayOut.act(pid);
        EXPECT_EQ(WaitProcess(pid, 30), 0);
        EXPECT_TRUE(WaitForSizes(desktopSize, desktopSize, 10));
        if (other.pid > 0) {
            WriteLine(other, "quit");
            ClosePiped(other);
        }
        ResetXorgMonitors();
    }
}

TEST_F(Displays, FailureAfterTheSwitchGivesTheDesktopItsModeBeforeTheMessage) {
    // An OpenGL too old for the engine: the screen fails once the display has switched.
    ScreenSizeWatch watch;
    pid_t pid = StartProcess({program, "/s"}, {"MESA_GL_VERSION_OVERRIDE=3.0"});
    std::string box;
    for (int i = 0; i < 600 && box.empty() && ProcessRunning(pid); ++i) {
        box = FindWindowTitled("Error");
        if (box.empty()) Pause(0.1);
    }
    ASSERT_NE(box, "") << "no message box titled Error";
    EXPECT_TRUE(WaitForSizes(desktopSize, desktopSize, 10));
    // It did switch before it failed, and came back.
    std::vector<std::string> sizes = watch.SizesSeen();
    EXPECT_NE(std::find(sizes.begin(), sizes.end(), saverSize), sizes.end());
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back(), desktopSize);
    Xdotool("windowfocus --sync " + box);
    Xdotool("key --window " + box + " Return");
    EXPECT_EQ(WaitProcess(pid, 20), 0);
}

TEST_F(Displays, ModeTheDisplayLacksOpensTheDesktopsOwn) {
    SetResolution("1600 x 1200");
    ScreenSizeWatch watch;
    pid_t pid = StartSaver();
    ASSERT_NE(window, "");
    EXPECT_EQ(WindowGeometry(), "1920x1080+0+0");
    EXPECT_EQ(XorgPrimaryMonitorSize(), desktopSize);
    Xdotool("key space");
    EXPECT_EQ(WaitProcess(pid, 30), 0);
    EXPECT_TRUE(WaitForSizes(desktopSize, desktopSize, 10));
    for (const std::string& size : watch.SizesSeen()) EXPECT_EQ(size, desktopSize); // no switch at all
}

TEST_F(Displays, TheXServerGoingAwayEndsTheSaverWithCodeZero) {
    pid_t pid = StartSaver();
    ASSERT_NE(window, "");
    StopXorg();
    EXPECT_EQ(WaitProcess(pid, 30), 0);
    ASSERT_NE(StartXorg(), ""); // for the tests after this one
}

TEST_F(Displays, EveryOtherMonitorIsBlackAndInputOverItEndsTheSaver) {
    ASSERT_TRUE(AddSecondMonitor());
    ASSERT_TRUE(WaitForSizes(twoMonitorScreen, desktopSize, 10));
    RunCommand("xsetroot -solid '#40a040'"); // the desktop's picture, wherever nothing covers it
    const struct {
        const char* what;
        std::function<void()> act;
    } inputs[] = {
        {"a key with the pointer over it", [] { Xdotool("key a"); }},
        {"a mouse move over it", [] { MoveDeviceTo(secondMonitorLeft + 600, 500); }},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.what);
        Xdotool("mousemove " + std::to_string(secondMonitorLeft + 500) + " 400");
        pid_t pid = StartProcess({program, "/s"});
        // Until the second monitor is black and the saver has drawn a frame on the primary one
        // (its window shows the desktop's green before that).
        int desktopShown = -1, saverShown = 0;
        for (int i = 0; i < 300 && (desktopShown != 0 || saverShown == 0) && ProcessRunning(pid); ++i) {
            Picture shot = Screenshot(folder + "/screen.png");
            ASSERT_EQ(shot.width, 2944);
            desktopShown = NonBlackPixels(shot, secondMonitorLeft, 0, secondMonitorWidth, secondMonitorHeight);
            saverShown = SaverPixels(shot);
            if (desktopShown != 0 || saverShown == 0) Pause(0.2);
        }
        EXPECT_EQ(desktopShown, 0);
        ASSERT_GT(saverShown, 0) << "the saver drew nothing on the primary monitor";
        RunCommand("cp " + folder + "/screen.png " + std::string(ZELVARO_TEST_BIN_DIR) + "/saver_two_monitors.png");
        // The primary monitor switched; the screen keeps room for the second one.
        EXPECT_TRUE(WaitForSizes(twoMonitorScreen, saverSize, 10));
        input.act();
        EXPECT_EQ(WaitProcess(pid, 30), 0);
        EXPECT_TRUE(WaitForSizes(twoMonitorScreen, desktopSize, 10));
    }
}

} // namespace
