// The real saver, run as a user would (`Zelvaro /s` at 1024 x 768) under an X server of its
// own with Mesa's software OpenGL, measured from outside: swap_probe.so, preloaded, counts the
// buffer swaps and the process's CPU time and notes the first frame and the first frame with
// the sky. Peer screen savers (Debian's xscreensaver-gl) run one after another under the same
// server for comparison; a last run under Xorg's dummy driver, which reports 60 Hz, shows the
// paced saver's CPU use.
//
// Usage: saver_bench [--seconds N] [--compare LABEL=DIR]... [--no-peers] [--no-paced] [--no-memory]
//                    [--paced-only]
// DIR holds another build's Zelvaro, Zelvaro.so and Zelvaro_Sky.zip (an older build, say).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "support/process.h"
#include "support/temp_folder.h"
#include "support/xvfb.h"

namespace {

namespace fs = std::filesystem;

constexpr int screenWidth = 1024, screenHeight = 768;
constexpr double warmUpSeconds = 3.0; // start-up and the sky's decoding stay out of the steady figures
constexpr int objectCounts[] = {0, 2, 4}; // ObjectCount: 128, 512 and 2,048 objects
constexpr int largestObjectCount = 4;
constexpr int historyRows = 2100;
constexpr int objectStateBytes = 24;
constexpr long historyFullFrames = historyRows + 100; // every row of the history touched
constexpr double memoryDeadline = 150.0;             // seconds
constexpr double budgetOverHistoryMiB = 40.0;
constexpr double mebibyte = 1024.0 * 1024.0;
const char* const peerFolder = "/usr/libexec/xscreensaver";
const char* const peers[] = {"glschool", "polyhedra"};

struct Options {
    double seconds = 10.0;
    std::vector<std::pair<std::string, std::string>> builds; // label, folder
    bool peers = true, paced = true, memory = true, xvfb = true;
};

struct ProbeLine {
    long frames = 0;
    double now = 0, cpu = 0, first = 0, sky = 0;
};

struct Result {
    std::string label;
    bool ran = false;
    double fps = 0, cpuMsPerFrame = 0, cpuShare = 0, firstMs = 0, skyMs = 0;
    long frames = 0;
    double rssMiB = 0, anonMiB = 0;
};

double Monotonic() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

std::string LoadAverage() {
    std::ifstream in("/proc/loadavg");
    std::string one, five, fifteen;
    in >> one >> five >> fifteen;
    return one + " " + five + " " + fifteen;
}

std::vector<ProbeLine> ReadProbe(const std::string& path) {
    std::vector<ProbeLine> lines;
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
        ProbeLine l;
        if (std::sscanf(text.c_str(), "probe frames=%ld now=%lf cpu=%lf first=%lf sky=%lf", &l.frames, &l.now, &l.cpu,
                        &l.first, &l.sky) == 5)
            lines.push_back(l);
    }
    return lines;
}

// Resident set and its anonymous part (the process's own memory, not the library code it maps).
void ReadMemory(pid_t pid, Result& r) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0) r.rssMiB = std::stod(line.substr(6)) / 1024.0;
        if (line.rfind("RssAnon:", 0) == 0) r.anonMiB = std::stod(line.substr(8)) / 1024.0;
    }
}

struct Launch {
    std::vector<std::string> argv;
    std::vector<std::string> env;
    bool lookForSky = false;
    long untilFrames = 0; // 0: run for the given seconds; else until this many frames (or a deadline)
};

