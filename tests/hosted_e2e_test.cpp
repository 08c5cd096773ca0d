// The built program hosted in another program's window, as a screen-saver daemon runs it: it
// fills the window with the saver's picture and follows its size, leaves input, the focus and
// the pointer alone, and ends with exit code 0 on the end request or when the window goes; bad
// windows end at once.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/extensions/Xfixes.h>
#include <signal.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sstream>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/swarm_census.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

const uint8_t hostGrey[3] = {0x40, 0x40, 0x40}; // the preview host's own background
const uint8_t glyphOutline[3] = {147, 216, 176};
const std::string settingsWithOverlays =
    "[PARAM]\r\nResolution = 1024 x 768\r\nShape = 1\r\nObjectCount = 2\r\nshowFPS = 1\r\nshowTime = 1\r\n";

bool WaitFor(double seconds, const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        Pause(0.2);
    }
    return condition();
}

std::string Hex(const std::string& decimal) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%lx", std::stoul(decimal));
    return text;
}

// Where a window lies on the screen, from xwininfo.
Area WindowArea(const std::string& id) {
    std::istringstream info(RunCommand("xwininfo -id " + id + " 2>/dev/null"));
    Area area;
    for (std::string line; std::getline(info, line);) {
        auto value = [&](const char* label) { return std::atoi(line.substr(line.find(':') + 1).c_str()); };
        if (line.find("Absolute upper-left X") != std::string::npos) area.left = value("X");
        if (line.find("Absolute upper-left Y") != std::string::npos) area.top = value("Y");
        if (line.find("Width:") != std::string::npos) area.width = value("Width");
        if (line.find("Height:") != std::string::npos) area.height = value("Height");
    }
    return area;
}

unsigned long FocusedWindow() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return 0;
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    XCloseDisplay(display);
    return focus;
}

// True when the pointer, where it is now, shows a cursor with some opaque pixel.
bool PointerVisible() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    bool visible = false;
    if (XFixesCursorImage* cursor = XFixesGetCursorImage(display)) {
        for (int i = 0; i < cursor->width * cursor->height && !visible; ++i)
            visible = (cursor->pixels[i] >> 24) != 0; // ARGB: alpha in the top byte
        XFree(cursor);
    }
    XCloseDisplay(display);
    return visible;
}

struct Host {
    PipedProcess process;
    std::string id;
    std::string Children() {
        WriteLine(process, "children");
        return ReadLine(process, 10);
    }
};

class Hosted : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
    void SetUp() override {
        unsetenv("XSCREENSAVER_WINDOW");
        IsolateRuntimeFolder();
        folder = MakeTempFolder();
        program = InstallProgramCopy(folder);
        host = OpenHost(400, 300);
        ASSERT_NE(host.id, "");
    }
    void TearDown() override {
        for (Host* h : {&host, &second})
            if (h->process.pid > 0) {
                WriteLine(h->process, "quit");
                ClosePiped(h->process);
            }
    }
    static Host OpenHost(int width, int height) {
        Host h;
        h.process = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", std::to_string(width),
                                std::to_string(height)});
        h.id = ReadLine(h.process, 10);
        return h;
    }
    Picture Shot() { return Screenshot(folder + "/shot.png"); }
    // Waits until the host holds one child of the given size, drawn over with the sky and some
    // of the swarm, none of the host's own background left.
    bool WaitUntilDrawn(Host& h, const std::string& size, pid_t pid) {
        if (!WaitFor(60, [&] { return h.Children() == "1 " + size || !ProcessRunning(pid); })) return false;
        EXPECT_EQ(h.Children(), "1 " + size);
        const Area area = WindowArea(h.id);
        return WaitFor(90, [&] {
            Picture shot = Shot();
            Census c = CountSwarm(shot, area);
            return c.pixels == area.width * area.height && c.blackPixels < c.pixels / 20 && c.objectPixels > 0 &&
                   CountColour(shot, area, hostGrey[0], hostGrey[1], hostGrey[2]) == 0;
        });
    }
    std::string folder, program;
    Host host, second;
};

