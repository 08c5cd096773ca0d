// The configuration window in-process under a private Xvfb: its gadgets as laid out, its texts in
// both languages, every gadget's action on Settings, OK / Cancel / close box against the settings
// file, the license panel, out-of-range settings; the resolution list rules; the banner picture.
#include <gtest/gtest.h>
#include <wx/wx.h>
#include <wx/hyperlink.h>
#include <wx/generic/hyperlink.h>

#include <sys/stat.h>

#include <set>
#include <string>
#include <vector>

#include "data/embedded.h"
#include "platform/os.h"
#include "settings/config_window.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "support/process.h"
#include "support/screenshot.h"
#include "support/temp_folder.h"
#include "support/wait.h"
#include "support/xvfb.h"

namespace {

// ---- the resolution list ----

struct ResolutionCase {
    const char* name;
    std::vector<DisplayMode> modes;
    std::vector<std::string> texts;
};

const std::vector<DisplayMode> edgeModes = {
    {800, 600, 16, 60}, {800, 600, 32, 60}, {1024, 768, 32, 60}, {1024, 768, 32, 75},
    {640, 480, 32, 60}, {1280, 1024, 32, 60},
};

TEST(ResolutionList, KeepsWide32BitModesOncePerSizeInSortKeyOrder) {
    const ResolutionCase cases[] = {
        {"edge case table", edgeModes, {"800 x 600", "1024 x 768", "1280 x 1024"}},
        {"reported backwards", {{1920, 1080, 32, 60}, {1280, 720, 32, 60}, {800, 600, 32, 60}},
         {"800 x 600", "1280 x 720", "1920 x 1080"}},
        {"widths below 1000 by their padded keys", {{960, 720, 32, 60}, {1024, 600, 32, 60}, {800, 1200, 32, 60},
                                                    {720, 600, 32, 60}, {800, 600, 32, 60}},
         {"720 x 600", "800 x 600", "800 x 1200", "960 x 720", "1024 x 600"}},
        {"640 x 480 is too small", {{640, 480, 32, 60}, {800, 480, 32, 60}, {800, 600, 32, 60}}, {"800 x 600"}},
        {"same width, heights in order", {{1280, 1024, 32, 60}, {1280, 800, 32, 60}, {1280, 960, 32, 60}},
         {"1280 x 800", "1280 x 960", "1280 x 1024"}},
        {"refresh rates collapse into the first", {{1024, 768, 32, 85}, {1024, 768, 32, 60}, {1024, 768, 32, 0}},
         {"1024 x 768"}},
        {"600 is enough either way, 599 is not", {{600, 600, 32, 60}, {599, 800, 32, 60}, {800, 599, 32, 60}},
         {"600 x 600"}},
        {"only 32 bits per pixel", {{1024, 768, 24, 60}, {1024, 768, 16, 60}, {1152, 864, 8, 60}}, {}},
        {"no modes", {}, {}},
    };
    for (const ResolutionCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> texts;
        for (const ResolutionEntry& entry : BuildResolutionList(c.modes)) {
            EXPECT_EQ(entry.depth, 32);
            texts.push_back(ResolutionText(entry));
        }
        EXPECT_EQ(texts, c.texts);
    }
}

TEST(ResolutionList, SortKeyPadsSizesBelowOneThousand) {
    struct KeyCase {
        int width, height;
        const char* key;
    };
    for (KeyCase k : {KeyCase{800, 600, "08000600"}, KeyCase{1024, 768, "10240768"}, KeyCase{1920, 1080, "19201080"},
                      KeyCase{999, 1000, "09991000"}}) {
        std::vector<ResolutionEntry> list = BuildResolutionList({{k.width, k.height, 32, 60}});
        ASSERT_EQ(list.size(), 1u);
        EXPECT_EQ(list[0].sortKey, k.key);
        EXPECT_EQ(list[0].width, k.width);
        EXPECT_EQ(list[0].height, k.height);
    }
}

// ---- the window ----

std::vector<std::pair<std::string, std::string>> messages;
std::vector<std::string> openedAddresses;
void RecordMessage(const std::string& title, const std::string& text) { messages.push_back({title, text}); }
void RecordAddress(const std::string& address) { openedAddresses.push_back(address); }

// The toolkit stays up across tests and is released once, before the display goes away.
class ToolkitEnvironment : public ::testing::Environment {
public:
    void TearDown() override { ReleaseConfigurationWindow(); }
};
const auto* toolkitEnvironment = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

class ConfigWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXvfb(), ""); }

    void SetUp() override {
        folder = MakeTempFolder();
        SetProgramFilePathForTests(folder + "/Zelvaro");
        messages.clear();
        openedAddresses.clear();
        SetMessageBoxHandler(RecordMessage);
        SetWebAddressOpenerForTests(RecordAddress);
        SetDisplayModesForTests(&edgeModes);
        LoadLanguageTable();
    }
    void TearDown() override {
        CloseConfigurationWindow();
        SetDisplayModesForTests(nullptr);
        SetWebAddressOpenerForTests(nullptr);
        SetMessageBoxHandler(nullptr);
        SetProgramFilePathForTests("");
    }

    std::string IniPath() const { return folder + "/Zelvaro.ini"; }
    void WriteIni(const std::string& lines) { WriteFileBytes(IniPath(), "[PARAM]\r\n" + lines); }
    std::string Ini() const { return ReadFileBytes(IniPath()); }

    void Open() {
        ASSERT_TRUE(OpenConfigurationWindow());
        DispatchPendingToolkitEvents();
    }

    // What the user does to a gadget, reported by the toolkit as the gadget's own event; the
    // window's handler must turn it into the {code, gadget} the loop waits for.
    void Activate(int gadget, int state = 0) {
        wxWindow* window = GadgetWindow(gadget);
        ASSERT_NE(window, nullptr);
        SetGadgetState(gadget, state);
        wxEventType type = wxEVT_BUTTON;
        if (dynamic_cast<wxChoice*>(window)) type = wxEVT_CHOICE;
        if (dynamic_cast<wxCheckBox*>(window)) type = wxEVT_CHECKBOX;
        if (dynamic_cast<wxSlider*>(window)) type = wxEVT_SLIDER;
        if (dynamic_cast<wxGenericHyperlinkCtrl*>(window)) {
            wxHyperlinkEvent event(window, gadget, "");
            window->GetEventHandler()->ProcessEvent(event);
        } else {
            wxCommandEvent event(type, gadget);
            event.SetEventObject(window);
            event.SetInt(state);
            window->GetEventHandler()->ProcessEvent(event);
        }
        ConfigurationEvent queued = WaitConfigurationEvent();
        EXPECT_EQ(queued.code, GadgetEvent);
        EXPECT_EQ(queued.gadget, gadget);
        ended = HandleConfigurationEvent(queued);
    }

    void PressCloseBox() {
        ConfigurationWindow()->Close();
        ConfigurationEvent queued = WaitConfigurationEvent();
        EXPECT_EQ(queued.code, CloseEvent);
        ended = HandleConfigurationEvent(queued);
    }

    std::string folder;
    bool ended = false;
};

