// Frame costs of the dance (forward and rewind) and of the camera, and the cost of building
// the scene, all against the real engine library without a screen.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "core/motion_history.h"
#include "core/run_mode.h"
#include "core/settings_record.h"
#include "motion/camera.h"
#include "motion/dance.h"
#include "platform/random.h"
#include "scene/engine.h"
#include "scene/scene.h"

namespace {

constexpr int forwardFrames = 2098; // a forward phase, slow-down included
constexpr int rewindStartIndex = forwardFrames + 1; // frameIndex when a phase has stopped

// A freshly started engine with no world in it; false when the library cannot be loaded.
bool RestartEngine() {
    ReleaseEngine3D();
    return InitEngine3D(0, "Zelvaro.so") != 0;
}

void SizeSwarm(int n) { AllocateMotionHistory(n); }

// The world as the first frame finds it: n objects, camera, light (no sky: no screen here).
bool OpenWorld(int n) {
    if (!RestartEngine()) return false;
    Settings = SettingsDefaults;
    RunMode = RunModeKind::Preview;
    SizeSwarm(n);
    BuildScene();
    SeedRandom(1);
    StartDance();
    StartCamera();
    return true;
}

void DanceForward(benchmark::State& state) {
    const int n = int(state.range(0));
    if (!OpenWorld(n)) return state.SkipWithError("the engine library did not start");
    // One phase first: the history's pages are touched once per run, not once per frame.
    for (int frame = 0; frame < forwardFrames; ++frame) StepDance();
    StartDance();
    for (auto _ : state) {
        StepDance();
        if (Dance.rewinding) { // keep measuring forward frames: start the phase again
            state.PauseTiming();
            StartDance();
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void DanceRewind(benchmark::State& state) {
    const int n = int(state.range(0));
    if (!OpenWorld(n)) return state.SkipWithError("the engine library did not start");
    for (int frame = 0; frame < forwardFrames; ++frame) StepDance(); // something to replay
    for (auto _ : state) {
        StepDance();
        if (!Dance.rewinding) { // replay the same phase again
            state.PauseTiming();
            Dance.rewinding = true;
            Dance.frameIndex = rewindStartIndex;
            state.ResumeTiming();
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}

void CameraFrame(benchmark::State& state) {
    const int n = int(state.range(0));
    if (!OpenWorld(n)) return state.SkipWithError("the engine library did not start");
    StepDance();
    const Vec3f sums = lookAt;
    for (auto _ : state) {
        lookAt = sums; // what the frame's dance step leaves
        StepCamera();
    }
}

void SceneBuild(benchmark::State& state) {
    const int n = int(state.range(0));
    if (!RestartEngine()) return state.SkipWithError("the engine library did not start");
    for (auto _ : state) {
        state.PauseTiming();
        RestartEngine(); // an empty world each time
        Settings = SettingsDefaults;
        RunMode = RunModeKind::Preview;
        SizeSwarm(n);
        state.ResumeTiming();
        BuildScene();
    }
}

BENCHMARK(DanceForward)->Name("StepDance/forward")->Arg(128)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(DanceRewind)->Name("StepDance/rewind")->Arg(128)->Arg(2048)->Unit(benchmark::kMicrosecond);
BENCHMARK(CameraFrame)->Name("StepCamera")->Arg(128)->Arg(2048)->Unit(benchmark::kNanosecond);
BENCHMARK(SceneBuild)->Name("BuildScene")->Arg(2048)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    FreeMotionHistory();
    ReleaseEngine3D();
    return 0;
}
