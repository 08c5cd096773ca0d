// The desktop's own display mode, given back on the display server's error paths.
#pragma once

// Remembers the primary monitor's mode before the saver may switch it, and makes the display
// server's error paths (a lost connection, a protocol error) give it back where the server
// still runs and end the process with exit code 0. The ordinary ways out give it back when
// the screen closes.
void GuardDesktopMode();
