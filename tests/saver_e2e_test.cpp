// The built saver under its own Xvfb: it draws until input, ends on the inputs that count,
// lets a second copy end silently, and reports a missing engine in a message box.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/wait.h"
#include "support/windows.h"
#include "support/xvfb.h"

namespace {

std::string Xdotool(const std::string& args) { return RunCommand("xdotool " + args + " 2>/dev/null"); }

class Saver : public ::testing::Test {
protected:
    // A screen smaller than the configured 1024 x 768, so that the size the saver shows is not
    // the configured one by chance.
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(screenWidth, screenHeight), ""); }
    void SetUp() override {
        IsolateRuntimeFolder();
        folder = MakeTempFolder();
        program = InstallProgramCopy(folder);
        Xdotool("mousemove 512 384");
    }
    pid_t StartSaver(const std::string& mode = "/s") {
        pid_t pid = StartProcess({program, mode});
        window = WaitForSaverWindow(pid, 60);
        return pid;
    }
    static constexpr int screenWidth = 800, screenHeight = 600;
    std::string folder, program, window;
};

TEST_F(Saver, DrawsAndKeepsRunningWithoutInput) {
    pid_t pid = StartSaver();
    ASSERT_NE(window, "") << "the saver opened no window";
    // Xvfb offers its own mode only, so the configured 1024 x 768 (the default) is not among the
    // display's modes: the saver covers the screen in the desktop's mode instead. That a size the
    // display does offer is shown takes a server with real modes (Xorg's dummy driver).
    std::string geometry = Xdotool("getwindowgeometry " + window);
    EXPECT_NE(geometry.find(std::to_string(screenWidth) + "x" + std::to_string(screenHeight)), std::string::npos)
        << geometry;
    Pause(2.0);
    EXPECT_TRUE(ProcessRunning(pid));
    Xdotool("key space");
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

TEST_F(Saver, EndsWithCodeZeroOnEachInputThatCounts) {
    const struct {
        const char* what;
        const char* xdotool;
    } inputs[] = {
        {"a key", "key a"},
        {"a mouse move of one pixel right", "mousemove_relative 1 0"},
        {"a mouse move of one pixel down", "mousemove_relative 0 1"},
        {"the left button", "click 1"},
        {"the right button", "click 3"},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.what);
        pid_t pid = StartSaver();
        ASSERT_NE(window, "");
        ASSERT_TRUE(ProcessRunning(pid));
        Xdotool(input.xdotool);
        EXPECT_EQ(WaitProcess(pid, 10), 0);
    }
}

TEST_F(Saver, EndsWhenAnotherWindowTakesTheFocus) {
    pid_t pid = StartSaver();
    ASSERT_NE(window, "");
    PipedProcess other = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", "200", "100"});
    std::string otherId = ReadLine(other, 10);
    ASSERT_NE(otherId, "");
    Xdotool("windowfocus " + otherId);
    EXPECT_EQ(WaitProcess(pid, 10), 0);
    WriteLine(other, "quit");
    ClosePiped(other);
}

