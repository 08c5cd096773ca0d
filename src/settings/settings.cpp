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

// The length of the well-formed UTF-8 sequence at text[at], 0 if there is none: no overlong
// form, no surrogate, nothing past U+10FFFF, every continuation byte in place.
size_t Utf8SequenceLength(const std::string& text, size_t at) {
    auto byte = [&](size_t k) { return static_cast<unsigned char>(text[at + k]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return 1;
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF) length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) length = 3, low = lead == 0xE0 ? 0xA0 : 0x80, high = lead == 0xED ? 0x9F : 0xBF;
    else if (lead >= 0xF0 && lead <= 0xF4) length = 4, low = lead == 0xF0 ? 0x90 : 0x80, high = lead == 0xF4 ? 0x8F : 0xBF;
    else return 0;
    if (text.size() - at < length || byte(1) < low || byte(1) > high) return 0;
    for (size_t k = 2; k < length; ++k)
        if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
    return length;
}

// UTF-8 to single bytes. A code point above 255 cannot be kept, a control character must not
// reach a value (a saved line break would start a line of its own), and a malformed sequence
// means nothing: each becomes "?".
std::string Utf8ToLatin1(const std::string& text) {
    constexpr unsigned long firstPrintable = 0x20, lastSingleByte = 0xFF;
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const size_t length = Utf8SequenceLength(text, i);
        if (length == 0) {
            out += '?';
            ++i;
            continue;
        }
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        unsigned long code = length == 1 ? lead : lead & (0x7F >> length);
        for (size_t k = 1; k < length; ++k) code = (code << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        out += code >= firstPrintable && code <= lastSingleByte ? static_cast<char>(code) : '?';
        i += length;
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
