// The single-instance lock: one copy per user, kept in the session's runtime folder or else in
// a private folder of the user, never taken or faked by another user, never lost to a runtime
// folder that cannot hold it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "platform/os.h"
#include "support/temp_folder.h"

namespace {

constexpr uid_t nobodyId = 65534;

// Whether a second copy, a process of its own, would get the lock now.
bool SecondCopyGetsTheLock() {
    pid_t pid = fork();
    if (pid == 0) _exit(AcquireSingleInstance("Zelvaro") ? 0 : 1);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

struct stat Status(const std::string& path) {
    struct stat info{};
    lstat(path.c_str(), &info);
    return info;
}

// Each test has its own temporary folder, so the fallback's private folder is its own.
class SingleInstance : public ::testing::Test {
protected:
    void SetUp() override {
        temporary = MakeTempFolder();
        setenv("TMPDIR", temporary.c_str(), 1);
        fallback = temporary + "/Zelvaro-" + std::to_string(geteuid());
    }
    void TearDown() override { ReleaseSingleInstance(); }
    std::string temporary, fallback;
};

TEST_F(SingleInstance, OneCopyHoldsItWhereverTheSessionLetsItLie) {
    const std::string scratch = MakeTempFolder();
    WriteFileBytes(scratch + "/file", "");
    const std::string openToAll = MakeTempFolder();
    chmod(openToAll.c_str(), 0777);
    const struct {
        const char* what;
        const char* runtime; // XDG_RUNTIME_DIR; nullptr: unset
        bool inRuntimeFolder;
    } cases[] = {
        {"a usable runtime folder", "private", true},
        {"no runtime folder", nullptr, false},
        {"an empty runtime folder variable", "", false},
        {"a runtime folder that does not exist", "missing", false},
        {"a runtime path that is a file", "file", false},
        {"a runtime folder that others may write", "open", false},
        {"a relative runtime path", "relative", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        const std::string name = c.runtime ? c.runtime : "";
        const std::string runtime = name == "private" ? MakeTempFolder()
                                    : name == "missing" ? scratch + "/missing"
                                    : name == "file"    ? scratch + "/file"
                                    : name == "open"    ? openToAll
                                    : name == "relative" ? "run/user"
                                                         : name;
        if (c.runtime) setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
        else unsetenv("XDG_RUNTIME_DIR");

        EXPECT_TRUE(AcquireSingleInstance("Zelvaro"));
        const std::string lockFolder = c.inRuntimeFolder ? runtime : fallback;
        EXPECT_TRUE(FileExists(lockFolder + "/Zelvaro.lock"));
        if (!c.inRuntimeFolder) {
            struct stat folder = Status(fallback);
            EXPECT_TRUE(S_ISDIR(folder.st_mode));
            EXPECT_EQ(folder.st_uid, geteuid());
            EXPECT_EQ(folder.st_mode & 0777, 0700u);
        }
        EXPECT_FALSE(SecondCopyGetsTheLock());
        ReleaseSingleInstance();
        EXPECT_TRUE(SecondCopyGetsTheLock()); // a crash or the end frees it alike
    }
}

// Another user who made the private folder's name first, and holds a lock inside it, must not
// silence this user's copies.
TEST_F(SingleInstance, AnotherUsersFolderNeitherSilencesNorServes) {
    const struct {
        const char* what;
        bool needsRoot; // only root can make a folder that another user owns
    } cases[] = {
        {"a link to a folder that holds a taken lock", false},
        {"a folder of another user open to all, with a taken lock", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && geteuid() != 0) {
            std::printf("skipped without root: %s\n", c.what);
            continue;
        }
        SetUp();
        unsetenv("XDG_RUNTIME_DIR");
        std::string planted = c.needsRoot ? fallback : MakeTempFolder();
        if (c.needsRoot) {
            mkdir(planted.c_str(), 0777);
            chmod(planted.c_str(), 0777);
            ASSERT_EQ(chown(planted.c_str(), nobodyId, nobodyId), 0);
        } else {
            std::filesystem::create_symlink(planted, fallback);
        }
        int taken = open((planted + "/Zelvaro.lock").c_str(), O_RDWR | O_CREAT, 0666);
        ASSERT_GE(taken, 0);
        ASSERT_EQ(flock(taken, LOCK_EX | LOCK_NB), 0);

        EXPECT_TRUE(AcquireSingleInstance("Zelvaro"));
        ReleaseSingleInstance();
        close(taken);
    }
}

} // namespace
