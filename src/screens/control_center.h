#pragma once
// The Control Center: the current display settings and the user's stored mode.
#include "common/displays.h"
#include "common/ini_file.h"
#include "screens/resolutions.h"
#include "tray/host.h"
#include "ui/form.h"

#include <memory>
#include <span>
#include <vector>

namespace screens {

class Tmain : public ui::Form {
public:
    Tmain(ui::Form* owner, tray::Host& host);

    void FormActivate();
    void FormClose(ui::CloseAction& action);
    void mainResolutionChange();
    void mainDisplayChange();
    void Button1Click();
    void Button5Click();
    void Button3Click();
    void Button4Click();
    void Button2Click();
    void Button6Click();  // "Hotkeys..."
    void Button7Click();  // "Program shortcut..."
    void mainUpdatesClick();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
    // With several displays attached: the same window with the list of displays above the slider.
    static std::span<const ui::ControlSpec> SeveralDisplaysLayout();

private:
    Tmain(ui::Form* owner, tray::Host& host, std::vector<common::Display> displays);
    // The display the slider, the depth buttons and the current settings are about, or nullptr for
    // the only one.
    const common::Display* Chosen() const;
    // Names each display in the list: its number, "Primary", and its size now.
    void ListDisplays();
    // Makes sure the Users folder exists and opens the current user's profile.
    void OpenProfile();
    // Fills the current width, height and bits per pixel.
    void ShowCurrentMode();
    // The slider offers the display's sizes and opens at the stored mode, as do the depth buttons.
    void OfferStoredMode();
    // What the administrator has set: a locked mode cannot be chosen here, updates may be off.
    void FollowPolicies();

    tray::Host& host_;
    ui::Bound<ui::TLabel> mainUser{*this, "mainUser"}, mainX{*this, "mainX"}, mainY{*this, "mainY"},
        mainDepth{*this, "mainDepth"}, mainResolutionDesc{*this, "mainResolutionDesc"}, Label18{*this, "Label18"},
        Label19{*this, "Label19"};
    ui::Bound<ui::TTrackBar> mainResolution{*this, "mainResolution"};
    ui::Bound<ui::TLabel> Label21{*this, "Label21"};
    ui::Bound<ui::TButton> Button1{*this, "Button1"}, Button5{*this, "Button5"};
    ui::Bound<ui::TCheckBox> mainUpdates{*this, "mainUpdates"};
    DepthButtons depths_{*this};

    std::vector<common::Display> displays_;  // attached, the primary first
    size_t chosen_ = 0;
    ui::Bound<ui::TComboBox> mainDisplay_{*this, "mainDisplay", ui::kIfInLayout};  // only with several displays

    // The user's profile, opened at the first activation and kept for the window's life.
    std::unique_ptr<common::IniFile> profile_;
    // The slider's sizes: the fixed ones until the first activation reads the display's.
    OfferedSizes sizes_;
};

}  // namespace screens
