// The frame loop and what comes before it, against the recording fake engine: the order of the
// work inside every frame, the overlays only in the saver, the glyphs loaded only by the saver.
// The loop ends the process, so it runs in a child process that writes down what it saw.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "app/frame_loop.h"
#include "core/motion_history.h"
#include "core/run_mode.h"
#include "core/screen_size.h"
#include "core/settings_record.h"
#include "motion/overlay.h"
#include "support/fake_engine.h"
#include "support/temp_folder.h"

namespace {

constexpr int watchedFrames = 3;
constexpr int glyphCount = 37;

// The step of the frame that each engine call belongs to.
std::string StepOf(const std::string& call) {
    for (const char* dance : {"MoveEntity", "RotateEntity", "EntityX", "EntityY", "EntityZ", "MoveEntity2", "RotateEntity2"})
        if (call == dance) return "StepDance";
    if (call == "MoveCamera2" || call == "CameraLookAt") return "StepCamera";
    if (call == "RenderWorld") return "RenderWorld";
    if (call == "SwitchTo2D" || call == "DrawImage" || call == "Engine3DStatus") return "DrawOverlays";
    if (call == "FlipBuffers") return "Flip";
    if (call == "ExitTest") return "ExitTest";
    return "other: " + call;
}

// The recorded calls as the steps they make, each run of calls of one step counted once.
std::vector<std::string> Steps(const std::vector<std::string>& calls) {
    std::vector<std::string> steps;
    for (const std::string& call : calls) {
        std::string step = StepOf(call);
        if (steps.empty() || steps.back() != step) steps.push_back(step);
    }
    return steps;
}

std::string stepsFile; // where the child writes the steps it saw

// Stands in for ExitRequested: noted among the engine's calls, it lets watchedFrames frames run,
// then writes the steps down and ends the loop.
int ExitAfterWatchedFrames() {
    static int frames = 0;
    FakeEngine.calls.push_back({"ExitTest", {}, ""});
    if (++frames < watchedFrames) return 0;
    std::ofstream out(stepsFile);
    for (const std::string& step : Steps(CallNames())) out << step << "\n";
    return 1;
}

std::vector<std::string> ReadSteps() {
    std::vector<std::string> steps;
    std::ifstream in(stepsFile);
    for (std::string line; std::getline(in, line);) steps.push_back(line);
    return steps;
}

// The state the start-up leaves before the first frame, with the fake engine and the overlays on.
void StartUpAs(RunModeKind mode) {
    RunMode = mode;
    Settings = SettingsRecord{};
    Settings.ObjectCount = 0;
    Settings.showFPS = 1;
    Settings.showTime = 1;
    ScreenWidth = 1024;
    ScreenHeight = 768;
    for (int& glyph : GlyphTable) glyph = 0;
    UseFakeEngine();
    ASSERT_TRUE(AllocateMotionHistory(ObjectTotalFor(Settings.ObjectCount)));
    PrepareFirstFrame();
}

struct LoopCase {
    const char* name;
    RunModeKind mode;
    std::vector<std::string> frame; // the steps of one frame
};

TEST(FrameLoop, EachFrameStepsInOrderAndTheExitTestComesLast) {
    const LoopCase cases[] = {
        {"saver", RunModeKind::Saver, {"StepDance", "StepCamera", "RenderWorld", "DrawOverlays", "Flip", "ExitTest"}},
        {"preview: no overlays", RunModeKind::Preview, {"StepDance", "StepCamera", "RenderWorld", "Flip", "ExitTest"}},
    };
    for (const LoopCase& c : cases) {
        SCOPED_TRACE(c.name);
        stepsFile = MakeTempFolder() + "/steps";
        EXPECT_EXIT(
            {
                StartUpAs(c.mode);
                FakeEngine.calls.clear(); // only the frames
                SetExitTestForTests(ExitAfterWatchedFrames);
                RunFrameLoop();
            },
            ::testing::ExitedWithCode(0), "");
        std::vector<std::string> expected;
        for (int frame = 0; frame < watchedFrames; ++frame) expected.insert(expected.end(), c.frame.begin(), c.frame.end());
        EXPECT_EQ(ReadSteps(), expected);
    }
}

TEST(FrameLoop, OnlyTheSaverLoadsTheGlyphsAndBeforeTheScene) {
    StartUpAs(RunModeKind::Preview);
    EXPECT_TRUE(CallsNamed("CreateImage").empty());
    for (int code = 0; code < 256; ++code) EXPECT_EQ(GlyphTable[code], 0) << code;
    EXPECT_FALSE(CallsNamed("CreateMesh").empty()); // the scene is built all the same
    FreeMotionHistory();

    StartUpAs(RunModeKind::Saver);
    const std::vector<std::string> calls = CallNames();
    std::vector<std::string> firstCalls(calls.begin(), calls.begin() + std::min<size_t>(glyphCount, calls.size()));
    EXPECT_EQ(firstCalls, std::vector<std::string>(glyphCount, "CreateImage"));
    for (char c : std::string("az09:")) EXPECT_NE(GlyphTable[static_cast<unsigned char>(c)], 0) << c;
    FreeMotionHistory();
}

} // namespace
