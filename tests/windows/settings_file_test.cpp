// The settings file on Windows: loaded and saved through the system's own files, beside the
// program, or in %APPDATA%\Zelvaro\ when the program's folder cannot hold it.
#include <gtest/gtest.h>
#include <windows.h>

#include <utility>
#include <vector>

#include "core/settings_record.h"
#include "platform/os.h"
#include "settings/settings.h"
#include "test_files.h"

namespace {

std::vector<std::pair<std::string, std::string>> messages;
void RecordMessage(const std::string& title, const std::string& text) { messages.push_back({title, text}); }

const std::string defaultFile =
    "[PARAM]\r\n; Screen resolution\r\nResolution = 1024 x 768\r\n;  \r\n; Objects shape\r\nShape = 2\r\n"
    ";  \r\n; Number of objects\r\nObjectCount = 2\r\n;  \r\n; Display frame rate\r\nshowFPS = 0\r\n"
    ";  \r\n; Display Time\r\nshowTime = 0\r\n;  \r\n; Language\r\nLanguage = 1\r\n";
const std::string userFile = "[PARAM]\r\nResolution = 800 x 600\r\nShape = 4\r\nObjectCount = 3\r\nLanguage = 0\r\n";

// Each test has its own program folder and its own application data.
class SettingsFile : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFilePathForTests(program.Path("Zelvaro.scr"));
        SetEnvironmentVariableA("APPDATA", appData.Path().c_str());
        messages.clear();
        SetMessageBoxHandler(RecordMessage);
        Settings = SettingsRecord{};
    }
    void TearDown() override {
        SetMessageBoxHandler(nullptr);
        SetProgramFilePathForTests("");
    }
    std::string Path() const { return program.Path("Zelvaro.ini"); }
    bool Saved() {
        messages.clear();
        SaveSettings();
        return messages.empty();
    }
    TestFolder program, appData;
};

TEST_F(SettingsFile, MissingFileGivesTheDefaultsAndMakesNothing) {
    LoadSettings();
    EXPECT_EQ(Settings.Resolution, "1024 x 768");
    EXPECT_EQ(Settings.Shape, 2);
    EXPECT_EQ(Settings.ObjectCount, 2);
    EXPECT_EQ(Settings.Language, 1);
    EXPECT_EQ(program.EntryCount(), 0);
    EXPECT_EQ(appData.EntryCount(), 0);
}

TEST_F(SettingsFile, SaveWritesTheEighteenLinesBesideTheProgram) {
    Settings = SettingsDefaults;
    ASSERT_TRUE(Saved());
    EXPECT_EQ(ReadBytes(Path()), defaultFile);
    EXPECT_EQ(ReadBytes(Path()).size(), 237u);
    EXPECT_EQ(program.EntryCount(), 1);
    EXPECT_EQ(appData.EntryCount(), 0);
}

TEST_F(SettingsFile, LoadsWhatTheUserWroteAndASaveReplacesItWhole) {
    WriteBytes(Path(), userFile + "; mine\r\nOther = 1\r\n");
    LoadSettings();
    EXPECT_EQ(Settings.Resolution, "800 x 600");
    EXPECT_EQ(Settings.Shape, 4);
    EXPECT_EQ(Settings.ObjectCount, 3);
    EXPECT_EQ(Settings.Language, 0);
    ASSERT_TRUE(Saved());
    EXPECT_EQ(ReadBytes(Path()).find("Other"), std::string::npos);
    SettingsRecord saved = Settings;
    LoadSettings();
    EXPECT_EQ(Settings.Resolution, saved.Resolution);
    EXPECT_EQ(Settings.Shape, saved.Shape);
}

TEST_F(SettingsFile, LoadsAFileThatAnotherProgramIsWriting) {
    WriteBytes(Path(), userFile);
    HeldFile writer(Path(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE);
    ASSERT_TRUE(writer.Held());
    LoadSettings();
    EXPECT_EQ(Settings.Shape, 4);
}

TEST_F(SettingsFile, AFileThatAnotherProgramKeepsToItselfGivesTheDefaults) {
    WriteBytes(Path(), userFile);
    HeldFile owner(Path(), GENERIC_READ | GENERIC_WRITE, 0);
    ASSERT_TRUE(owner.Held());
    LoadSettings();
    EXPECT_EQ(Settings.Shape, 2);
    EXPECT_EQ(Settings.Resolution, "1024 x 768");
}

TEST_F(SettingsFile, ReadOnlyFileLoadsButASaveShowsTheMessageAndKeepsIt) {
    WriteBytes(Path(), userFile);
    SetReadOnly(Path(), true);
    LoadSettings();
    EXPECT_EQ(Settings.Shape, 4);
    Settings.Shape = 1;
    EXPECT_FALSE(Saved());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], std::make_pair(std::string("Error"), std::string("Can't save preferences !")));
    EXPECT_EQ(ReadBytes(Path()), userFile);
    EXPECT_EQ(program.EntryCount(), 1);
}

TEST_F(SettingsFile, SaveWhileAnotherProgramReadsTheFileFailsAndKeepsItWhole) {
    WriteBytes(Path(), userFile);
    LoadSettings();
    HeldFile reader(Path(), GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(reader.Held());
    Settings.Shape = 0;
    EXPECT_FALSE(Saved());
    EXPECT_EQ(ReadBytes(Path()), userFile);
    EXPECT_EQ(program.EntryCount(), 1);
}

TEST_F(SettingsFile, AProgramFolderThatCannotHoldTheFileSendsItToTheApplicationData) {
    SetProgramFilePathForTests(program.Path("gone\\Zelvaro.scr")); // a folder no file can be made in
    const std::string userPath = appData.Path("Zelvaro\\Zelvaro.ini");
    EXPECT_EQ(SettingsFilePath(), userPath);
    LoadSettings();
    EXPECT_EQ(appData.EntryCount(), 0); // a load makes nothing
    Settings.Shape = 3;
    ASSERT_TRUE(Saved());
    EXPECT_TRUE(Exists(userPath));
    Settings = SettingsRecord{};
    LoadSettings();
    EXPECT_EQ(Settings.Shape, 3);
}

} // namespace
