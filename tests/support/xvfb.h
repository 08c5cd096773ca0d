// A private virtual X display for one test process.
#pragma once
#include <string>
#include <sys/types.h>

// Starts Xvfb on a free display (-displayfd) and points DISPLAY at it; stopped at exit, and
// ended by the system if the test process dies first. Returns the display name, or "" if it
// could not start.
std::string StartXvfb(int width = 1024, int height = 768);
void StopXvfb();
// The server's process, -1 when none runs.
pid_t XvfbProcess();