struct GadgetLayout {
    int number;
    wxClassInfo* kind;
    wxRect place;
    bool regularFont;
    bool linkFont;
    bool hidden;
};

// In the order of creation.
const GadgetLayout layouts[] = {
    {BannerImage, wxCLASSINFO(wxWindow), {20, 10, 424, 138}, false, false, false},
    {ResolutionBox, wxCLASSINFO(wxChoice), {110, 155, 190, 24}, true, false, false},
    {ResolutionLabel, wxCLASSINFO(wxStaticText), {30, 155, 80, 20}, true, false, false},
    {ShowFpsCheck, wxCLASSINFO(wxCheckBox), {110, 180, 320, 20}, true, false, false},
    {ShowTimeCheck, wxCLASSINFO(wxCheckBox), {110, 200, 320, 20}, true, false, false},
    {ShapeBox, wxCLASSINFO(wxChoice), {110, 225, 190, 24}, true, false, false},
    {ShapeLabel, wxCLASSINFO(wxStaticText), {50, 225, 50, 20}, true, false, false},
    {ObjectCountSlider, wxCLASSINFO(wxSlider), {90, 255, 230, 20}, false, false, false},
    {ObjectCountLabel, wxCLASSINFO(wxStaticText), {15, 256, 80, 18}, true, false, false},
    {ObjectCountCaption, wxCLASSINFO(wxStaticText), {70, 275, 265, 20}, true, false, false},
    {LicensePanel, wxCLASSINFO(wxTextCtrl), {460, 10, 530, 340}, true, false, true},
    {LicenseButton, wxCLASSINFO(wxButton), {335, 230, 120, 25}, false, false, false},
    {SiteLink, wxCLASSINFO(wxGenericHyperlinkCtrl), {100, 300, 280, 20}, false, true, false},
    {ToolLink, wxCLASSINFO(wxGenericHyperlinkCtrl), {80, 320, 320, 20}, false, true, false},
    {DonationLink, wxCLASSINFO(wxGenericHyperlinkCtrl), {655, 350, 200, 20}, false, true, true},
    {OkButton, wxCLASSINFO(wxButton), {130, 345, 100, 30}, false, false, false},
    {CancelButton, wxCLASSINFO(wxButton), {240, 345, 100, 30}, false, false, false},
};

