// The configuration window's gadgets: the table they are made from, their creation, their
// state from Settings, and reading and poking them by number.
#include <wx/wx.h>
#include <wx/hyperlink.h>
#include <wx/generic/hyperlink.h>
#include <wx/log.h>
#include <wx/mstream.h>
#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include <algorithm>

#include "core/settings_record.h"
#include "data/embedded.h"
#include "settings/config_window_state.h"
#include "settings/language.h"
#include "settings/settings.h"

namespace {

const wxColour linkColour(0, 0, 204);
const wxColour linkHoverColour(0, 127, 255);
constexpr int bannerBorder = 2;   // the sunken frame around the picture
const char* const shapeNames[] = {"Tetrahedron", "Cube", "Octahedron", "Dodecahedron", "Icosahedron"};
constexpr int shapeCount = 5;

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
    if (ConfigWindow.banner.IsOk()) dc.DrawBitmap(ConfigWindow.banner, bannerBorder, bannerBorder);
}

std::string PlanText(const GadgetPlan& plan) { return plan.textRow == noRow ? std::string() : UiText(plan.textRow); }

wxWindow* CreateLink(const GadgetPlan& plan) {
    // The link is made with a stand-in label: the toolkit refuses a link with no text at all,
    // which an empty language block would give.
    auto* link = new wxGenericHyperlinkCtrl(ConfigWindow.client, plan.number, " ", " ", plan.place.GetPosition(),
                                            plan.place.GetSize(), wxHL_ALIGN_LEFT | wxBORDER_NONE);
    link->SetLabel(ToToolkit(PlanText(plan)));
    link->SetNormalColour(linkColour);
    link->SetVisitedColour(linkColour);
    link->SetHoverColour(linkHoverColour);
    return link;
}

wxWindow* CreateGadget(const GadgetPlan& plan, const wxImage& banner) {
    wxWindow* parent = ConfigWindow.client;
    wxPoint at = plan.place.GetPosition();
    wxSize size = plan.place.GetSize();
    wxString text = ToToolkit(PlanText(plan));
    switch (plan.kind) {
    case GadgetKind::Picture: {
        // The gadget takes the picture's size plus its border on each side.
        ConfigWindow.banner = banner.IsOk() ? wxBitmap(banner) : wxBitmap();
        if (banner.IsOk()) size = wxSize(banner.GetWidth() + 2 * bannerBorder, banner.GetHeight() + 2 * bannerBorder);
        auto* picture = new wxWindow(parent, plan.number, at, size, wxBORDER_NONE);
        picture->Bind(wxEVT_PAINT, PaintBanner);
        picture->DisableFocusFromKeyboard(); // a picture: Tab passes it by
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
                                    wxSL_HORIZONTAL | wxSL_TICKS | wxSL_TOP);
        // A mark at every level: the toolkit's own tick frequency leaves out both ends.
        slider->ClearTicks();
        for (int level = 0; level < objectCountLevels; ++level) slider->SetTick(level);
        // GTK cannot draw a scale in 20 pixels: it gets its smallest height, centred on its row,
        // with the tick marks above the bar so that they stay clear of the caption below.
        int least = slider->GetBestSize().GetHeight();
        if (least > size.GetHeight())
            slider->SetSize(at.x, at.y - (least - size.GetHeight()) / 2, size.GetWidth(), least);
        return slider;
    }
    case GadgetKind::TextPanel: {
        auto* panel = new wxTextCtrl(parent, plan.number, wxEmptyString, at, size,
                                     wxTE_MULTILINE | wxTE_RICH2 | wxTE_DONTWRAP | wxVSCROLL | wxALWAYS_SHOW_SB);
#ifdef __WXGTK__
        // wxGTK leaves the bars to GTK, which shows one only while the text overflows that way;
        // the panel shows both, whatever the language.
        gtk_scrolled_window_set_policy(GTK_SCROLLED_WINDOW(panel->GetHandle()), GTK_POLICY_ALWAYS, GTK_POLICY_ALWAYS);
#endif
        return panel;
    }
    case GadgetKind::Button:
        return new wxButton(parent, plan.number, text, at, size);
    case GadgetKind::Link:
        return CreateLink(plan);
    }
    return nullptr;
}

void DressGadget(wxWindow* gadget, const GadgetPlan& plan) {
    if (plan.font == FontKind::Regular) gadget->SetFont(*ConfigWindow.regularFont);
    if (plan.font == FontKind::Link) gadget->SetFont(*ConfigWindow.linkFont);
    if (plan.tipRow != noRow) gadget->SetToolTip(ToToolkit(UiText(plan.tipRow)));
    if (plan.hidden) gadget->Hide();
}

const wxCSConv& WindowsText() {
    static const wxCSConv conv(wxFONTENCODING_CP1252);
    return conv;
}

} // namespace

ConfigurationState ConfigWindow;

wxString ToToolkit(const std::string& text) { return wxString(text.data(), WindowsText(), text.size()); }

