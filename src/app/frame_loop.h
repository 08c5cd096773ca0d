// The frame loop: dance, camera, render, overlays, flip, exit test; and the end of the run.
#pragma once

// 1 when the saver must stop: mouse motion, a key, the left or right button, or lost focus.
int ExitRequested();
// What the first frame needs once the display is open: the glyphs (saver only), the scene, and
// the camera, dance and overlay state.
void PrepareFirstFrame();
[[noreturn]] void RunFrameLoop();

// Replaces the loop's exit test (nullptr restores ExitRequested), so that a test can end the
// loop after the frames it watches.
using ExitTest = int (*)();
void SetExitTestForTests(ExitTest test);
