// Windows has no screen-saver daemon handing windows over: the system starts the saver with
// its own command line, so a hosted run finds no display to draw on.
#include "platform/host_window.h"

HostCheck FindHostWindow(bool, uint64_t, int&, int&) { return HostCheck::NoDisplay; }
uint64_t OpenHostedWindow(int, int) { return 0; }
HostEvent NextHostEvent(int&, int&) { return HostEvent::NoEvent; }
void CloseHostedWindow() {}
