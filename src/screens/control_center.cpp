#include "screens/control_center.h"

#include "common/display_modes.h"
#include "common/handles.h"
#include "common/profile.h"
#include "common/update_settings.h"
#include "screens/hotkeys.h"
#include "screens/program_shortcut.h"

#include <cstdint>
#include <string>

namespace screens {

namespace {

// The slider position a stored mode opens at. Of the fixed sizes, the width alone decides, and a
// width that is not one of theirs gives the middle position. Of the display's own sizes, the nearest to
// the stored size; without a stored size, the nearest to the screen's.
int PositionOf(const OfferedSizes& offered, int32_t width, int32_t height, const char* device) {
    if (!offered.listed) {
        for (int position = 1; position <= offered.Count(); ++position)
            if (offered.At(position)->width == width) return position;
        return 3;
    }
    if (width <= 0 || height <= 0) return NearestToScreen(offered, device);
    return static_cast<int>(common::NearestSize(offered.sizes, width, height)) + 1;
}

const ui::Color kTip = ui::Rgb(0xD9, 0x2B, 0x11);
const ui::Color kHeading = ui::Rgb(0x41, 0x4A, 0x69);
const ui::Color kValue = ui::Rgb(0x55, 0x57, 0x5B);

}  // namespace

const ui::FormSpec Tmain::kForm = {
    .className = "Tmain",
    .caption = "Quorvex Control Center",
    .clientWidth = 522,
    .clientHeight = 450,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .snapBuffer = 25,
    .onFirstActivate = ui::Do(&Tmain::FormActivate),
    .onClose = ui::Do(&Tmain::FormClose),
};

const ui::ControlSpec Tmain::kLayout[] = {
    ui::Picture("Image1", {0, 0, 522, 450}, "MAINBG"),
    ui::Label("Label22", {16, 427}, "Copyright (c) 2004-2026 The Quorvex team. All rights reserved."),
    ui::GroupBox("GroupBox1", {8, 80, 233, 209}, "Current system settings:"),
    ui::Label("Label1", {8, 24}, "Current WindowsXP user:").In("GroupBox1"),
    ui::Label("mainUser", {8, 40, 217, 13}, "Gathering information...").In("GroupBox1").FixedSize().Bold()
        .TextColor(ui::Rgb(0x50, 0x5B, 0x83)),
    ui::Label("Label3", {8, 64}, "Current display settings:").In("GroupBox1"),
    ui::Label("Label4", {16, 88}, "Resolution:").In("GroupBox1"),
    ui::Label("Label5", {32, 112}, "Width:").In("GroupBox1"),
    ui::Label("Label6", {32, 128}, "Height:").In("GroupBox1"),
    ui::Label("Label7", {16, 152}, "Color depth:").In("GroupBox1"),
    ui::Label("Label8", {32, 176}, "Bits per pixel:").In("GroupBox1"),
    ui::Label("mainX", {120, 112, 95, 13}, "Gathering info...").In("GroupBox1").FixedSize().AlignRight().Bold()
        .TextColor(kValue),
    ui::Label("mainY", {120, 128, 95, 13}, "Gathering info...").In("GroupBox1").FixedSize().AlignRight().Bold()
        .TextColor(kValue),
    ui::Label("mainDepth", {120, 176, 95, 13}, "Gathering info...").In("GroupBox1").FixedSize().AlignRight().Bold()
        .TextColor(kValue),
    ui::GroupBox("GroupBox2", {256, 80, 257, 281}, "Your display and system preferences:"),
    ui::Label("Label12", {8, 24}, "TIP:").In("GroupBox2").Bold().TextColor(kTip),
    ui::Label("Label13", {8, 40}, "The best setings for most users are:").In("GroupBox2").TextColor(kTip),
    ui::Label("Label14", {8, 56}, "1024x768 resolution and 32 Bit color depth.").In("GroupBox2").TextColor(kTip),
    ui::Label("Label15", {8, 88}, "Select your preferred screen resolution:").In("GroupBox2").TextColor(kHeading),
    ui::Label("Label16", {8, 112}, "Selected:").In("GroupBox2"),
    ui::Label("mainResolutionDesc", {56, 112, 193, 13}, "None. Use slider.").In("GroupBox2").FixedSize().Bold(),
    ui::TrackBar("mainResolution", {16, 128, 225, 33}).In("GroupBox2").Range(1, 5).Position(1).NamedBy("Label15")
        .OnChange(&Tmain::mainResolutionChange),
    ui::Label("Label18", {24, 160}, "640x480").In("GroupBox2"),
    ui::Label("Label19", {184, 160}, "1600x1200").In("GroupBox2"),
    ui::Label("Label20", {8, 200}, "Select your preferred screen color depth:").In("GroupBox2").TextColor(kHeading),
    ui::RadioButton("b8", {16, 224, 41, 17}, "8 Bit").In("GroupBox2"),
    ui::RadioButton("b16", {64, 224, 49, 17}, "16 Bit").In("GroupBox2"),
    ui::RadioButton("b32", {120, 224, 49, 17}, "32 Bit").In("GroupBox2"),
    ui::RadioButton("b64", {176, 224, 49, 17}, "64 Bit").In("GroupBox2").Disabled(),
    ui::Label("Label21", {16, 248}, "TIP: 32 Bit color depth is normal.").In("GroupBox2").TextColor(kTip),
    ui::Button("Button1", {8, 304, 113, 25}, "Apply settings").Bold().Default().Hint("Saves settings and changes display mode")
        .OnClick(&Tmain::Button1Click),
    ui::Button("Button5", {128, 304, 113, 25}, "Check for updates")
        .Hint("Tries to download the most recent release from the internet").OnClick(&Tmain::Button5Click),
    ui::Button("Button3", {8, 336, 113, 25}, "Help").Hint("Displays readme.txt file").OnClick(&Tmain::Button3Click),
    ui::Button("Button4", {128, 336, 113, 25}, "About").OnClick(&Tmain::Button4Click),
    ui::Button("Button6", {8, 368, 113, 25}, "Hotkeys...").Hint("Keys for \"My mode\" and \"Natural mode\"")
        .OnClick(&Tmain::Button6Click),
    ui::Button("Button7", {128, 368, 113, 25}, "Program shortcut...")
        .Hint("Puts a shortcut on the desktop that runs a program in a display mode").OnClick(&Tmain::Button7Click),
    ui::StartMark("startup", {16, 368, 57, 17}),
    ui::CheckBox("mainUpdates", {8, 400, 233, 17}, "Check for updates automatically").Checked()
        .OnClick(&Tmain::mainUpdatesClick),
    ui::Button("Button2", {400, 396, 113, 25}, "Close Control Center").Hint("Hides this screen")
        .OnClick(&Tmain::Button2Click),
};

std::span<const ui::ControlSpec> Tmain::SeveralDisplaysLayout() {
    // The tip above the slider gives way to the list of displays.
    static const std::vector<ui::ControlSpec> layout = [] {
        std::vector<ui::ControlSpec> rows;
        for (const ui::ControlSpec& row : kLayout) {
            const std::string name = row.name;
            if (name == "Label12" || name == "Label13" || name == "Label14") continue;
            if (name == "Label15") {
                rows.push_back(ui::Label("Label23", {8, 24}, "Select the display to set:").In("GroupBox2")
                                   .TextColor(kHeading));
                rows.push_back(ui::ComboBox("mainDisplay", {8, 44, 241, 21}).In("GroupBox2")
                                   .OnChange(&Tmain::mainDisplayChange));
            }
            rows.push_back(row);
        }
        return rows;
    }();
    return layout;
}

Tmain::Tmain(ui::Form* owner, tray::Host& host) : Tmain(owner, host, common::AttachedDisplays()) {}

Tmain::Tmain(ui::Form* owner, tray::Host& host, std::vector<common::Display> displays)
    : ui::Form(owner, kForm, displays.size() > 1 ? SeveralDisplaysLayout() : std::span<const ui::ControlSpec>(kLayout)),
      host_(host), displays_(std::move(displays)), sizes_(FixedSizes()) {}

const common::Display* Tmain::Chosen() const { return displays_.size() > 1 ? &displays_[chosen_] : nullptr; }

void Tmain::ListDisplays() {
    mainDisplay_->Clear();
    for (size_t i = 0; i < displays_.size(); ++i) {
        const common::CurrentMode now = common::ScreenModeNow(displays_[i].deviceName.c_str());
        std::string caption = std::to_string(i + 1) + ". " + (displays_[i].primary ? "Primary - " : "");
        caption += now.width > 0 ? std::to_string(now.width) + " x " + std::to_string(now.height) : "unknown mode";
        mainDisplay_->Add(caption);
    }
    mainDisplay_->SetItemIndex(static_cast<int>(chosen_));
}

void Tmain::mainDisplayChange() {
    const int index = mainDisplay_->ItemIndex();
    if (index < 0 || static_cast<size_t>(index) >= displays_.size()) return;
    chosen_ = static_cast<size_t>(index);
    ShowCurrentMode();
    OfferStoredMode();
    FollowPolicies();
}

// A closed Control Center is gone: every "Open Control Center" makes a new one.
void Tmain::FormClose(ui::CloseAction& action) { action = ui::CloseAction::Free; }

// Only the first activation: later ones keep what the user has chosen meanwhile.
void Tmain::FormActivate() {
    mainUser->SetText(host_.UserLabel());
    OpenProfile();
    if (displays_.size() > 1) ListDisplays();
    ShowCurrentMode();
    OfferStoredMode();
    FollowPolicies();
}

void Tmain::FollowPolicies() {
    const common::Policies& policies = host_.Policies();
    Button5->SetEnabled(!policies.disableUpdates);
    // The person's choice, unless the administrator has turned updates off.
    mainUpdates->SetChecked(!policies.disableUpdates && common::UpdateSettings(*profile_).Automatic());
    mainUpdates->SetEnabled(!policies.disableUpdates);
    if (!policies.lockMode) return;
    mainResolution->SetEnabled(false);
    depths_.Disable();
    Button1->SetEnabled(false);
    Label21->SetText("Your administrator set this display mode.");
}

void Tmain::OfferStoredMode() {
    const common::Display* display = Chosen();
    const char* device = display ? display->deviceName.c_str() : nullptr;
    sizes_ = ReadOfferedSizes(device);
    mainResolution->SetRange(1, sizes_.Count());
    // The captions at the slider's ends name the smallest and the largest size.
    Label18->SetText(sizes_.sizes.front().Caption());
    Label19->SetText(sizes_.sizes.back().Caption());
    // The fixed sizes are told apart by their width alone. A mode the administrator locked is the one
    // in force, whatever the profile holds.
    common::StoredMode stored =
        common::StoredMode::Read(*profile_, display ? common::ProfileSection(*display) : common::kScreenSection);
    if (const common::Policies& policies = host_.Policies(); policies.lockMode && (!display || display->primary))
        stored = {policies.mode->width, policies.mode->height, policies.mode->depth};
    const int position = PositionOf(sizes_, stored.width, stored.height, device);
    mainResolution->SetPosition(position);
    // Setting the position it already has fires no change: the text follows here in any case.
    mainResolutionChange();

    // A depth the chosen size does not offer gives its highest; with the fixed sizes, 16 bits.
    const common::ScreenSize& size = *sizes_.At(position);
    const int32_t depth = size.Offers(stored.depth) ? stored.depth : sizes_.listed ? size.HighestDepth() : 16;
    depths_.Check(depth);
}

// The display's own settings: physical pixels (the screen metrics of a program that is not
// DPI-aware are scaled on later Windows) and the real depth (COLORRES says 24 on a 32-bit screen).
void Tmain::ShowCurrentMode() {
    const common::Display* display = Chosen();
    const common::CurrentMode mode = common::ScreenModeNow(display ? display->deviceName.c_str() : nullptr);
    mainX->SetText(std::to_string(mode.width));
    mainY->SetText(std::to_string(mode.height));
    mainDepth->SetText(std::to_string(mode.depth));
}

void Tmain::OpenProfile() {
    common::EnsureUsersDirectory();
    profile_ = std::make_unique<common::IniFile>(common::ProfilePath(host_.CurrentUser()));
}

void Tmain::mainResolutionChange() {
    const common::ScreenSize* size = sizes_.At(mainResolution->Position());
    mainResolutionDesc->SetText(size ? size->Caption() : "Error occured!");
    if (size) depths_.Follow(*size);
}

void Tmain::Button1Click() {
    const common::ScreenSize* size = sizes_.At(mainResolution->Position());
    const common::StoredMode chosen{size ? size->width : 1024, size ? size->height : 768, depths_.Checked()};

    // An activation that could not open the profile left none: try again, so the same error is
    // reported instead of the settings going nowhere.
    if (!profile_) OpenProfile();
    // A question still open about an earlier change is answered "Revert" before this one starts.
    host_.RevertUnconfirmedMode();
    // Only the chosen display's section and screen change.
    const common::Display* display = Chosen();
    const std::string section = display ? common::ProfileSection(*display) : common::kScreenSection;
    const common::StoredModeText previous = common::StoredModeText::Read(*profile_, section);
    chosen.Write(*profile_, section);
    host_.ApplyChosenDisplayMode(chosen, previous, profile_->Path(), display);
    Close();
}

void Tmain::Button5Click() { host_.StartUpdater(); }

void Tmain::Button3Click() { host_.ShowHelp(*this); }

void Tmain::Button4Click() { host_.ShowAbout(*this); }

void Tmain::Button6Click() {
    ui::Form* hotkeys = CreateOwned<Thotkeys>(host_);
    hotkeys->ShowModal();
    ReleaseOwned(hotkeys);
}

void Tmain::Button7Click() {
    ui::Form* shortcut = CreateOwned<Tshortcut>();
    shortcut->ShowModal();
    ReleaseOwned(shortcut);
}

void Tmain::Button2Click() { Close(); }

// Kept at once, as the person's own setting; Quorvex's next look at the time reads it. The box
// follows the profile and the administrator too (FollowPolicies), which changes nothing stored.
void Tmain::mainUpdatesClick() {
    if (host_.Policies().disableUpdates) return;
    if (!profile_) OpenProfile();
    common::UpdateSettings settings(*profile_);
    if (settings.Automatic() != mainUpdates->Checked()) settings.SetAutomatic(mainUpdates->Checked());
}

}  // namespace screens
