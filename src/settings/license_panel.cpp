// The license panel: the window widens to show the license text and the donation link, and
// narrows again to hide them.
#include "settings/config_window_state.h"

namespace {

std::string ReplaceAll(std::string text, const std::string& what, const std::string& with) {
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
        text.replace(at, what.size(), with);
    return text;
}

} // namespace

void ToggleLicensePanel() {
    wxFrame* window = ConfigWindow.window;
    if (!ConfigWindow.licensePanelOpen) {
        window->SetClientSize(wideClientWidth, clientHeight);
        SetGadgetText(LicenseButton, ReplaceAll(GadgetText(LicenseButton), ">>", "<<"));
        auto* panel = static_cast<wxTextCtrl*>(ConfigWindow.gadgets[LicensePanel]);
        panel->Clear();
        panel->AppendText(ToToolkit(ConfigWindow.licenseText));
        panel->SetInsertionPoint(0); // the reader starts at the top, not where appending left off
        panel->ShowPosition(0);
        panel->Show();
        ConfigWindow.gadgets[DonationLink]->Show();
        ConfigWindow.licensePanelOpen = true;
    } else {
        // The panel and the donation link stay shown: the narrowed window no longer reaches them.
        window->SetClientSize(narrowClientWidth, clientHeight);
        SetGadgetText(LicenseButton, ReplaceAll(GadgetText(LicenseButton), "<<", ">>"));
        ConfigWindow.licensePanelOpen = false;
    }
}
