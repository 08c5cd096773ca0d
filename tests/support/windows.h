// Finding the program's windows on the test's X display.
#pragma once
#include <string>

#include <sys/types.h>

// The window of a saver process once it is drawing: it holds the keyboard focus and shows a
// frame in its middle. "" on time-out.
std::string WaitForSaverWindow(pid_t pid, double seconds);
// The id of the first window titled exactly so (searched in the whole window tree), or "".
std::string FindWindowTitled(const std::string& title);
