// RenderWorld of the saver's largest swarm at 1024 x 768 under a private Xvfb: the engine's
// batched path against its one-draw-per-entity reference, and the ratio of the two.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>

#include "core/motion_history.h"
#include "core/run_mode.h"
#include "core/settings_record.h"
#include "motion/camera.h"
#include "motion/dance.h"
#include "platform/os.h"
#include "platform/random.h"
#include "scene/engine.h"
#include "scene/scene.h"
#include "support/xvfb.h"

namespace {

constexpr int objects = 2048;
constexpr int width = 1024, height = 768;
constexpr int spreadFrames = 300; // let the swarm fan out before it is drawn
constexpr float skyDrawn = 1.0f, skyDecoding = 2.0f; // Engine3DStatus(ENGINE_STATUS_SKY)

const char* const batchedName = "RenderWorld/batched";
const char* const referenceName = "RenderWorld/reference";

// The saver's world with its sky, the swarm a few seconds into its dance.
bool OpenSaverWorld() {
    if (StartXvfb(width, height).empty()) return std::fprintf(stderr, "Xvfb did not start\n"), false;
    if (!InitEngine3D(0, "Zelvaro.so")) return std::fprintf(stderr, "the engine library did not start\n"), false;
    if (!Engine->OpenHiddenScreen(width, height)) return std::fprintf(stderr, "no screen\n"), false;
    SetProgramFilePathForTests(std::string(ZELVARO_BIN_DIR) + "/Zelvaro"); // the sky archive lies there
    Settings = SettingsDefaults;
    RunMode = RunModeKind::Saver;
    ObjectTotal = objects;
    MotionHistoryRowSize = sizeof(ObjectState) * objects;
    MotionHistory = static_cast<ObjectState*>(std::calloc(size_t(historyRows) * objects, sizeof(ObjectState)));
    BuildScene();
    SeedRandom(1);
    StartDance();
    StartCamera();
    for (int frame = 0; frame < spreadFrames; ++frame) {
        StepDance();
        StepCamera();
    }
    // the sky decodes off this thread: frames are measured once it shows
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (Engine->Engine3DStatus(ENGINE_STATUS_SKY) == skyDecoding && std::chrono::steady_clock::now() < deadline) {
        Engine->RenderWorld();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (Engine->Engine3DStatus(ENGINE_STATUS_SKY) != skyDrawn) return std::fprintf(stderr, "no sky\n"), false;
    return true;
}

// One frame drawn to the end: reading a pixel waits for the renderer to finish.
void Render(benchmark::State& state, int reference) {
    Engine->SetReferenceRendering(reference);
    unsigned char pixel[4];
    for (int warmUp = 0; warmUp < 3; ++warmUp) { // first frames of a path upload and compile
        Engine->RenderWorld();
        Engine->ReadPixels(width / 2, height / 2, 1, 1, pixel);
    }
    for (auto _ : state) {
        Engine->RenderWorld();
        Engine->ReadPixels(width / 2, height / 2, 1, 1, pixel);
        benchmark::DoNotOptimize(pixel);
    }
    state.counters["triangles"] = Engine->Engine3DStatus(ENGINE_STATUS_TRIANGLES);
    Engine->SetReferenceRendering(0);
}

// The console report, keeping each benchmark's mean time per iteration for the ratio.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    RatioReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        // Single runs when they are shown; otherwise the mean of the repetitions, which holds
        // one repetition's mean time for its count of iterations.
        for (const Run& run : runs) {
            if (run.error_occurred || run.iterations <= 0) continue;
            if (run.run_type == Run::RT_Iteration)
                totals[run.run_name.function_name].Add(run.real_accumulated_time, run.cpu_accumulated_time, run.iterations);
            else if (run.aggregate_name == "mean")
                means[run.run_name.function_name].Add(run.real_accumulated_time, run.cpu_accumulated_time, run.iterations);
        }
        ConsoleReporter::ReportRuns(runs);
    }
    struct Total {
        double seconds = 0, cpuSeconds = 0, iterations = 0;
        void Add(double real, double cpu, double n) { seconds += real, cpuSeconds += cpu, iterations += n; }
        double MeanMs() const { return seconds / iterations * 1e3; }
        double MeanCpuMs() const { return cpuSeconds / iterations * 1e3; }
    };
    std::map<std::string, Total> totals, means;
    const Total* Find(const std::string& name) const {
        for (const auto* m : {&totals, &means})
            if (auto found = m->find(name); found != m->end()) return &found->second;
        return nullptr;
    }
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (!OpenSaverWorld()) return 1;
    benchmark::RegisterBenchmark(batchedName, [](benchmark::State& s) { Render(s, 0); })->Unit(benchmark::kMillisecond)->UseRealTime();
    benchmark::RegisterBenchmark(referenceName, [](benchmark::State& s) { Render(s, 1); })->Unit(benchmark::kMillisecond)->UseRealTime();

    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const RatioReporter::Total* batched = reporter.Find(batchedName);
    const RatioReporter::Total* reference = reporter.Find(referenceName);
    if (batched && reference) {
        const auto& b = *batched;
        const auto& r = *reference;
        std::printf("RenderWorld, %d objects, %d x %d: batched %.2f ms, reference %.2f ms per frame, "
                    "reference / batched = %.2f\n",
                    objects, width, height, b.MeanMs(), r.MeanMs(), r.MeanMs() / b.MeanMs());
        // The renderer's own threads rasterise; the calling thread's time is the submission.
        std::printf("  on the calling thread: batched %.2f ms, reference %.2f ms, reference / batched = %.2f\n",
                    b.MeanCpuMs(), r.MeanCpuMs(), r.MeanCpuMs() / b.MeanCpuMs());
    }
    benchmark::Shutdown();
    FreeMotionHistory();
    ReleaseEngine3D();
    StopXvfb();
    return 0;
}