TEST_F(Hosted, FillsTheHostWindowWithTheSkyAndTheSwarm) {
    const struct {
        const char* what;
        std::vector<std::string> args;
        std::string windowVariable; // XSCREENSAVER_WINDOW
    } cases[] = {
        {"-window-id, decimal", {"-window-id", host.id}, ""},
        {"--window-id, hex", {"--window-id", Hex(host.id)}, ""},
        {"-root, hex in the variable", {"-root"}, Hex(host.id)},
        {"--root, decimal in the variable", {"--root"}, host.id},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), program);
        std::vector<std::string> env;
        if (!c.windowVariable.empty()) env.push_back("XSCREENSAVER_WINDOW=" + c.windowVariable);
        pid_t pid = StartProcess(args, env);
        EXPECT_TRUE(WaitUntilDrawn(host, "400x300", pid));
        EXPECT_TRUE(ProcessRunning(pid));
        kill(pid, SIGTERM);
        EXPECT_EQ(WaitProcess(pid, 30), 0);
        EXPECT_TRUE(WaitFor(10, [&] { return host.Children() == "0"; })) << "its window went with it";
    }
}

TEST_F(Hosted, FollowsTheHostsSizeAndDrawsTheOverlaysThere) {
    WriteFileBytes(folder + "/Zelvaro.ini", settingsWithOverlays);
    pid_t pid = StartProcess({program, "-window-id", host.id});
    ASSERT_TRUE(WaitUntilDrawn(host, "400x300", pid));
    RunCommand("xdotool windowsize " + host.id + " 640 480");
    ASSERT_TRUE(WaitUntilDrawn(host, "640x480", pid));
    // Drawn anew at the new size, not stretched: the glyphs keep their exact outline colour and
    // lie in the top and bottom rows of the larger window.
    const Area area = WindowArea(host.id);
    auto rows = [&](int top, int bottom) { return Area{area.left, area.top + top, area.width, bottom - top + 1}; };
    auto outline = [&](const Picture& shot, Area a) {
        return CountColour(shot, a, glyphOutline[0], glyphOutline[1], glyphOutline[2]);
    };
    Picture shot;
    EXPECT_TRUE(WaitFor(60, [&] {
        shot = Shot();
        return outline(shot, rows(1, 32)) > 100 && outline(shot, rows(480 - 33, 480 - 2)) > 100;
    })) << "the clock at the top and the frame-rate line at the bottom";
    EXPECT_LT(outline(shot, rows(40, 480 - 40)), 20);
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitProcess(pid, 30), 0);
}

TEST_F(Hosted, InputNeitherEndsItNorGoesToIt) {
    const unsigned long focusBefore = FocusedWindow();
    pid_t pid = StartProcess({program, "-window-id", host.id});
    ASSERT_TRUE(WaitUntilDrawn(host, "400x300", pid));
    EXPECT_EQ(FocusedWindow(), focusBefore) << "it took the keyboard";
    RunCommand("xdotool mousemove 200 150 key a click 1 mousemove_relative 5 5 2>/dev/null");
    // It draws on after the input: the picture in the host keeps changing.
    const Area area = WindowArea(host.id);
    Picture before = Shot();
    auto same = [&](const Picture& a, const Picture& b) {
        for (int y = area.top; y < area.top + area.height; ++y)
            for (int x = area.left; x < area.left + area.width; ++x)
                for (int k = 0; k < 3; ++k)
                    if (a.At(x, y)[k] != b.At(x, y)[k]) return false;
        return true;
    };
    for (int change = 0; change < 2; ++change) {
        EXPECT_TRUE(WaitFor(30, [&] {
            Picture now = Shot();
            bool moved = now.width == before.width && now.height == before.height && !same(now, before);
            if (moved) before = now;
            return moved;
        }));
    }
    EXPECT_TRUE(ProcessRunning(pid));
    EXPECT_EQ(FocusedWindow(), focusBefore);
    EXPECT_TRUE(PointerVisible()) << "the pointer over its window is not hidden";
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitProcess(pid, 30), 0);
}