std::string FromToolkit(const wxString& text) {
    wxCharBuffer bytes = text.mb_str(WindowsText());
    return bytes.data() ? std::string(bytes.data(), bytes.length()) : std::string();
}

wxImage DecodeBanner() {
    wxLogNull quiet; // an undecodable picture leaves the gadget empty, silently
    wxMemoryInputStream stream(BannerFile[0].bytes, BannerFile[0].size);
    wxImage picture;
    picture.LoadFile(stream, wxBITMAP_TYPE_BMP);
    return picture;
}

void CreateGadgets(const wxImage& banner) {
    for (const GadgetPlan& plan : gadgetPlans) {
        wxWindow* gadget = CreateGadget(plan, banner);
        DressGadget(gadget, plan);
        ConfigWindow.gadgets[plan.number] = gadget;
    }
    auto* shapes = static_cast<wxChoice*>(ConfigWindow.gadgets[ShapeBox]);
    for (const char* name : shapeNames) shapes->Append(name);
    ConfigWindow.licenseText = UiText(17);
}

void FillResolutionBox(const std::vector<DisplayMode>& modes) {
    ConfigWindow.ResolutionList = BuildResolutionList(modes);
    auto* box = static_cast<wxChoice*>(ConfigWindow.gadgets[ResolutionBox]);
    for (const ResolutionEntry& entry : ConfigWindow.ResolutionList) box->Append(ResolutionText(entry));
}

// An ObjectCount outside the levels has no caption: the caption stays empty.
std::string ObjectCountCaptionFor(int32_t level) {
    return level >= 0 && level < objectCountLevels ? ConfigWindow.objectCountCaptions[level] : std::string();
}

void SetGadgetText(int gadget, const std::string& text) {
    if (wxWindow* window = GadgetWindow(gadget)) window->SetLabel(ToToolkit(text));
}

void ShowSettingsInGadgets() {
    int resolution = wxNOT_FOUND;
    for (size_t i = 0; i < ConfigWindow.ResolutionList.size() && resolution == wxNOT_FOUND; ++i)
        if (SameTextIgnoringCase(ResolutionText(ConfigWindow.ResolutionList[i]), Settings.Resolution))
            resolution = static_cast<int>(i);
    SetGadgetState(ResolutionBox, resolution);
    SetGadgetState(ShowFpsCheck, Settings.showFPS != 0);
    SetGadgetState(ShowTimeCheck, Settings.showTime != 0);
    // A Shape outside the list selects nothing.
    SetGadgetState(ShapeBox, Settings.Shape >= 0 && Settings.Shape < shapeCount ? Settings.Shape : wxNOT_FOUND);
    SetGadgetState(ObjectCountSlider, std::clamp<int32_t>(Settings.ObjectCount, 0, objectCountLevels - 1));
    SetGadgetText(ObjectCountCaption, ObjectCountCaptionFor(Settings.ObjectCount));
}

// ---- reading and poking gadgets ----

wxWindow* GadgetWindow(int gadget) {
    auto found = ConfigWindow.gadgets.find(gadget);
    return found == ConfigWindow.gadgets.end() ? nullptr : found->second;
}

int GadgetState(int gadget) {
    wxWindow* window = GadgetWindow(gadget);
    if (auto* box = dynamic_cast<wxChoice*>(window)) return box->GetSelection();
    if (auto* check = dynamic_cast<wxCheckBox*>(window)) return check->IsChecked() ? 1 : 0;
    if (auto* slider = dynamic_cast<wxSlider*>(window)) return slider->GetValue();
    return 0;
}

void SetGadgetState(int gadget, int value) {
    wxWindow* window = GadgetWindow(gadget);
    if (auto* box = dynamic_cast<wxChoice*>(window))
        box->SetSelection(value >= 0 && value < static_cast<int>(box->GetCount()) ? value : wxNOT_FOUND);
    if (auto* check = dynamic_cast<wxCheckBox*>(window)) check->SetValue(value != 0);
    if (auto* slider = dynamic_cast<wxSlider*>(window)) slider->SetValue(value);
}

std::string GadgetText(int gadget) {
    wxWindow* window = GadgetWindow(gadget);
    if (!window) return std::string();
    if (auto* box = dynamic_cast<wxChoice*>(window)) return FromToolkit(box->GetStringSelection());
    if (auto* panel = dynamic_cast<wxTextCtrl*>(window)) return FromToolkit(panel->GetValue());
    return FromToolkit(window->GetLabel());
}

std::string GadgetItemText(int gadget, int item) {
    auto* box = dynamic_cast<wxChoice*>(GadgetWindow(gadget));
    if (!box || item < 0 || item >= static_cast<int>(box->GetCount())) return std::string();
    return FromToolkit(box->GetString(item));
}

int CountGadgetItems(int gadget) {
    auto* box = dynamic_cast<wxChoice*>(GadgetWindow(gadget));
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
