// Frame pacing's decision after each flip, on a clock of its own: where the display has a
// refresh rate and the flip came back early the loop waits out the refresh; otherwise never.
#include <gtest/gtest.h>

#include <chrono>

#include "platform/frame_pacing.h"

namespace {

using std::chrono::microseconds;
using Us = microseconds;

const PaceClock::time_point start = PaceClock::time_point{} + std::chrono::seconds(100);
constexpr Us atSixtyHertz{16667};

struct PaceCase {
    const char* name;
    Us refresh;     // zero: the display reports no rate
    bool firstFrame;
    Us flipAfter;   // since the last frame's end
    Us wait;        // expected
    Us endAfter;    // where this frame then ends, since the last frame's end
};

const PaceCase paceCases[] = {
    {"no rate reported: never paced", Us(0), false, Us(2000), Us(0), Us(2000)},
    {"the first frame has nothing to wait for", atSixtyHertz, true, Us(2000), Us(0), Us(2000)},
    {"an early flip waits out the refresh", atSixtyHertz, false, Us(2000), Us(14667), atSixtyHertz},
    {"a flip at once waits the whole refresh", atSixtyHertz, false, Us(0), atSixtyHertz, atSixtyHertz},
    {"a flip with the display does not wait", atSixtyHertz, false, atSixtyHertz, Us(0), atSixtyHertz},
    {"a flip a hair early is the display's own beat", atSixtyHertz, false, Us(16400), Us(0), Us(16400)},
    {"a slow frame does not wait", atSixtyHertz, false, Us(40000), Us(0), Us(40000)},
    {"at 75 Hz", Us(13333), false, Us(3333), Us(10000), Us(13333)},
};

TEST(FramePacing, WaitsOutTheRefreshOnlyWhenTheFlipCameBackEarly) {
    for (const PaceCase& c : paceCases) {
        SCOPED_TRACE(c.name);
        FramePace pace;
        pace.refresh = c.refresh;
        pace.lastEnd = c.firstFrame ? PaceClock::time_point{} : start;
        const PaceClock::time_point lastEnd = c.firstFrame ? start : pace.lastEnd;
        const PaceClock::time_point flip = lastEnd + c.flipAfter;
        EXPECT_EQ(std::chrono::duration_cast<Us>(PaceWait(pace, flip)), c.wait);
        EXPECT_EQ(std::chrono::duration_cast<Us>(pace.lastEnd - lastEnd), c.endAfter);
    }
}

// Frames that keep coming back at once are held to one refresh each, with no drift.
TEST(FramePacing, ARunOfEarlyFlipsKeepsTheDisplaysBeat) {
    FramePace pace;
    pace.refresh = atSixtyHertz;
    PaceClock::time_point now = start;
    EXPECT_EQ(PaceWait(pace, now), PaceClock::duration(0));
    constexpr int frames = 600;
    for (int frame = 0; frame < frames; ++frame) {
        now += Us(1500); // the frame's own work
        now += PaceWait(pace, now);
    }
    EXPECT_EQ(std::chrono::duration_cast<Us>(now - start), atSixtyHertz * frames);
}

} // namespace
