#include "screens/control_center.h"

#include "common/display_modes.h"
#include "common/handles.h"
#include "common/profile.h"
#include "common/system_services.h"
#include "common/text.h"
#include "screens/about.h"
#include "screens/resolutions.h"
#include "tray/forms.h"
#include "tray/host_form.h"

#include <shellapi.h>

#include <cstdint>
#include <optional>
#include <string>

namespace screens {

namespace {

// The slider position a stored mode opens at. Of the fixed sizes, the width alone decides, and a
// width that is not one of theirs gives the middle position. Of the display's own sizes, the nearest to
// the stored size; without a stored size, the nearest to the screen's.
int PositionOf(const OfferedSizes& offered, int32_t width, int32_t height) {
    if (!offered.listed) {
        for (int position = 1; position <= offered.Count(); ++position)
            if (offered.At(position)->width == width) return position;
        return 3;
    }
    if (width <= 0 || height <= 0) {
        DEVMODEA screen;
        if (common::CurrentDisplayMode(screen)) {
            width = static_cast<int32_t>(screen.dmPelsWidth);
            height = static_cast<int32_t>(screen.dmPelsHeight);
        } else {
            width = common::Services().GetSystemMetrics(SM_CXSCREEN);
            height = common::Services().GetSystemMetrics(SM_CYSCREEN);
        }
    }
    return static_cast<int>(common::NearestSize(offered.sizes, width, height)) + 1;
}

tray::Tresolution& Host() { return *tray::forms.resolution; }

const ui::Color kTip = ui::Rgb(0xD9, 0x2B, 0x11);
const ui::Color kHeading = ui::Rgb(0x41, 0x4A, 0x69);
const ui::Color kValue = ui::Rgb(0x55, 0x57, 0x5B);

}  // namespace

const ui::FormSpec Tmain::kForm = {
    .className = "Tmain",
    .caption = "Quorvex Control Center",
    .clientWidth = 522,
    .clientHeight = 426,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .snapBuffer = 25,
    .onActivate = ui::Do(&Tmain::FormActivate),
    .onClose = ui::Do(&Tmain::FormClose),
};

const ui::ControlSpec Tmain::kLayout[] = {
    ui::Picture("Image1", {0, 0, 522, 426}, "MAINBG"),
    ui::Label("Label22", {16, 403}, "Copyright (c) 2004-2026 The Quorvex team. All rights reserved."),
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
    ui::TrackBar("mainResolution", {16, 128, 225, 33}).In("GroupBox2").Range(1, 5).Position(1)
        .OnChange(&Tmain::mainResolutionChange),
    ui::Label("Label18", {24, 160}, "640x480").In("GroupBox2"),
    ui::Label("Label19", {184, 160}, "1600x1200").In("GroupBox2"),
    ui::Label("Label20", {8, 200}, "Select your preferred screen color depth:").In("GroupBox2").TextColor(kHeading),
    ui::RadioButton("b8", {16, 224, 41, 17}, "8 Bit").In("GroupBox2"),
    ui::RadioButton("b16", {64, 224, 49, 17}, "16 Bit").In("GroupBox2"),
    ui::RadioButton("b32", {120, 224, 49, 17}, "32 Bit").In("GroupBox2"),
    ui::RadioButton("b64", {176, 224, 49, 17}, "64 Bit").In("GroupBox2").Disabled(),
    ui::Label("Label21", {16, 248}, "TIP: 32 Bit color depth is normal.").In("GroupBox2").TextColor(kTip),
    ui::Button("Button1", {8, 304, 113, 25}, "Apply settings").Bold().Hint("Saves settings and changes display mode")
        .OnClick(&Tmain::Button1Click),
    ui::Button("Button5", {128, 304, 113, 25}, "Check for updates")
        .Hint("Tries to download the most recent release from the internet").OnClick(&Tmain::Button5Click),
    ui::Button("Button3", {8, 336, 113, 25}, "Help").Hint("Displays readme.txt file").OnClick(&Tmain::Button3Click),
    ui::Button("Button4", {128, 336, 113, 25}, "About").OnClick(&Tmain::Button4Click),
    ui::CheckBox("startup", {16, 368, 57, 17}, "startup").Checked().Hidden(),
    ui::Button("Button2", {400, 376, 113, 25}, "Close Control Center").Hint("Hides this screen")
        .OnClick(&Tmain::Button2Click),
};

Tmain::Tmain(ui::Form* owner) : ui::Form(owner, kForm, kLayout), sizes_(FixedSizes()) {
    tray::WindowMade(tray::forms.main, tray::forms.controlCenters, *this);
}

Tmain::~Tmain() { tray::WindowGone(tray::forms.main, tray::forms.controlCenters, *this); }

// A closed Control Center is gone: every "Open Control Center" makes a new one.
void Tmain::FormClose(ui::CloseAction& action) { action = ui::CloseAction::Free; }

void Tmain::FormActivate() {
    // Message boxes of the steps below re-activate the window: the flag goes first.
    auto& startup = Find<ui::TCheckBox>("startup");
    if (!startup.Checked()) return;
    startup.SetChecked(false);

    Find("mainUser").SetText(Host().UserLabel());
    OpenProfile();

    ShowCurrentMode();

    sizes_ = ReadOfferedSizes();
    auto& slider = Find<ui::TTrackBar>("mainResolution");
    slider.SetRange(1, sizes_.Count());
    // The captions at the slider's ends name the smallest and the largest size.
    Find("Label18").SetText(sizes_.sizes.front().Caption());
    Find("Label19").SetText(sizes_.sizes.back().Caption());
    const int32_t storedX = profile_->ReadInteger("Screen", "X", 0);
    // The fixed sizes are told apart by their width alone, so the height is read only for the others.
    const int32_t storedY = sizes_.listed ? profile_->ReadInteger("Screen", "Y", 0) : 0;
    const int position = PositionOf(sizes_, storedX, storedY);
    slider.SetPosition(position);
    // Setting the position it already has fires no change: the text follows here in any case.
    mainResolutionChange();

    // A depth the chosen size does not offer gives its highest; with the fixed sizes, 16 bits.
    const common::ScreenSize& size = *sizes_.At(position);
    int32_t storedDepth = profile_->ReadInteger("Screen", "Depth", 0);
    if (!size.Offers(storedDepth)) storedDepth = sizes_.listed ? size.HighestDepth() : 16;
    Find<ui::TRadioButton>("b" + std::to_string(storedDepth)).SetChecked(true);
}

// The display's own settings: physical pixels (the screen metrics of a program that is not
// DPI-aware are scaled on later Windows) and the real depth (COLORRES says 24 on a 32-bit screen).
void Tmain::ShowCurrentMode() {
    auto& services = common::Services();
    std::optional<common::CurrentMode> mode = common::CurrentDisplayMode();
    if (!mode) {
        const common::WindowDc windowDc = common::GetWindowDc(Handle());
        HDC dc = windowDc.Get();
        mode = common::CurrentMode{services.GetSystemMetrics(SM_CXSCREEN), services.GetSystemMetrics(SM_CYSCREEN),
                                   services.GetDeviceCaps(dc, BITSPIXEL) * services.GetDeviceCaps(dc, PLANES)};
    }
    Find("mainX").SetText(std::to_string(mode->width));
    Find("mainY").SetText(std::to_string(mode->height));
    Find("mainDepth").SetText(std::to_string(mode->depth));
}

void Tmain::OpenProfile() {
    common::EnsureUsersDirectory();
    profile_ = std::make_unique<common::IniFile>(common::ProfilePath(Host().CurrentUser()));
}

void Tmain::mainResolutionChange() {
    const common::ScreenSize* size = sizes_.At(Find<ui::TTrackBar>("mainResolution").Position());
    Find("mainResolutionDesc").SetText(size ? size->Caption() : "Error occured!");
    if (size) FollowDepths(*this, *size);
}

void Tmain::Button1Click() {
    const common::ScreenSize* size = sizes_.At(Find<ui::TTrackBar>("mainResolution").Position());
    const int32_t width = size ? size->width : 1024;
    const int32_t height = size ? size->height : 768;
    int32_t depth = 16;
    if (Find<ui::TRadioButton>("b8").Checked()) depth = 8;
    if (Find<ui::TRadioButton>("b16").Checked()) depth = 16;
    if (Find<ui::TRadioButton>("b32").Checked()) depth = 32;

    // An activation that could not open the profile left none: try again, so the same error is
    // reported instead of the settings going nowhere.
    if (!profile_) OpenProfile();
    // A question still open about an earlier change is answered "Revert" before this one starts.
    Host().RevertUnconfirmedMode();
    const tray::StoredProfileMode previous = tray::StoredProfileMode::Read(*profile_);
    profile_->WriteInteger("Screen", "X", width);
    profile_->WriteInteger("Screen", "Y", height);
    profile_->WriteInteger("Screen", "Depth", depth);
    Host().ApplyChosenDisplayMode(width, height, depth, previous, profile_->Path());
    Close();
}

// Does what the tray menu's command of the same name does: the updater starts and Quorvex ends,
// back in the natural mode, since the updater will not replace a running Quorvex.
void Tmain::Button5Click() { Host().Searchforupdates1Click(); }

void Tmain::Button3Click() {
    const std::string readme = common::ProgramDirectory() + "readme.txt";
    common::Services().ShellExecuteA(Handle(), "open", readme.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Tmain::Button4Click() { CreateOwned<Tabout>()->Show(); }

void Tmain::Button2Click() { Close(); }

}  // namespace screens
