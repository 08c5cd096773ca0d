#include "xvfb.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace {
pid_t xvfbPid = -1;
}

std::string StartXvfb(int width, int height) {
    if (xvfbPid > 0) return std::getenv("DISPLAY");
    int fds[2];
    if (pipe(fds) != 0) return "";
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    const pid_t testProcess = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        // The server ends with the test, however the test ends, and never holds the test's
        // output open: a runner waits for that output to close.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != testProcess) _exit(127);
        int quiet = open("/dev/null", O_RDWR);
        dup2(quiet, STDIN_FILENO);
        dup2(quiet, STDOUT_FILENO);
        dup2(quiet, STDERR_FILENO);
        close(fds[0]);
        std::string fd = std::to_string(fds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp",
               "-noreset", "+extension", "GLX", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (pid < 0 || number.empty()) return "";
    xvfbPid = pid;
    std::string display = ":" + number;
    setenv("DISPLAY", display.c_str(), 1);
    std::atexit(StopXvfb);
    return display;
}

pid_t XvfbProcess() { return xvfbPid; }

void StopXvfb() {
    if (xvfbPid <= 0) return;
    kill(xvfbPid, SIGTERM);
    waitpid(xvfbPid, nullptr, 0);
    xvfbPid = -1;
}
