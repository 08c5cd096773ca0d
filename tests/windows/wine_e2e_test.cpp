// The Windows saver as a user gets it, checked under Wine in a private Xvfb: the three files it
// is made of, the cross-built unit tests, the saver with a second copy, the preview in a Win32
// host, the configuration window and the missing engine's box. scripts/test-windows makes
// build-windows/ first and names the Wine prefix (WINEPREFIX), which this run then owns.
#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>

#include "pe_file.h"
#include "support/process.h"
#include "support/screenshot.h"
#include "support/swarm_census.h"
#include "support/temp_folder.h"
#include "support/wait.h"
#include "support/xvfb.h"

namespace {

#include "data/icon.xpm"

const std::string windowsBin = std::string(ZELVARO_WINDOWS_BUILD_DIR) + "/bin";
const std::string windowsTests = std::string(ZELVARO_WINDOWS_BUILD_DIR) + "/tests";
const std::string wine = "/usr/bin/wine";
const std::string configurationTitle = "Zelvaro - Configuration";
constexpr int screenWidth = 1024, screenHeight = 768;
// Under Wine a program's first window can take long on a busy machine: the deadlines are wide.
constexpr double windowSeconds = 180;
constexpr double endSeconds = 60;
constexpr double unitTestSeconds = 600;

std::string Objdump(const std::string& file) { return RunCommand("x86_64-w64-mingw32-objdump -p '" + file + "'"); }

// ---- the files, read back ----

TEST(WindowsFiles, TheProgramCarriesItsVersionRecordManifestAndIcon) {
    PeFile program;
    ASSERT_TRUE(ReadPeFile(windowsBin + "/Zelvaro.scr", program));
    EXPECT_EQ(program.subsystem, windowsGuiSubsystem);

    const std::vector<Resource> versions = Resources(program, versionResource);
    ASSERT_EQ(versions.size(), 1u);
    const VersionRecord version = ReadVersionRecord(versions[0].data);
    ASSERT_TRUE(version.found);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(version.fileVersion[i], i == 0 ? 2 : 0);
        EXPECT_EQ(version.productVersion[i], i == 0 ? 2 : 0);
    }
    const std::map<std::string, std::string> texts = {{"ProductName", "Zelvaro Screensaver"},
                                                      {"FileDescription", "Zelvaro Screensaver"},
                                                      {"FileVersion", "2.0.0.0"},
                                                      {"ProductVersion", "2.0.0.0"}};
    for (const auto& [key, value] : texts) {
        ASSERT_EQ(version.strings.count(key), 1u) << key;
        EXPECT_EQ(version.strings.at(key), value) << key;
    }

    const std::vector<Resource> manifests = Resources(program, manifestResource);
    ASSERT_EQ(manifests.size(), 1u);
    const std::string& manifest = manifests[0].data;
    const size_t controls = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(controls, std::string::npos) << manifest;
    const size_t identityStart = manifest.rfind("<assemblyIdentity", controls);
    const size_t identityEnd = manifest.find("/>", controls);
    EXPECT_NE(manifest.substr(identityStart, identityEnd - identityStart).find("version=\"6.0.0.0\""), std::string::npos)
        << manifest;
}

// The XPM's pixel at (x, y) as 0xRRGGBB, or -1 where it is transparent.
long XpmPixel(int x, int y) {
    int width = 0, height = 0, colours = 0, perPixel = 0;
    std::istringstream(zelvaro_icon_xpm[0]) >> width >> height >> colours >> perPixel;
    const char key = zelvaro_icon_xpm[1 + colours + y][x];
    for (int c = 1; c <= colours; ++c) {
        const std::string line = zelvaro_icon_xpm[c];
        if (line[0] != key) continue;
        const std::string colour = line.substr(line.find(" c ") + 3);
        return colour == "None" ? -1 : std::stol(colour.substr(1), nullptr, 16);
    }
    return -2;
}

