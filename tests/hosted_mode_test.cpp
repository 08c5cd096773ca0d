// The daemon's words on the command line, read before the protocol letters, and the picture of
// a hosted run: the saver's own, with its sky and overlays.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "app/run_modes.h"
#include "core/motion_history.h"
#include "core/run_mode.h"
#include "core/screen_size.h"
#include "core/settings_record.h"
#include "motion/overlay.h"
#include "platform/os.h"
#include "platform/screen.h"
#include "scene/scene.h"
#include "support/fake_engine.h"

namespace {

using Target = DaemonRequest::Target;

std::vector<std::string> Words(const std::string& line) { return SplitCommandLine(line); }

TEST(DaemonArguments, WordsAndWindows) {
    const struct {
        const char* commandLine;
        const char* windowVariable; // XSCREENSAVER_WINDOW, nullptr when unset
        Target target;
        uint64_t window;
    } cases[] = {
        {"--root", nullptr, Target::RootWindow, 0},
        {"-root", nullptr, Target::RootWindow, 0},
        {"-root", "", Target::RootWindow, 0},
        {"--root", "0x2a00007", Target::NamedWindow, 0x2a00007},
        {"-root", "44040199", Target::NamedWindow, 44040199},
        {"-root", "0X1F", Target::NamedWindow, 0x1f},
        {"-root", "junk", Target::BadWindowId, 0},
        {"-window-id 1234", nullptr, Target::NamedWindow, 1234},
        {"--window-id 0xabcdef", nullptr, Target::NamedWindow, 0xabcdef},
        {"-window-id 0x10 --root", "0x20", Target::NamedWindow, 0x10}, // an explicit id outranks -root
        {"--root -window-id 0x10", "0x20", Target::NamedWindow, 0x10},
        {"--root --window-id 0x400DAC", "0x20", Target::NamedWindow, 0x400dac}, // a settings window's preview
        {"-window-id", nullptr, Target::BadWindowId, 0},
        {"-window-id -root", nullptr, Target::BadWindowId, 0},
        {"-window-id 12ab", nullptr, Target::BadWindowId, 0},
        {"-window-id 0x", nullptr, Target::BadWindowId, 0},
        {"-window-id -5", nullptr, Target::BadWindowId, 0},
        {"-window-id 0x100000000", nullptr, Target::BadWindowId, 0}, // beyond 32 bits
        {"-window-id 4294967295", nullptr, Target::NamedWindow, 4294967295u},
        {"-window-id 4294967296", nullptr, Target::BadWindowId, 0},
        {"-window-id 0", nullptr, Target::NamedWindow, 0}, // a number, though it names no window
        {"-fps --root", nullptr, Target::RootWindow, 0},   // other words are left alone
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.commandLine);
        const std::optional<DaemonRequest> request = ReadDaemonArguments(Words(c.commandLine), c.windowVariable);
        ASSERT_TRUE(request.has_value());
        EXPECT_EQ(request->target, c.target);
        if (c.target == Target::NamedWindow) EXPECT_EQ(request->window, c.window);
    }
}

TEST(DaemonArguments, AnyOtherCommandLineKeepsTheProtocolLetters) {
    // Near misses: not whole words of the daemon, so the usual rules read them.
    for (const char* line : {"", "/s", "/p 1234", "/p:1234", "-r", "-ro", "-rooted", "root", "---root", "-ROOT",
                             "/s -root-", "-windowid 12", "window-id 12", "/c:5678"}) {
        SCOPED_TRACE(line);
        EXPECT_FALSE(ReadDaemonArguments(Words(line), "0x2a00007").has_value());
    }
}

TEST(DaemonArguments, TheIdAsWrittenIsKeptForMessages) {
    EXPECT_EQ(ReadDaemonArguments(Words("-window-id 0x2A"), nullptr)->written, "0x2A");
    EXPECT_EQ(ReadDaemonArguments(Words("-root"), "bad id")->written, "bad id");
}

// ---- the picture ----

class HostedPicture : public ::testing::Test {
protected:
    void SetUp() override {
        UseFakeEngine();
        Settings = SettingsDefaults;
        RunMode = RunModeKind::Hosted;
        SetProgramFilePathForTests("/usr/lib/zelvaro/Zelvaro");
    }
    void TearDown() override {
        SetProgramFilePathForTests("");
        std::fill(std::begin(GlyphTable), std::end(GlyphTable), 0);
        ReleaseScreenImages();
    }
};

TEST_F(HostedPicture, HasTheSkyBox) {
    ObjectTotal = 128;
    BuildScene();
    const auto archives = CallsNamed("Add3DArchive"), skies = CallsNamed("SkyBox");
    ASSERT_EQ(archives.size(), 1u);
    ASSERT_EQ(skies.size(), 1u);
    EXPECT_EQ(archives[0].text, "/usr/lib/zelvaro/Zelvaro_Sky.zip");
    EXPECT_EQ(skies[0].text, "space2.png");
}

TEST_F(HostedPicture, DrawsTheOverlaysTheSettingsAskFor) {
    const struct {
        int8_t showFPS, showTime;
        size_t statusAsked; // the frame-rate line asks the engine twice
        bool drawn;
    } cases[] = {{1, 1, 2, true}, {1, 0, 2, true}, {0, 1, 0, true}, {0, 0, 0, false}};
    ScreenWidth = 1024, ScreenHeight = 768;
    for (unsigned char c = '0'; c <= '9'; ++c) GlyphTable[c] = 1; // any image will do
    GlyphTable[':'] = 1;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int(c.showFPS) << " " << int(c.showTime));
        Settings.showFPS = c.showFPS, Settings.showTime = c.showTime;
        StartOverlays();
        FakeEngine.calls.clear();
        DrawOverlays();
        EXPECT_EQ(CallsNamed("Engine3DStatus").size(), c.statusAsked);
        EXPECT_EQ(!CallsNamed("DrawImage").empty(), c.drawn);
        FlipDisplay();
    }
}

} // namespace