void ExpectDialogFont(const wxFont& font, bool underlined) {
    EXPECT_TRUE(font.GetFaceName() == "Arial" || font.GetFaceName() == "Liberation Sans") << font.GetFaceName();
    EXPECT_EQ(font.GetPointSize(), 9);
    EXPECT_EQ(font.GetUnderlined(), underlined);
}

TEST_F(ConfigWindowTest, GadgetsAreCreatedInOrderWithTheirKindPlaceAndFont) {
    Open();
    wxWindowList& children = GadgetWindow(OkButton)->GetParent()->GetChildren();
    ASSERT_EQ(children.size(), std::size(layouts));
    size_t index = 0;
    for (const GadgetLayout& layout : layouts) {
        SCOPED_TRACE(layout.number);
        wxWindow* gadget = GadgetWindow(layout.number);
        ASSERT_NE(gadget, nullptr);
        EXPECT_EQ(children[index++], gadget);
        EXPECT_EQ(gadget->GetId(), layout.number);
        EXPECT_TRUE(gadget->IsKindOf(layout.kind));
        EXPECT_EQ(gadget->GetPosition().x, layout.place.x);
        EXPECT_EQ(gadget->GetSize().x, layout.place.width);
        if (layout.number == ObjectCountSlider) {
            // taller than its row where the toolkit needs it, but centred on it
            EXPECT_GE(gadget->GetSize().y, layout.place.height);
            EXPECT_EQ(gadget->GetPosition().y + gadget->GetSize().y / 2, layout.place.y + layout.place.height / 2);
        } else {
            EXPECT_EQ(gadget->GetPosition().y, layout.place.y);
            EXPECT_EQ(gadget->GetSize().y, layout.place.height);
        }
        EXPECT_EQ(GadgetVisible(layout.number), !layout.hidden);
        if (layout.regularFont || layout.linkFont) ExpectDialogFont(gadget->GetFont(), layout.linkFont);
    }
}

// The gadgets that Tab visits: the toolkit chains, in the order of creation, the gadgets that
// take the focus from the keyboard (wxGTK hands exactly these to GTK as the focus chain).
std::vector<int> TabStops() {
    std::vector<int> stops;
    for (wxWindow* gadget : GadgetWindow(OkButton)->GetParent()->GetChildren())
        if (gadget->CanAcceptFocusFromKeyboard()) stops.push_back(gadget->GetId());
    return stops;
}

TEST_F(ConfigWindowTest, TabVisitsTheGadgetsAUserCanWorkAndNothingElse) {
    Open();
    // The banner and the labels are only looked at; the license panel and the donation link
    // are hidden until the license opens.
    const std::vector<int> closed{ResolutionBox, ShowFpsCheck, ShowTimeCheck, ShapeBox, ObjectCountSlider,
                                  LicenseButton, SiteLink, ToolLink, OkButton, CancelButton};
    EXPECT_EQ(TabStops(), closed);
    Activate(LicenseButton);
    const std::vector<int> open{ResolutionBox, ShowFpsCheck, ShowTimeCheck, ShapeBox, ObjectCountSlider, LicensePanel,
                                LicenseButton, SiteLink, ToolLink, DonationLink, OkButton, CancelButton};
    EXPECT_EQ(TabStops(), open);
}

TEST_F(ConfigWindowTest, WindowHasItsTitleSizePlaceStyleAndIcon) {
    Open();
    wxFrame* window = ConfigurationWindow();
    EXPECT_EQ(window->GetTitle(), "Zelvaro - Configuration");
    EXPECT_EQ(window->GetClientSize(), wxSize(460, 380));
    EXPECT_EQ(window->GetPosition(), wxPoint(217, 169));
    long style = window->GetWindowStyleFlag();
    EXPECT_TRUE(style & wxCLOSE_BOX);
    EXPECT_TRUE(style & wxSYSTEM_MENU);
    EXPECT_FALSE(style & (wxMINIMIZE_BOX | wxMAXIMIZE_BOX | wxRESIZE_BORDER));
    EXPECT_TRUE(window->IsShown());
    EXPECT_TRUE(window->GetIcon().IsOk());
    EXPECT_EQ(window->GetIcon().GetWidth(), 32);
    EXPECT_EQ(GadgetWindow(OkButton)->GetParent()->GetBackgroundColour(), wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE));
    EXPECT_EQ(window->GetDefaultItem(), nullptr); // no default button
}

