// The built saver starts with the files beside it whatever its environment holds: a foreign
// engine library on the library search path, a preloaded library that wraps the loader, a
// session runtime folder it cannot use. A second copy still ends silently.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"
#include "support/windows.h"
#include "support/xvfb.h"

namespace {

const std::string foreignFolder = std::string(ZELVARO_TEST_BIN_DIR) + "/foreign";

class StartEnvironment : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
    void SetUp() override {
        IsolateRuntimeFolder();
        folder = MakeTempFolder();
        program = InstallProgramCopy(folder);
        RunCommand("xdotool mousemove 512 384");
    }
    std::string folder, program;
};

TEST_F(StartEnvironment, SaverUsesTheEngineBesideItAndKeepsOneCopy) {
    const struct {
        const char* what;
        std::vector<std::string> environment;
    } cases[] = {
        {"a foreign Zelvaro.so on the library search path", {"LD_LIBRARY_PATH=" + foreignFolder}},
        {"a preloaded library that wraps dlopen", {"LD_PRELOAD=" + foreignFolder + "/libdlopen_wrapper.so"}},
        {"a runtime folder that does not exist", {"XDG_RUNTIME_DIR=" + folder + "/missing", "TMPDIR=" + MakeTempFolder()}},
        {"no runtime folder", {"XDG_RUNTIME_DIR=", "TMPDIR=" + MakeTempFolder()}},
    };
    ASSERT_TRUE(FileExists(foreignFolder + "/Zelvaro.so"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        pid_t first = StartProcess({program, "/s"}, c.environment);
        std::string window = WaitForSaverWindow(first, 60);
        EXPECT_NE(window, "") << "the saver did not draw";
        EXPECT_EQ(FindWindowTitled("Error"), "");
        if (window.empty()) {
            WaitProcess(first, 0); // ends what is left
            continue;
        }
        pid_t second = StartProcess({program, "/s"}, c.environment);
        EXPECT_EQ(WaitProcess(second, 20), 0) << "a second copy did not end by itself";
        RunCommand("xdotool key space");
        EXPECT_EQ(WaitProcess(first, 10), 0);
    }
}

} // namespace
