#include "process.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

extern char** environ;

pid_t StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    pid_t pid = fork();
    if (pid == 0) {
        for (const std::string& entry : extraEnv) putenv(const_cast<char*>(entry.c_str()));
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    return pid;
}

namespace {
int Decode(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }
} // namespace

int WaitProcess(pid_t pid, double seconds) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        int status = 0;
        pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return Decode(status);
        if (done < 0) return -2;
        if (std::chrono::steady_clock::now() > deadline) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool ProcessRunning(pid_t pid) {
    int status = 0;
    return waitpid(pid, &status, WNOHANG) == 0;
}

std::string RunCommand(const std::string& command, int* status) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return output;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
    int code = pclose(pipe);
    if (status) *status = WIFEXITED(code) ? WEXITSTATUS(code) : -1;
    return output;
}

void Pause(double seconds) { std::this_thread::sleep_for(std::chrono::duration<double>(seconds)); }
