// Who the process is and how it runs: the run mode decided from the command line and the
// program's names.
#pragma once
#include <string>

// Hosted: drawn in a window that a screen-saver daemon owns; the daemon decides when it ends.
enum class RunModeKind { Configure, Saver, Preview, Hosted };

extern RunModeKind RunMode;
extern std::string HostHandleText;        // Preview: the host window handle as written
extern const char* const ProgramTitle;    // names the single-instance lock, starts the window title
extern const char* const ProgramBaseName; // base of the engine library and settings file names
