// A hosted run, for screen-saver daemons (xscreensaver's protocol): the saver's whole picture,
// overlays included, drawn in the daemon's window at its size. The daemon decides when it ends:
// input is left to it, no single-instance lock is taken (it runs one copy per monitor), and
// failures go to stderr, since no one may be there to close a message box.
#include "app/hosted.h"

#include <cstdio>
#include <string>

#include "app/frame_loop.h"
#include "core/engine_table.h"
#include "core/motion_history.h"
#include "core/screen_size.h"
#include "core/settings_record.h"
#include "motion/overlay.h"
#include "platform/end_signals.h"
#include "platform/host_window.h"
#include "platform/os.h"
#include "platform/screen.h"
#include "scene/engine.h"
#include "settings/settings.h"

namespace {
constexpr int syncToRefresh = 2; // every flip waits for the vertical refresh
uint64_t hostedWindow = 0;
bool screenOpen = false;

[[noreturn]] void FailHosted(const std::string& text) {
    std::fprintf(stderr, "%s: %s\n", ProgramTitle, text.c_str());
    FreeMotionHistory();
    EndProgram();
}

void OpenScreenAt(int width, int height) {
    screenOpen = Engine->OpenWindowedScreen(hostedWindow, width, height, syncToRefresh) != 0;
    if (!screenOpen) FailHosted("can't draw in the window");
    ScreenWidth = width;
    ScreenHeight = height;
}

void FindHost(const DaemonRequest& request, int& width, int& height) {
    if (request.target == DaemonRequest::Target::BadWindowId)
        FailHosted("\"" + request.written + "\" is not a window id");
    const bool rootWindow = request.target == DaemonRequest::Target::RootWindow;
    switch (FindHostWindow(rootWindow, request.window, width, height)) {
    case HostCheck::NoDisplay: FailHosted("can't open the display");
    case HostCheck::NoWindow: FailHosted("no window " + request.written + " on the display");
    case HostCheck::Ready: break;
    }
}

} // namespace

void StartHosted(const DaemonRequest& request) {
    CatchEndSignals(); // first: an end request during start-up still ends with code 0
    int width = 0, height = 0;
    FindHost(request, width, height);

    std::string engineLibrary = std::string(ProgramBaseName) + LibrarySuffix;
    if (!InitEngine3D(0, engineLibrary.c_str())) FailHosted("Can't initialize 3D, check if engine3D.dll is available");
    if (!StartInput()) FailHosted("Can't find DirectX 9.0 or above");
    LoadSettings();
    if (!AllocateMotionHistory(ObjectTotalFor(Settings.ObjectCount))) FailHosted("Not enough memory for the motion history");
    hostedWindow = OpenHostedWindow(width, height);
    if (!hostedWindow) FailHosted("can't draw in the window");
    OpenScreenAt(width, height);
    PrepareFirstFrame();
    RunFrameLoop();
}

void DispatchHostedEvents() {
    DiscardInputEvents(); // the daemon owns the input
    if (EndSignalReceived() || QuitRequested()) {
        FreeMotionHistory();
        EndProgram();
    }
    int width = 0, height = 0;
    switch (NextHostEvent(width, height)) {
    case HostEvent::NoEvent: return;
    case HostEvent::HostGone:
        FreeMotionHistory();
        EndProgram();
    case HostEvent::Resized:
        // The world outlives its screen: a screen of the new size takes over, and the
        // overlays start again from the new width.
        Engine->CloseScreen();
        OpenScreenAt(width, height);
        StartOverlays();
        return;
    }
}

void CloseHostedDisplay() {
    if (screenOpen) Engine->CloseScreen();
    screenOpen = false;
    CloseHostedWindow();
}