TEST_F(ConfigWindowTest, LinksHaveTheirColoursAndAddresses) {
    Open();
    for (int link : {SiteLink, ToolLink, DonationLink}) {
        auto* control = static_cast<wxGenericHyperlinkCtrl*>(GadgetWindow(link));
        EXPECT_EQ(control->GetNormalColour(), wxColour(0, 0, 204)) << link;
        EXPECT_EQ(control->GetVisitedColour(), wxColour(0, 0, 204)) << link;
        EXPECT_EQ(control->GetHoverColour(), wxColour(0, 127, 255)) << link;
    }
    struct LinkCase {
        int gadget;
        int addressRow;
    };
    for (LinkCase link : {LinkCase{SiteLink, 18}, LinkCase{ToolLink, 25}, LinkCase{DonationLink, 21}}) {
        openedAddresses.clear();
        Activate(link.gadget);
        EXPECT_FALSE(ended);
        EXPECT_EQ(openedAddresses, std::vector<std::string>{UiText(link.addressRow)}) << link.gadget;
    }
}

struct TextExpectation {
    int gadget;
    int row; // the gadget shows this row of the language table
    bool toolTip;
};

const TextExpectation tableTexts[] = {
    {ResolutionLabel, 7, false}, {ShowFpsCheck, 8, false}, {ShowTimeCheck, 9, false}, {ShapeLabel, 22, false},
    {ObjectCountSlider, 10, true}, {ObjectCountLabel, 11, false}, {LicenseButton, 15, false},
    {SiteLink, 12, false}, {SiteLink, 13, true}, {ToolLink, 23, false}, {ToolLink, 24, true},
    {DonationLink, 19, false}, {DonationLink, 20, true}, {OkButton, 5, false}, {CancelButton, 6, false},
};

void ExpectTableTexts(int block) {
    for (const TextExpectation& t : tableTexts) {
        SCOPED_TRACE(std::to_string(t.gadget) + " row " + std::to_string(t.row));
        std::string shown = t.toolTip ? GadgetToolTip(t.gadget) : GadgetText(t.gadget);
        EXPECT_EQ(shown, LanguageTableCell(block, t.row));
    }
}

TEST_F(ConfigWindowTest, WithoutSettingsFileOpensInEnglishOnTheDefaults) {
    Open();
    ExpectTableTexts(1);
    EXPECT_EQ(GadgetText(OkButton), "OK");
    EXPECT_EQ(GadgetText(CancelButton), "Cancel");
    EXPECT_EQ(GadgetText(ShapeBox), "Octahedron");
    EXPECT_EQ(GadgetState(ObjectCountSlider), 2);
    EXPECT_EQ(GadgetText(ObjectCountCaption), "Medium speed and quality");
    EXPECT_EQ(GadgetState(ShowFpsCheck), 0);
    EXPECT_EQ(GadgetState(ShowTimeCheck), 0);
    EXPECT_EQ(GadgetText(ResolutionBox), "1024 x 768");
    ASSERT_EQ(CountGadgetItems(ResolutionBox), 3);
    EXPECT_EQ(GadgetItemText(ResolutionBox, 0), "800 x 600");
    EXPECT_EQ(GadgetItemText(ResolutionBox, 2), "1280 x 1024");
    const char* shapes[] = {"Tetrahedron", "Cube", "Octahedron", "Dodecahedron", "Icosahedron"};
    ASSERT_EQ(CountGadgetItems(ShapeBox), 5);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(GadgetItemText(ShapeBox, i), shapes[i]);
    EXPECT_FALSE(FileExists(IniPath()));
}

TEST_F(ConfigWindowTest, LanguageZeroMakesEveryTableTextFrenchButShapesAndTitle) {
    WriteIni("Language = 0\r\nShape = 1\r\nObjectCount = 4\r\n");
    Open();
    ExpectTableTexts(0);
    EXPECT_EQ(GadgetText(CancelButton), "Annuler");
    EXPECT_EQ(GadgetText(ResolutionLabel), "R\xe9solution:");
    EXPECT_EQ(ConfigurationWindow()->GetLabel(), "Zelvaro - Configuration");
    EXPECT_EQ(static_cast<wxStaticText*>(GadgetWindow(ResolutionLabel))->GetLabel(), wxString::FromUTF8("Résolution:"));
    EXPECT_EQ(GadgetText(ShapeBox), "Cube");
    EXPECT_EQ(GadgetItemText(ShapeBox, 4), "Icosahedron");
    EXPECT_EQ(GadgetText(ObjectCountCaption), "Wow! Votre PC est si rapide que \xe7" "a!?");
}

TEST_F(ConfigWindowTest, LanguageOutsideTheFilledBlocksShowsEmptyTexts) {
    for (const char* language : {"2", "-1", "3"}) {
        SCOPED_TRACE(language);
        WriteIni(std::string("Language = ") + language + "\r\n");
        Open();
        for (const TextExpectation& t : tableTexts)
            EXPECT_EQ(t.toolTip ? GadgetToolTip(t.gadget) : GadgetText(t.gadget), "") << t.gadget;
        EXPECT_EQ(GadgetText(ObjectCountCaption), "");
        EXPECT_EQ(GadgetText(ShapeBox), "Octahedron");
        CloseConfigurationWindow();
    }
}

