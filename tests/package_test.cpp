// The install rules and the Debian package: scripts/package builds zelvaro_2.0.0_<arch>.deb
// holding the program with its engine and sky, the zelvaro command, xscreensaver's hack link
// and description, the desktop entry and the icon; apt accepts it on this system; unpacked
// into any folder, it runs from there.
#include <gtest/gtest.h>
#include <X11/Xlib.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/swarm_census.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

namespace fs = std::filesystem;

const std::string buildFolder = std::string(ZELVARO_BIN_DIR) + "/..";
const std::string version = "2.0.0";

// What the package installs, under /usr, with what each entry is.
const struct Entry {
    const char* path;
    const char* kind; // "program", "file" or the target of a link
} installedEntries[] = {
    {"lib/zelvaro/Zelvaro", "program"},
    {"lib/zelvaro/Zelvaro.so", "file"},
    {"lib/zelvaro/Zelvaro_Sky.zip", "file"},
    {"bin/zelvaro", "../lib/zelvaro/Zelvaro"},
    {"libexec/xscreensaver/zelvaro", "../../lib/zelvaro/Zelvaro"},
    {"share/xscreensaver/config/zelvaro.xml", "file"},
    {"share/applications/zelvaro.desktop", "file"},
    {"share/pixmaps/zelvaro.xpm", "file"},
};

bool WaitFor(double seconds, const std::function<bool()>& condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < deadline) {
        if (condition()) return true;
        Pause(0.2);
    }
    return condition();
}

std::string Trimmed(std::string text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
    return text;
}

// Checks one tree of installed files (a package unpacked, or cmake --install) against the list.
void ExpectInstalledTree(const std::string& prefix) {
    for (const Entry& e : installedEntries) {
        SCOPED_TRACE(e.path);
        const fs::path path = fs::path(prefix) / e.path;
        const std::string kind = e.kind;
        if (kind == "program" || kind == "file") {
            ASSERT_TRUE(fs::is_regular_file(fs::symlink_status(path)));
            const bool executable = (fs::status(path).permissions() & fs::perms::others_exec) != fs::perms::none;
            if (kind == "program") EXPECT_TRUE(executable);
        } else {
            ASSERT_TRUE(fs::is_symlink(fs::symlink_status(path)));
            EXPECT_EQ(fs::read_symlink(path).string(), kind);
            EXPECT_TRUE(fs::equivalent(path, fs::path(prefix) / "lib/zelvaro/Zelvaro"));
        }
    }
}

class Package : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!deb.empty()) return; // built once for both suites
        output = MakeTempFolder();
        int status = -1;
        std::string printed = RunCommand(std::string(ZELVARO_SOURCE_DIR) + "/scripts/package '" + buildFolder +
                                             "' '" + output + "' 2>&1",
                                         &status);
        ASSERT_EQ(status, 0) << printed;
        const std::string arch = Trimmed(RunCommand("dpkg --print-architecture"));
        deb = output + "/zelvaro_" + version + "_" + arch + ".deb";
        ASSERT_TRUE(FileExists(deb)) << printed;
        EXPECT_NE(printed.find(deb), std::string::npos) << "it prints the package's path";
        unpacked = MakeTempFolder();
        ASSERT_EQ(std::system(("dpkg-deb -x '" + deb + "' '" + unpacked + "'").c_str()), 0);
    }
    static std::string Field(const std::string& name) { return Trimmed(RunCommand("dpkg-deb -f '" + deb + "' " + name)); }
    static std::string UnpackedFile(const std::string& path) { return ReadFileBytes(unpacked + "/usr/" + path); }
    static inline std::string output, deb, unpacked;
};

TEST_F(Package, ListsEveryInstalledFileUnderUsr) {
    std::istringstream contents(RunCommand("dpkg-deb --contents '" + deb + "'"));
    std::vector<std::string> listed;
    for (std::string line; std::getline(contents, line);) {
        // permissions owner size date time path [-> target]
        std::istringstream fields(line);
        std::string permissions, owner, size, date, time, path, arrow, target;
        fields >> permissions >> owner >> size >> date >> time >> path >> arrow >> target;
        if (permissions[0] == 'd') continue;
        EXPECT_EQ(owner, "root/root") << path;
        listed.push_back(path + (arrow == "->" ? " -> " + target : ""));
    }
    std::vector<std::string> expected;
    for (const Entry& e : installedEntries) {
        const std::string kind = e.kind;
        expected.push_back(std::string("./usr/") + e.path + (kind == "program" || kind == "file" ? "" : " -> " + kind));
    }
    std::sort(listed.begin(), listed.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listed, expected);
}

TEST_F(Package, NamesItsVersionAndRunTimeDependencies) {
    EXPECT_EQ(Field("Package"), "zelvaro");
    EXPECT_EQ(Field("Version"), version);
    const std::string depends = Field("Depends");
    // "name (>= version), name, ...": the names alone
    std::vector<std::string> names;
    std::istringstream list(depends);
    for (std::string item; std::getline(list, item, ',');) {
        std::istringstream words(item);
        std::string name;
        words >> name;
        names.push_back(name);
    }
    for (const char* library : {"libsdl2-2.0-0", "libepoxy0", "libpng16-16", "libzip4", "libwxgtk3.2-1", "libx11-6",
                                "libgl1", "libstdc++6", "libc6"}) {
        SCOPED_TRACE(library);
        EXPECT_NE(std::find(names.begin(), names.end(), library), names.end()) << depends;
    }
    // apt resolves those dependencies here; the simulation installs nothing.
    int status = -1;
    std::string answer = RunCommand("apt-get install --simulate '" + deb + "' 2>&1", &status);
    EXPECT_EQ(status, 0) << answer;
}

