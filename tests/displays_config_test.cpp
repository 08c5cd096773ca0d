// The configuration window in-process against a real X server (Xorg with the dummy driver) whose
// display offers 1920x1080 (the desktop), 1280x1024, 1024x768, 800x600 and 640x480: the
// resolution box holds the display's own modes, and OK writes the one picked.
#include <gtest/gtest.h>
#include <wx/wx.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/os.h"
#include "settings/config_window.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "support/temp_folder.h"
#include "support/xorg.h"

namespace {

std::vector<std::string> messages;
void RecordMessage(const std::string&, const std::string& text) { messages.push_back(text); }

// The toolkit stays up across tests and is released once, before the server goes away.
class ToolkitEnvironment : public ::testing::Environment {
public:
    void TearDown() override { ReleaseConfigurationWindow(); }
};
const auto* toolkitEnvironment = ::testing::AddGlobalTestEnvironment(new ToolkitEnvironment);

class DisplaysConfig : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_NE(StartXorg(), ""); }
    void SetUp() override {
        ResetXorgMonitors();
        folder = MakeTempFolder();
        SetProgramFilePathForTests(folder + "/Zelvaro");
        messages.clear();
        SetMessageBoxHandler(RecordMessage);
        LoadLanguageTable();
    }
    void TearDown() override {
        CloseConfigurationWindow();
        SetMessageBoxHandler(nullptr);
        SetProgramFilePathForTests("");
    }
    void Open(const std::string& iniLines) {
        WriteFileBytes(folder + "/Zelvaro.ini", "[PARAM]\r\n" + iniLines);
        ASSERT_TRUE(OpenConfigurationWindow());
        DispatchPendingToolkitEvents();
    }
    std::vector<std::string> ResolutionItems() {
        std::vector<std::string> items;
        for (int i = 0; i < CountGadgetItems(ResolutionBox); ++i) items.push_back(GadgetItemText(ResolutionBox, i));
        return items;
    }
    std::string folder;
};

TEST_F(DisplaysConfig, ResolutionBoxHoldsTheDisplaysWideModesInOrder) {
    Open("");
    // 640 x 480 is too small; the desktop's own size is one mode among the others.
    EXPECT_EQ(ResolutionItems(), (std::vector<std::string>{"800 x 600", "1024 x 768", "1280 x 1024", "1920 x 1080"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(DisplaysConfig, StoredResolutionSelectsItsEntry) {
    const struct {
        const char* stored;
        const char* selected;
    } cases[] = {
        {"1024 x 768", "1024 x 768"},
        {"1280 X 1024", "1280 x 1024"}, // letter case does not matter
        {"1600 x 1200", ""},            // a size the display lacks selects nothing
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        Open(std::string("Resolution = ") + c.stored + "\r\n");
        EXPECT_EQ(GadgetText(ResolutionBox), c.selected);
        CloseConfigurationWindow();
    }
}

TEST_F(DisplaysConfig, OkAfterPicking800x600WritesIt) {
    Open("");
    std::vector<std::string> items = ResolutionItems();
    auto picked = std::find(items.begin(), items.end(), "800 x 600");
    ASSERT_NE(picked, items.end());
    // The user's pick, as the toolkit reports it: the selection changes, then its event.
    SetGadgetState(ResolutionBox, static_cast<int>(picked - items.begin()));
    wxCommandEvent choice(wxEVT_CHOICE, ResolutionBox);
    choice.SetEventObject(GadgetWindow(ResolutionBox));
    GadgetWindow(ResolutionBox)->GetEventHandler()->ProcessEvent(choice);
    ConfigurationEvent event = WaitConfigurationEvent();
    EXPECT_FALSE(HandleConfigurationEvent(event));
    wxCommandEvent ok(wxEVT_BUTTON, OkButton);
    ok.SetEventObject(GadgetWindow(OkButton));
    GadgetWindow(OkButton)->GetEventHandler()->ProcessEvent(ok);
    EXPECT_TRUE(HandleConfigurationEvent(WaitConfigurationEvent()));
    EXPECT_NE(ReadFileBytes(folder + "/Zelvaro.ini").find("\r\nResolution = 800 x 600\r\n"), std::string::npos);
}

} // namespace