TEST_F(Hosted, EndsWithCodeZeroWhenTheSystemAsksItToEnd) {
    for (int signal : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(signal);
        pid_t pid = StartProcess({program, "-window-id", host.id});
        ASSERT_TRUE(WaitFor(60, [&] { return host.Children() == "1 400x300"; }));
        kill(pid, signal);
        EXPECT_EQ(WaitProcess(pid, 30), 0);
    }
}

TEST_F(Hosted, EndsWithCodeZeroWhenTheHostWindowIsDestroyed) {
    pid_t pid = StartProcess({program, "-window-id", host.id});
    ASSERT_TRUE(WaitUntilDrawn(host, "400x300", pid));
    WriteLine(host.process, "destroy");
    EXPECT_EQ(ReadLine(host.process, 10), "destroyed");
    EXPECT_EQ(WaitProcess(pid, 30), 0);
}

TEST_F(Hosted, TwoCopiesRunSideBySide) {
    second = OpenHost(400, 300);
    ASSERT_NE(second.id, "");
    RunCommand("xdotool windowmove " + second.id + " 560 300");
    pid_t first = StartProcess({program, "-window-id", host.id});
    pid_t other = StartProcess({program, "--window-id", Hex(second.id)});
    EXPECT_TRUE(WaitUntilDrawn(host, "400x300", first));
    EXPECT_TRUE(WaitUntilDrawn(second, "400x300", other));
    EXPECT_TRUE(ProcessRunning(first));
    EXPECT_TRUE(ProcessRunning(other));
    kill(first, SIGTERM);
    kill(other, SIGTERM);
    EXPECT_EQ(WaitProcess(first, 30), 0);
    EXPECT_EQ(WaitProcess(other, 30), 0);
}

TEST_F(Hosted, WithoutADaemonWindowRootDrawsOnTheWholeScreen) {
    pid_t pid = StartProcess({program, "--root"});
    const Area besideTheHost{460, 0, 1024 - 460, 768};
    EXPECT_TRUE(WaitFor(90, [&] {
        Census c = CountSwarm(Shot(), besideTheHost);
        return c.blackPixels < c.pixels / 20 && c.objectPixels > 0;
    }));
    EXPECT_EQ(host.Children(), "0") << "the host window stays on top, untouched";
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitProcess(pid, 30), 0);
}

TEST_F(Hosted, NoSuchWindowOrNoDisplayEndsAtOnceWithAMessage) {
    const std::string display = std::getenv("DISPLAY");
    const struct {
        const char* what;
        std::string environment; // for env(1)
        std::string args;
        const char* message;
    } cases[] = {
        {"no such window", "", "-window-id 0x1fffff", "Zelvaro: no window 0x1fffff on the display"},
        {"window 0", "", "-window-id 0", "Zelvaro: no window 0 on the display"},
        {"not a number", "", "-window-id abc", "Zelvaro: \"abc\" is not a window id"},
        {"no id at all", "", "--window-id", "Zelvaro: \"\" is not a window id"},
        {"no such window in the variable", "XSCREENSAVER_WINDOW=0x1fffff", "-root",
         "Zelvaro: no window 0x1fffff on the display"},
        {"no display", "-u DISPLAY", "--root", "Zelvaro: can't open the display"},
        {"a display that is not there", "DISPLAY=:65000", "-window-id " + host.id, "Zelvaro: can't open the display"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        int status = -1;
        std::string errors = RunCommand("env " + c.environment + " timeout 60 '" + program + "' " + c.args +
                                        " 2>&1 >/dev/null", &status);
        EXPECT_EQ(status, 0);
        EXPECT_EQ(errors, std::string(c.message) + "\n");
        EXPECT_EQ(host.Children(), "0");
    }
}

} // namespace
