// The preview inside a host window: a child of the host's size that ends, with exit code 0,
// on the close request or when the host disappears, and never on input.
#include <gtest/gtest.h>
#include <signal.h>

#include "support/process.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

class Preview : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
    void SetUp() override {
        IsolateRuntimeFolder();
        program = InstallProgramCopy(MakeTempFolder());
        host = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", "152", "112"});
        hostId = ReadLine(host, 10);
        ASSERT_NE(hostId, "");
    }
    void TearDown() override {
        WriteLine(host, "quit");
        ClosePiped(host);
    }
    std::string Children() {
        WriteLine(host, "children");
        return ReadLine(host, 5);
    }
    // Waits until the preview's child window is shown; its "count WxH" line.
    std::string WaitForChild(pid_t pid) {
        std::string children;
        for (int i = 0; i < 200; ++i) {
            children = Children();
            if (children != "0" || !ProcessRunning(pid)) break;
            Pause(0.1);
        }
        Pause(1.0); // frames are being drawn
        return children;
    }
    std::string program, hostId;
    PipedProcess host;
};

TEST_F(Preview, ChildOfTheHostsSizeEndsOnTheCloseRequest) {
    for (std::vector<std::string> args : {std::vector<std::string>{"/p", hostId}, {"/p:" + hostId}}) {
        SCOPED_TRACE(args[0]);
        args.insert(args.begin(), program);
        pid_t pid = StartProcess(args);
        EXPECT_EQ(WaitForChild(pid), "1 152x112");
        EXPECT_TRUE(ProcessRunning(pid));
        WriteLine(host, "close");
        EXPECT_EQ(ReadLine(host, 5), "sent 1");
        EXPECT_EQ(WaitProcess(pid, 10), 0);
    }
}

TEST_F(Preview, InputDoesNotEndIt) {
    pid_t pid = StartProcess({program, "/p", hostId});
    ASSERT_EQ(WaitForChild(pid), "1 152x112");
    RunCommand("xdotool mousemove 60 60 click 1 key a mousemove_relative 5 5 2>/dev/null");
    Pause(1.5);
    EXPECT_TRUE(ProcessRunning(pid));
    WriteLine(host, "close");
    EXPECT_EQ(ReadLine(host, 5), "sent 1");
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

TEST_F(Preview, EndsWhenTheHostWindowIsDestroyed) {
    pid_t pid = StartProcess({program, "/p", hostId});
    ASSERT_EQ(WaitForChild(pid), "1 152x112");
    WriteLine(host, "destroy");
    EXPECT_EQ(ReadLine(host, 5), "destroyed");
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

TEST_F(Preview, EndsWithCodeZeroWhenTheSystemAsksItToEnd) {
    pid_t pid = StartProcess({program, "/p", hostId});
    ASSERT_EQ(WaitForChild(pid), "1 152x112");
    kill(pid, SIGTERM);
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

TEST_F(Preview, ASaverStartedWhileItRunsEndsSilently) {
    pid_t pid = StartProcess({program, "/p", hostId});
    ASSERT_EQ(WaitForChild(pid), "1 152x112");
    pid_t saver = StartProcess({program, "/s"});
    EXPECT_EQ(WaitProcess(saver, 15), 0);
    EXPECT_TRUE(ProcessRunning(pid));
    WriteLine(host, "close");
    EXPECT_EQ(ReadLine(host, 5), "sent 1");
    EXPECT_EQ(WaitProcess(pid, 10), 0);
}

TEST_F(Preview, NoHostWindowEndsAtOnce) {
    const std::vector<std::vector<std::string>> commandLines = {
        {"/p", "0"}, {"/p", ""}, {"/p", "12345"}, {"/p", "abc"},
        {"/p:-9223372036854775808"}, {"/p:$FFFFFFFFFFFFFFFFFFFF"},
    };
    for (std::vector<std::string> args : commandLines) {
        SCOPED_TRACE(args.back());
        args.insert(args.begin(), program);
        pid_t pid = StartProcess(args);
        EXPECT_EQ(WaitProcess(pid, 15), 0);
    }
}

} // namespace