struct GadgetAction {
    int gadget;
    int state;
    const char* defaultLine; // the line of the defaults' file that the action changes
    const char* expectedLine;
};

const std::string defaultFile =
    "[PARAM]\r\n; Screen resolution\r\nResolution = 1024 x 768\r\n;  \r\n"
    "; Objects shape\r\nShape = 2\r\n;  \r\n; Number of objects\r\nObjectCount = 2\r\n;  \r\n"
    "; Display frame rate\r\nshowFPS = 0\r\n;  \r\n; Display Time\r\nshowTime = 0\r\n;  \r\n"
    "; Language\r\nLanguage = 1\r\n";

TEST_F(ConfigWindowTest, EachGadgetChangesItsSettingAndOkWritesIt) {
    const GadgetAction actions[] = {
        {ResolutionBox, 0, "Resolution = 1024 x 768", "Resolution = 800 x 600"},
        {ResolutionBox, 2, "Resolution = 1024 x 768", "Resolution = 1280 x 1024"},
        {ShapeBox, 0, "Shape = 2", "Shape = 0"},
        {ShapeBox, 4, "Shape = 2", "Shape = 4"},
        {ShowFpsCheck, 1, "showFPS = 0", "showFPS = 1"},
        {ShowTimeCheck, 1, "showTime = 0", "showTime = 1"},
        {ObjectCountSlider, 0, "ObjectCount = 2", "ObjectCount = 0"},
        {ObjectCountSlider, 4, "ObjectCount = 2", "ObjectCount = 4"},
    };
    for (const GadgetAction& action : actions) {
        SCOPED_TRACE(action.expectedLine);
        std::remove(IniPath().c_str());
        Open();
        Activate(action.gadget, action.state);
        EXPECT_FALSE(ended);
        EXPECT_FALSE(FileExists(IniPath())); // only OK writes
        Activate(OkButton);
        EXPECT_TRUE(ended);
        std::string expected = defaultFile;
        expected.replace(expected.find(action.defaultLine), std::string(action.defaultLine).size(), action.expectedLine);
        EXPECT_EQ(Ini(), expected);
        CloseConfigurationWindow();
    }
}

TEST_F(ConfigWindowTest, SliderCaptionFollowsTheSliderInEitherLanguage) {
    for (const char* language : {"0", "1"}) {
        WriteIni(std::string("Language = ") + language + "\r\n");
        Open();
        for (int level = 0; level <= 4; ++level) {
            Activate(ObjectCountSlider, level);
            EXPECT_EQ(Settings.ObjectCount, level);
            EXPECT_EQ(GadgetText(ObjectCountCaption), UiText(level)) << language << " " << level;
        }
        CloseConfigurationWindow();
    }
}

TEST_F(ConfigWindowTest, OkWithoutSettingsFileWritesTheWholeFileWithTheChoices) {
    Open();
    Activate(ObjectCountSlider, 4);
    EXPECT_EQ(GadgetText(ObjectCountCaption), "Wow! Your PC is that fast !?");
    Activate(ShapeBox, 0);
    Activate(OkButton);
    EXPECT_TRUE(ended);
    std::string expected = defaultFile;
    expected.replace(expected.find("Shape = 2"), 9, "Shape = 0");
    expected.replace(expected.find("ObjectCount = 2"), 15, "ObjectCount = 4");
    EXPECT_EQ(Ini(), expected);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConfigWindowTest, CancelAndCloseBoxLeaveTheFileAndDropTheChanges) {
    const std::string file = "[PARAM]\r\nShape = 3\r\nshowTime = 1\r\nLanguage = 1\r\n";
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox ? "close box" : "Cancel");
        WriteFileBytes(IniPath(), file);
        Open();
        Activate(ShapeBox, 1);
        Activate(ShowTimeCheck, 0);
        EXPECT_EQ(Settings.Shape, 1);
        if (closeBox) PressCloseBox();
        else Activate(CancelButton);
        EXPECT_TRUE(ended);
        EXPECT_EQ(Ini(), file);
        if (!closeBox) { // Cancel reads the file again
            EXPECT_EQ(Settings.Shape, 3);
            EXPECT_EQ(Settings.showTime, 1);
        }
        CloseConfigurationWindow();
    }
}

TEST_F(ConfigWindowTest, CheckBoxValueTwoIsWrittenBackUnlessToggled) {
    WriteIni("showFPS = 2\r\nshowTime = 2\r\n");
    Open();
    EXPECT_EQ(GadgetState(ShowFpsCheck), 1);
    EXPECT_EQ(GadgetState(ShowTimeCheck), 1);
    Activate(ShowTimeCheck, 0);
    Activate(ShowTimeCheck, 1);
    Activate(OkButton);
    std::string written = Ini();
    EXPECT_NE(written.find("\r\nshowFPS = 2\r\n"), std::string::npos) << written;
    EXPECT_NE(written.find("\r\nshowTime = 1\r\n"), std::string::npos) << written;
}

