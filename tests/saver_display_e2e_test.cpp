// The saver's display and input at their edges, under Xvfb: without a usable display it ends
// with its message instead of running unseen, the preview leaves the keyboard with its host,
// and a mouse pushed against an edge of the screen still ends the saver.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "support/process.h"
#include "support/temp_folder.h"
#include "support/windows.h"
#include "support/xvfb.h"

namespace {

std::string Xdotool(const std::string& args) { return RunCommand("xdotool " + args + " 2>/dev/null"); }

std::string FocusedWindow() {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return "";
    Window focus = 0;
    int revert = 0;
    XGetInputFocus(display, &focus, &revert);
    XCloseDisplay(display);
    return std::to_string(focus);
}

// True once a child window of the host shows something other than black in its middle.
bool PreviewShowsAFrame(const std::string& hostId) {
    Display* display = XOpenDisplay(nullptr);
    if (!display) return false;
    Window root, parent, *children = nullptr;
    unsigned count = 0;
    bool drawn = false;
    if (XQueryTree(display, std::stoul(hostId), &root, &parent, &children, &count) && count > 0) {
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display, children[0], &attributes) && attributes.map_state == IsViewable) {
            const int side = 32;
            XImage* image = XGetImage(display, children[0], attributes.width / 2 - side / 2,
                                      attributes.height / 2 - side / 2, side, side, AllPlanes, ZPixmap);
            for (int y = 0; image && y < side && !drawn; ++y)
                for (int x = 0; x < side && !drawn; ++x) drawn = (XGetPixel(image, x, y) & 0xFFFFFF) != 0;
            if (image) XDestroyImage(image);
        }
    }
    if (children) XFree(children);
    XCloseDisplay(display);
    return drawn;
}

class SaverDisplay : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
    void SetUp() override {
        IsolateRuntimeFolder();
        program = InstallProgramCopy(MakeTempFolder());
    }
    std::string program;
};

TEST_F(SaverDisplay, WithoutAUsableDisplayItEndsWithItsMessage) {
    for (const char* args : {"/s", "/p 1234"}) {
        SCOPED_TRACE(args);
        int status = -1;
        // timeout answers 124 for a program that lingers
        std::string output = RunCommand("env -u DISPLAY -u WAYLAND_DISPLAY timeout 60 '" + program + "' " + args +
                                            " 2>&1",
                                        &status);
        EXPECT_EQ(status, 0);
        EXPECT_NE(output.find("Error: Can't find DirectX 9.0 or above"), std::string::npos) << output;
    }
    // Nothing holds the single-instance lock: the saver starts on a real display.
    pid_t pid = StartProcess({program, "/s"});
    EXPECT_NE(WaitForSaverWindow(pid, 60), "");
    Xdotool("key space");
    EXPECT_EQ(WaitProcess(pid, 20), 0);
}

TEST_F(SaverDisplay, PreviewLeavesTheKeyboardWithItsHost) {
    PipedProcess host = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", "200", "150"});
    std::string hostId = ReadLine(host, 10);
    ASSERT_NE(hostId, "");
    Xdotool("windowfocus --sync " + hostId);
    ASSERT_EQ(FocusedWindow(), hostId);
    Xdotool("mousemove 140 115"); // over the middle of the host, where the preview will be
    pid_t pid = StartProcess({program, "/p", hostId});
    bool drawn = false;
    for (int i = 0; i < 600 && !drawn && ProcessRunning(pid); ++i) {
        drawn = PreviewShowsAFrame(hostId);
        if (!drawn) Pause(0.1);
    }
    ASSERT_TRUE(drawn) << "the preview drew nothing";
    EXPECT_EQ(FocusedWindow(), hostId);
    Xdotool("key a"); // typed in the host, with the pointer over the preview
    WriteLine(host, "keys");
    EXPECT_EQ(ReadLine(host, 5), "keys 1");
    WriteLine(host, "close");
    EXPECT_EQ(ReadLine(host, 5), "sent 1");
    EXPECT_EQ(WaitProcess(pid, 20), 0);
    WriteLine(host, "quit");
    ClosePiped(host);
}

TEST_F(SaverDisplay, MousePushedAgainstAnEdgeEndsTheSaver) {
    // The pointer cannot move past the edge; the mouse itself still moves.
    const struct {
        const char* edge;
        const char* place;
        const char* push;
    } cases[] = {
        {"right", "1023 384", "1 0"},
        {"left", "0 384", "-- -1 0"},
        {"top", "512 0", "0 -1"},
        {"bottom", "512 767", "0 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.edge);
        Xdotool(std::string("mousemove ") + c.place);
        pid_t pid = StartProcess({program, "/s"});
        ASSERT_NE(WaitForSaverWindow(pid, 60), "");
        Xdotool(std::string("mousemove_relative ") + c.push);
        EXPECT_EQ(WaitProcess(pid, 20), 0);
    }
}

} // namespace
