// The real screen-saver daemon: Debian's xscreensaver, run as an unprivileged user under the
// test's Xvfb with Zelvaro as its only saver. Activated, it shows the swarm over the sky;
// deactivated, no Zelvaro process is left.
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/swarm_census.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr double endDeadlineSeconds = 2.0; // the daemon's deactivation ends its saver within this

bool WaitFor(double seconds, const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        Pause(0.05);
    }
    return condition();
}

// Processes running the program file at path (a process that has ended has no file any more).
std::vector<pid_t> ProcessesRunning(const std::string& path) {
    std::vector<pid_t> found;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        std::error_code error;
        const fs::path exe = fs::read_symlink(entry.path() / "exe", error);
        if (!error && exe == path) found.push_back(std::atoi(entry.path().filename().c_str()));
    }
    return found;
}

uid_t OwnerOf(pid_t pid) {
    struct stat info {};
    return stat(("/proc/" + std::to_string(pid)).c_str(), &info) == 0 ? info.st_uid : uid_t(-1);
}

// A process as started: its id and its start time, so that a later signal never reaches
// another process that took the same id.
struct StartedProcess {
    pid_t pid;
    unsigned long long startTime;
};

// "pid (name) state ppid ... starttime ...": the name may hold spaces, so fields are read after
// its last ")"; the parent is field 4 and the start time field 22.
bool ReadStat(pid_t pid, pid_t& parent, unsigned long long& startTime) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line) || line.rfind(')') == std::string::npos) return false;
    std::istringstream rest(line.substr(line.rfind(')') + 1));
    std::string field;
    rest >> field >> parent; // fields 3 and 4
    for (int number = 5; number < 22; ++number) rest >> field;
    rest >> startTime;
    return !rest.fail();
}

// Every process below pid, by the parent links in /proc.
std::vector<StartedProcess> Descendants(pid_t pid) {
    std::map<pid_t, std::vector<StartedProcess>> children;
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const pid_t p = std::atoi(entry.path().filename().c_str());
        pid_t parent = 0;
        unsigned long long startTime = 0;
        if (p > 0 && ReadStat(p, parent, startTime)) children[parent].push_back({p, startTime});
    }
    std::vector<StartedProcess> found;
    std::vector<pid_t> next{pid};
    while (!next.empty()) {
        const pid_t p = next.back();
        next.pop_back();
        for (const StartedProcess& c : children[p]) found.push_back(c), next.push_back(c.pid);
    }
    return found;
}

void Signal(const StartedProcess& process, int signal) {
    pid_t parent = 0;
    unsigned long long startTime = 0;
    if (ReadStat(process.pid, parent, startTime) && startTime == process.startTime) kill(process.pid, signal);
}

class Xscreensaver : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
    void SetUp() override {
        const passwd* nobody = getpwnam("nobody");
        ASSERT_NE(nobody, nullptr);
        // The daemon's user must reach the program: a folder of its own under /tmp.
        folder = MakeTempFolder();
        chmod(folder.c_str(), 0755);
        program = fs::canonical(InstallProgramCopy(folder)).string();
        home = folder + "/home";
        fs::create_directory(home);
        WriteFileBytes(home + "/.xscreensaver",
                       "mode:\tone\nselected:\t0\nlock:\tFalse\nfade:\tFalse\nunfade:\tFalse\nsplash:\tFalse\n"
                       "timeout:\t1:00:00\nprograms:\t" + program + " --root\n");
        for (const std::string& path : {home, home + "/.xscreensaver"})
            ASSERT_EQ(chown(path.c_str(), nobody->pw_uid, nobody->pw_gid), 0);
        nobodyUid = nobody->pw_uid;
        StartDaemon();
    }
    void TearDown() override {
        if (daemon <= 0) return;
        // Everything the daemon started, whatever process group it put it in.
        const std::vector<StartedProcess> started = Descendants(daemon);
        kill(-daemon, SIGTERM);
        for (const StartedProcess& p : started) Signal(p, SIGTERM);
        WaitProcess(daemon, 10);
        for (const StartedProcess& p : started) Signal(p, SIGKILL);
    }
    void StartDaemon() {
        const std::string display = std::getenv("DISPLAY");
        daemon = fork();
        if (daemon == 0) {
            setsid(); // one process group to end at the close
            execl("/usr/sbin/runuser", "runuser", "-u", "nobody", "--", "/usr/bin/env", ("HOME=" + home).c_str(),
                  ("DISPLAY=" + display).c_str(), "xscreensaver", "--no-splash", "--verbose", "--log",
                  (home + "/log").c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    static int Command(const std::string& what) {
        int status = -1;
        RunCommand("xscreensaver-command " + what + " >/dev/null 2>&1", &status);
        return status;
    }
    std::string Log() { return ReadFileBytes(home + "/log"); }

    std::string folder, program, home;
    uid_t nobodyUid = 0;
    pid_t daemon = -1;
};

TEST_F(Xscreensaver, ActivationShowsTheSwarmOverTheSkyAndDeactivationEndsIt) {
    ASSERT_TRUE(WaitFor(60, [&] { return Command("-time") == 0 || !ProcessRunning(daemon); }));
    ASSERT_TRUE(ProcessRunning(daemon)) << Log();
    ASSERT_EQ(Command("-activate"), 0) << Log();

    std::vector<pid_t> savers;
    ASSERT_TRUE(WaitFor(60, [&] { return !(savers = ProcessesRunning(program)).empty(); })) << Log();
    EXPECT_EQ(savers.size(), 1u);
    EXPECT_EQ(OwnerOf(savers[0]), nobodyUid) << "run by the daemon, as its user";

    const Area screen{0, 0, 1024, 768};
    EXPECT_TRUE(WaitFor(120, [&] { return SwarmOverSky(CountSwarm(Screenshot(folder + "/shot.png"), screen)); }))
        << Log();

    ASSERT_EQ(Command("-deactivate"), 0);
    EXPECT_TRUE(WaitFor(endDeadlineSeconds, [&] { return ProcessesRunning(program).empty(); })) << Log();
    EXPECT_TRUE(ProcessRunning(daemon)) << "the daemon itself goes on";
}

} // namespace
