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

// The process leaves by _Exit, which skips the sanitizer's own leak check at exit: in a
// sanitizer build the way out runs it, and a lost block fails the run.
TEST(ProgramExit, LeavingChecksForLeaksInASanitizerBuild) {
#ifndef ZELVARO_LOST_BLOCK
    GTEST_SKIP() << "only a sanitizer build checks for leaks";
#else
    std::string program = InstallProgramCopy(MakeTempFolder());
    int status = -1;
    std::string output = RunCommand("DISPLAY= '" + program + "' /a 2>&1", &status);
    EXPECT_EQ(status, 0) << output;
    output = RunCommand("DISPLAY= LD_PRELOAD=" ZELVARO_LOST_BLOCK " '" + program + "' /a 2>&1", &status);
    EXPECT_NE(status, 0);
    EXPECT_NE(output.find("LeakSanitizer: detected memory leaks"), std::string::npos) << output;
#endif
}

} // namespace
