// The built program started with /c under its own Xvfb, driven with real pointer input at the
// gadgets' places on the screen; the settings file is checked byte for byte after it ends.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/wait.h"
#include "support/xvfb.h"

namespace {

const std::string defaultFile =
    "[PARAM]\r\n; Screen resolution\r\nResolution = 1024 x 768\r\n;  \r\n"
    "; Objects shape\r\nShape = 2\r\n;  \r\n; Number of objects\r\nObjectCount = 2\r\n;  \r\n"
    "; Display frame rate\r\nshowFPS = 0\r\n;  \r\n; Display Time\r\nshowTime = 0\r\n;  \r\n"
    "; Language\r\nLanguage = 1\r\n";

struct Geometry {
    int x = 0, y = 0, width = 0, height = 0;
};

// Client-area places of the gadgets, taken at their middles.
struct Place {
    int x, y;
};
constexpr Place okButton{130 + 50, 345 + 15};
constexpr Place cancelButton{240 + 50, 345 + 15};
constexpr Place showFpsCheck{110 + 8, 180 + 10};
constexpr Place licenseButton{335 + 60, 230 + 12};
constexpr Place siteLinkText{100 + 30, 300 + 8};
constexpr Place farFromLinks{440, 200};

struct Colour {
    int r, g, b;
};
constexpr Colour linkColour{0, 0, 204};
constexpr Colour linkHoverColour{0, 127, 255};

// The license panel's client-area rectangle, and the width of the strip along its right and
// bottom edges where its scroll bars lie.
constexpr int panelX = 460, panelY = 10, panelWidth = 530, panelHeight = 340;
constexpr int scrollBarStrip = 24;

// The screen as the X server holds it.
Picture TakeScreenshot() { return Screenshot(MakeTempFolder() + "/screen.png"); }

// Pixels of exactly one colour inside a rectangle of the screen.
int CountColour(const Picture& screen, int left, int top, int width, int height, Colour colour) {
    int count = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) {
            const unsigned char* p = screen.At(x, y);
            count += p[0] == colour.r && p[1] == colour.g && p[2] == colour.b;
        }
    return count;
}

// A scroll bar's slider: a mid grey, darker than its trough and than the panel's frame, lighter
// than the text.
bool IsSliderGrey(const unsigned char* p) {
    return p[0] >= 100 && p[0] <= 150 && std::abs(p[0] - p[1]) <= 8 && std::abs(p[1] - p[2]) <= 8;
}