uint32_t Bytes(const std::string& data, size_t at, int width) {
    uint32_t value = 0;
    for (int i = width - 1; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(data[at + i]);
    return value;
}

TEST(WindowsFiles, TheProgramsFirstIconIsTheLinuxPictureIn32x32And16Colours) {
    PeFile program;
    ASSERT_TRUE(ReadPeFile(windowsBin + "/Zelvaro.scr", program));
    const std::vector<Resource> groups = Resources(program, groupIconResource);
    ASSERT_FALSE(groups.empty());
    const std::string& group = groups.front().data; // the one Explorer shows
    ASSERT_GE(group.size(), 6u + 14u);
    ASSERT_EQ(Bytes(group, 4, 2), 1u) << "one image";
    EXPECT_EQ(Bytes(group, 6, 1), 32u);
    EXPECT_EQ(Bytes(group, 7, 1), 32u);
    EXPECT_EQ(Bytes(group, 8, 1), 16u) << "colours";
    EXPECT_EQ(Bytes(group, 12, 2), 4u) << "bits a pixel";
    const std::string imageId = std::to_string(Bytes(group, 18, 2));
    std::string image;
    for (const Resource& icon : Resources(program, iconResource))
        if (icon.name == imageId) image = icon.data;
    ASSERT_EQ(image.size(), 40u + 16 * 4 + 32 * 16 + 32 * 4);
    EXPECT_EQ(Bytes(image, 4, 4), 32u);
    EXPECT_EQ(Bytes(image, 8, 4), 64u); // colours and mask
    EXPECT_EQ(Bytes(image, 14, 2), 4u);
    const size_t palette = 40, colourRows = palette + 16 * 4, maskRows = colourRows + 32 * 16;
    int differing = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            const int row = 31 - y; // rows from the bottom
            const uint32_t nibbles = Bytes(image, colourRows + row * 16 + x / 2, 1);
            const uint32_t index = x % 2 == 0 ? nibbles >> 4 : nibbles & 0xF;
            const bool masked = (Bytes(image, maskRows + row * 4 + x / 8, 1) >> (7 - x % 8)) & 1;
            const long rgb = (Bytes(image, palette + 4 * index + 2, 1) << 16) | (Bytes(image, palette + 4 * index + 1, 1) << 8) |
                             Bytes(image, palette + 4 * index, 1);
            const long expected = XpmPixel(x, y);
            differing += expected < 0 ? !masked : (masked || rgb != expected);
        }
    EXPECT_EQ(differing, 0);
}

TEST(WindowsFiles, TheProgramAndEngineNeedOnlySystemLibrariesAndTheEngineExportsOneEntry) {
    const std::set<std::string> system = {"KERNEL32.DLL", "USER32.DLL", "GDI32.DLL", "MSVCRT.DLL", "ADVAPI32.DLL",
                                          "SHELL32.DLL", "OLE32.DLL", "OLEAUT32.DLL", "COMCTL32.DLL", "COMDLG32.DLL",
                                          "UXTHEME.DLL", "SHLWAPI.DLL", "OLEACC.DLL", "IMM32.DLL", "VERSION.DLL",
                                          "WINMM.DLL", "SETUPAPI.DLL", "RPCRT4.DLL", "WINSPOOL.DRV", "WS2_32.DLL",
                                          "WINHTTP.DLL", "OPENGL32.DLL"};
    for (const char* file : {"Zelvaro.scr", "Zelvaro.dll"}) {
        SCOPED_TRACE(file);
        std::istringstream dump(Objdump(windowsBin + "/" + file));
        int imports = 0;
        for (std::string line; std::getline(dump, line);) {
            const size_t at = line.find("DLL Name: ");
            if (at == std::string::npos) continue;
            std::string name = line.substr(at + 10);
            for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            EXPECT_EQ(system.count(name), 1u) << name << " is no library of the system: the user lacks it";
            ++imports;
        }
        EXPECT_GT(imports, 0);
    }
    const std::string engine = Objdump(windowsBin + "/Zelvaro.dll");
    const size_t table = engine.find("[Ordinal/Name Pointer] Table");
    ASSERT_NE(table, std::string::npos);
    std::istringstream exports(engine.substr(table));
    std::vector<std::string> names;
    std::string line;
    std::getline(exports, line);
    while (std::getline(exports, line) && line.find(']') != std::string::npos) names.push_back(line.substr(line.find(']') + 2));
    EXPECT_EQ(names, std::vector<std::string>{"ZelvaroGetEngine"});
    EXPECT_TRUE(FileExists(windowsBin + "/Zelvaro_Sky.zip"));
}

// ---- under Wine ----

