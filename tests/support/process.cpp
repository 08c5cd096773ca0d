#include "process.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <thread>

extern char** environ;

namespace {

// Started processes not yet reaped: ended with their groups when the test process ends.
std::set<pid_t> running;

void EndGroup(pid_t pid) {
    kill(-pid, SIGKILL);
    running.erase(pid);
}

void EndEveryGroup() {
    for (pid_t pid : std::set<pid_t>(running)) {
        EndGroup(pid);
        waitpid(pid, nullptr, 0);
    }
}

// In the child, before exec: a group of its own, so that whatever it forks (a message box)
// ends with it; and the system ends it if the test process dies first.
void BecomeGroupDyingWithTest(pid_t testProcess) {
    setpgid(0, 0);
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != testProcess) _exit(127);
}

// In the child: "NAME=value" replaces NAME, except that a library to preload comes before
// those the environment preloads already (the sanitizer build preloads the GL driver).
void AddToEnvironment(const std::string& entry) {
    const std::string preload = "LD_PRELOAD=";
    const char* preloaded = std::getenv("LD_PRELOAD");
    if (entry.compare(0, preload.size(), preload) == 0 && preloaded && *preloaded) {
        setenv("LD_PRELOAD", (entry.substr(preload.size()) + ":" + preloaded).c_str(), 1);
        return;
    }
    putenv(const_cast<char*>(entry.c_str()));
}

void Track(pid_t pid) {
    if (pid <= 0) return;
    setpgid(pid, pid); // also here, so that the group exists whichever side runs first
    static const bool registered = std::atexit(EndEveryGroup) == 0;
    (void)registered;
    running.insert(pid);
}

} // namespace

pid_t StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv) {
    const pid_t testProcess = getpid();
    pid_t pid = fork();
    if (pid == 0) {
        BecomeGroupDyingWithTest(testProcess);
        for (const std::string& entry : extraEnv) AddToEnvironment(entry);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    Track(pid);
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
        if (done == pid) {
            EndGroup(pid); // nothing it started outlives it
            return Decode(status);
        }
        if (done < 0) return -2;
        if (std::chrono::steady_clock::now() > deadline) {
            EndGroup(pid);
            waitpid(pid, &status, 0);
            return -1;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

bool ProcessRunning(pid_t pid) {
    int status = 0;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) EndGroup(pid);
    return done == 0;
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

#include <poll.h>

PipedProcess StartPiped(const std::vector<std::string>& argv) {
    int toChild[2], fromChild[2];
    PipedProcess p;
    if (pipe(toChild) != 0 || pipe(fromChild) != 0) return p;
    const pid_t testProcess = getpid();
    p.pid = fork();
    if (p.pid == 0) {
        BecomeGroupDyingWithTest(testProcess);
        dup2(toChild[0], 0);
        dup2(fromChild[1], 1);
        close(toChild[1]);
        close(fromChild[0]);
        std::vector<char*> args;
        for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        execv(args[0], args.data());
        _exit(127);
    }
    Track(p.pid);
    close(toChild[0]);
    close(fromChild[1]);
    p.input = toChild[1];
    p.output = fromChild[0];
    return p;
}

std::string ReadLine(PipedProcess& process, double seconds) {
    std::string line;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        deadline - std::chrono::steady_clock::now()).count());
        if (left <= 0) return "";
        pollfd fd{process.output, POLLIN, 0};
        if (poll(&fd, 1, left) <= 0) return "";
        char c;
        if (read(process.output, &c, 1) != 1) return line;
        if (c == '\n') return line;
        line += c;
    }
}

void WriteLine(PipedProcess& process, const std::string& line) {
    std::string text = line + "\n";
    [[maybe_unused]] ssize_t n = write(process.input, text.data(), text.size());
}

void ClosePiped(PipedProcess& process) {
    if (process.input >= 0) close(process.input);
    if (process.output >= 0) close(process.output);
    if (process.pid > 0) WaitProcess(process.pid, 5);
    process = PipedProcess{};
}
