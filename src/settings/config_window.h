// The configuration window: resolution, shape, object count, overlays, license and links.
#pragma once

// Opens the window, runs it until OK, Cancel or the close box, then ends the program.
[[noreturn]] void RunConfigurationWindow();
// Frees the window's fonts, gadgets and toolkit (called by EndProgram; nothing if never opened).
void ReleaseConfigurationWindow();
