// Process entry helpers: the command line, the run mode and the one way out.
#pragma once
#include <string>
#include <vector>

enum class RunModeKind { Configure, Saver, Preview };

extern RunModeKind RunMode;
extern std::string HostHandleText;     // Preview: the host window handle as written
extern const char* const ProgramTitle;    // names the single-instance lock, starts the window title
extern const char* const ProgramBaseName; // base of the engine library and settings file names

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

// Releases whatever has been started, in a fixed order, and exits with code 0.
[[noreturn]] void EndProgram();
// The process entry proper: start-up, command line, dispatch. Never returns.
[[noreturn]] void RunProgram(int argc, char** argv);
