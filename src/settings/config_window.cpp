// The configuration window on wxWidgets: the toolkit, the window, and the event loop that turns
// gadget activity into Settings and the file. The toolkit's handlers only queue {code, gadget};
// the loop waits for the queue, as the program's one thread waits for the next window event.
#include "settings/config_window.h"

#include <stdlib.h>
#include <wx/fontenum.h>
#include <wx/hyperlink.h>
#include <wx/log.h>

#include "core/end_program.h"
#include "core/run_mode.h"
#include "core/settings_record.h"
#include "platform/os.h"
#include "settings/config_window_state.h"
#include "settings/language.h"
#include "settings/settings.h"

namespace {

#include "data/icon.xpm"

const char* const windowTitleEnd = " - Configuration";
const wxPoint windowPlace(217, 169);
constexpr int fontPoints = 9;

// The web address each link opens, by row of the language table.
const std::map<int, int> linkAddressRows = {{SiteLink, 18}, {ToolLink, 25}, {DonationLink, 21}};

WebAddressOpener webAddressOpener = nullptr;

// ---- toolkit start, fonts and services ----

bool StartToolkit() {
    if (ConfigWindow.toolkitStarted) return true;
    static int argc = 1;
    static char programName[] = "Zelvaro";
    static char* argv[] = {programName, nullptr};
#ifdef __WXGTK__
    // GTK's overlay scroll bars show only under the pointer; the license panel keeps both
    // of its bars in view, as scroll bars are everywhere else.
    setenv("GTK_OVERLAY_SCROLLING", "0", 0);
#endif
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) return false; // no display to open a window on
    wxTheApp->SetExitOnFrameDelete(false);
    ConfigWindow.eventLoop = new wxEventLoop();
    wxEventLoopBase::SetActive(ConfigWindow.eventLoop);
    ConfigWindow.toolkitStarted = true;
    return true;
}

// Arial where it exists; Liberation Sans has the same metrics and stands in elsewhere.
wxString DialogFontFace() {
    return wxFontEnumerator::IsValidFacename("Arial") ? wxString("Arial") : wxString("Liberation Sans");
}

void CreateFonts() {
    if (ConfigWindow.regularFont) return;
    wxString face = DialogFontFace();
    ConfigWindow.regularFont = new wxFont(fontPoints, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face);
    ConfigWindow.linkFont = new wxFont(fontPoints, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, true, face);
}

void ShowToolkitMessageBox(const std::string& title, const std::string& text) {
    wxMessageBox(ToToolkit(text), ToToolkit(title), wxOK | wxICON_ERROR, ConfigWindow.window);
}

// Opens with the system's default handler, without waiting and without reporting failure.
void OpenWebAddress(const std::string& address) {
    if (webAddressOpener) {
        webAddressOpener(address);
        return;
    }
    wxLogNull quiet;
    wxLaunchDefaultBrowser(ToToolkit(address), wxBROWSER_NOBUSYCURSOR);
}

// ---- events from the toolkit into the queue ----

void QueueEvent(int code, int gadget) { ConfigWindow.events.push_back({code, gadget}); }

void OnGadgetActivity(wxCommandEvent& event) { QueueEvent(GadgetEvent, event.GetId()); }

// The close box only asks; the loop decides, and the window stays until the program ends.
void OnCloseRequest(wxCloseEvent&) { QueueEvent(CloseEvent, 0); }

void OpenWindow() {
    ConfigWindow.window = new wxFrame(nullptr, wxID_ANY, wxString(ProgramTitle) + windowTitleEnd, windowPlace,
                               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    ConfigWindow.window->SetIcon(wxIcon(zelvaro_icon_xpm));
    ConfigWindow.window->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    ConfigWindow.window->SetClientSize(narrowClientWidth, clientHeight);
    ConfigWindow.window->Bind(wxEVT_CLOSE_WINDOW, OnCloseRequest);
    // One panel fills the client area: it carries the gadgets and moves the focus on Tab.
    ConfigWindow.client = new wxPanel(ConfigWindow.window, wxID_ANY, wxPoint(0, 0), wxSize(wideClientWidth, clientHeight));
    ConfigWindow.client->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    for (auto type : {wxEVT_BUTTON, wxEVT_CHOICE, wxEVT_CHECKBOX, wxEVT_SLIDER})
        ConfigWindow.client->Bind(type, OnGadgetActivity);
    ConfigWindow.client->Bind(wxEVT_HYPERLINK, OnGadgetActivity); // handled here, so the link opens nothing itself
    ConfigWindow.window->Show();
}

void ResetWindowState() {
    ConfigWindow.gadgets.clear();
    ConfigWindow.licensePanelOpen = false;
    ConfigWindow.ResolutionList.clear();
    ConfigWindow.endFlag = false;
    ConfigWindow.events.clear();
}

} // namespace