TEST_F(Package, UnpackedTreeHoldsTheProgramAndItsLinks) { ExpectInstalledTree(unpacked + "/usr"); }

TEST_F(Package, InstallRulesPutTheSameTreeUnderAnyPrefix) {
    const std::string prefix = MakeTempFolder() + "/opt/zelvaro";
    int status = -1;
    std::string printed = RunCommand("cmake --install '" + buildFolder + "' --prefix '" + prefix + "' 2>&1", &status);
    ASSERT_EQ(status, 0) << printed;
    ExpectInstalledTree(prefix);
}

TEST_F(Package, DesktopEntryOpensTheConfigurationWindowWithTheIcon) {
    int status = -1;
    std::string complaints =
        RunCommand("desktop-file-validate '" + unpacked + "/usr/share/applications/zelvaro.desktop' 2>&1", &status);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(complaints, "");
    const std::string entry = UnpackedFile("share/applications/zelvaro.desktop");
    EXPECT_NE(entry.find("\nExec=zelvaro /c\n"), std::string::npos);
    EXPECT_NE(entry.find("\nIcon=zelvaro\n"), std::string::npos);
    EXPECT_EQ(Trimmed(RunCommand("identify -format '%m %wx%h' '" + unpacked + "/usr/share/pixmaps/zelvaro.xpm'")),
              "XPM 32x32");
}

TEST_F(Package, XscreensaverDescriptionRunsItWithRootAndOffersNoOptions) {
    const std::string xml = UnpackedFile("share/xscreensaver/config/zelvaro.xml");
    EXPECT_NE(xml.find("<screensaver name=\"zelvaro\" _label=\"Zelvaro\""), std::string::npos);
    EXPECT_NE(xml.find("<command arg=\"--root\"/>"), std::string::npos);
    EXPECT_EQ(xml.find("<command", xml.find("<command") + 1), std::string::npos) << "one command only";
    for (const char* option : {"<number", "<boolean", "<select", "<string", "<file", "<option"}) {
        SCOPED_TRACE(option);
        EXPECT_EQ(xml.find(option), std::string::npos);
    }
    const size_t start = xml.find("<_description>"), end = xml.find("</_description>");
    ASSERT_NE(start, std::string::npos);
    ASSERT_NE(end, std::string::npos);
    const std::string description = Trimmed(xml.substr(start + 14, end - start - 14));
    EXPECT_GT(description.size(), 100u);
    EXPECT_EQ(description.find("\n\n"), std::string::npos) << "one paragraph";
}

// ---- the unpacked program runs ----

class UnpackedProgram : public Package {
protected:
    static void SetUpTestSuite() {
        Package::SetUpTestSuite();
        ASSERT_NE(StartXvfb(), "");
    }
    void SetUp() override {
        unsetenv("XSCREENSAVER_WINDOW");
        IsolateRuntimeFolder();
        // The settings of a program in an unpacked tree stay with this test.
        setenv("XDG_CONFIG_HOME", MakeTempFolder().c_str(), 1);
    }
};

TEST_F(UnpackedProgram, DrawsInAHostWindowThroughEitherLink) {
    const struct {
        const char* link;
        std::vector<std::string> args;
        bool inVariable; // the window id in XSCREENSAVER_WINDOW
    } cases[] = {
        {"bin/zelvaro", {"-window-id"}, false},
        {"libexec/xscreensaver/zelvaro", {"--root"}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.link);
        PipedProcess host = StartPiped({std::string(ZELVARO_TEST_BIN_DIR) + "/preview_host", "320", "240"});
        const std::string id = ReadLine(host, 10);
        ASSERT_NE(id, "");
        std::vector<std::string> args = c.args;
        if (!c.inVariable) args.push_back(id);
        args.insert(args.begin(), unpacked + "/usr/" + c.link);
        pid_t pid = StartProcess(args, c.inVariable ? std::vector<std::string>{"XSCREENSAVER_WINDOW=" + id}
                                                     : std::vector<std::string>{});
        const Area area{40, 40, 320, 240}; // where the host places itself
        EXPECT_TRUE(WaitFor(90, [&] {
            Census census = CountSwarm(Screenshot(unpacked + "/../shot.png"), area);
            return census.pixels == area.width * area.height && census.blackPixels < census.pixels / 20 &&
                   census.objectPixels > 0;
        })) << "the sky and the swarm from the unpacked engine and archive";
        EXPECT_TRUE(ProcessRunning(pid));
        kill(pid, SIGTERM);
        EXPECT_EQ(WaitProcess(pid, 30), 0);
        WriteLine(host, "quit");
        ClosePiped(host);
    }
}

TEST_F(UnpackedProgram, DesktopEntrysCommandOpensTheConfigurationWindow) {
    pid_t pid = StartProcess({unpacked + "/usr/bin/zelvaro", "/c"});
    std::string window;
    EXPECT_TRUE(WaitFor(60, [&] {
        std::istringstream found(RunCommand("xdotool search --name '^Zelvaro - Configuration$' 2>/dev/null"));
        found >> window;
        return !window.empty();
    }));
    ASSERT_NE(window, "");
    // The close box: what a window manager sends.
    Display* display = XOpenDisplay(nullptr);
    ASSERT_NE(display, nullptr);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = std::stoul(window);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    EXPECT_EQ(WaitProcess(pid, 30), 0);
}

} // namespace