struct OutOfRange {
    const char* objectCount;
    const char* shape;
    int slider;
};

TEST_F(ConfigWindowTest, OutOfRangeObjectCountAndShapeShowNothingAndAreKept) {
    for (OutOfRange c : {OutOfRange{"7", "9", 4}, OutOfRange{"-1", "-3", 0}, OutOfRange{"1000", "5", 4}}) {
        SCOPED_TRACE(c.objectCount);
        WriteIni(std::string("ObjectCount = ") + c.objectCount + "\r\nShape = " + c.shape + "\r\n");
        Open();
        EXPECT_EQ(GadgetText(ObjectCountCaption), "");
        EXPECT_EQ(GadgetState(ShapeBox), wxNOT_FOUND);
        EXPECT_EQ(GadgetText(ShapeBox), "");
        EXPECT_EQ(GadgetState(ObjectCountSlider), c.slider);
        Activate(OkButton);
        std::string written = Ini();
        EXPECT_NE(written.find(std::string("\r\nObjectCount = ") + c.objectCount + "\r\n"), std::string::npos);
        EXPECT_NE(written.find(std::string("\r\nShape = ") + c.shape + "\r\n"), std::string::npos);
        CloseConfigurationWindow();
    }
}

TEST_F(ConfigWindowTest, LicenseButtonWidensAndNarrowsTheWindow) {
    for (const char* language : {"1", "0"}) {
        SCOPED_TRACE(language);
        WriteIni(std::string("Language = ") + language + "\r\n");
        Open();
        std::string closedText = UiText(15); // "License >>" or "Licence >>"
        std::string openText = closedText.substr(0, closedText.size() - 2) + "<<";
        wxPoint place = ConfigurationWindow()->GetPosition();

        Activate(LicenseButton);
        EXPECT_EQ(ConfigurationWindow()->GetClientSize(), wxSize(1000, 380));
        EXPECT_EQ(GadgetText(LicenseButton), openText);
        EXPECT_TRUE(GadgetVisible(LicensePanel));
        EXPECT_TRUE(GadgetVisible(DonationLink));
        EXPECT_EQ(GadgetText(LicensePanel), UiText(17));
        EXPECT_EQ(ConfigurationWindow()->GetPosition(), place);

        // what the user types there is not kept: the next opening puts the text back
        static_cast<wxTextCtrl*>(GadgetWindow(LicensePanel))->AppendText("typed");
        Activate(LicenseButton);
        EXPECT_EQ(ConfigurationWindow()->GetClientSize(), wxSize(460, 380));
        EXPECT_EQ(GadgetText(LicenseButton), closedText);
        EXPECT_EQ(ConfigurationWindow()->GetPosition(), place);

        Activate(LicenseButton);
        EXPECT_EQ(GadgetText(LicensePanel), UiText(17));
        EXPECT_FALSE(ended);
        EXPECT_FALSE(FileExists(IniPath()) && Ini().find("ObjectCount") != std::string::npos);
        CloseConfigurationWindow();
    }
}

TEST_F(ConfigWindowTest, ResolutionIsMatchedWithoutCaseAndKeptWhenNotOffered) {
    struct ResolutionSetting {
        const char* stored;
        const char* shown;
    };
    for (ResolutionSetting r : {ResolutionSetting{"1280 X 1024", "1280 x 1024"}, ResolutionSetting{"1600 x 1200", ""},
                                ResolutionSetting{"", ""}}) {
        SCOPED_TRACE(r.stored);
        WriteIni(std::string("Resolution = ") + r.stored + "\r\n");
        Open();
        EXPECT_EQ(GadgetText(ResolutionBox), r.shown);
        Activate(OkButton);
        EXPECT_NE(Ini().find(std::string("\r\nResolution = ") + r.stored + "\r\n"), std::string::npos);
        CloseConfigurationWindow();
    }
}

TEST_F(ConfigWindowTest, NoWideThirtyTwoBitModeLeavesTheListEmpty) {
    const std::vector<DisplayMode> narrow = {{640, 480, 32, 60}, {1024, 768, 16, 60}};
    const std::vector<DisplayMode> none; // a display that reports no mode at all (Wayland)
    for (const std::vector<DisplayMode>* modes : {&narrow, &none}) {
        SCOPED_TRACE(modes->size());
        SetDisplayModesForTests(modes);
        WriteIni("Resolution = 1024 x 768\r\n");
        Open();
        EXPECT_EQ(CountGadgetItems(ResolutionBox), 0);
        EXPECT_TRUE(ConfigurationWindow()->IsShown());
        Activate(OkButton);
        EXPECT_NE(Ini().find("\r\nResolution = 1024 x 768\r\n"), std::string::npos);
        EXPECT_TRUE(messages.empty());
        CloseConfigurationWindow();
    }
}

