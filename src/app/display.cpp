// Saver and preview start-up: engine, input, single instance, settings, the motion history
// and the display, full screen or inside the preview host's window.
#include "app/display.h"

#include "app/frame_loop.h"
#include "app/run_modes.h"
#include "core/engine_table.h"
#include "core/run_mode.h"
#include "core/settings_record.h"
#include "platform/cover_windows.h"
#include "platform/desktop_mode.h"
#include "platform/os.h"
#include "platform/preview_window.h"
#include "platform/screen.h"
#include "scene/engine.h"
#include "settings/settings.h"

namespace {
constexpr int fullScreenDepth = 32;
constexpr int syncToRefresh = 2; // every flip waits for the vertical refresh
constexpr unsigned closeMessage = 16; // the close request to the preview window
bool displayOpen = false;

[[noreturn]] void FailStart(const char* text) {
    ShowMessageBox("Error", text);
    EndProgram();
}

// The saver on the primary monitor, every other monitor black.
bool OpenFullScreen() {
    int32_t width = 0, height = 0;
    ParseResolution(Settings.Resolution, width, height);
    GuardDesktopMode(); // before the display may switch modes
    // A size the display cannot show (or no height) opens the desktop's own mode instead.
    if (!Engine->OpenScreen(width, height, fullScreenDepth, "", syncToRefresh)) return false;
    ScreenWidth = Engine->ScreenWidth();
    ScreenHeight = Engine->ScreenHeight();
    CoverOtherMonitors();
    return true;
}

// The preview lives in the host's client area; without a host there is nothing to show.
void OpenPreview() {
    uint64_t host = static_cast<uint32_t>(ReadIntegerText(HostHandleText));
    int width = 0, height = 0;
    if (!HostClientSize(host, width, height)) EndProgram();
    uint64_t window = OpenPreviewWindow(host, width, height);
    if (!window || !Engine->OpenWindowedScreen(window, width, height, syncToRefresh)) EndProgram();
    ScreenWidth = width;
    ScreenHeight = height;
}

} // namespace

void StartSaverOrPreview() {
    std::string engineLibrary = std::string(ProgramBaseName) + LibrarySuffix;
    if (!InitEngine3D(0, engineLibrary.c_str())) FailStart("Can't initialize 3D, check if engine3D.dll is available");
    if (!StartInput()) FailStart("Can't find DirectX 9.0 or above");
    if (!AcquireSingleInstance(ProgramTitle)) EndProgram(); // a second copy ends silently
    if (RunMode == RunModeKind::Saver) SetScreenSaverRunning(true);
    LoadSettings();
    if (!AllocateMotionHistory(ObjectTotalFor(Settings.ObjectCount))) FailStart("Not enough memory for the motion history");

    if (RunMode == RunModeKind::Saver) {
        if (!OpenFullScreen()) FailStart("Can't find DirectX 9.0 or above");
    } else {
        OpenPreview();
    }
    displayOpen = true;
    PrimeInput(RunMode == RunModeKind::Saver); // the preview leaves keyboard and mouse to its host
    PrepareFirstFrame();
    RunFrameLoop();
}

intptr_t PreviewWindowCallback(uint64_t, unsigned message, uintptr_t, intptr_t) {
    if (message == closeMessage) {
        FreeMotionHistory();
        EndProgram();
    }
    return 0; // the default treatment of every other message
}

void DispatchPreviewEvents() {
    DiscardInputEvents();
    if (QuitRequested()) {
        FreeMotionHistory();
        EndProgram();
    }
    for (;;) {
        switch (NextPreviewMessage()) {
        case PreviewMessage::NoMessage: return;
        case PreviewMessage::Close: PreviewWindowCallback(0, closeMessage, 0, 0); break;
        case PreviewMessage::HostGone: // the host went away without asking: end all the same
            FreeMotionHistory();
            EndProgram();
        }
    }
}

void CloseDisplay() {
    UncoverMonitors();
    if (displayOpen) Engine->CloseScreen(); // gives the desktop its own mode back
    displayOpen = false;
    ClosePreviewWindow();
}
