// Frame pacing: where the display reports its refresh rate and the flip comes back sooner
// than one refresh (a driver that ignores the vertical sync), the loop waits out the rest of
// it, so that one frame of motion takes one refresh. A display without a rate is not paced.
#pragma once
#include <chrono>

using PaceClock = std::chrono::steady_clock;

struct FramePace {
    PaceClock::duration refresh{0};  // one refresh of the display; zero: not paced
    PaceClock::time_point lastEnd{}; // when the last frame ended; none before the first
};

// How long to wait after a flip that came back at now; the frame then ends at pace.lastEnd.
PaceClock::duration PaceWait(FramePace& pace, PaceClock::time_point now);
// After each flip: asks the display for its rate once, then waits as PaceWait says.
void PaceFrame();