TEST_F(ConfigWindowTest, UnreadableDisplayModesShowTheMessageAndTouchNothing) {
    const std::vector<DisplayMode> none;
    SetDisplayModesForTests(&none, /*enumerationStarts=*/false);
    WriteIni("Shape = 1\r\n");
    std::string before = Ini();
    EXPECT_FALSE(OpenConfigurationWindow());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].first, "Error");
    EXPECT_EQ(messages[0].second, "Can't find DirectX 7.0 or above");
    EXPECT_TRUE(ConfigurationWindow()->IsShown()); // the window is there behind the message
    EXPECT_EQ(Ini(), before);
}

TEST_F(ConfigWindowTest, TheDisplaysOwnModesOfferItsResolution) {
    SetDisplayModesForTests(nullptr);
    Open();
    bool offered = false;
    for (int i = 0; i < CountGadgetItems(ResolutionBox); ++i) offered |= GadgetItemText(ResolutionBox, i) == "1024 x 768";
    EXPECT_TRUE(offered); // the private X server is 1024 x 768
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConfigWindowTest, FailedSaveShowsItsMessageAndEndsAllTheSame) {
    WriteIni("Shape = 1\r\n");
    chmod(IniPath().c_str(), 0444);
    Open();
    Activate(ShapeBox, 3);
    Activate(OkButton);
    EXPECT_TRUE(ended);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].second, "Can't save preferences !");
    EXPECT_EQ(Ini(), "[PARAM]\r\nShape = 1\r\n");
}

TEST_F(ConfigWindowTest, OtherEventsChangeNothing) {
    WriteIni("Shape = 1\r\n");
    Open();
    SettingsRecord before = Settings;
    for (ConfigurationEvent event : {ConfigurationEvent{GadgetEvent, BannerImage}, ConfigurationEvent{GadgetEvent, LicensePanel},
                                     ConfigurationEvent{GadgetEvent, 99}, ConfigurationEvent{0, OkButton}})
        EXPECT_FALSE(HandleConfigurationEvent(event));
    EXPECT_EQ(SettingsFileText(Settings), SettingsFileText(before));
    EXPECT_EQ(ConfigurationWindow()->GetClientSize(), wxSize(460, 380));
    EXPECT_EQ(Ini(), "[PARAM]\r\nShape = 1\r\n");
}

// ---- the banner picture ----

uint32_t Read32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

TEST(Banner, HeaderDescribesA420By134TwentyFourBitPicture) {
    const unsigned char* bmp = BannerFile[0].bytes;
    ASSERT_EQ(BannerFile[0].size, 168894u);
    EXPECT_EQ(bmp[0], 'B');
    EXPECT_EQ(bmp[1], 'M');
    struct Field {
        int offset;
        int bytes;
        uint32_t value;
    };
    const Field fields[] = {{2, 4, 168894}, {6, 4, 0},  {10, 4, 54},    {14, 4, 40},   {18, 4, 420},
                            {22, 4, 134},   {26, 2, 1}, {28, 2, 24},    {30, 4, 0},    {34, 4, 168840},
                            {38, 4, 2835},  {42, 4, 2835}, {46, 4, 0}, {50, 4, 0}};
    for (Field f : fields)
        EXPECT_EQ(f.bytes == 4 ? Read32(bmp + f.offset) : Read16(bmp + f.offset), f.value) << f.offset;
}

// Bottom row first, blue-green-red: the chrome name sits right of the middle, the sky is dark.
TEST(Banner, ShowsColouredCubesLeftAndABrightNameRightOnADarkSky) {
    const unsigned char* pixels = BannerFile[0].bytes + 54;
    auto pixel = [&](int x, int y) { return pixels + (133 - y) * 1260 + x * 3; };
    int saturatedLeft = 0, paleRight = 0, darkCorner = 0;
    for (int y = 0; y < 134; ++y)
        for (int x = 0; x < 420; ++x) {
            const unsigned char* p = pixel(x, y);
            int high = std::max({p[0], p[1], p[2]}), low = std::min({p[0], p[1], p[2]});
            if (x < 210 && high > 180 && high - low > 120) ++saturatedLeft;
            if (x >= 210 && low > 200) ++paleRight;
            if (x >= 360 && y < 25 && high < 90) ++darkCorner;
        }
    EXPECT_GT(saturatedLeft, 3000);   // a swirl of bright cubes
    EXPECT_GT(paleRight, 300);        // the light top of the chrome letters
    EXPECT_GT(darkCorner, 60 * 25 * 8 / 10); // mostly night sky, a few stars
}

