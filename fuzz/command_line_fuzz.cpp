// The command line against any arguments: split, normalised and dispatched as the program
// does it, and the host handle read as the preview reads it. The input's NUL bytes separate
// the arguments.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/integer_text.h"
#include "app/run_modes.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> arguments{"Zelvaro"};
    std::string argument;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            arguments.push_back(argument);
            argument.clear();
        } else {
            argument += static_cast<char>(data[i]);
        }
    }
    arguments.push_back(argument);
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());

    const std::vector<std::string> words = SplitCommandLine(JoinArguments(static_cast<int>(argv.size()), argv.data()));
    const CommandLine line = NormaliseArguments(words.size() > 0 ? words[0] : "", words.size() > 1 ? words[1] : "");
    if (line.modeLetter.size() > 1) std::abort(); // the letter is one character or none
    if (DispatchFor(line.modeLetter) == Dispatch::Preview) ReadIntegerText(line.hostHandleText);
    return 0;
}
