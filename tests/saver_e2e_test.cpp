// The built saver under its own Xvfb: it draws until input, ends on the inputs that count,
// lets a second copy end silently, and reports a missing engine in a message box.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "support/process.h"
#include "support/temp_folder.h"
#include "support/windows.h"
#include "support/xvfb.h"

namespace {

std::string Xdotool(const std::string& args) { return RunCommand("xdotool " + args + " 2>/dev/null"); }

class Saver : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
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
    std::string folder, program, window;
};

TEST_F(Saver, DrawsAndKeepsRunningWithoutInput) {
    pid_t pid = StartSaver();
    ASSERT_NE(window, "") << "the saver opened no window";
    EXPECT_EQ(Xdotool("getwindowgeometry " + window).find("1024x768") != std::string::npos, true);
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
    pid_t first = StartSaver();
    ASSERT_NE(window, "");
    for (std::vector<std::string> args : {std::vector<std::string>{"/s"}, {"/p", "1"}}) {
        SCOPED_TRACE(args[0]);
        args.insert(args.begin(), program);
        pid_t second = StartProcess(args);
        EXPECT_EQ(WaitProcess(second, 15), 0);
        EXPECT_TRUE(ProcessRunning(first));
    }
    EXPECT_EQ(FindWindowTitled("Error"), ""); // no message on the way
    Xdotool("key space");
    EXPECT_EQ(WaitProcess(first, 10), 0);
}

TEST_F(Saver, SettingsFileThatIsNoFileRunsWithTheDefaults) {
    const std::string ini = folder + "/Zelvaro.ini";
    for (bool fifo : {false, true}) {
        SCOPED_TRACE(fifo ? "a FIFO" : "a folder");
        rmdir(ini.c_str());
        unlink(ini.c_str());
        ASSERT_EQ(fifo ? mkfifo(ini.c_str(), 0644) : mkdir(ini.c_str(), 0755), 0);
        pid_t pid = StartSaver();
        ASSERT_NE(window, "") << "the saver opened no window";
        EXPECT_NE(Xdotool("getwindowgeometry " + window).find("1024x768"), std::string::npos);
        Xdotool("key space");
        EXPECT_EQ(WaitProcess(pid, 10), 0);
    }
}

TEST_F(Saver, MissingEngineShowsItsMessageAndEndsWithCodeZero) {
    std::string bare = MakeTempFolder();
    std::string lone = InstallProgramCopy(bare, /*withEngine=*/false);
    pid_t pid = StartProcess({lone, "/s"});
    std::string box;
    for (int i = 0; i < 300 && box.empty(); ++i) {
        box = FindWindowTitled("Error");
        Pause(0.1);
    }
    ASSERT_NE(box, "") << "no message box titled Error";
    EXPECT_TRUE(ProcessRunning(pid)); // it waits for the user
    Xdotool("windowfocus --sync " + box);
    Xdotool("key --window " + box + " Return");
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

} // namespace