Result Measure(const std::string& label, Launch launch, double seconds) {
    Result r;
    r.label = label;
    const std::string log = MakeTempFolder() + "/probe.log";
    launch.env.push_back("ZELVARO_PROBE_LOG=" + log);
    launch.env.push_back(std::string("LD_PRELOAD=") + ZELVARO_SWAP_PROBE);
    if (launch.lookForSky)
        launch.env.push_back("ZELVARO_PROBE_SKY=" + std::to_string(screenWidth) + "x" + std::to_string(screenHeight));
    launch.env.push_back("XDG_RUNTIME_DIR=" + MakeTempFolder()); // its own single-instance lock
    const double started = Monotonic();
    const pid_t pid = StartProcess(launch.argv, launch.env);
    const double deadline = started + (launch.untilFrames ? memoryDeadline : seconds);
    while (Monotonic() < deadline && ProcessRunning(pid)) {
        Pause(0.25);
        if (launch.untilFrames) {
            const auto lines = ReadProbe(log);
            if (!lines.empty() && lines.back().frames >= launch.untilFrames) break;
        }
    }
    ReadMemory(pid, r);
    kill(pid, SIGTERM);
    WaitProcess(pid, 10.0);
    const std::vector<ProbeLine> lines = ReadProbe(log);
    if (lines.size() < 2) return r;
    const ProbeLine& last = lines.back();
    const ProbeLine* from = &lines.front();
    for (const ProbeLine& l : lines)
        if (l.now - started >= warmUpSeconds) {
            from = &l;
            break;
        }
    if (from == &last) from = &lines.front();
    const double frames = static_cast<double>(last.frames - from->frames), wall = last.now - from->now;
    r.ran = frames > 0 && wall > 0;
    r.frames = last.frames;
    r.fps = r.ran ? frames / wall : 0;
    r.cpuMsPerFrame = r.ran ? 1000.0 * (last.cpu - from->cpu) / frames : 0;
    r.cpuShare = r.ran ? (last.cpu - from->cpu) / wall : 0;
    r.firstMs = last.first > 0 ? 1000.0 * (last.first - started) : 0;
    r.skyMs = last.sky > 0 ? 1000.0 * (last.sky - started) : 0;
    return r;
}

std::string Settings(int objectCount) {
    return "[PARAM]\r\nshowFPS = 0\r\nshowTime = 0\r\nResolution = " + std::to_string(screenWidth) + " x " +
           std::to_string(screenHeight) + "\r\nShape = 2\r\nObjectCount = " + std::to_string(objectCount) +
           "\r\nLanguage = 1\r\n";
}

// A copy of a build in a folder of its own, with the settings for the case.
std::string InstallBuild(const std::string& from, int objectCount, bool sky) {
    const std::string folder = MakeTempFolder();
    for (const char* file : {"Zelvaro", "Zelvaro.so", "Zelvaro_Sky.zip"})
        if (fs::exists(from + "/" + file) && (sky || std::string(file) != "Zelvaro_Sky.zip"))
            fs::copy_file(from + "/" + file, folder + "/" + file, fs::copy_options::overwrite_existing);
    WriteFileBytes(folder + "/Zelvaro.ini", Settings(objectCount));
    return folder + "/Zelvaro";
}

int ObjectsOf(int objectCount) { return 1 << (objectCount + 7); }

void PrintHeader() {
    std::printf("%-34s %8s %5s %8s %14s %16s %10s\n", "program", "objects", "sky", "fps", "CPU ms/frame",
                "first frame ms", "sky ms");
}

void PrintRow(const Result& r, const std::string& objects, const std::string& sky) {
    if (!r.ran) {
        std::printf("%-34s %8s %5s   did not run (no frames counted)\n", r.label.c_str(), objects.c_str(), sky.c_str());
        return;
    }
    const std::string skyMs = sky != "yes" ? "" : r.skyMs > 0 ? std::to_string(std::lround(r.skyMs)) : "never";
    std::printf("%-34s %8s %5s %8.1f %14.2f %16.0f %10s\n", r.label.c_str(), objects.c_str(), sky.c_str(), r.fps,
                r.cpuMsPerFrame, r.firstMs, skyMs.c_str());
    std::fflush(stdout);
}

std::string Verdict(bool met, double short_) {
    char text[64];
    if (met) return "met";
    std::snprintf(text, sizeof text, "NOT met, by %.0f %%", short_);
    return text;
}

// ---- Xorg with the dummy driver: a display that reports 60 Hz ----

const char* const dummyConfig = R"(Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 64000
EndSection
Section "Monitor"
  Identifier "monitor"
  HorizSync 28.0-80.0
  VertRefresh 48.0-75.0
  Modeline "1024x768" 65.00 1024 1048 1184 1344 768 771 777 806 -hsync -vsync
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "monitor"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Modes "1024x768"
  EndSubSection
EndSection
)";

pid_t xorgPid = -1;

std::string StartDummyXorg() {
    if (!fs::exists("/usr/lib/xorg/modules/drivers/dummy_drv.so")) return "";
    const std::string folder = MakeTempFolder();
    WriteFileBytes(folder + "/xorg.conf", dummyConfig);
    int fds[2];
    if (pipe(fds) != 0) return "";
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        freopen("/dev/null", "w", stderr); // its banner and log lines go to its log file
        const std::string fd = std::to_string(fds[1]), config = folder + "/xorg.conf", log = folder + "/xorg.log";
        execlp("Xorg", "Xorg", "-displayfd", fd.c_str(), "-config", config.c_str(), "-logfile", log.c_str(),
               "-noreset", "-nolisten", "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (number.empty()) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        return "";
    }
    xorgPid = pid;
    return ":" + number;
}

