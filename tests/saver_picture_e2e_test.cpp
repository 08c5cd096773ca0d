// What the running saver shows: the coloured swarm over the sky, and the overlays in the glyph
// font when the settings ask for them. Screenshots of its own Xvfb, read back pixel by pixel.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/windows.h"
#include "support/xvfb.h"

namespace {

const std::string settingsWithOverlays =
    "[PARAM]\r\nResolution = 1024 x 768\r\nShape = 1\r\nObjectCount = 2\r\nshowFPS = 1\r\nshowTime = 1\r\n";

class SaverPicture : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }
    void SetUp() override {
        IsolateRuntimeFolder();
        folder = MakeTempFolder();
        RunCommand("xdotool mousemove 1023 767");
    }
    // Runs the saver and takes screenshots of it until one is good (or time runs out), then
    // ends it with a key. The swarm spreads with frames, not seconds, so a slow machine needs longer.
    template <typename Good>
    Picture RunAndShoot(bool withSky, const std::string& settings, Good good) {
        std::string program = InstallProgramCopy(folder);
        if (!withSky) std::remove((folder + "/Zelvaro_Sky.zip").c_str());
        if (!settings.empty()) WriteFileBytes(folder + "/Zelvaro.ini", settings);
        pid_t pid = StartProcess({program, "/s"});
        EXPECT_NE(WaitForSaverWindow(pid, 60), "");
        Picture shot;
        for (int attempt = 0; attempt < 60; ++attempt) {
            Pause(1.0);
            shot = Screenshot(folder + "/shot.png");
            if (good(shot)) break;
        }
        EXPECT_TRUE(ProcessRunning(pid));
        RunCommand("xdotool key space");
        EXPECT_EQ(WaitProcess(pid, 10), 0);
        return shot;
    }
    std::string folder;
};

bool IsBlack(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 0; }

// A lit face of a palette colour: strongly saturated, not dark.
bool IsObjectColour(const uint8_t* p) {
    int high = std::max({p[0], p[1], p[2]}), low = std::min({p[0], p[1], p[2]});
    return high >= 90 && high - low >= 80;
}

int HueSector(const uint8_t* p) { // 0 red, 1 yellow, 2 green, 3 cyan, 4 blue, 5 magenta
    float r = p[0], g = p[1], b = p[2];
    float high = std::max({r, g, b}), low = std::min({r, g, b}), span = high - low;
    float hue = high == r ? 60 * (g - b) / span : high == g ? 120 + 60 * (b - r) / span : 240 + 60 * (r - g) / span;
    if (hue < 0) hue += 360;
    return static_cast<int>((hue + 30) / 60) % 6;
}

int CountColour(const Picture& shot, int top, int bottom, uint8_t r, uint8_t g, uint8_t b) {
    int count = 0;
    for (int y = std::max(top, 0); y <= std::min(bottom, shot.height - 1); ++y)
        for (int x = 0; x < shot.width; ++x) {
            const uint8_t* p = shot.At(x, y);
            count += p[0] == r && p[1] == g && p[2] == b;
        }
    return count;
}

struct Census {
    int objectPixels = 0, blackPixels = 0, coloursSeen = 0;
};

Census Count(const Picture& shot) {
    Census c;
    std::array<int, 6> sectors{};
    for (int y = 0; y < shot.height; ++y)
        for (int x = 0; x < shot.width; ++x) {
            const uint8_t* p = shot.At(x, y);
            c.blackPixels += IsBlack(p);
            if (IsObjectColour(p)) ++c.objectPixels, ++sectors[HueSector(p)];
        }
    c.coloursSeen = static_cast<int>(std::count_if(sectors.begin(), sectors.end(), [](int n) { return n > 20; }));
    return c;
}

bool SpreadSwarm(const Picture& shot) { return Count(shot).coloursSeen >= 4; }

// The sky's picture decodes while the first frames run: wait for it as for the swarm.
bool SpreadSwarmOverTheSky(const Picture& shot) {
    return SpreadSwarm(shot) && Count(shot).blackPixels < shot.width * shot.height / 20;
}

TEST_F(SaverPicture, ObjectsInPaletteColoursOverTheSky) {
    Picture shot = RunAndShoot(true, "", SpreadSwarmOverTheSky);
    ASSERT_EQ(shot.width, 1024);
    ASSERT_EQ(shot.height, 768);
    Census sky = Count(shot);
    EXPECT_GT(sky.objectPixels, 500);
    EXPECT_GE(sky.coloursSeen, 4) << "the swarm should run through the palette's ramps";
    // The sky covers the background: hardly a pixel is left pure black.
    EXPECT_LT(sky.blackPixels, shot.width * shot.height / 20);

    // The same saver without its sky archive: a black background, and the swarm all the same.
    Census bare = Count(RunAndShoot(false, "", SpreadSwarm));
    EXPECT_GT(bare.blackPixels, shot.width * shot.height / 2);
    EXPECT_GT(bare.objectPixels, 500);
}

TEST_F(SaverPicture, OverlaysDrawTheirOutlineColourInTheirRows) {
    const uint8_t outline[3] = {147, 216, 176};
    auto overlaysShown = [&](const Picture& p) {
        return CountColour(p, 1, 32, outline[0], outline[1], outline[2]) > 100 &&
               CountColour(p, 768 - 33, 768 - 2, outline[0], outline[1], outline[2]) > 200;
    };
    Picture plain = RunAndShoot(true, "", [](const Picture&) { return true; });
    Picture shot = RunAndShoot(true, settingsWithOverlays, overlaysShown);
    ASSERT_EQ(shot.height, 768);
    int clockRows = CountColour(shot, 1, 32, outline[0], outline[1], outline[2]);
    int fpsRows = CountColour(shot, 768 - 33, 768 - 2, outline[0], outline[1], outline[2]);
    int elsewhere = CountColour(shot, 40, 768 - 40, outline[0], outline[1], outline[2]);
    EXPECT_GT(clockRows, 100) << "the clock at the top";
    EXPECT_GT(fpsRows, 200) << "the frame-rate line at the bottom";
    EXPECT_LT(elsewhere, 20);
    EXPECT_LT(CountColour(plain, 0, 767, outline[0], outline[1], outline[2]), 20) << "no overlays when they are off";
}

} // namespace
