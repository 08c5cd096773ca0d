// Process entry helpers: the command line, the run mode and the one way out.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/end_program.h"
#include "core/run_mode.h"

struct CommandLine {
    std::string modeLetter;     // "" or one character, upper case when a letter
    std::string hostHandleText; // the preview host's window handle, as written
};

// What the first argument asks for once normalised.
enum class Dispatch { Configure, PasswordChange, Preview, Saver };

// Splits at spaces (runs count as one); a word opening with a double quote runs to the next one.
std::vector<std::string> SplitCommandLine(const std::string& text);
// Turns the first two arguments into the mode letter and the host handle text.
CommandLine NormaliseArguments(const std::string& first, const std::string& second);
Dispatch DispatchFor(const std::string& modeLetter);
// A screen-saver daemon's request (xscreensaver's protocol): the window to draw in.
struct DaemonRequest {
    enum class Target { RootWindow, NamedWindow, BadWindowId };
    Target target = Target::RootWindow;
    uint64_t window = 0;  // NamedWindow: the X11 window id
    std::string written;  // the id as the daemon wrote it, for messages
};

// The daemon's words, as whole words anywhere among the arguments: "-root" or "--root" (the
// window named by windowVariable, the XSCREENSAVER_WINDOW text, else the root window), and
// "-window-id ID" or "--window-id ID". Nothing when none is there: the protocol letters rule.
std::optional<DaemonRequest> ReadDaemonArguments(const std::vector<std::string>& arguments,
                                                 const char* windowVariable);
// A window id written in decimal or as 0x-hex, and nothing else; false when it is not one.
bool ReadWindowId(const std::string& text, uint64_t& window);

// argv[1..] joined with single spaces, as the system hands a command line over.
std::string JoinArguments(int argc, char** argv);

// The process entry proper: start-up, command line, dispatch. Never returns.
[[noreturn]] void RunProgram(int argc, char** argv);
