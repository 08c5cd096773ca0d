// Process entry and EndProgram: every mode starts here and every path ends in EndProgram.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
#ifdef ZELVARO_SANITIZE
#include <sanitizer/lsan_interface.h>
#endif

#include "app/display.h"
#include "app/hosted.h"
#include "app/run_modes.h"
#include "platform/os.h"
#include "platform/screen.h"
#include "scene/engine.h"
#include "settings/config_window.h"
#include "settings/language.h"

void EndProgram() {
    ReleaseConfigurationWindow(); // fonts, gadgets and the toolkit
    CloseDisplay();               // the engine's screen; the pointer shows again
    CloseHostedDisplay();
    ReleaseScreenImages();
    StopInput();
    SetScreenSaverRunning(false); // a start that failed after setting the flag resets it here
    ReleaseEngine3D();            // the library is unloaded last
    std::fflush(nullptr);
#ifdef ZELVARO_SANITIZE
    __lsan_do_leak_check(); // _Exit skips the sanitizer's own check at exit
#endif
    std::_Exit(0); // nothing may run after the facilities are gone; the exit code is always 0
}

void RunProgram(int argc, char** argv) {
    LoadLanguageTable(); // before the command line, so every mode has it

    // A screen-saver daemon's words come before the protocol letters, which would read
    // "-root" as the letter R.
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    if (std::optional<DaemonRequest> request = ReadDaemonArguments(arguments, std::getenv("XSCREENSAVER_WINDOW"))) {
        RunMode = RunModeKind::Hosted;
        StartHosted(*request);
    }

    // The line after the program's path: the system's own text where it keeps one, else argv's words.
    std::string commandLine;
    if (!SystemCommandLine(commandLine)) commandLine = JoinArguments(argc, argv);
    std::vector<std::string> words = SplitCommandLine(commandLine);
    std::string first = words.size() > 0 ? words[0] : std::string();
    std::string second = words.size() > 1 ? words[1] : std::string();
    CommandLine line = NormaliseArguments(first, second);

    switch (DispatchFor(line.modeLetter)) {
    case Dispatch::Configure:
        RunMode = RunModeKind::Configure;
        RunConfigurationWindow();
    case Dispatch::PasswordChange:
        EndProgram();
    case Dispatch::Preview:
        RunMode = RunModeKind::Preview;
        HostHandleText = line.hostHandleText;
        StartSaverOrPreview();
    case Dispatch::Saver:
        RunMode = RunModeKind::Saver;
        StartSaverOrPreview();
    }
    EndProgram();
}
