// The built program ends at once, with exit code 0, on a password-change request.
#include <gtest/gtest.h>

#include "support/process.h"
#include "support/temp_folder.h"

namespace {

TEST(ProgramExit, PasswordChangeEndsAtOnceWithCodeZero) {
    std::string folder = MakeTempFolder();
    std::string program = InstallProgramCopy(folder);
    for (std::vector<std::string> args : {std::vector<std::string>{"/a"}, {"/a", "1234"}, {"saver"}, {"/A:99"}}) {
        SCOPED_TRACE(args[0]);
        args.insert(args.begin(), program);
        // No display is given: the request must not need one.
        pid_t pid = StartProcess(args, {"DISPLAY="});
        EXPECT_EQ(WaitProcess(pid, 10), 0);
    }
    EXPECT_FALSE(FileExists(folder + "/Zelvaro.ini"));
}

} // namespace
