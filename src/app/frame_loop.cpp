// The one main loop. Motion counts frames, not time: the loop runs at the pace of the flips, or
// of the display's refresh where the flips do not wait for it.
#include "app/frame_loop.h"

#include "app/display.h"
#include "app/hosted.h"
#include "app/run_modes.h"
#include "motion/camera.h"
#include "motion/dance.h"
#include "motion/overlay.h"
#include "platform/frame_pacing.h"
#include "platform/os.h"
#include "platform/screen.h"
#include "scene/engine.h"
#include "scene/scene.h"

namespace {
ExitTest exitTest = ExitRequested;
}

int ExitRequested() {
    if (RunMode == RunModeKind::Preview) return 0; // only the close request ends the preview
    if (RunMode == RunModeKind::Hosted) return 0;  // the daemon that hosts it ends it
    bool keyDown = AnyKeyDown();
    if (QuitRequested()) return 1;
    int dx = 0, dy = 0;
    bool left = false, right = false;
    ReadMouse(dx, dy, left, right);
    if (dx != 0 || dy != 0 || keyDown || left || right) return 1;
    return ScreenLostFocus() ? 1 : 0;
}

void PrepareFirstFrame() {
    if (RunMode != RunModeKind::Preview) LoadGlyphs(); // the preview draws no overlays
    BuildScene();
    StartCamera(); // reads where the scene put camera 0
    StartDance();
    StartOverlays();
}

void SetExitTestForTests(ExitTest test) { exitTest = test ? test : ExitRequested; }

void RunFrameLoop() {
    do {
        if (RunMode == RunModeKind::Preview) DispatchPreviewEvents();
        if (RunMode == RunModeKind::Hosted) DispatchHostedEvents();
        StepDance();
        StepCamera();
        Engine->RenderWorld();
        if (RunMode != RunModeKind::Preview) DrawOverlays();
        FlipDisplay();
        PaceFrame();
    } while (!exitTest());

    FreeMotionHistory();
    if (RunMode == RunModeKind::Saver) SetScreenSaverRunning(false);
    ReleaseSingleInstance();
    EndProgram();
}
