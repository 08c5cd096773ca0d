// The settings file: reading what users and older saves left, writing it whole and safely.
#include <grp.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>

#include "platform/os.h"
#include "settings/settings.h"
#include "support/process.h"
#include "support/temp_folder.h"

namespace {

std::vector<std::pair<std::string, std::string>> messages;
void RecordMessage(const std::string& title, const std::string& text) { messages.push_back({title, text}); }

// Each test gets its own program folder and its own home and config folders, so its settings
// file is its own wherever it lies.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        folder = MakeTempFolder();
        SetProgramFilePathForTests(folder + "/Zelvaro");
        home = MakeTempFolder();
        setenv("HOME", home.c_str(), 1);
        config = MakeTempFolder() + "/config"; // made by the first save that needs it
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        messages.clear();
        SetMessageBoxHandler(RecordMessage);
        Settings = SettingsRecord{};
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetProgramFilePathForTests("");
    }
    std::string Path() const { return folder + "/Zelvaro.ini"; }
    std::string folder, home, config;
};

// Files of this folder, whatever their kind.
int CountEntries(const std::string& folder) {
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(folder)) ++entries;
    return entries;
}

mode_t PermissionBits(const std::string& path) {
    struct stat info{};
    stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

// Runs the check in a child process as a user without privileges: as root, "nobody", for whom
// folders without write access are what they are for any user. The check's result is the exit code.
constexpr uid_t nobodyId = 65534;
bool RunUnprivileged(const std::function<bool()>& check) {
    pid_t pid = fork();
    if (pid == 0) {
        bool dropped = geteuid() != 0 ||
                       (setgroups(0, nullptr) == 0 && setgid(nobodyId) == 0 && setuid(nobodyId) == 0);
        _exit(dropped && check() ? 0 : 1); // _exit: the parent's clean-up must not run here
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
// Hands a file to the user RunUnprivileged runs as.
void GiveToUnprivileged(const std::string& path) {
    if (geteuid() == 0 && chown(path.c_str(), nobodyId, nobodyId) != 0) ADD_FAILURE() << "cannot give " << path;
}

const std::string defaultFile =
    "[PARAM]\r\n; Screen resolution\r\nResolution = 1024 x 768\r\n;  \r\n; Objects shape\r\nShape = 2\r\n"
    ";  \r\n; Number of objects\r\nObjectCount = 2\r\n;  \r\n; Display frame rate\r\nshowFPS = 0\r\n"
    ";  \r\n; Display Time\r\nshowTime = 0\r\n;  \r\n; Language\r\nLanguage = 1\r\n";

struct LoadCase {
    const char* what;
    std::string file;
    SettingsRecord expected;
};

TEST_F(SettingsFile, LoadsEachKindOfFile) {
    const SettingsRecord d = SettingsDefaults;
    auto with = [&](auto change) { SettingsRecord s = d; change(s); return s; };
    const LoadCase cases[] = {
        {"the file a save writes", defaultFile, d},
        {"empty file", "", d},
        {"other group name", "[Options]\nShape = 3\nLanguage = 0\n", with([](auto& s) { s.Shape = 3, s.Language = 0; })},
        {"keys under a second group are not searched", "[A]\nx = 1\n[PARAM]\nShape = 4\n", d},
        {"no group: every key line", "Resolution = 800 x 600\nShape = 1\nObjectCount = 3\nshowFPS = 1\nshowTime = 1\nLanguage = 0\n",
         SettingsRecord{"800 x 600", 1, 3, 1, 1, 0}},
        {"keys above the first group are skipped", "Shape = 4\n[PARAM]\nObjectCount = 1\n", with([](auto& s) { s.ObjectCount = 1; })},
        {"case-insensitive keys", "[P]\nRESOLUTION = 800 x 600\nshowfps = 1\n", with([](auto& s) { s.Resolution = "800 x 600", s.showFPS = 1; })},
        {"no blanks around =", "[P]\nShape=3\n", with([](auto& s) { s.Shape = 3; })},
        {"digits then letters", "[P]\nShape = 3abc\n", with([](auto& s) { s.Shape = 3; })},
        {"no digits", "[P]\nShape = abc\n", with([](auto& s) { s.Shape = 0; })},
        {"kept in the field's 8 bits", "[P]\nShape = 300\nshowTime = 255\n", with([](auto& s) { s.Shape = 44, s.showTime = -1; })},
        {"negative", "[P]\nshowFPS = -1\nObjectCount = -7\n", with([](auto& s) { s.showFPS = -1, s.ObjectCount = -7; })},
        {"blanks around the value", "[P]\nResolution =   800 x 600 \t \n", with([](auto& s) { s.Resolution = "800 x 600"; })},
        {"the first occurrence wins", "[P]\nShape = 1\nShape = 4\n", with([](auto& s) { s.Shape = 1; })},
        {"empty values", "[P]\nResolution =\nShape =\n", with([](auto& s) { s.Resolution = "", s.Shape = 0; })},
        {"LF only", "[P]\nShape = 1\nLanguage = 0\n", with([](auto& s) { s.Shape = 1, s.Language = 0; })},
        {"CR only", "[P]\rShape = 1\rLanguage = 0\r", with([](auto& s) { s.Shape = 1, s.Language = 0; })},
        {"mixed line ends, blank lines, indented lines", "\r\n\r\n  [P]\n\r\n\t Shape = 1\r\r\n  ; Language = 0\n",
         with([](auto& s) { s.Shape = 1; })},
        {"UTF-8 byte-order mark", "\xEF\xBB\xBF[P]\r\nResolution = 800 x 600\r\nShape = 0\r\n",
         with([](auto& s) { s.Resolution = "800 x 600", s.Shape = 0; })},
        {"UTF-8 value becomes 8-bit", "\xEF\xBB\xBF[P]\nResolution = 800 \xC3\x97 600\n", with([](auto& s) { s.Resolution = "800 \xD7 600"; })},
        {"without the mark bytes stay as they are", "[P]\nResolution = 800 \xC3\x97 600\n", with([](auto& s) { s.Resolution = "800 \xC3\x97 600"; })},
        {"a line without = is no key", "[P]\nShape\nShape = 3\n", with([](auto& s) { s.Shape = 3; })},
        {"text after the group's ] is ignored", "[P] junk = 1\nShape = 3\n", with([](auto& s) { s.Shape = 3; })},
        {"atoi skips leading blanks and takes a sign", "[P]\nShape =   +7\n", with([](auto& s) { s.Shape = 7; })},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.what);
        WriteFileBytes(Path(), c.file);
        LoadSettings();
        EXPECT_EQ(Settings.Resolution, c.expected.Resolution);
        EXPECT_EQ(Settings.Shape, c.expected.Shape);
        EXPECT_EQ(Settings.ObjectCount, c.expected.ObjectCount);
        EXPECT_EQ(Settings.showFPS, c.expected.showFPS);
        EXPECT_EQ(Settings.showTime, c.expected.showTime);
        EXPECT_EQ(Settings.Language, c.expected.Language);
    }
}

// The six fields in one line, so that a difference shows whole.
std::string Describe(const SettingsRecord& s) {
    std::string text = "Resolution [";
    const char* hex = "0123456789ABCDEF";
    for (unsigned char c : s.Resolution)
        text += c >= 0x20 && c < 0x7F ? std::string(1, char(c)) : std::string("\\x") + hex[c >> 4] + hex[c & 15];
    return text + "] Shape " + std::to_string(s.Shape) + " ObjectCount " + std::to_string(s.ObjectCount) + " showFPS " +
           std::to_string(s.showFPS) + " showTime " + std::to_string(s.showTime) + " Language " + std::to_string(s.Language);
}

TEST_F(SettingsFile, Utf8ValuesKeepOnlyWellFormedPrintableCharacters) {
    const struct {
        const char* what;
        std::string value; // after "Resolution = " in a file with the byte-order mark
        std::string expected;
    } cases[] = {
        {"two bytes", "800 \xC3\x97 600", "800 \xD7 600"},
        {"the highest single byte", "\xC3\xBF", "\xFF"},
        {"beyond one byte", "\xE2\x82\xAC|\xF0\x9F\x98\x80", "?|?"},
        {"overlong line feed", "1\xC0\x8A" "2", "1??2"},
        {"overlong NUL", "1\xC0\x80" "2", "1??2"},
        {"overlong in three bytes", "1\xE0\x80\x8A", "1???"},
        {"overlong in four bytes", "1\xF0\x80\x80\x8A", "1????"},
        {"overlong printable", "\xC1\xBF", "??"},
        {"a surrogate", "\xED\xA0\x80", "???"},
        {"past U+10FFFF", "\xF4\x90\x80\x80", "????"},
        {"a lead byte without its continuation", "\xC3" "A", "?A"},
        {"a continuation without its lead", "\x80" "A", "?A"},
        {"cut off at the end", "A\xE2\x82", "A??"},
        {"bytes no sequence begins with", "\xF8\x88\x80\x80\x80\xFF", "??????"},
        {"control characters", "1\t2\x01" "3\x1F", "1?2?3?"},
        {"C1 controls are single bytes above 0x1F", "\xC2\x85", "\x85"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SettingsRecord s = ParseSettingsText("\xEF\xBB\xBF[PARAM]\r\nResolution = " + c.value + "\r\n");
        EXPECT_EQ(s.Resolution, c.expected);
    }
}

// For any bytes: load, save, load again gives what the first load gave.
TEST_F(SettingsFile, WhatALoadGivesASaveKeeps) {
    auto expectRoundTrip = [&](const std::string& bytes) {
        WriteFileBytes(Path(), bytes);
        LoadSettings();
        const SettingsRecord first = Settings;
        SaveSettings();
        LoadSettings();
        EXPECT_EQ(Describe(Settings), Describe(first));
    };
    // A line feed smuggled into the value as an overlong sequence must not become a line.
    expectRoundTrip("\xEF\xBB\xBF[PARAM]\r\nResolution = 1024 x 768\xC0\x8AShape = 4\r\nShape = 2\r\n");
    expectRoundTrip("\xEF\xBB\xBF[PARAM]\nResolution = 1\xC0\x8D\xC0\x8A[X]\xC0\x8AShape = 1\n");
    expectRoundTrip("\xEF\xBB\xBFResolution = 800\xC0\x80x\xC0\xA0" "600\n");
    EXPECT_TRUE(messages.empty());

    // Files made of the pieces a settings file is made of, and of stray bytes: some lines look
    // like key lines, some are anything.
    const std::vector<std::string> keys = {"Resolution", "Shape", "ObjectCount", "showFPS", "showTime", "Language", "[PARAM]"};
    const std::vector<std::string> pieces = {
        "\xEF\xBB\xBF", "[", "]", "\r\n", "\n", "\r", " ", "\t", "=", ";", "Resolution", "Shape", "1024 x 768", "-",
        "+", "7", "300", "\xC0\x8A", "\xC0\x8D", "\xC0\x80", "\xC0\xA0", "\xE0\x80\x8A", "\xC3\x97", "\xC3", "\x80",
        std::string(1, '\0'), "\x01", "\xFF"};
    std::mt19937 generator(20240611);
    auto chance = [&](int in) { return generator() % in == 0; };
    auto anyPieces = [&](int most) {
        std::string text;
        for (int n = generator() % (most + 1); n > 0; --n)
            text += chance(4) ? std::string(1, char(generator() & 0xFF)) : pieces[generator() % pieces.size()];
        return text;
    };
    for (int round = 0; round < 20000; ++round) {
        std::string bytes = chance(2) ? "\xEF\xBB\xBF" : "";
        for (int line = generator() % 8; line > 0; --line) {
            if (chance(3)) bytes += anyPieces(6);
            else bytes += keys[generator() % keys.size()] + (chance(2) ? " = " : "=") + anyPieces(6);
            bytes += chance(2) ? "\r\n" : "\n";
        }
        SCOPED_TRACE(::testing::PrintToString(bytes));
        const SettingsRecord first = ParseSettingsText(bytes);
        const SettingsRecord second = ParseSettingsText(SettingsFileText(first));
        ASSERT_EQ(Describe(second), Describe(first));
    }
}

// Anything but a regular file in the settings file's place: the defaults, at once, without a
// word. Each load runs in a child process, so that a hang or a crash is seen as such.
TEST_F(SettingsFile, WhatIsNoRegularFileCountsAsMissing) {
    const struct {
        const char* what;
        void (*make)(const std::string& path);
    } kinds[] = {
        {"a folder", [](const std::string& path) { mkdir(path.c_str(), 0755); }},
        {"a FIFO without a writer", [](const std::string& path) { mkfifo(path.c_str(), 0644); }},
        {"a link to an endless device", [](const std::string& path) { [[maybe_unused]] int r = symlink("/dev/zero", path.c_str()); }},
        {"a link to nowhere", [](const std::string& path) { [[maybe_unused]] int r = symlink("/nonexistent/file", path.c_str()); }},
    };
    for (const auto& kind : kinds) {
        SCOPED_TRACE(kind.what);
        std::filesystem::remove_all(Path());
        kind.make(Path());
        pid_t pid = fork();
        if (pid == 0) {
            try {
                Settings = SettingsRecord{"x", 9, 9, 9, 9, 9};
                LoadSettings();
                _exit(Describe(Settings) == Describe(SettingsDefaults) && messages.empty() ? 0 : 1);
            } catch (...) {
                _exit(2);
            }
        }
        EXPECT_EQ(WaitProcess(pid, 20), 0) << "1: other settings; 2: an exception; -1: still loading";
    }
    // A link to a regular file is that file.
    std::filesystem::remove_all(Path());
    WriteFileBytes(folder + "/real.ini", "[PARAM]\nShape = 4\n");
    ASSERT_EQ(symlink((folder + "/real.ini").c_str(), Path().c_str()), 0);
    LoadSettings();
    EXPECT_EQ(Settings.Shape, 4);
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndCreatesNothing) {
    Settings = SettingsRecord{"x", 9, 9, 9, 9, 9};
    LoadSettings();
    EXPECT_EQ(Settings.Resolution, "1024 x 768");
    EXPECT_EQ(Settings.Shape, 2);
    EXPECT_EQ(Settings.ObjectCount, 2);
    EXPECT_EQ(Settings.showFPS, 0);
    EXPECT_EQ(Settings.showTime, 0);
    EXPECT_EQ(Settings.Language, 1);
    EXPECT_FALSE(FileExists(Path()));
}

TEST_F(SettingsFile, SaveWritesTheEighteenLinesExactly) {
    Settings = SettingsDefaults;
    SaveSettings();
    std::string bytes = ReadFileBytes(Path());
    EXPECT_EQ(bytes, defaultFile);
    EXPECT_EQ(bytes.size(), 237u);
    EXPECT_TRUE(messages.empty());

    Settings = SettingsRecord{"800 x 600", -1, 4, 2, 1, 0};
    SaveSettings();
    bytes = ReadFileBytes(Path());
    EXPECT_NE(bytes.find("\r\nResolution = 800 x 600\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nShape = -1\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nObjectCount = 4\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nshowFPS = 2\r\n"), std::string::npos);
    EXPECT_EQ(bytes.substr(bytes.size() - 14), "Language = 0\r\n");
}

TEST_F(SettingsFile, SaveDropsWhatTheUserAddedAndTheByteOrderMark) {
    WriteFileBytes(Path(), "\xEF\xBB\xBF; mine\n[PARAM]\nShape = 3\nExtra = 1\n[Other]\nx = 2\n");
    LoadSettings();
    SaveSettings();
    SettingsRecord expected = SettingsDefaults;
    expected.Shape = 3;
    EXPECT_EQ(ReadFileBytes(Path()), SettingsFileText(expected));
}

TEST_F(SettingsFile, ReadOnlyFileLoadsButIsNotOverwritten) {
    WriteFileBytes(Path(), "[PARAM]\nShape = 4\n");
    chmod(Path().c_str(), 0444);
    LoadSettings();
    EXPECT_EQ(Settings.Shape, 4);
    Settings.Shape = 1;
    SaveSettings();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "Error");
    EXPECT_EQ(messages[0].second, "Can't save preferences !");
    EXPECT_EQ(ReadFileBytes(Path()), "[PARAM]\nShape = 4\n");
    EXPECT_EQ(Settings.Shape, 1); // the caller's choices stay in memory
}

TEST_F(SettingsFile, SaveWhereNoSettingsFolderCanBeMade) {
    // The program's folder cannot hold the file, and the user's config folder cannot be made.
    WriteFileBytes(home + "/plain", "");
    const struct {
        const char* program;
        std::string configHome;
    } cases[] = {
        {"/nonexistent-folder/Zelvaro", "/proc/zelvaro-config"},
        {"/proc/Zelvaro", home + "/plain/config"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        messages.clear();
        SetProgramFilePathForTests(c.program);
        setenv("XDG_CONFIG_HOME", c.configHome.c_str(), 1);
        Settings = SettingsDefaults;
        SaveSettings();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].second, "Can't save preferences !");
        EXPECT_EQ(Settings.Resolution, "1024 x 768");
    }
    EXPECT_FALSE(FileExists("/nonexistent-folder"));
}

TEST_F(SettingsFile, SaveFailingMidwayLeavesTheOldFileIntact) {
    const std::string old = "[PARAM]\r\nResolution = 800 x 600\r\n";
    WriteFileBytes(Path(), old);
    // Files may not grow past 100 bytes: the 237-byte write fails partway.
    signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 100;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    Settings = SettingsDefaults;
    SaveSettings();
    setrlimit(RLIMIT_FSIZE, &saved);

    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].second, "Can't save preferences !");
    EXPECT_EQ(ReadFileBytes(Path()), old);
    EXPECT_EQ(CountEntries(folder), 1); // no temporary file is left behind
}

