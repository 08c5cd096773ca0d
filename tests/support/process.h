// Starting and watching the built program (and other commands) from a test.
#pragma once
#include <string>
#include <sys/types.h>
#include <vector>

// Every process started here leads a process group of its own: when it is waited for, or
// when the test process ends, the whole group ends with it; the system kills it if the test
// process dies first.

// Starts argv[0] with the arguments; extraEnv holds "NAME=value" entries added to ours.
pid_t StartProcess(const std::vector<std::string>& argv, const std::vector<std::string>& extraEnv = {});
// Waits up to seconds. The exit code, 128+signal if killed by one, or -1 on time-out
// (the process and its group are then killed).
int WaitProcess(pid_t pid, double seconds);
// True while the process has not ended (reaps it if it has).
bool ProcessRunning(pid_t pid);
// Runs a shell command; its standard output, with the exit code in *status if given.
std::string RunCommand(const std::string& command, int* status = nullptr);
// Sleeps for the given seconds.
void Pause(double seconds);

// A child process whose standard input and output are pipes to the test.
struct PipedProcess {
    pid_t pid = -1;
    int input = -1;  // write end: the child's standard input
    int output = -1; // read end: the child's standard output
};
PipedProcess StartPiped(const std::vector<std::string>& argv);
// One line of the child's output without its newline; "" after seconds without one.
std::string ReadLine(PipedProcess& process, double seconds);
void WriteLine(PipedProcess& process, const std::string& line);
void ClosePiped(PipedProcess& process); // closes the pipes and waits for the child
