// The configuration window on wxWidgets: its gadgets by number, the resolution list from the
// display's modes, and the event loop that turns gadget activity into Settings and the file.
// The toolkit's handlers only queue {code, gadget}; the loop waits for the queue, as the
// program's one thread waits for the next window event.
#include "settings/config_window.h"

#include <stdlib.h>
#include <wx/wx.h>
#include <wx/display.h>
#include <wx/evtloop.h>
#include <wx/fontenum.h>
#include <wx/hyperlink.h>
#include <wx/generic/hyperlink.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <algorithm>
#include <deque>
#include <map>

#include "app/run_modes.h"
#include "data/embedded.h"
#include "platform/os.h"
#include "settings/language.h"
#include "settings/settings.h"

namespace {

#include "data/icon.xpm"

// ---- the window's look ----

const char* const windowTitleEnd = " - Configuration";
const wxPoint windowPlace(217, 169);
constexpr int narrowClientWidth = 460;
constexpr int wideClientWidth = 1000;
constexpr int clientHeight = 380;
constexpr int fontPoints = 9;
const wxColour linkColour(0, 0, 204);
const wxColour linkHoverColour(0, 127, 255);
constexpr int bannerBorder = 2;   // the sunken frame around the picture
constexpr int objectCountLevels = 5;
const char* const shapeNames[] = {"Tetrahedron", "Cube", "Octahedron", "Dodecahedron", "Icosahedron"};
constexpr int shapeCount = 5;

// ---- resolution list rules ----

// A mode is offered when it is at least 600 pixels both ways: the width rule alone would offer
// 640 x 480, which is too small for the saver and was never meant to be listed.
constexpr int smallestSide = 600;
constexpr int offeredDepth = 32;
constexpr int padBelow = 1000; // sizes below this take one leading "0" in the sort key

// ---- the gadget table ----

enum class GadgetKind { Picture, DropDown, Label, CheckBox, TrackBar, TextPanel, Button, Link };
enum class FontKind { System, Regular, Link };
constexpr int noRow = -1;

struct GadgetPlan {
    int number;
    GadgetKind kind;
    wxRect place;
    int textRow;    // row of the language table, or noRow
    int tipRow;
    FontKind font;
    long style;     // alignment and the like
    bool hidden;
};

// In the order of creation, which is also the order of keyboard focus. All three links take the
// underlined link font, so SiteLink and ToolLink, which draw their own underline, and
// DonationLink, which does not, all show one line under the text.
const GadgetPlan gadgetPlans[] = {
    {BannerImage, GadgetKind::Picture, {20, 10, 420, 130}, noRow, noRow, FontKind::System, 0, false},
    {ResolutionBox, GadgetKind::DropDown, {110, 155, 190, 24}, noRow, noRow, FontKind::Regular, 0, false},
    {ResolutionLabel, GadgetKind::Label, {30, 155, 80, 20}, 7, noRow, FontKind::Regular, wxALIGN_LEFT, false},
    {ShowFpsCheck, GadgetKind::CheckBox, {110, 180, 320, 20}, 8, noRow, FontKind::Regular, 0, false},
    {ShowTimeCheck, GadgetKind::CheckBox, {110, 200, 320, 20}, 9, noRow, FontKind::Regular, 0, false},
    {ShapeBox, GadgetKind::DropDown, {110, 225, 190, 24}, noRow, noRow, FontKind::Regular, 0, false},
    {ShapeLabel, GadgetKind::Label, {50, 225, 50, 20}, 22, noRow, FontKind::Regular, wxALIGN_LEFT, false},
    {ObjectCountSlider, GadgetKind::TrackBar, {90, 255, 230, 20}, noRow, 10, FontKind::System, 0, false},
    {ObjectCountLabel, GadgetKind::Label, {15, 256, 80, 18}, 11, noRow, FontKind::Regular, wxALIGN_RIGHT, false},
    {ObjectCountCaption, GadgetKind::Label, {70, 275, 265, 20}, noRow, noRow, FontKind::Regular, wxALIGN_CENTRE_HORIZONTAL, false},
    {LicensePanel, GadgetKind::TextPanel, {460, 10, 530, 340}, noRow, noRow, FontKind::Regular, 0, true},
    {LicenseButton, GadgetKind::Button, {335, 230, 120, 25}, 15, noRow, FontKind::System, 0, false},
    {SiteLink, GadgetKind::Link, {100, 300, 280, 20}, 12, 13, FontKind::Link, 0, false},
    {ToolLink, GadgetKind::Link, {80, 320, 320, 20}, 23, 24, FontKind::Link, 0, false},
    {DonationLink, GadgetKind::Link, {655, 350, 200, 20}, 19, 20, FontKind::Link, 0, true},
    {OkButton, GadgetKind::Button, {130, 345, 100, 30}, 5, noRow, FontKind::System, 0, false},
    {CancelButton, GadgetKind::Button, {240, 345, 100, 30}, 6, noRow, FontKind::System, 0, false},
};

// The web address each link opens, by row of the language table.
const std::map<int, int> linkAddressRows = {{SiteLink, 18}, {ToolLink, 25}, {DonationLink, 21}};

// ---- process-wide state of the window ----

struct WindowState {
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
WindowState state;

const std::vector<DisplayMode>* displayModesForTests = nullptr;
WebAddressOpener webAddressOpener = nullptr;

// ---- text between the language table's Windows-1252 and the toolkit ----

const wxCSConv& WindowsText() {
    static const wxCSConv conv(wxFONTENCODING_CP1252);
    return conv;
}

wxString ToToolkit(const std::string& text) { return wxString(text.data(), WindowsText(), text.size()); }

std::string FromToolkit(const wxString& text) {
    wxCharBuffer bytes = text.mb_str(WindowsText());
    return bytes.data() ? std::string(bytes.data(), bytes.length()) : std::string();
}

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

// ---- toolkit start, fonts and services ----

bool StartToolkit() {
    if (state.toolkitStarted) return true;
    static int argc = 1;
    static char programName[] = "Zelvaro";
    static char* argv[] = {programName, nullptr};
    // GTK's overlay scroll bars show only under the pointer; the license panel keeps both
    // of its bars in view, as scroll bars are everywhere else.
    setenv("GTK_OVERLAY_SCROLLING", "0", 0);
    wxApp::SetInstance(new wxApp());
    if (!wxEntryStart(argc, argv)) return false; // no display to open a window on
    wxTheApp->SetExitOnFrameDelete(false);
    state.eventLoop = new wxEventLoop();
    wxEventLoopBase::SetActive(state.eventLoop);
    state.toolkitStarted = true;
    return true;
}

// Arial where it exists; Liberation Sans has the same metrics and stands in elsewhere.
wxString DialogFontFace() {
    return wxFontEnumerator::IsValidFacename("Arial") ? wxString("Arial") : wxString("Liberation Sans");
}

void CreateFonts() {
    if (state.regularFont) return;
    wxString face = DialogFontFace();
    state.regularFont = new wxFont(fontPoints, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face);
    state.linkFont = new wxFont(fontPoints, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, true, face);
}

void ShowToolkitMessageBox(const std::string& title, const std::string& text) {
    wxMessageBox(ToToolkit(text), ToToolkit(title), wxOK | wxICON_ERROR, state.window);
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

// ---- the display's modes ----

// False when the modes cannot be read: no display at all, or a display that reports none.
bool ReadDisplayModes(std::vector<DisplayMode>& modes) {
    if (displayModesForTests) {
        modes = *displayModesForTests;
    } else {
        if (wxDisplay::GetCount() == 0) return false;
        wxArrayVideoModes found = wxDisplay(0u).GetModes();
        for (size_t i = 0; i < found.size(); ++i)
            modes.push_back({found[i].GetWidth(), found[i].GetHeight(), found[i].GetDepth(), found[i].GetRefresh()});
    }
    return !modes.empty();
}

std::string SortKeyPart(int32_t size) { return (size < padBelow ? "0" : "") + std::to_string(size); }

// ---- events from the toolkit into the queue ----

void QueueEvent(int code, int gadget) { state.events.push_back({code, gadget}); }

void OnGadgetActivity(wxCommandEvent& event) { QueueEvent(GadgetEvent, event.GetId()); }

// The close box only asks; the loop decides, and the window stays until the program ends.
void OnCloseRequest(wxCloseEvent&) { QueueEvent(CloseEvent, 0); }

// ---- gadget creation ----

wxImage DecodeBanner() {
    wxLogNull quiet; // an undecodable picture leaves the gadget empty, silently
    wxMemoryInputStream stream(BannerFile[0].bytes, BannerFile[0].size);
    wxImage picture;
    picture.LoadFile(stream, wxBITMAP_TYPE_BMP);
    return picture;
}

// The picture inside a sunken frame of two lines each side, shadowed above and left.
void PaintBanner(wxPaintEvent& event) {
    auto* picture = static_cast<wxWindow*>(event.GetEventObject());
    wxPaintDC dc(picture);
    wxSize size = picture->GetClientSize();
    auto frame = [&](int inset, wxSystemColour topLeft, wxSystemColour bottomRight) {
        int right = size.x - 1 - inset, bottom = size.y - 1 - inset;
        dc.SetPen(wxPen(wxSystemSettings::GetColour(topLeft)));
        dc.DrawLine(inset, bottom, inset, inset);
        dc.DrawLine(inset, inset, right, inset);
        dc.SetPen(wxPen(wxSystemSettings::GetColour(bottomRight)));
        dc.DrawLine(right, inset, right, bottom);
        dc.DrawLine(right, bottom, inset - 1, bottom);
    };
    frame(0, wxSYS_COLOUR_3DSHADOW, wxSYS_COLOUR_3DHIGHLIGHT);
    frame(1, wxSYS_COLOUR_3DDKSHADOW, wxSYS_COLOUR_3DLIGHT);
    if (state.banner.IsOk()) dc.DrawBitmap(state.banner, bannerBorder, bannerBorder);
}

std::string PlanText(const GadgetPlan& plan) { return plan.textRow == noRow ? std::string() : UiText(plan.textRow); }

wxWindow* CreateLink(const GadgetPlan& plan) {
    // The link is made with a stand-in label: the toolkit refuses a link with no text at all,
    // which an empty language block would give.
    auto* link = new wxGenericHyperlinkCtrl(state.client, plan.number, " ", " ", plan.place.GetPosition(),
                                            plan.place.GetSize(), wxHL_ALIGN_LEFT | wxBORDER_NONE);
    link->SetLabel(ToToolkit(PlanText(plan)));
    link->SetNormalColour(linkColour);
    link->SetVisitedColour(linkColour);
    link->SetHoverColour(linkHoverColour);
    return link;
}

wxWindow* CreateGadget(const GadgetPlan& plan, const wxImage& banner) {
    wxWindow* parent = state.client;
    wxPoint at = plan.place.GetPosition();
    wxSize size = plan.place.GetSize();
    wxString text = ToToolkit(PlanText(plan));
    switch (plan.kind) {
    case GadgetKind::Picture: {
        // The gadget takes the picture's size plus its border on each side.
        state.banner = banner.IsOk() ? wxBitmap(banner) : wxBitmap();
        if (banner.IsOk()) size = wxSize(banner.GetWidth() + 2 * bannerBorder, banner.GetHeight() + 2 * bannerBorder);
        auto* picture = new wxWindow(parent, plan.number, at, size, wxBORDER_NONE);
        picture->Bind(wxEVT_PAINT, PaintBanner);
        return picture;
    }
    case GadgetKind::DropDown:
        return new wxChoice(parent, plan.number, at, size);
    case GadgetKind::Label:
        return new wxStaticText(parent, plan.number, text, at, size, plan.style | wxST_NO_AUTORESIZE);
    case GadgetKind::CheckBox:
        return new wxCheckBox(parent, plan.number, text, at, size);
    case GadgetKind::TrackBar: {
        auto* slider = new wxSlider(parent, plan.number, 0, 0, objectCountLevels - 1, at, size,
                                    wxSL_HORIZONTAL | wxSL_AUTOTICKS | wxSL_TOP);
        slider->SetTickFreq(1);
        // GTK cannot draw a scale in 20 pixels: it gets its smallest height, centred on its row,
        // with the tick marks above the bar so that they stay clear of the caption below.
        int least = slider->GetBestSize().GetHeight();
        if (least > size.GetHeight())
            slider->SetSize(at.x, at.y - (least - size.GetHeight()) / 2, size.GetWidth(), least);
        return slider;
    }
    case GadgetKind::TextPanel:
        // GTK shows each bar once the text overflows that way: the French license needs both.
        return new wxTextCtrl(parent, plan.number, wxEmptyString, at, size,
                              wxTE_MULTILINE | wxTE_RICH2 | wxTE_DONTWRAP | wxVSCROLL | wxALWAYS_SHOW_SB);
    case GadgetKind::Button:
        return new wxButton(parent, plan.number, text, at, size);
    case GadgetKind::Link:
        return CreateLink(plan);
    }
    return nullptr;
}

void DressGadget(wxWindow* gadget, const GadgetPlan& plan) {
    if (plan.font == FontKind::Regular) gadget->SetFont(*state.regularFont);
    if (plan.font == FontKind::Link) gadget->SetFont(*state.linkFont);
    if (plan.tipRow != noRow) gadget->SetToolTip(ToToolkit(UiText(plan.tipRow)));
    if (plan.hidden) gadget->Hide();
}

void CreateGadgets(const wxImage& banner) {
    for (const GadgetPlan& plan : gadgetPlans) {
        wxWindow* gadget = CreateGadget(plan, banner);
        DressGadget(gadget, plan);
        state.gadgets[plan.number] = gadget;
    }
    auto* shapes = static_cast<wxChoice*>(state.gadgets[ShapeBox]);
    for (const char* name : shapeNames) shapes->Append(name);
    state.licenseText = UiText(17);
}

void OpenWindow() {
    state.window = new wxFrame(nullptr, wxID_ANY, wxString(ProgramTitle) + windowTitleEnd, windowPlace,
                               wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX);
    state.window->SetIcon(wxIcon(zelvaro_icon_xpm));
    state.window->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    state.window->SetClientSize(narrowClientWidth, clientHeight);
    state.window->Bind(wxEVT_CLOSE_WINDOW, OnCloseRequest);
    // One panel fills the client area: it carries the gadgets and moves the focus on Tab.
    state.client = new wxPanel(state.window, wxID_ANY, wxPoint(0, 0), wxSize(wideClientWidth, clientHeight));
    state.client->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    for (auto type : {wxEVT_BUTTON, wxEVT_CHOICE, wxEVT_CHECKBOX, wxEVT_SLIDER})
        state.client->Bind(type, OnGadgetActivity);
    state.client->Bind(wxEVT_HYPERLINK, OnGadgetActivity); // handled here, so the link opens nothing itself
    state.window->Show();
}

void FillResolutionBox(const std::vector<DisplayMode>& modes) {
    state.ResolutionList = BuildResolutionList(modes);
    auto* box = static_cast<wxChoice*>(state.gadgets[ResolutionBox]);
    for (const ResolutionEntry& entry : state.ResolutionList) box->Append(ResolutionText(entry));
}

// An ObjectCount outside the levels has no caption: the caption stays empty.
std::string ObjectCountCaptionFor(int32_t level) {
    return level >= 0 && level < objectCountLevels ? state.objectCountCaptions[level] : std::string();
}

void SetGadgetText(int gadget, const std::string& text) {
    if (wxWindow* window = GadgetWindow(gadget)) window->SetLabel(ToToolkit(text));
}

void ShowSettingsInGadgets() {
    int resolution = wxNOT_FOUND;
    for (size_t i = 0; i < state.ResolutionList.size() && resolution == wxNOT_FOUND; ++i)
        if (SameTextIgnoringCase(ResolutionText(state.ResolutionList[i]), Settings.Resolution))
            resolution = static_cast<int>(i);
    SetGadgetState(ResolutionBox, resolution);
    SetGadgetState(ShowFpsCheck, Settings.showFPS != 0);
    SetGadgetState(ShowTimeCheck, Settings.showTime != 0);
    // A Shape outside the list selects nothing.
    SetGadgetState(ShapeBox, Settings.Shape >= 0 && Settings.Shape < shapeCount ? Settings.Shape : wxNOT_FOUND);
    SetGadgetState(ObjectCountSlider, std::clamp<int32_t>(Settings.ObjectCount, 0, objectCountLevels - 1));
    SetGadgetText(ObjectCountCaption, ObjectCountCaptionFor(Settings.ObjectCount));
}

void ToggleLicensePanel() {
    wxFrame* window = state.window;
    if (!state.licensePanelOpen) {
        window->SetClientSize(wideClientWidth, clientHeight);
        SetGadgetText(LicenseButton, ReplaceAll(GadgetText(LicenseButton), ">>", "<<"));
        auto* panel = static_cast<wxTextCtrl*>(state.gadgets[LicensePanel]);
        panel->Clear();
        panel->AppendText(ToToolkit(state.licenseText));
        panel->SetInsertionPoint(0); // the reader starts at the top, not where appending left off
        panel->ShowPosition(0);
        panel->Show();
        state.gadgets[DonationLink]->Show();
        state.licensePanelOpen = true;
    } else {
        // The panel and the donation link stay shown: the narrowed window no longer reaches them.
        window->SetClientSize(narrowClientWidth, clientHeight);
        SetGadgetText(LicenseButton, ReplaceAll(GadgetText(LicenseButton), "<<", ">>"));
        state.licensePanelOpen = false;
    }
}

void ResetWindowState() {
    state.gadgets.clear();
    state.licensePanelOpen = false;
    state.ResolutionList.clear();
    state.endFlag = false;
    state.events.clear();
}

} // namespace

// ---- resolution list ----

std::vector<ResolutionEntry> BuildResolutionList(const std::vector<DisplayMode>& modes) {
    std::vector<ResolutionEntry> list;
    for (const DisplayMode& mode : modes) {
        if (mode.width < smallestSide || mode.height < smallestSide || mode.bitsPerPixel != offeredDepth) continue;
        bool known = std::any_of(list.begin(), list.end(), [&](const ResolutionEntry& entry) {
            return entry.width == mode.width && entry.height == mode.height;
        });
        if (known) continue; // the same size at another refresh rate
        list.push_back({mode.width, mode.height, static_cast<uint8_t>(offeredDepth),
                        SortKeyPart(mode.width) + SortKeyPart(mode.height)});
    }
    // std::string compares bytes as unsigned chars, as a byte-wise sort does.
    std::stable_sort(list.begin(), list.end(),
                     [](const ResolutionEntry& a, const ResolutionEntry& b) { return a.sortKey < b.sortKey; });
    return list;
}

std::string ResolutionText(const ResolutionEntry& entry) {
    return std::to_string(entry.width) + " x " + std::to_string(entry.height);
}

// ---- the window's steps ----

bool OpenConfigurationWindow() {
    ResetWindowState();
    LoadSettings();
    for (int level = 0; level < objectCountLevels; ++level) state.objectCountCaptions[level] = UiText(level);
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
    while (state.events.empty()) state.eventLoop->Dispatch();
    ConfigurationEvent event = state.events.front();
    state.events.pop_front();
    return event;
}

bool HandleConfigurationEvent(const ConfigurationEvent& event) {
    if (event.code == CloseEvent) {
        state.endFlag = true; // nothing is saved
        return state.endFlag;
    }
    if (event.code != GadgetEvent) return state.endFlag;
    switch (event.gadget) {
    case OkButton:
        SaveSettings(); // a failed save shows its message and the window ends all the same
        state.endFlag = true;
        break;
    case CancelButton:
        LoadSettings(); // throws away what was changed in the window
        state.endFlag = true;
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
    return state.endFlag;
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
    if (state.window) {
        state.window->Unbind(wxEVT_CLOSE_WINDOW, OnCloseRequest);
        delete state.window;
    }
    state.window = nullptr;
    state.client = nullptr;
    state.banner = wxBitmap();
    ResetWindowState();
}

void ReleaseConfigurationWindow() {
    CloseConfigurationWindow();
    delete state.regularFont;
    delete state.linkFont;
    state.regularFont = state.linkFont = nullptr;
    if (!state.toolkitStarted) return;
    wxEventLoopBase::SetActive(nullptr);
    delete state.eventLoop;
    state.eventLoop = nullptr;
    wxEntryCleanup();
    state.toolkitStarted = false;
}

void DispatchPendingToolkitEvents() {
    if (!state.eventLoop) return;
    while (state.eventLoop->Pending()) state.eventLoop->Dispatch();
    wxTheApp->ProcessIdle();
}

// ---- reading and poking gadgets ----

wxFrame* ConfigurationWindow() { return state.window; }

wxWindow* GadgetWindow(int gadget) {
    auto found = state.gadgets.find(gadget);
    return found == state.gadgets.end() ? nullptr : found->second;
}

int GadgetState(int gadget) {
    wxWindow* window = GadgetWindow(gadget);
    if (auto* box = wxDynamicCast(window, wxChoice)) return box->GetSelection();
    if (auto* check = wxDynamicCast(window, wxCheckBox)) return check->IsChecked() ? 1 : 0;
    if (auto* slider = wxDynamicCast(window, wxSlider)) return slider->GetValue();
    return 0;
}

void SetGadgetState(int gadget, int value) {
    wxWindow* window = GadgetWindow(gadget);
    if (auto* box = wxDynamicCast(window, wxChoice))
        box->SetSelection(value >= 0 && value < static_cast<int>(box->GetCount()) ? value : wxNOT_FOUND);
    if (auto* check = wxDynamicCast(window, wxCheckBox)) check->SetValue(value != 0);
    if (auto* slider = wxDynamicCast(window, wxSlider)) slider->SetValue(value);
}

std::string GadgetText(int gadget) {
    wxWindow* window = GadgetWindow(gadget);
    if (!window) return std::string();
    if (auto* box = wxDynamicCast(window, wxChoice)) return FromToolkit(box->GetStringSelection());
    if (auto* panel = wxDynamicCast(window, wxTextCtrl)) return FromToolkit(panel->GetValue());
    return FromToolkit(window->GetLabel());
}

std::string GadgetItemText(int gadget, int item) {
    auto* box = wxDynamicCast(GadgetWindow(gadget), wxChoice);
    if (!box || item < 0 || item >= static_cast<int>(box->GetCount())) return std::string();
    return FromToolkit(box->GetString(item));
}

int CountGadgetItems(int gadget) {
    auto* box = wxDynamicCast(GadgetWindow(gadget), wxChoice);
    return box ? static_cast<int>(box->GetCount()) : 0;
}

bool GadgetVisible(int gadget) {
    wxWindow* window = GadgetWindow(gadget);
    return window && window->IsShown();
}

std::string GadgetToolTip(int gadget) {
    wxWindow* window = GadgetWindow(gadget);
    return window ? FromToolkit(window->GetToolTipText()) : std::string();
}

// ---- stand-ins for tests ----

void SetDisplayModesForTests(const std::vector<DisplayMode>* modes) { displayModesForTests = modes; }
void SetWebAddressOpenerForTests(WebAddressOpener opener) { webAddressOpener = opener; }