// The longest run of slider grey along one line of the screen, from (x, y) by (dx, dy).
int LongestSliderRun(const Picture& screen, int x, int y, int dx, int dy, int length) {
    int longest = 0, run = 0;
    for (int i = 0; i < length; ++i, x += dx, y += dy) {
        run = IsSliderGrey(screen.At(x, y)) ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

struct ScrollBars {
    bool vertical = false, horizontal = false;
};

// The panel's scroll bars as the screen shows them: a slider at least this long lies in the
// strip along its right edge, and along its bottom edge; text never makes such a run.
ScrollBars PanelScrollBars(const Picture& screen, int left, int top) {
    constexpr int leastSlider = 40;
    ScrollBars bars;
    for (int x = left + panelWidth - scrollBarStrip; x < left + panelWidth; ++x)
        bars.vertical |= LongestSliderRun(screen, x, top, 0, 1, panelHeight) >= leastSlider;
    for (int y = top + panelHeight - scrollBarStrip; y < top + panelHeight; ++y)
        bars.horizontal |= LongestSliderRun(screen, left, y, 1, 0, panelWidth) >= leastSlider;
    return bars;
}

class ConfigE2eTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Wide enough to show the whole window once the license has widened it to 1000 pixels.
        ASSERT_NE(StartXvfb(1280, 1024), "");
        IsolateRuntimeFolder();
    }

    void SetUp() override {
        folder = MakeTempFolder();
        program = InstallProgramCopy(folder);
    }
    void TearDown() override {
        if (pid > 0 && ProcessRunning(pid)) WaitProcess(pid, 0); // kills what is left
    }

    std::string IniPath() const { return folder + "/Zelvaro.ini"; }

    // Starts the program and waits until its window is on the screen with its gadgets drawn;
    // false if it never gets there. A first start on a fresh machine can take long (font caches).
    bool Start() {
        window.clear();
        pid = StartProcess({program, "/c"});
        WaitUntil([&] {
            std::istringstream found(RunCommand("xdotool search --name 'Zelvaro - Configuration' 2>/dev/null"));
            found >> window;
            return !window.empty() || !ProcessRunning(pid);
        }, startSeconds);
        return !window.empty() && WaitUntil([&] { return SiteLinkPixels(TakeScreenshot(), linkColour) > 8; }, startSeconds);
    }

    // The site link's pixels of a colour.
    int SiteLinkPixels(const Picture& screen, Colour colour) {
        Geometry g = WindowGeometry();
        return CountColour(screen, g.x + 100, g.y + 300, 280, 20, colour);
    }

    // True once the site link shows only in that colour (and not in the other).
    bool WaitForSiteLinkIn(Colour shown, Colour notShown) {
        return WaitUntil([&] {
            Picture screen = TakeScreenshot();
            return SiteLinkPixels(screen, shown) > 8 && SiteLinkPixels(screen, notShown) == 0;
        }, changeSeconds);
    }

    Geometry WindowGeometry() {
        Geometry g;
        std::istringstream shell(RunCommand("xdotool getwindowgeometry --shell " + window));
        std::string line;
        while (std::getline(shell, line)) {
            std::sscanf(line.c_str(), "X=%d", &g.x);
            std::sscanf(line.c_str(), "Y=%d", &g.y);
            std::sscanf(line.c_str(), "WIDTH=%d", &g.width);
            std::sscanf(line.c_str(), "HEIGHT=%d", &g.height);
        }
        return g;
    }

    // The X server keeps the order of input: what a click does is seen before what follows it.
    void Click(Place place) {
        Geometry g = WindowGeometry();
        RunCommand("xdotool mousemove " + std::to_string(g.x + place.x) + " " + std::to_string(g.y + place.y) +
                   " click 1");
        pointer = place;
    }

    // Moves the pointer as a hand does, in steps, so that the toolkit sees it cross into and
    // move about inside whatever lies on the way.
    void MovePointer(Place to) {
        constexpr int steps = 8;
        Geometry g = WindowGeometry();
        for (int step = 1; step <= steps; ++step) {
            int x = pointer.x + (to.x - pointer.x) * step / steps, y = pointer.y + (to.y - pointer.y) * step / steps;
            RunCommand("xdotool mousemove " + std::to_string(g.x + x) + " " + std::to_string(g.y + y));
        }
        pointer = to;
    }

    // What a window manager sends when the user presses the close box.
    void AskToClose() {
        Display* display = XOpenDisplay(nullptr);
        ASSERT_NE(display, nullptr);
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = std::stoul(window);
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
        XCloseDisplay(display);
    }

    // Kept beside the test executable, for a person to look at.
    void KeepScreenshot(const std::string& name) {
        RunCommand("import -window root " + std::string(ZELVARO_TEST_BIN_DIR) + "/" + name + " 2>/dev/null");
    }

    static constexpr double startSeconds = 60;  // the window shows and is drawn
    static constexpr double changeSeconds = 30; // the window follows an input
    std::string folder, program, window;
    pid_t pid = -1;
    Place pointer{0, 0}; // where the pointer was last put, in client-area pixels
};

TEST_F(ConfigE2eTest, OkWithoutSettingsFileWritesTheDefaultsAndEnds) {
    ASSERT_TRUE(Start());
    Geometry g = WindowGeometry();
    EXPECT_EQ(g.x, 217); // no window manager: the outer corner is the client's
    EXPECT_EQ(g.y, 169);
    EXPECT_EQ(g.width, 460);
    EXPECT_EQ(g.height, 380);
    KeepScreenshot("config_window_en.png");
    Click(okButton);
    EXPECT_EQ(WaitProcess(pid, 20), 0);
    EXPECT_EQ(ReadFileBytes(IniPath()), defaultFile);
}

TEST_F(ConfigE2eTest, TickedBoxIsWrittenOnOk) {
    ASSERT_TRUE(Start());
    Click(showFpsCheck);
    Click(okButton);
    EXPECT_EQ(WaitProcess(pid, 20), 0);
    std::string expected = defaultFile;
    expected.replace(expected.find("showFPS = 0"), 11, "showFPS = 1");
    EXPECT_EQ(ReadFileBytes(IniPath()), expected);
}

