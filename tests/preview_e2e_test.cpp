// The preview inside a host window: a child of the host's size that ends, with exit code 0,
// on the close request or when the host disappears, and never on input.
#include <gtest/gtest.h>
#include <signal.h>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/wait.h"
#include "support/xvfb.h"

namespace {

// Where preview_host puts its window, and the grey it fills it with.
constexpr int hostX = 40, hostY = 40, hostWidth = 152, hostHeight = 112;
constexpr int hostGrey = 0x40;

// True once the host's area of the screen shows a frame of the preview: pixels that are
// neither the host's own grey nor the black of a child window not yet drawn.
bool HostShowsAFrame() {
    Picture screen = Screenshot(MakeTempFolder() + "/screen.png");
    if (screen.width < hostX + hostWidth || screen.height < hostY + hostHeight) return false;
    int drawn = 0;
    for (int y = hostY; y < hostY + hostHeight; ++y)
        for (int x = hostX; x < hostX + hostWidth; ++x) {
            const uint8_t* p = screen.At(x, y);
            bool grey = p[0] == hostGrey && p[1] == hostGrey && p[2] == hostGrey;
            bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
            drawn += !grey && !black;
        }
    return drawn >= 20;
}

class Preview : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
    void SetUp() override {
        IsolateRuntimeFolder();
        program = InstallProgramCopy(MakeTempFolder());
        host = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", std::to_string(hostWidth),
                           std::to_string(hostHeight)});
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
    // Waits until the preview's child window is shown and frames are being drawn in it; the
    // host's "count WxH" line.
    std::string WaitForChild(pid_t pid) {
        std::string children;
        WaitUntil([&] { return (children = Children()) != "0" || !ProcessRunning(pid); }, 30, 0.1);
        EXPECT_TRUE(WaitUntil([&] { return HostShowsAFrame() || !ProcessRunning(pid); }, 30, 0.1))
            << "the preview draws nothing";
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
