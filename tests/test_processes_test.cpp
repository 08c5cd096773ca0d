// What a test starts ends with it: its X server and the programs it runs, with whatever they
// fork, never outlive the test process nor hold its output open (a test runner waits for that
// output to close).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>

#include "support/process.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

constexpr double deadline = 20;

// True once the process is gone or a zombie: it holds nothing open any more.
bool Ended(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    for (int i = 0; i < 3 && stat >> field; ++i) {}
    return !stat || field == "Z";
}

bool EndsWithin(pid_t pid, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (!Ended(pid) && std::chrono::steady_clock::now() < end) Pause(0.05);
    return Ended(pid);
}

// Reads the pipe until its last writer has closed it; false at the deadline.
bool ClosesWithin(int fd, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    char block[512];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left.count())) > 0 && read(fd, block, sizeof block) == 0) return true;
    }
}

std::string ReadAll(int fd) {
    std::string text;
    char block[512];
    for (ssize_t n; (n = read(fd, block, sizeof block)) > 0;) text.append(block, static_cast<size_t>(n));
    return text;
}

// A shell that forks a long sleep, as SDL forks its message box, and tells the sleep's id.
std::vector<std::string> ForkingProgram(const std::string& idFile) {
    return {"/bin/sh", "-c", "sleep 600 & echo $! > " + idFile + "; wait"};
}

pid_t WaitForId(const std::string& idFile) {
    for (int i = 0; i < 400; ++i) {
        std::string text = ReadFileBytes(idFile);
        if (!text.empty() && text.back() == '\n') return std::stoi(text);
        Pause(0.05);
    }
    return -1;
}

struct Case {
    const char* what;
    bool killed; // the test process dies by SIGKILL instead of ending normally
    std::vector<pid_t> (*start)(const std::string& folder);
};

TEST(TestProcesses, NothingAStartedOutlivesTheTestProcessOrHoldsItsOutput) {
    const Case cases[] = {
        {"the X server, the test ending", false, [](const std::string&) { StartXvfb(); return std::vector<pid_t>{XvfbProcess()}; }},
        {"the X server, the test killed", true, [](const std::string&) { StartXvfb(); return std::vector<pid_t>{XvfbProcess()}; }},
        {"a program, the test killed", true,
         [](const std::string&) { return std::vector<pid_t>{StartProcess({"/bin/sleep", "600"})}; }},
        {"a program and what it forked, the test ending", false,
         [](const std::string& folder) {
             pid_t shell = StartProcess(ForkingProgram(folder + "/id"));
             return std::vector<pid_t>{shell, WaitForId(folder + "/id")};
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = MakeTempFolder();
        int output[2], report[2];
        ASSERT_EQ(pipe(output), 0);
        ASSERT_EQ(pipe2(report, O_CLOEXEC), 0);
        pid_t test = fork();
        if (test == 0) { // stands in for a test process whose output the runner reads
            dup2(output[1], STDOUT_FILENO);
            dup2(output[1], STDERR_FILENO);
            close(output[0]);
            close(output[1]);
            close(report[0]);
            std::string ids;
            for (pid_t pid : c.start(folder)) ids += std::to_string(pid) + " ";
            [[maybe_unused]] ssize_t n = write(report[1], ids.data(), ids.size());
            close(report[1]);
            if (c.killed) raise(SIGKILL);
            std::exit(0);
        }
        close(output[1]);
        close(report[1]);
        std::vector<pid_t> started;
        std::istringstream ids(ReadAll(report[0]));
        for (pid_t pid; ids >> pid;) started.push_back(pid);
        close(report[0]);
        waitpid(test, nullptr, 0);

        EXPECT_TRUE(ClosesWithin(output[0], deadline)) << "the test's output is still held open";
        close(output[0]);
        ASSERT_FALSE(started.empty());
        for (pid_t pid : started) {
            ASSERT_GT(pid, 0);
            EXPECT_TRUE(EndsWithin(pid, deadline)) << pid << " still runs";
            if (!Ended(pid)) kill(pid, SIGKILL); // leave nothing behind either way
        }
    }
}

TEST(TestProcesses, AProgramPastItsDeadlineEndsWithWhatItForked) {
    const std::string idFile = MakeTempFolder() + "/id";
    pid_t shell = StartProcess(ForkingProgram(idFile));
    pid_t forked = WaitForId(idFile);
    ASSERT_GT(forked, 0);
    EXPECT_EQ(WaitProcess(shell, 0.2), -1);
    EXPECT_TRUE(EndsWithin(forked, deadline)) << "what the program forked still runs";
    if (!Ended(forked)) kill(forked, SIGKILL);
}

} // namespace
