// Hosted by a screen-saver daemon: the saver's picture in the daemon's window.
#pragma once
#include "app/run_modes.h"

// The start of a hosted run; runs the frame loop, never returns.
[[noreturn]] void StartHosted(const DaemonRequest& request);
// The frame loop's event step when hosted: the end request, the window's end, a new size.
void DispatchHostedEvents();
// Closes the hosted screen and window if open (EndProgram).
void CloseHostedDisplay();
