// The command line of the screen-saver protocol: splitting, normalising and dispatching.
#include "app/run_modes.h"

#include <cctype>

namespace {

std::string RemoveAll(std::string text, const std::string& what) {
    if (what.empty()) return text;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at))
        text.erase(at, what.size());
    return text;
}

std::string UpperCase(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

std::vector<std::string> SplitCommandLine(const std::string& text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] == ' ') { ++at; continue; }
        if (text[at] == '"') {
            size_t close = text.find('"', at + 1);
            if (close == std::string::npos) close = text.size();
            words.push_back(text.substr(at + 1, close - at - 1));
            at = close + 1;
            continue;
        }
        size_t end = text.find(' ', at);
        if (end == std::string::npos) end = text.size();
        words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

CommandLine NormaliseArguments(const std::string& first, const std::string& second) {
    CommandLine line;
    std::string a = UpperCase(first);
    if (a.size() >= 3) {
        // long form, "/P:1234": the prefix goes from the handle, the lead character from the letter
        line.hostHandleText = RemoveAll(a, a.substr(0, 3));
        a = RemoveAll(a, a.substr(0, 1));
        line.modeLetter = a.substr(0, a.empty() ? 0 : 1);
    } else {
        line.modeLetter = a.empty() ? a : RemoveAll(a, a.substr(0, 1));
        line.hostHandleText = second;
        if (line.hostHandleText.find('-') != std::string::npos)
            line.hostHandleText = RemoveAll(line.hostHandleText, "-");
        if (line.hostHandleText.find('/') != std::string::npos)
            line.hostHandleText = RemoveAll(line.hostHandleText, "/");
    }
    return line;
}

Dispatch DispatchFor(const std::string& modeLetter) {
    if (modeLetter.empty() || modeLetter == "C") return Dispatch::Configure;
    if (modeLetter == "A") return Dispatch::PasswordChange;
    if (modeLetter == "P") return Dispatch::Preview;
    return Dispatch::Saver; // "S" and every letter the table does not know
}

std::string JoinArguments(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}