TEST_F(Saver, WheelAndMiddleButtonAloneDoNotEndIt) {
    pid_t pid = StartSaver();
    ASSERT_NE(window, "");
    Xdotool("click 4");
    Xdotool("click 5");
    Xdotool("click 2");
    Pause(1.5);
    EXPECT_TRUE(ProcessRunning(pid));
    Xdotool("key Escape");
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

TEST_F(Saver, EndsWithCodeZeroWhenTheSystemAsksItToEnd) {
    pid_t pid = StartSaver();
    ASSERT_NE(window, "");
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

TEST_F(Saver, SecondCopyEndsSilentlyWhileTheFirstRuns) {
    // A real host, so that a preview that got past the lock would live in it and not end.
    PipedProcess host = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", "152", "112"});
    std::string hostId = ReadLine(host, 10);
    ASSERT_NE(hostId, "");
    pid_t first = StartSaver();
    ASSERT_NE(window, "");
    for (std::vector<std::string> args : {std::vector<std::string>{"/s"}, {"/p", hostId}}) {
        SCOPED_TRACE(args[0]);
        args.insert(args.begin(), program);
        pid_t second = StartProcess(args);
        EXPECT_EQ(WaitProcess(second, 15), 0);
        EXPECT_TRUE(ProcessRunning(first));
    }
    WriteLine(host, "children");
    EXPECT_EQ(ReadLine(host, 5), "0"); // the second preview opened nothing in its host
    EXPECT_EQ(FindWindowTitled("Error"), ""); // no message on the way
    Xdotool("key space");
    EXPECT_EQ(WaitProcess(first, 10), 0);
    WriteLine(host, "quit");
    ClosePiped(host);
}

// The message box titled so, once it is on the screen; "" if none shows in time.
std::string WaitForBox(const std::string& title) {
    std::string box;
    WaitUntil([&] { return !(box = FindWindowTitled(title)).empty(); }, 30, 0.1);
    return box;
}

// What the box window shows, grabbed from the X server.
Picture BoxPicture(const std::string& box) {
    const std::string path = MakeTempFolder() + "/box.png";
    RunCommand("import -window " + box + " " + path + " 2>/dev/null");
    return ReadPng(path);
}

bool SamePicture(const Picture& a, const Picture& b) {
    return a.width > 0 && a.width == b.width && a.height == b.height && a.rgba == b.rgba;
}

void PressReturnIn(const std::string& box) {
    Xdotool("windowfocus --sync " + box);
    Xdotool("key --window " + box + " Return");
}

TEST_F(Saver, RunsWhenTheSettingsFileIsAFolderOrAFifo) {
    const std::string ini = folder + "/Zelvaro.ini";
    for (bool fifo : {false, true}) {
        SCOPED_TRACE(fifo ? "a FIFO" : "a folder");
        rmdir(ini.c_str());
        unlink(ini.c_str());
        ASSERT_EQ(fifo ? mkfifo(ini.c_str(), 0644) : mkdir(ini.c_str(), 0755), 0);
        pid_t pid = StartSaver();
        ASSERT_NE(window, "") << "the saver opened no window";
        EXPECT_NE(Xdotool("getwindowgeometry " + window).find(std::to_string(screenWidth) + "x" + std::to_string(screenHeight)),
                  std::string::npos);
        Xdotool("key space");
        EXPECT_EQ(WaitProcess(pid, 10), 0);
    }
}

TEST_F(Saver, MissingEngineShowsItsMessageAndEndsWithCodeZero) {
    const std::string title = "Error", text = "Can't initialize 3D, check if engine3D.dll is available";
    Xdotool("mousemove 0 0"); // away from the boxes' button, which lights up under the pointer
    // The box text is drawn, not kept in a property: the program's box must look exactly like
    // one that SDL shows with the expected title and text.
    pid_t reference = StartProcess({std::string(ZELVARO_TEST_BIN_DIR) + "/message_box", title, text});
    std::string box = WaitForBox(title);
    ASSERT_NE(box, "") << "the reference box did not show";
    Picture expected;
    ASSERT_TRUE(WaitUntil([&] {
        Picture now = BoxPicture(box);
        bool still = SamePicture(now, expected); // drawn, and no longer changing
        expected = now;
        return still;
    }, 30, 0.2));
    PressReturnIn(box);
    ASSERT_EQ(WaitProcess(reference, 10), 0);
    ASSERT_TRUE(WaitUntil([&] { return FindWindowTitled(title).empty(); }, 10));

    std::string bare = MakeTempFolder();
    std::string lone = InstallProgramCopy(bare, /*withEngine=*/false);
    pid_t pid = StartProcess({lone, "/s"});
    box = WaitForBox(title);
    ASSERT_NE(box, "") << "no message box titled " << title;
    EXPECT_TRUE(WaitUntil([&] { return SamePicture(BoxPicture(box), expected); }, 30, 0.2))
        << "the box does not show \"" << text << "\"";
    EXPECT_TRUE(ProcessRunning(pid)); // it waits for the user
    PressReturnIn(box);
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

} // namespace
