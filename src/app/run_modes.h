// Process entry helpers: the command line, the run mode and the one way out.
#pragma once
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
// argv[1..] joined with single spaces, as the system hands a command line over.
std::string JoinArguments(int argc, char** argv);

// The process entry proper: start-up, command line, dispatch. Never returns.
[[noreturn]] void RunProgram(int argc, char** argv);
