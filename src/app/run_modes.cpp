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

bool ReadWindowId(const std::string& text, uint64_t& window) {
    constexpr uint64_t largestId = 0xFFFFFFFF; // X11 ids are 32-bit
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const size_t first = hex ? 2 : 0;
    if (text.size() <= first) return false;
    uint64_t value = 0;
    for (size_t at = first; at < text.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if (!(hex ? std::isxdigit(c) : std::isdigit(c))) return false;
        const uint64_t digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
        value = value * (hex ? 16 : 10) + digit;
        if (value > largestId) return false;
    }
    window = value;
    return true;
}

std::optional<DaemonRequest> ReadDaemonArguments(const std::vector<std::string>& arguments,
                                                 const char* windowVariable) {
    std::optional<DaemonRequest> request;
    auto name = [&](const std::string& written) {
        request = DaemonRequest{DaemonRequest::Target::NamedWindow, 0, written};
        if (!ReadWindowId(written, request->window)) request->target = DaemonRequest::Target::BadWindowId;
    };
    for (size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "-window-id" || arguments[i] == "--window-id") {
            name(i + 1 < arguments.size() ? arguments[i + 1] : std::string());
            return request; // an explicit window outranks "-root"
        }
        if (arguments[i] == "-root" || arguments[i] == "--root") {
            // The daemon hands its own window over in the environment; run by hand, the desktop.
            if (windowVariable && *windowVariable) name(windowVariable);
            else request = DaemonRequest{};
        }
    }
    return request;
}

std::string JoinArguments(int argc, char** argv) {
    std::string text;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) text += ' ';
        text += argv[i];
    }
    return text;
}
