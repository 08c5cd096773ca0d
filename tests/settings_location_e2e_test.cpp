// An installed copy: the program's folder cannot be written, so the configuration window's OK
// saves in the user's config folder, and the saver reads the file from there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "platform/os.h"
#include "settings/settings.h"
#include "support/process.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

constexpr int okButtonX = 130 + 50, okButtonY = 345 + 15; // the middle of OK in the client area

std::string ConfigurationWindow() {
    std::istringstream found(RunCommand("xdotool search --onlyvisible --name 'Zelvaro - Configuration' 2>/dev/null"));
    std::string window;
    found >> window;
    return window;
}

// Presses OK about once a second until the program ends (a press may come before the button is
// ready); the exit code, or -1 when it never ends.
int PressOkUntilItEnds(pid_t pid, double seconds) {
    constexpr double tick = 0.1;
    constexpr int ticksPerPress = 10;
    for (int ticks = 0; ticks * tick < seconds; ++ticks) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        std::string window = ConfigurationWindow();
        if (!window.empty() && ticks % ticksPerPress == 0) {
            std::istringstream shell(RunCommand("xdotool getwindowgeometry --shell " + window));
            int x = 0, y = 0;
            for (std::string line; std::getline(shell, line);) {
                std::sscanf(line.c_str(), "X=%d", &x);
                std::sscanf(line.c_str(), "Y=%d", &y);
            }
            RunCommand("xdotool mousemove " + std::to_string(x + okButtonX) + " " + std::to_string(y + okButtonY) +
                       " click 1");
        }
        Pause(tick);
    }
    WaitProcess(pid, 0); // ends it
    return -1;
}

TEST(SettingsLocationE2e, OkSavesWhereTheSaverReads) {
    ASSERT_NE(StartXvfb(), "");
    IsolateRuntimeFolder();
    const struct {
        const char* what;
        bool configHomeSet;
    } cases[] = {
        {"XDG_CONFIG_HOME set", true},
        {"XDG_CONFIG_HOME unset: ~/.config", false},
    };
    // Choices the user made earlier, in a file whose bytes differ from what a save writes.
    const std::string earlier = "[PARAM]\nShape = 4\nObjectCount = 3\nshowTime = 1\n";
    SettingsRecord expected = SettingsDefaults;
    expected.Shape = 4, expected.ObjectCount = 3, expected.showTime = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string folder = MakeTempFolder();
        const std::string program = InstallProgramCopy(folder);
        chmod(folder.c_str(), 0555); // installed: no write bits, so not even root writes there
        const std::string home = MakeTempFolder(), config = MakeTempFolder() + "/config";
        const std::string settingsFolder = c.configHomeSet ? config + "/zelvaro" : home + "/.config/zelvaro";
        std::filesystem::create_directories(settingsFolder);
        WriteFileBytes(settingsFolder + "/Zelvaro.ini", earlier);
        const std::vector<std::string> environment = {"HOME=" + home,
                                                      "XDG_CONFIG_HOME=" + (c.configHomeSet ? config : "")};

        pid_t pid = StartProcess({program, "/c"}, environment);
        EXPECT_EQ(PressOkUntilItEnds(pid, 60), 0);
        // The window read the earlier choices there and OK wrote them back there.
        EXPECT_EQ(ReadFileBytes(settingsFolder + "/Zelvaro.ini"), SettingsFileText(expected));
        EXPECT_FALSE(FileExists(folder + "/Zelvaro.ini"));

        // The saver's side of the same copy, with the same environment.
        SetProgramFilePathForTests(program);
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", c.configHomeSet ? config.c_str() : "", 1);
        Settings = SettingsRecord{};
        LoadSettings();
        EXPECT_EQ(Settings.Shape, expected.Shape);
        EXPECT_EQ(Settings.ObjectCount, expected.ObjectCount);
        EXPECT_EQ(Settings.showTime, expected.showTime);
        chmod(folder.c_str(), 0700);
    }
    SetProgramFilePathForTests("");
}

} // namespace
