// The built program started with /c under its own Xvfb, driven with real pointer input at the
// gadgets' places on the screen; the settings file is checked byte for byte after it ends.
#include <gtest/gtest.h>
#include <X11/Xlib.h>

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cstdio>
#include <sstream>
#include <string>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
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

// The screen as the X server holds it.
Picture TakeScreenshot() { return Screenshot(MakeTempFolder() + "/screen.png"); }

// Pixels of exactly one colour inside a client-area rectangle of the window.
int CountColour(const Picture& screen, int left, int top, int width, int height, int r, int g, int b) {
    int count = 0;
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x) {
            const unsigned char* p = screen.At(x, y);
            count += p[0] == r && p[1] == g && p[2] == b;
        }
    return count;
}

class ConfigE2eTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        ASSERT_NE(StartXvfb(), "");
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

    // Starts the program and waits for its window; false if it never shows.
    bool Start() {
        pid = StartProcess({program, "/c"});
        for (int attempt = 0; attempt < 200 && window.empty(); ++attempt) {
            std::istringstream found(RunCommand("xdotool search --name 'Zelvaro - Configuration' 2>/dev/null"));
            found >> window;
            if (window.empty()) Pause(0.05);
        }
        Pause(0.5); // let it draw before anything is clicked or photographed
        return !window.empty();
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

    void Click(Place place) {
        Geometry g = WindowGeometry();
        RunCommand("xdotool mousemove " + std::to_string(g.x + place.x) + " " + std::to_string(g.y + place.y) +
                   " click 1");
        Pause(0.3);
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

    std::string folder, program, window;
    pid_t pid = -1;
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
        window.clear();
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
    Geometry g = WindowGeometry();
    auto linkPixels = [&](int r, int gr, int b) {
        return CountColour(TakeScreenshot(), g.x + 100, g.y + 300, 280, 20, r, gr, b);
    };
    Click(farFromLinks);
    EXPECT_GT(linkPixels(0, 0, 204), 8);
    EXPECT_EQ(linkPixels(0, 127, 255), 0);
    RunCommand("xdotool mousemove " + std::to_string(g.x + siteLinkText.x) + " " + std::to_string(g.y + siteLinkText.y));
    Pause(0.5);
    EXPECT_GT(linkPixels(0, 127, 255), 8);
    EXPECT_EQ(linkPixels(0, 0, 204), 0);
    RunCommand("xdotool mousemove " + std::to_string(g.x + farFromLinks.x) + " " + std::to_string(g.y + farFromLinks.y));
    Pause(0.5);
    EXPECT_GT(linkPixels(0, 0, 204), 8);
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
    EXPECT_EQ(WindowGeometry().width, 1000);
    KeepScreenshot("config_window_fr_license.png");
    Click(licenseButton);
    EXPECT_EQ(WindowGeometry().width, 460);
    Click(okButton);
    EXPECT_EQ(WaitProcess(pid, 20), 0);
    std::string expected = defaultFile;
    expected.replace(expected.find("Language = 1"), 12, "Language = 0");
    EXPECT_EQ(ReadFileBytes(IniPath()), expected);
}

} // namespace