// One Xvfb and one Wine session for the whole run: the prefix's server is started afresh on
// this display, and ended with the run.
class WineSession : public ::testing::Environment {
public:
    void SetUp() override {
        ASSERT_NE(std::getenv("WINEPREFIX"), nullptr) << "scripts/test-windows names the Wine prefix";
        setenv("WINEDEBUG", "-all", 0);
        setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 0); // no installer prompts for .NET or a browser
        ASSERT_NE(StartXvfb(screenWidth, screenHeight), "");
        RunCommand("wineserver -k 2>/dev/null; wineserver -w 2>/dev/null");
        pid_t boot = StartProcess({wine, "wineboot", "--init"});
        ASSERT_EQ(WaitProcess(boot, unitTestSeconds), 0) << "the Wine prefix did not start";
    }
    void TearDown() override { RunCommand("wineserver -k 2>/dev/null; wineserver -w 2>/dev/null"); }
};
const auto* const wineSession = ::testing::AddGlobalTestEnvironment(new WineSession);

// wine_helper.exe: the preview's host and the eyes on the system's windows.
class Helper {
public:
    Helper() { process_ = StartPiped({wine, windowsTests + "/wine_helper.exe"}); }
    ~Helper() {
        WriteLine(process_, "quit");
        ClosePiped(process_);
    }
    std::string Ask(const std::string& command) {
        WriteLine(process_, command);
        std::string answer = ReadLine(process_, windowSeconds);
        if (!answer.empty() && answer.back() == '\r') answer.pop_back();
        return answer;
    }
    // Asks again until the answer satisfies the test; the last answer.
    template <typename Good>
    std::string AskUntil(const std::string& command, Good good) {
        std::string answer;
        WaitUntil([&] { return good(answer = Ask(command)); }, windowSeconds, 0.5);
        return answer;
    }

private:
    PipedProcess process_;
};

bool Found(const std::string& answer) { return !answer.empty() && answer != "none"; }

class Wine : public ::testing::Test {
protected:
    // A user's copy: the three files in a folder of their own (the engine left out on request).
    std::string Install(bool withEngine = true) {
        const std::string folder = MakeTempFolder();
        for (const char* file : {"Zelvaro.scr", "Zelvaro.dll", "Zelvaro_Sky.zip"})
            if (withEngine || std::string(file) != "Zelvaro.dll")
                RunCommand("cp '" + windowsBin + "/" + file + "' '" + folder + "/'");
        return folder;
    }
    pid_t Start(const std::string& folder, const std::vector<std::string>& arguments) {
        std::vector<std::string> command = {wine, folder + "/Zelvaro.scr"};
        command.insert(command.end(), arguments.begin(), arguments.end());
        return StartProcess(command);
    }
    // Waits for the full-screen swarm over the sky.
    bool SwarmShows() {
        const std::string shot = MakeTempFolder() + "/shot.png";
        return WaitUntil([&] { return SwarmOverSky(CountSwarm(Screenshot(shot), {0, 0, screenWidth, screenHeight})); },
                         windowSeconds, 1.0);
    }
    void Click(const std::string& point) { RunCommand("xdotool mousemove " + point + " click 1"); }
    Helper helper;
};

TEST_F(Wine, CrossBuiltUnitTestsOfTheServicesAndTheSettingsFilePass) {
    for (const char* test : {"os_services_test.exe", "settings_file_test.exe"}) {
        SCOPED_TRACE(test);
        EXPECT_EQ(WaitProcess(StartProcess({wine, windowsTests + "/" + test}), unitTestSeconds), 0);
    }
}

TEST_F(Wine, SaverDrawsTheSwarmOverTheSkyAndEndsWithCodeZeroOnEachInputThatCounts) {
    const std::string folder = Install();
    ASSERT_TRUE(Found(helper.Ask("open\t200\t100"))); // another program's window, for the focus
    const struct {
        const char* what;
        const char* xdotool; // or, when empty, the other window is brought to the front
    } inputs[] = {
        {"a key", "key space"},
        {"a mouse move of one pixel right", "mousemove_relative 1 0"},
        {"a mouse move of one pixel down", "mousemove_relative 0 1"},
        {"the left button", "click 1"},
        {"the right button", "click 3"},
        {"another window taking the focus", ""},
    };
    for (const auto& input : inputs) {
        SCOPED_TRACE(input.what);
        RunCommand("xdotool mousemove 512 384");
        pid_t saver = Start(folder, {"/s"});
        EXPECT_TRUE(SwarmShows());
        ASSERT_TRUE(ProcessRunning(saver));
        if (*input.xdotool) RunCommand(std::string("xdotool ") + input.xdotool);
        else EXPECT_EQ(helper.Ask("activate"), "ok");
        EXPECT_EQ(WaitProcess(saver, endSeconds), 0);
    }
}

