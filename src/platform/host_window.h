// A window that a screen-saver daemon owns and hands over for drawing (xscreensaver's
// protocol). The saver draws in a child window that covers it and follows its size.
#pragma once
#include <cstdint>

enum class HostCheck { Ready, NoDisplay, NoWindow };
enum class HostEvent { NoEvent, Resized, HostGone };

// Connects to the display and starts watching the host: the root window, or the window host.
// On Ready, width and height are its size.
HostCheck FindHostWindow(bool rootWindow, uint64_t host, int& width, int& height);
// Creates and shows the covering child window; its native id, or 0.
uint64_t OpenHostedWindow(int width, int height);
// The host's news since the last call, without waiting. On Resized the child window has
// already taken the new size, given in width and height.
HostEvent NextHostEvent(int& width, int& height);
// Destroys the child window and closes the connection.
void CloseHostedWindow();