TEST(Banner, GeneratorReproducesTheKeptPicture) {
    std::string out = MakeTempFolder() + "/banner.bmp";
    int status = -1;
    RunCommand(std::string(ZELVARO_TOOLS_DIR) + "/gen_banner " + out, &status);
    ASSERT_EQ(status, 0);
    std::string kept = ReadFileBytes(std::string(ZELVARO_SOURCE_DIR) + "/src/data/banner.bmp");
    EXPECT_EQ(ReadFileBytes(out), kept);
    EXPECT_EQ(kept, std::string(reinterpret_cast<const char*>(BannerFile[0].bytes), BannerFile[0].size));
}

// The screen as the X server holds it.
Picture TakeScreenshot() { return Screenshot(MakeTempFolder() + "/screen.png"); }

// Screenshots, with the toolkit's events dispatched in between, until one satisfies the
// predicate or the deadline passes.
template <typename Predicate>
bool WaitForScreen(Predicate good, double seconds) {
    return WaitUntil([&] {
        DispatchPendingToolkitEvents();
        return good(TakeScreenshot());
    }, seconds);
}

TEST_F(ConfigWindowTest, BannerGadgetShowsThePictureInsideItsSunkenFrame) {
    Open();
    wxPoint gadget = GadgetWindow(BannerImage)->GetScreenPosition();
    const unsigned char* bmp = BannerFile[0].bytes + 54;
    int matching = 0;
    Picture screen;
    WaitForScreen([&](const Picture& shot) {
        screen = shot;
        matching = 0;
        if (shot.rgba.size() != 1024u * 768u * 4u) return false;
        for (int y = 0; y < 134; ++y)
            for (int x = 0; x < 420; ++x) {
                const unsigned char* shown = shot.At(gadget.x + 2 + x, gadget.y + 2 + y);
                const unsigned char* kept = bmp + (133 - y) * 1260 + x * 3;
                matching += shown[0] == kept[2] && shown[1] == kept[1] && shown[2] == kept[0];
            }
        return matching == 420 * 134;
    }, 30);
    ASSERT_EQ(screen.rgba.size(), 1024u * 768u * 4u);
    EXPECT_EQ(matching, 420 * 134);
    // the frame: shadowed above and left, lit below and right
    const unsigned char* topLeft = screen.At(gadget.x, gadget.y + 60);
    const unsigned char* bottomRight = screen.At(gadget.x + 423, gadget.y + 60);
    EXPECT_LT(topLeft[0] + topLeft[1] + topLeft[2], bottomRight[0] + bottomRight[1] + bottomRight[2]);
}

// The screen columns of the tick marks drawn above the slider's bar: short dark upright
// strokes on the window's face, each counted once however many columns wide.
std::vector<int> TickMarks(const Picture& screen, wxWindow* slider) {
    const wxPoint at = slider->GetScreenPosition();
    const wxSize size = slider->GetSize();
    const int stripBottom = at.y + size.y / 2 - 4; // the bar runs along the middle
    std::vector<int> marks;
    int lastColumn = -10;
    for (int x = at.x; x < at.x + size.x; ++x) {
        int dark = 0;
        for (int y = at.y; y < stripBottom; ++y) {
            const unsigned char* p = screen.At(x, y);
            dark += (p[0] + p[1] + p[2]) / 3 < 170;
        }
        if (dark < 3) continue;
        if (x != lastColumn + 1) marks.push_back(x);
        lastColumn = x;
    }
    return marks;
}

TEST_F(ConfigWindowTest, SliderShowsATickMarkAtEveryLevel) {
    Open();
    wxWindow* slider = GadgetWindow(ObjectCountSlider);
    // The thumb covers the mark of its own level: the two ends together show them all.
    std::set<int> marks;
    for (int thumb : {0, 4}) {
        SCOPED_TRACE(thumb);
        SetGadgetState(ObjectCountSlider, thumb);
        std::vector<int> shown;
        WaitForScreen([&](const Picture& screen) { return (shown = TickMarks(screen, slider)).size() == 4; }, 30);
        EXPECT_EQ(shown.size(), 4u);
        marks.insert(shown.begin(), shown.end());
    }
    ASSERT_EQ(marks.size(), 5u);
    // evenly spaced, from one end of the bar to the other
    std::vector<int> columns(marks.begin(), marks.end());
    const int step = columns[1] - columns[0];
    for (size_t i = 1; i < columns.size(); ++i) EXPECT_NEAR(columns[i] - columns[i - 1], step, 1) << i;
    EXPECT_GT(step * 4, slider->GetSize().x * 3 / 4);
}

} // namespace
