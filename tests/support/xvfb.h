// A private virtual X display for one test process.
#pragma once
#include <string>

// Starts Xvfb on a free display (-displayfd) and points DISPLAY at it; stopped at exit.
// Returns the display name, or "" if it could not start.
std::string StartXvfb(int width = 1024, int height = 768);
void StopXvfb();