TEST_F(ConfigE2eTest, CancelAndCloseBoxLeaveAnExistingFileUntouched) {
    // French, with comments a save would drop: any write would show.
    const std::string file = "; mine\r\n[PARAM]\r\nLanguage = 0\r\nShape = 4\r\n";
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        WriteFileBytes(IniPath(), file);
        ASSERT_TRUE(Start());
        Click(showFpsCheck);
        if (closeBox) AskToClose();
        else Click(cancelButton);
        EXPECT_EQ(WaitProcess(pid, 20), 0);
        EXPECT_EQ(ReadFileBytes(IniPath()), file);
    }
}

TEST_F(ConfigE2eTest, SettingsFileThatIsNoFileOpensTheWindowAllTheSame) {
    for (bool fifo : {false, true}) {
        SCOPED_TRACE(fifo ? "a FIFO" : "a folder");
        rmdir(IniPath().c_str());
        unlink(IniPath().c_str());
        ASSERT_EQ(fifo ? mkfifo(IniPath().c_str(), 0644) : mkdir(IniPath().c_str(), 0755), 0);
        window.clear();
        ASSERT_TRUE(Start()) << "no window";
        Click(cancelButton);
        EXPECT_EQ(WaitProcess(pid, 20), 0);
    }
}

TEST_F(ConfigE2eTest, LinkTakesTheHoverColourUnderThePointer) {
    ASSERT_TRUE(Start());
    Click(farFromLinks);
    EXPECT_TRUE(WaitForSiteLinkIn(linkColour, linkHoverColour));
    MovePointer(siteLinkText);
    MovePointer({siteLinkText.x + 20, siteLinkText.y + 1}); // along the text
    EXPECT_TRUE(WaitForSiteLinkIn(linkHoverColour, linkColour));
    MovePointer(farFromLinks);
    EXPECT_TRUE(WaitForSiteLinkIn(linkColour, linkHoverColour));
    Click(cancelButton);
    EXPECT_EQ(WaitProcess(pid, 20), 0);
    EXPECT_FALSE(FileExists(IniPath()));
}

TEST_F(ConfigE2eTest, WithoutADisplayTheProgramEndsQuietly) {
    pid = StartProcess({program, "/c"}, {"DISPLAY=", "WAYLAND_DISPLAY="});
    EXPECT_EQ(WaitProcess(pid, 20), 0);
    EXPECT_FALSE(FileExists(IniPath()));
}

TEST_F(ConfigE2eTest, LicenseButtonWidensTheWindowOnScreen) {
    WriteFileBytes(IniPath(), "[PARAM]\r\nLanguage = 0\r\n");
    ASSERT_TRUE(Start());
    KeepScreenshot("config_window_fr.png");
    Click(licenseButton);
    EXPECT_TRUE(WaitUntil([&] { return WindowGeometry().width == 1000; }, changeSeconds));
    KeepScreenshot("config_window_fr_license.png");
    Click(licenseButton);
    EXPECT_TRUE(WaitUntil([&] { return WindowGeometry().width == 460; }, changeSeconds));
    Click(okButton);
    EXPECT_EQ(WaitProcess(pid, 20), 0);
    std::string expected = defaultFile;
    expected.replace(expected.find("Language = 1"), 12, "Language = 0");
    EXPECT_EQ(ReadFileBytes(IniPath()), expected);
}

TEST_F(ConfigE2eTest, LicensePanelShowsBothScrollBarsInEitherLanguage) {
    // English fits the panel's height, French does not; each has lines wider than the panel.
    for (const char* language : {"1", "0"}) {
        SCOPED_TRACE(language);
        WriteFileBytes(IniPath(), std::string("[PARAM]\r\nLanguage = ") + language + "\r\n");
        ASSERT_TRUE(Start());
        Click(licenseButton);
        ASSERT_TRUE(WaitUntil([&] { return WindowGeometry().width == 1000; }, changeSeconds));
        Geometry g = WindowGeometry();
        ScrollBars bars;
        WaitUntil([&] {
            bars = PanelScrollBars(TakeScreenshot(), g.x + panelX, g.y + panelY);
            return bars.vertical && bars.horizontal;
        }, changeSeconds);
        EXPECT_TRUE(bars.vertical);
        EXPECT_TRUE(bars.horizontal);
        KeepScreenshot(std::string("config_window_license_") + language + ".png");
        Click(cancelButton);
        EXPECT_EQ(WaitProcess(pid, 20), 0);
    }
}

} // namespace