TEST_F(Wine, SecondCopyEndsSilentlyWhileTheFirstRuns) {
    const std::string folder = Install();
    const std::string host = helper.Ask("open\t152\t112");
    ASSERT_TRUE(Found(host));
    pid_t first = Start(folder, {"/s"});
    ASSERT_TRUE(SwarmShows());
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{"/s"}, {"/p", host}}) {
        SCOPED_TRACE(arguments[0]);
        EXPECT_EQ(WaitProcess(Start(folder, arguments), endSeconds), 0);
        EXPECT_TRUE(ProcessRunning(first));
    }
    EXPECT_EQ(helper.Ask("children"), "0"); // the second preview opened nothing in its host
    EXPECT_EQ(helper.Ask("texts\tError"), "none");
    RunCommand("xdotool key space");
    EXPECT_EQ(WaitProcess(first, endSeconds), 0);
}

TEST_F(Wine, PreviewIsAChildOfTheHostsSizeAndEndsOnCloseOrWithTheHost) {
    // Wine shows no OpenGL picture in a child of another program's window; that the preview
    // draws is the Linux tests' to show.
    const std::string folder = Install();
    for (const char* ending : {"close", "destroy"}) {
        SCOPED_TRACE(ending);
        const std::string host = helper.Ask("open\t152\t112");
        ASSERT_TRUE(Found(host));
        pid_t preview = Start(folder, {"/p", host});
        EXPECT_EQ(helper.AskUntil("children", [](const std::string& a) { return a != "0"; }), "1 152x112");
        EXPECT_TRUE(ProcessRunning(preview));
        EXPECT_EQ(helper.Ask(ending), "ok");
        EXPECT_EQ(WaitProcess(preview, endSeconds), 0);
    }
}

TEST_F(Wine, ConfigurationWindowWritesTheDefaultFileOnOkAndNothingOnCancel) {
    const std::string defaultFile =
        "[PARAM]\r\n; Screen resolution\r\nResolution = 1024 x 768\r\n;  \r\n; Objects shape\r\nShape = 2\r\n"
        ";  \r\n; Number of objects\r\nObjectCount = 2\r\n;  \r\n; Display frame rate\r\nshowFPS = 0\r\n"
        ";  \r\n; Display Time\r\nshowTime = 0\r\n;  \r\n; Language\r\nLanguage = 1\r\n";
    for (const char* button : {"OK", "Cancel"}) {
        SCOPED_TRACE(button);
        const std::string folder = Install();
        pid_t window = Start(folder, {"/c"});
        const std::string client = helper.AskUntil("client\t" + configurationTitle, Found);
        EXPECT_EQ(client.substr(client.find(' ', client.find(' ') + 1) + 1), "460 380") << client;
        const std::string point = helper.Ask("button\t" + configurationTitle + "\t" + button);
        ASSERT_TRUE(Found(point));
        Click(point);
        EXPECT_EQ(WaitProcess(window, endSeconds), 0);
        if (std::string(button) == "OK") EXPECT_EQ(ReadFileBytes(folder + "/Zelvaro.ini"), defaultFile);
        else EXPECT_FALSE(FileExists(folder + "/Zelvaro.ini"));
    }
}

TEST_F(Wine, MissingEngineShowsItsBoxAndEndsWithCodeZeroWhenItIsClosed) {
    pid_t saver = Start(Install(/*withEngine=*/false), {"/s"});
    const std::string texts = helper.AskUntil("texts\tError", Found);
    EXPECT_NE(texts.find("Can't initialize 3D, check if engine3D.dll is available"), std::string::npos) << texts;
    EXPECT_TRUE(ProcessRunning(saver)); // it waits for the user
    const std::string ok = helper.Ask("button\tError\tOK");
    ASSERT_TRUE(Found(ok));
    Click(ok);
    EXPECT_EQ(WaitProcess(saver, endSeconds), 0);
}

} // namespace
