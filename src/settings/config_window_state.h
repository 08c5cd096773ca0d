// What the configuration window's files share while it runs: the toolkit's objects, the
// gadgets by number, the event queue, and the text conversion between the language table's
// Windows-1252 and the toolkit.
#pragma once
#include <wx/wx.h>
#include <wx/evtloop.h>

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "settings/config_window.h"

constexpr int narrowClientWidth = 460;
constexpr int wideClientWidth = 1000;
constexpr int clientHeight = 380;
constexpr int objectCountLevels = 5;

struct ConfigurationState {
    bool toolkitStarted = false;
    wxEventLoop* eventLoop = nullptr;
    wxFont* regularFont = nullptr;
    wxFont* linkFont = nullptr;
    wxBitmap banner;
    wxFrame* window = nullptr;
    wxPanel* client = nullptr;
    std::map<int, wxWindow*> gadgets;
    std::string objectCountCaptions[objectCountLevels];
    std::string licenseText;
    bool licensePanelOpen = false;
    std::vector<ResolutionEntry> ResolutionList;
    bool endFlag = false;
    std::deque<ConfigurationEvent> events;
};
extern ConfigurationState ConfigWindow;

wxString ToToolkit(const std::string& text);
std::string FromToolkit(const wxString& text);

// ---- gadgets ----
// Creates every gadget of the table on the window's client panel, with its text and font.
void CreateGadgets(const wxImage& banner);
// The banner picture from its embedded BMP; an undecodable one gives an empty image.
wxImage DecodeBanner();
// Builds ResolutionList from the modes and lists its entries in ResolutionBox.
void FillResolutionBox(const std::vector<DisplayMode>& modes);
// Sets every gadget from Settings.
void ShowSettingsInGadgets();
void SetGadgetText(int gadget, const std::string& text);
// The caption of an object-count level; empty outside the levels.
std::string ObjectCountCaptionFor(int32_t level);

// ---- license panel ----
// Widens the window and shows the license, or narrows it again.
void ToggleLicensePanel();
