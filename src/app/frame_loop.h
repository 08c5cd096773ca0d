// The frame loop: dance, camera, render, overlays, flip, exit test; and the end of the run.
#pragma once

// 1 when the saver must stop: mouse motion, a key, the left or right button, or lost focus.
int ExitRequested();
[[noreturn]] void RunFrameLoop();
