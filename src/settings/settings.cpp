// The settings file "Zelvaro.ini": one group, comments, six key lines, written whole on save.
#include "settings/settings.h"

#include <cstdlib>
#include <sstream>
#include <vector>

#include "core/run_mode.h"
#include "platform/os.h"

namespace {

struct KeyLine {
    std::string key;
    std::string value;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string TrimTrailingBlanks(std::string text) {
    while (!text.empty() && IsBlank(text.back())) text.pop_back();
    return text;
}


// Lines end at CR or LF; a run of them is one break, so empty lines vanish.
std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string line;
    for (char c : text) {
        if (c == '\r' || c == '\n') {
            if (!line.empty()) lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

// The key lines to search: those of the first group, or all of them when there is no group.
std::vector<KeyLine> SearchedKeyLines(const std::string& text) {
    std::vector<KeyLine> ungrouped, firstGroup;
    int groupsSeen = 0;
    for (const std::string& raw : SplitLines(text)) {
        size_t start = 0;
        while (start < raw.size() && IsBlank(raw[start])) ++start;
        if (start == raw.size() || raw[start] == ';') continue;
        if (raw[start] == '[') {
            ++groupsSeen;
            continue;
        }
        size_t equals = raw.find('=', start);
        if (equals == std::string::npos) continue; // not a key line
        KeyLine line;
        line.key = TrimTrailingBlanks(raw.substr(start, equals - start));
        size_t value = equals + 1;
        while (value < raw.size() && IsBlank(raw[value])) ++value;
        line.value = raw.substr(value);
        if (groupsSeen == 0) ungrouped.push_back(line);
        else if (groupsSeen == 1) firstGroup.push_back(line);
    }
    return groupsSeen > 0 ? firstGroup : ungrouped;
}

const KeyLine* FindKey(const std::vector<KeyLine>& lines, const char* key) {
    for (const KeyLine& line : lines)
        if (SameTextIgnoringCase(line.key, key)) return &line;
    return nullptr;
}

// UTF-8 to single bytes: code points above 255 cannot be kept and become "?".
std::string Utf8ToLatin1(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || (extra > 0 && i + extra >= text.size())) { // bad or cut-off sequence
            out += '?';
            ++i;
            continue;
        }
        unsigned long code = extra == 0 ? c : (c & (0x3F >> extra));
        for (int k = 1; k <= extra; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += code <= 0xFF ? static_cast<char>(code) : '?';
        i += extra + 1;
    }
    return out;
}

// As the C library's atoi reads it: blanks, a sign, decimal digits.
long ReadInteger(const std::string& value) { return std::strtol(value.c_str(), nullptr, 10); }

int8_t ToByteField(long v) { return static_cast<int8_t>(static_cast<uint8_t>(v & 0xFF)); }
int32_t ToIntField(long v) { return static_cast<int32_t>(static_cast<uint32_t>(v & 0xFFFFFFFF)); }

} // namespace

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

namespace {
std::string SettingsFileName() { return std::string(ProgramBaseName) + ".ini"; }

// Beside the program when its folder can be written, or when a writable settings file is
// already there; otherwise (an installed copy) in the user's own settings folder.
std::string SettingsFolder() {
    const std::string programFolder = ProgramFolder();
    if (FolderIsWritable(programFolder) || FileIsWritable(programFolder + SettingsFileName())) return programFolder;
    const std::string userFolder = UserSettingsFolder();
    return userFolder.empty() ? programFolder : userFolder;
}
} // namespace

std::string SettingsFilePath() { return SettingsFolder() + SettingsFileName(); }

SettingsRecord ParseSettingsText(const std::string& bytes) {
    bool utf8 = bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::vector<KeyLine> lines = SearchedKeyLines(utf8 ? bytes.substr(3) : bytes);

    SettingsRecord s = SettingsDefaults;
    if (const KeyLine* line = FindKey(lines, "Resolution")) {
        s.Resolution = TrimTrailingBlanks(line->value);
        if (utf8) s.Resolution = Utf8ToLatin1(s.Resolution);
    }
    if (const KeyLine* line = FindKey(lines, "Shape")) s.Shape = ToByteField(ReadInteger(line->value));
    if (const KeyLine* line = FindKey(lines, "ObjectCount")) s.ObjectCount = ToIntField(ReadInteger(line->value));
    if (const KeyLine* line = FindKey(lines, "showFPS")) s.showFPS = ToByteField(ReadInteger(line->value));
    if (const KeyLine* line = FindKey(lines, "showTime")) s.showTime = ToByteField(ReadInteger(line->value));
    if (const KeyLine* line = FindKey(lines, "Language")) s.Language = ToIntField(ReadInteger(line->value));
    return s;
}

void LoadSettings() {
    std::string bytes;
    // A folder, a FIFO or a device in the file's place counts as a file that cannot be opened.
    Settings = ReadRegularFile(SettingsFilePath(), bytes) ? ParseSettingsText(bytes) : SettingsDefaults;
}

std::string SettingsFileText(const SettingsRecord& s) {
    std::ostringstream text;
    const char* eol = "\r\n";
    auto field = [&](const char* caption, const char* key, const std::string& value, bool last) {
        text << "; " << caption << eol << key << " = " << value << eol;
        if (!last) text << "; " << ' ' << eol;
    };
    text << "[PARAM]" << eol;
    field("Screen resolution", "Resolution", s.Resolution, false);
    field("Objects shape", "Shape", std::to_string(s.Shape), false);
    field("Number of objects", "ObjectCount", std::to_string(s.ObjectCount), false);
    field("Display frame rate", "showFPS", std::to_string(s.showFPS), false);
    field("Display Time", "showTime", std::to_string(s.showTime), false);
    field("Language", "Language", std::to_string(s.Language), true);
    return text.str();
}

void SaveSettings() {
    const std::string folder = SettingsFolder();
    const std::string path = folder + SettingsFileName();
    // The user's settings folder is made on the first save; the program's is never made. A
    // read-only file is refused, and a failed write leaves the old file whole.
    bool folderReady = folder == ProgramFolder() || MakeFolders(folder);
    if (!folderReady || FileIsReadOnly(path) || !ReplaceFileContents(path, SettingsFileText(Settings)))
        ShowMessageBox("Error", "Can't save preferences !");
}