void StopDummyXorg() {
    if (xorgPid <= 0) return;
    kill(xorgPid, SIGTERM);
    waitpid(xorgPid, nullptr, 0);
    xorgPid = -1;
}

Options ReadOptions(int argc, char** argv) {
    Options o;
    o.builds.push_back({"Zelvaro (this build)", ZELVARO_BIN_DIR});
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--seconds" && i + 1 < argc) o.seconds = std::atof(argv[++i]);
        else if (a == "--compare" && i + 1 < argc) {
            const std::string spec = argv[++i];
            const size_t equals = spec.find('=');
            o.builds.push_back(equals == std::string::npos
                                   ? std::make_pair("Zelvaro (" + spec + ")", spec)
                                   : std::make_pair("Zelvaro (" + spec.substr(0, equals) + ")", spec.substr(equals + 1)));
        } else if (a == "--no-peers") o.peers = false;
        else if (a == "--no-paced") o.paced = false;
        else if (a == "--no-memory") o.memory = false;
        else if (a == "--paced-only") o.xvfb = o.peers = o.memory = false;
        else {
            std::fprintf(stderr, "usage: saver_bench [--seconds N] [--compare LABEL=DIR]... [--no-peers] [--no-paced] [--no-memory] [--paced-only]\n");
            std::exit(2);
        }
    }
    return o;
}

