// Frame pacing after each flip, against the refresh rate that the display reports through SDL.
#include "platform/frame_pacing.h"

#include <SDL.h>

#include <thread>

#include "core/engine_table.h"

namespace {

constexpr int unknownRate = 0;
// A flip this close to a whole refresh came back with the display, not early: no wait, and the
// frames follow the display's own beat rather than the reported rate, which is rounded.
constexpr int refreshSlackShare = 32; // 0.5 ms at 60 Hz

bool asked = false;
FramePace pace;

PaceClock::duration RefreshOfTheScreen() {
    auto* window = static_cast<SDL_Window*>(Engine ? Engine->ScreenWindow() : nullptr);
    SDL_DisplayMode mode;
    if (!window || SDL_GetCurrentDisplayMode(SDL_GetWindowDisplayIndex(window), &mode) != 0 ||
        mode.refresh_rate <= unknownRate)
        return PaceClock::duration(0);
    return std::chrono::duration_cast<PaceClock::duration>(std::chrono::duration<double>(1.0 / mode.refresh_rate));
}

} // namespace

PaceClock::duration PaceWait(FramePace& p, PaceClock::time_point now) {
    const PaceClock::time_point last = p.lastEnd;
    p.lastEnd = now;
    if (p.refresh <= PaceClock::duration(0) || last == PaceClock::time_point{}) return PaceClock::duration(0);
    const PaceClock::time_point due = last + p.refresh;
    if (now + p.refresh / refreshSlackShare >= due) return PaceClock::duration(0);
    p.lastEnd = due;
    return due - now;
}

void PaceFrame() {
    if (!asked) {
        pace.refresh = RefreshOfTheScreen();
        asked = true;
    }
    const PaceClock::duration wait = PaceWait(pace, PaceClock::now());
    if (wait > PaceClock::duration(0)) std::this_thread::sleep_for(wait);
}
