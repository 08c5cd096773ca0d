// The configuration window: resolution, shape, object count, overlays, license and links.
// RunConfigurationWindow is the whole of it; the steps below are apart so that tests can open
// the window, poke its gadgets and feed it events in-process without the process ending.
#pragma once
#include <string>
#include <vector>

#include "settings/resolution_list.h"

class wxFrame;
class wxWindow;

// Opens the window, runs it until OK, Cancel or the close box, then ends the program.
[[noreturn]] void RunConfigurationWindow();
// Frees the window's fonts, gadgets and toolkit (called by EndProgram; nothing if never opened).
void ReleaseConfigurationWindow();

// ---- gadgets and events ----

enum Gadget {
    OkButton = 1,
    CancelButton = 2,
    ResolutionBox = 3,
    ResolutionLabel = 4,
    ShapeBox = 5,
    ShapeLabel = 6,
    ShowFpsCheck = 7,
    ShowTimeCheck = 8,
    ObjectCountSlider = 9,
    ObjectCountLabel = 10,
    BannerImage = 11,
    ObjectCountCaption = 12,
    SiteLink = 13,
    ToolLink = 14,
    LicenseButton = 16,
    LicensePanel = 17,
    DonationLink = 18,
};

constexpr int GadgetEvent = 13100; // a gadget reported activity
constexpr int CloseEvent = 13116;  // the user asked to close the window

struct ConfigurationEvent {
    int code = 0;
    int gadget = 0;
};

// ---- the window's steps ----

// Loads the settings, opens the window with its gadgets and sets them from Settings. False when
// the window cannot open, or when the display modes cannot be read (after its message box).
bool OpenConfigurationWindow();
// Blocks until the window has an event for the loop.
ConfigurationEvent WaitConfigurationEvent();
// Acts on one event as the loop does; true once OK, Cancel or the close box ended the window.
bool HandleConfigurationEvent(const ConfigurationEvent& event);
// Waits for and handles events until the window ends.
void RunConfigurationEventLoop();
// Destroys the window and its gadgets; the toolkit stays up for the next opening.
void CloseConfigurationWindow();
// Dispatches whatever the toolkit has queued, without waiting.
void DispatchPendingToolkitEvents();

// ---- reading and poking gadgets (texts are Windows-1252, as the language table holds them) ----

wxFrame* ConfigurationWindow();
wxWindow* GadgetWindow(int gadget);
// Selected index of a drop-down list, slider position, 1/0 for a ticked/clear check box.
int GadgetState(int gadget);
void SetGadgetState(int gadget, int state);
// A drop-down list's selected item, or the gadget's own text.
std::string GadgetText(int gadget);
std::string GadgetItemText(int gadget, int item);
int CountGadgetItems(int gadget);
bool GadgetVisible(int gadget);
std::string GadgetToolTip(int gadget);

// ---- stand-ins for tests ----

using WebAddressOpener = void (*)(const std::string& address);
// Replaces the browser launch (nullptr restores it).
void SetWebAddressOpenerForTests(WebAddressOpener opener);