// Every case under one Xvfb: the builds, the peers around them, the targets and the memory.
bool RunOnXvfb(const Options& options) {
    const std::string xvfb = StartXvfb(screenWidth, screenHeight);
    if (xvfb.empty()) return std::fprintf(stderr, "Xvfb did not start\n"), false;
    const std::string onXvfb = "DISPLAY=" + xvfb;
    std::printf("Xvfb %dx%d, Mesa llvmpipe; %.0f s a run, figures after the first %.0f s\n\n", screenWidth,
                screenHeight, options.seconds, warmUpSeconds);
    PrintHeader();

    // The peers run before and after the saver, and their mean is the yardstick: the machine's
    // other load drifts during a run of several minutes.
    std::vector<Result> peerRuns[std::size(peers)];
    const auto runPeers = [&] {
        if (!options.peers) return;
        for (size_t p = 0; p < std::size(peers); ++p) {
            const std::string path = std::string(peerFolder) + "/" + peers[p];
            if (!fs::exists(path)) {
                std::printf("%-34s not installed (Debian package xscreensaver-gl)\n", peers[p]);
                continue;
            }
            Launch l{{path, "-root", "-delay", "0"}, {onXvfb}, false, 0};
            const Result r = Measure(std::string("xscreensaver ") + peers[p], l, options.seconds);
            PrintRow(r, "", "");
            if (r.ran) peerRuns[p].push_back(r);
        }
    };
    runPeers();
    std::vector<std::vector<Result>> saver(options.builds.size()); // [build][case]: sky, no sky per count
    for (size_t b = 0; b < options.builds.size(); ++b)
        for (int count : objectCounts)
            for (bool sky : {true, false}) {
                Launch l{{InstallBuild(options.builds[b].second, count, sky), "/s"}, {onXvfb}, sky, 0};
                const Result r = Measure(options.builds[b].first, l, options.seconds);
                PrintRow(r, std::to_string(ObjectsOf(count)), sky ? "yes" : "no");
                saver[b].push_back(r);
            }
    runPeers();
    std::vector<Result> peerResults;
    for (size_t p = 0; p < std::size(peers); ++p) {
        if (peerRuns[p].empty()) continue;
        Result mean = peerRuns[p].front();
        mean.label += " (mean)";
        mean.fps = mean.cpuMsPerFrame = 0;
        for (const Result& r : peerRuns[p]) mean.fps += r.fps, mean.cpuMsPerFrame += r.cpuMsPerFrame;
        mean.fps /= peerRuns[p].size();
        mean.cpuMsPerFrame /= peerRuns[p].size();
        PrintRow(mean, "", "");
        peerResults.push_back(mean);
    }

    const Result* glschool = peerRuns[0].empty() ? nullptr : &peerResults.front();
    const Result& big = saver[0][2 * 2];  // 2,048 objects with the sky
    const Result& small = saver[0][0];    // 128 objects with the sky
    std::printf("\ntargets (this build, load average now %s):\n", LoadAverage().c_str());
    if (glschool) {
        const double bigRatio = big.fps / glschool->fps, smallRatio = small.fps / glschool->fps;
        std::printf("  2,048 objects with the sky: %.2f x glschool's frame rate (at least 1.0, aim for 2): %s\n", bigRatio,
                    Verdict(bigRatio >= 1.0, 100.0 * (1.0 - bigRatio)).c_str());
        std::printf("  128 objects with the sky: %.2f x glschool's frame rate (at least 2): %s\n", smallRatio,
                    Verdict(smallRatio >= 2.0, 100.0 * (1.0 - smallRatio / 2.0)).c_str());
    }
    std::printf("  2,048 objects with the sky: %.2f ms CPU a frame (at most 12): %s\n", big.cpuMsPerFrame,
                Verdict(big.cpuMsPerFrame <= 12.0, 100.0 * (big.cpuMsPerFrame / 12.0 - 1.0)).c_str());
    double firstWorst = 0, skyWorst = 0;
    for (const Result& r : saver[0]) firstWorst = std::max(firstWorst, r.firstMs);
    for (size_t c = 0; c < saver[0].size(); c += 2) skyWorst = std::max(skyWorst, saver[0][c].skyMs > 0 ? saver[0][c].skyMs : 1e9);
    std::printf("  first frame, slowest run: %.0f ms (at most 150): %s\n", firstWorst,
                Verdict(firstWorst <= 150.0, 100.0 * (firstWorst / 150.0 - 1.0)).c_str());
    std::printf("  sky on screen, slowest run: %.0f ms (at most 500): %s\n", skyWorst,
                Verdict(skyWorst <= 500.0, 100.0 * (skyWorst / 500.0 - 1.0)).c_str());

    if (options.memory) {
        Launch l{{InstallBuild(options.builds[0].second, largestObjectCount, true), "/s"}, {onXvfb}, true, historyFullFrames};
        const Result r = Measure("memory", l, options.seconds);
        const double historyMiB = double(objectStateBytes) * ObjectsOf(largestObjectCount) * historyRows / mebibyte;
        const double budget = historyMiB + budgetOverHistoryMiB;
        std::printf("  memory at 2,048 objects after %ld frames%s: resident %.1f MiB, of which anonymous %.1f MiB "
                    "(the rest is shared library code); budget history %.1f + %.0f = %.1f MiB: anonymous %s, resident %s\n",
                    r.frames, r.frames >= historyFullFrames ? " (the whole history touched)" : " (NOT the whole history)",
                    r.rssMiB, r.anonMiB, historyMiB, budgetOverHistoryMiB, budget,
                    Verdict(r.anonMiB <= budget, 100.0 * (r.anonMiB / budget - 1.0)).c_str(),
                    Verdict(r.rssMiB <= budget, 100.0 * (r.rssMiB / budget - 1.0)).c_str());
    }
    StopXvfb();
    return true;
}

} // namespace

int main(int argc, char** argv) {
    const Options options = ReadOptions(argc, argv);
    std::printf("load average at start: %s (2 cores)\n", LoadAverage().c_str());
    if (options.xvfb && !RunOnXvfb(options)) return 1;

    if (options.paced) {
        const std::string xorg = StartDummyXorg();
        if (xorg.empty()) {
            std::printf("  paced: skipped, Xorg with the dummy driver did not start (xserver-xorg-video-dummy)\n");
        } else {
            const std::pair<int, bool> pacedCases[] = {{objectCounts[0], false}, {objectCounts[0], true},
                                                        {largestObjectCount, true}};
            for (const auto& [label, folder] : options.builds)
                for (const auto& [count, sky] : pacedCases) {
                    Launch l{{InstallBuild(folder, count, sky), "/s"}, {"DISPLAY=" + xorg}, false, 0};
                    const Result r = Measure(label, l, options.seconds);
                    std::printf("  %s at 60 Hz (Xorg, dummy driver), %d objects %s the sky: %.1f fps, CPU %.0f %% of "
                                "one core (%.2f s of CPU a second)\n", label.c_str(), ObjectsOf(count),
                                sky ? "with" : "without", r.fps, 100.0 * r.cpuShare, r.cpuShare);
                }
            StopDummyXorg();
        }
    }
    std::printf("load average at the end: %s\n", LoadAverage().c_str());
    return 0;
}