// ---- the window's steps ----

bool OpenConfigurationWindow() {
    ResetWindowState();
    LoadSettings();
    for (int level = 0; level < objectCountLevels; ++level) ConfigWindow.objectCountCaptions[level] = UiText(level);
    if (!StartToolkit()) return false;
    CreateFonts();
    wxImage banner = DecodeBanner();
    OpenWindow();
    CreateGadgets(banner);
    std::vector<DisplayMode> modes;
    if (!ReadDisplayModes(modes)) {
        ShowMessageBox("Error", "Can't find DirectX 7.0 or above");
        return false;
    }
    FillResolutionBox(modes);
    ShowSettingsInGadgets();
    return true;
}

ConfigurationEvent WaitConfigurationEvent() {
    while (ConfigWindow.events.empty()) ConfigWindow.eventLoop->Dispatch();
    ConfigurationEvent event = ConfigWindow.events.front();
    ConfigWindow.events.pop_front();
    return event;
}

bool HandleConfigurationEvent(const ConfigurationEvent& event) {
    if (event.code == CloseEvent) {
        ConfigWindow.endFlag = true; // nothing is saved
        return ConfigWindow.endFlag;
    }
    if (event.code != GadgetEvent) return ConfigWindow.endFlag;
    switch (event.gadget) {
    case OkButton:
        SaveSettings(); // a failed save shows its message and the window ends all the same
        ConfigWindow.endFlag = true;
        break;
    case CancelButton:
        LoadSettings(); // throws away what was changed in the window
        ConfigWindow.endFlag = true;
        break;
    case ResolutionBox: Settings.Resolution = GadgetText(ResolutionBox); break;
    case ShapeBox: Settings.Shape = static_cast<int8_t>(GadgetState(ShapeBox)); break;
    case ShowFpsCheck: Settings.showFPS = GadgetState(ShowFpsCheck) ? 1 : 0; break;
    case ShowTimeCheck: Settings.showTime = GadgetState(ShowTimeCheck) ? 1 : 0; break;
    case ObjectCountSlider:
        Settings.ObjectCount = GadgetState(ObjectCountSlider);
        SetGadgetText(ObjectCountCaption, ObjectCountCaptionFor(Settings.ObjectCount));
        break;
    case LicenseButton: ToggleLicensePanel(); break;
    case SiteLink:
    case ToolLink:
    case DonationLink: OpenWebAddress(UiText(linkAddressRows.at(event.gadget))); break;
    default: break;
    }
    return ConfigWindow.endFlag;
}

void RunConfigurationEventLoop() {
    while (!HandleConfigurationEvent(WaitConfigurationEvent())) {
    }
}

void RunConfigurationWindow() {
    SetMessageBoxHandler(ShowToolkitMessageBox);
    if (OpenConfigurationWindow()) RunConfigurationEventLoop();
    EndProgram();
}

void CloseConfigurationWindow() {
    if (ConfigWindow.window) {
        ConfigWindow.window->Unbind(wxEVT_CLOSE_WINDOW, OnCloseRequest);
        delete ConfigWindow.window;
    }
    ConfigWindow.window = nullptr;
    ConfigWindow.client = nullptr;
    ConfigWindow.banner = wxBitmap();
    ResetWindowState();
}

void ReleaseConfigurationWindow() {
    CloseConfigurationWindow();
    delete ConfigWindow.regularFont;
    delete ConfigWindow.linkFont;
    ConfigWindow.regularFont = ConfigWindow.linkFont = nullptr;
    if (!ConfigWindow.toolkitStarted) return;
    wxEventLoopBase::SetActive(nullptr);
    delete ConfigWindow.eventLoop;
    ConfigWindow.eventLoop = nullptr;
    wxEntryCleanup();
    ConfigWindow.toolkitStarted = false;
}

void DispatchPendingToolkitEvents() {
    if (!ConfigWindow.eventLoop) return;
    while (ConfigWindow.eventLoop->Pending()) ConfigWindow.eventLoop->Dispatch();
    wxTheApp->ProcessIdle();
}

wxFrame* ConfigurationWindow() { return ConfigWindow.window; }

void SetWebAddressOpenerForTests(WebAddressOpener opener) { webAddressOpener = opener; }