TEST_F(SettingsFile, ProgramFolderIsThePathUpToItsLastSlash) {
    const std::string longFolder = "/" + std::string(300, 'd');
    const struct {
        std::string program, folder;
    } cases[] = {
        {"/some/where/Other.scr", "/some/where/"},
        {"/Zelvaro", "/"},
        {"/opt/saver\\copy", "/opt/"}, // "\" is an ordinary character of a file name here
        {"/opt/a\\b/Zelvaro", "/opt/a\\b/"},
        {longFolder + "/Zelvaro", longFolder + "/"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        SetProgramFilePathForTests(c.program);
        EXPECT_EQ(ProgramFolder(), c.folder);
    }
}

TEST_F(SettingsFile, PathIsBesideTheProgramWhateverItsName) {
    // Folders of more than 255 characters in all, and names with "\" in them.
    std::string deep = folder;
    for (int level = 0; level < 3; ++level) deep += "/" + std::string(100, 'd');
    const std::string backslashed = folder + "/a\\b";
    for (const std::string& where : {deep, backslashed}) std::filesystem::create_directories(where);
    const struct {
        std::string program, settingsFile;
    } cases[] = {
        {folder + "/Other.scr", folder + "/Zelvaro.ini"},
        {deep + "/Zelvaro", deep + "/Zelvaro.ini"},
        {backslashed + "/x\\y", backslashed + "/Zelvaro.ini"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.program);
        SetProgramFilePathForTests(c.program);
        EXPECT_EQ(SettingsFilePath(), c.settingsFile);
        Settings = SettingsDefaults;
        SaveSettings();
        EXPECT_EQ(ReadFileBytes(c.settingsFile), defaultFile);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsFile, SaveKeepsTheOldFilesPermissionBits) {
    const mode_t savedMask = umask(022);
    Settings = SettingsDefaults;
    SaveSettings();
    EXPECT_EQ(PermissionBits(Path()), 0644u); // a new file: as the user's umask says
    for (mode_t mode : {0600, 0640, 0664, 0666}) {
        SCOPED_TRACE(mode);
        chmod(Path().c_str(), mode);
        SaveSettings();
        EXPECT_EQ(PermissionBits(Path()), mode);
    }
    umask(savedMask);
    EXPECT_TRUE(messages.empty());
}

TEST_F(SettingsFile, SaveWritesThroughALinkToItsTarget) {
    const std::string elsewhere = MakeTempFolder();
    const struct {
        const char* what;
        std::vector<std::pair<std::string, std::string>> links; // link, what it points to
        std::string target;
        bool targetExists;
    } cases[] = {
        {"absolute link", {{Path(), elsewhere + "/a.ini"}}, elsewhere + "/a.ini", true},
        {"relative link", {{Path(), "sub/b.ini"}}, folder + "/sub/b.ini", true},
        {"link to a link", {{Path(), elsewhere + "/hop"}, {elsewhere + "/hop", "c.ini"}}, elsewhere + "/c.ini", true},
        {"link to a file not made yet", {{Path(), elsewhere + "/d.ini"}}, elsewhere + "/d.ini", false},
    };
    std::filesystem::create_directory(folder + "/sub");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        for (const auto& [link, pointee] : c.links) {
            std::filesystem::remove(link);
            std::filesystem::create_symlink(pointee, link);
        }
        if (c.targetExists) WriteFileBytes(c.target, "[PARAM]\nShape = 0\n");
        LoadSettings();
        EXPECT_EQ(Settings.Shape, c.targetExists ? 0 : 2);
        Settings.Shape = 3;
        SaveSettings();
        EXPECT_TRUE(messages.empty());
        EXPECT_TRUE(std::filesystem::is_symlink(Path())); // the link stays a link
        SettingsRecord expected = SettingsDefaults;
        expected.Shape = 3;
        EXPECT_EQ(ReadFileBytes(c.target), SettingsFileText(expected));
    }
}

TEST_F(SettingsFile, SaveNeverWritesThroughALinkPlantedForItsTemporary) {
    // Whoever may write the folder can plant a link at a name the save might use for its
    // temporary file: the file it points to stays as it was.
    const std::string victim = MakeTempFolder() + "/victim";
    WriteFileBytes(victim, "untouched");
    const std::string planted = Path() + ".tmp-" + std::to_string(getpid());
    std::filesystem::create_symlink(victim, planted);
    Settings = SettingsDefaults;
    SaveSettings();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(ReadFileBytes(victim), "untouched");
    EXPECT_FALSE(std::filesystem::is_symlink(Path()));
    EXPECT_EQ(ReadFileBytes(Path()), defaultFile);
    EXPECT_EQ(CountEntries(folder), 2); // the file and the planted link, no temporary left
}

TEST_F(SettingsFile, WritableFileInAFolderThatTakesNoNewFileIsOverwrittenInPlace) {
    WriteFileBytes(Path(), "[PARAM]\r\nResolution = 800 x 600\r\nShape = 0\r\n");
    chmod(Path().c_str(), 0640);
    GiveToUnprivileged(Path());
    chmod(folder.c_str(), 0555); // readable by all, writable by none but root
    const SettingsRecord chosen{"640 x 480", 1, 4, 1, 1, 1};
    bool saved = RunUnprivileged([&] {
        if (access(folder.c_str(), W_OK) == 0) return false; // the case needs a folder this user cannot write
        Settings = chosen;
        SaveSettings();
        return messages.empty();
    });
    chmod(folder.c_str(), 0700);
    EXPECT_TRUE(saved) << "the save was refused";
    EXPECT_EQ(ReadFileBytes(Path()), SettingsFileText(chosen));
    EXPECT_EQ(PermissionBits(Path()), 0640u);
    EXPECT_EQ(CountEntries(folder), 1);
}

// Where the file lies: beside the program when its folder can be written or a writable file is
// already there, else in the user's config folder. Load and save follow the same rule.
TEST_F(SettingsFile, LocationFollowsWhatTheProgramFolderAllows) {
    enum class Existing { None, Writable, ReadOnly };
    enum class Where { BesideProgram, ConfigHome, HomeConfig };
    const struct {
        const char* what;
        bool folderWritable;
        Existing existing;
        const char* configHome; // nullptr: unset
        Where expected;
        bool saves;
    } cases[] = {
        {"writable folder", true, Existing::None, "set", Where::BesideProgram, true},
        {"writable folder, read-only file: kept, not saved", true, Existing::ReadOnly, "set", Where::BesideProgram, false},
        {"read-only folder: the config home", false, Existing::None, "set", Where::ConfigHome, true},
        {"read-only folder, no XDG_CONFIG_HOME: ~/.config", false, Existing::None, nullptr, Where::HomeConfig, true},
        {"read-only folder, empty XDG_CONFIG_HOME: ~/.config", false, Existing::None, "", Where::HomeConfig, true},
        {"read-only folder, relative XDG_CONFIG_HOME: ~/.config", false, Existing::None, "relative/config", Where::HomeConfig, true},
        {"read-only folder holding a writable file", false, Existing::Writable, "set", Where::BesideProgram, true},
        {"read-only folder holding a read-only file", false, Existing::ReadOnly, "set", Where::ConfigHome, true},
    };
    const SettingsRecord chosen{"800 x 600", 4, 3, 1, 0, 0};
    const std::string before = "[PARAM]\r\nShape = 1\r\n";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp(); // fresh folders for each case
        if (c.existing != Existing::None) WriteFileBytes(Path(), before);
        if (c.existing == Existing::ReadOnly) chmod(Path().c_str(), 0444);
        // Root writes anything: a folder without write bits is one meant to be kept.
        if (!c.folderWritable) chmod(folder.c_str(), 0555);
        if (!c.configHome) unsetenv("XDG_CONFIG_HOME");
        else if (std::string(c.configHome) != "set") setenv("XDG_CONFIG_HOME", c.configHome, 1);

        const std::string expected = c.expected == Where::BesideProgram ? Path()
                                     : c.expected == Where::ConfigHome  ? config + "/zelvaro/Zelvaro.ini"
                                                                        : home + "/.config/zelvaro/Zelvaro.ini";
        EXPECT_EQ(SettingsFilePath(), expected);
        Settings = chosen;
        SaveSettings();
        EXPECT_EQ(messages.empty(), c.saves);
        if (c.saves) EXPECT_EQ(ReadFileBytes(expected), SettingsFileText(chosen));
        if (expected != Path()) {
            EXPECT_EQ(ReadFileBytes(Path()), c.existing == Existing::None ? "" : before);
            EXPECT_EQ(PermissionBits(expected.substr(0, expected.rfind('/'))), 0700u); // made for this user alone
        }
        Settings = SettingsRecord{};
        LoadSettings(); // the saver reads what the configuration window saved
        EXPECT_EQ(Settings.Shape, c.saves ? chosen.Shape : 1);
        EXPECT_EQ(Settings.Resolution, c.saves ? chosen.Resolution : "1024 x 768");
        chmod(folder.c_str(), 0700);
    }
}

} // namespace
