#include "screens/wizard.h"

#include "common/display_modes.h"
#include "common/profile.h"
#include "screens/resolutions.h"
#include "ui/application.h"

#include <cstdlib>

namespace screens {

namespace {

// The user types of the buttons typ1, typ2 and typ3.
struct UserType {
    int32_t width, height;
    const char* failure;  // when the system rejects every depth
};
constexpr UserType kUserTypes[] = {
    {640, 480, "Could not set any low resolution display mode. Please select a higher-resolution mode."},
    {800, 600,
     "Could not set any medium resolution display mode. Please select a higher-resolution or lower-resolution mode."},
    {1024, 768, "Could not set any high resolution display mode. Please select a lower-resolution mode."},
};

// The automatic configuration takes the first depth the system does not reject.
constexpr int32_t kAutomaticDepths[] = {32, 16, 8};


constexpr ui::Color kHeading = ui::Rgb(0x20, 0x21, 0x2F);
constexpr ui::Color kQuestion = ui::Rgb(0xA5, 0xE0, 0xE7);
constexpr ui::Color kTip = ui::Rgb(0xF2, 0x70, 0x4F);

}  // namespace

const ui::FormSpec Twizard::kForm = {
    .className = "Twizard",
    .caption = "Quorvex First Configuration Wizard",
    .left = 196,
    .top = 114,
    .width = 602,
    .height = 640,
    .border = ui::BorderStyle::Sizeable,
    .borderIcons = 0,
    .position = ui::FormPosition::Designed,
    .color = ui::Rgb(0x50, 0x70, 0xC5),
    .font = {"Tahoma", -11, false, ui::Rgb(0xF0, 0xFA, 0xFB)},
    .scaled = true,
    .onFirstActivate = ui::Do(&Twizard::FormActivate),
};

const ui::ControlSpec Twizard::kLayout[] = {
    ui::Label("Label1", {8, 8}, "Welcome in Quorvex!").Font("Tahoma", -16).Bold().TextColor(ui::Rgb(0x38, 0x3A, 0x52)),
    ui::Label("Label2", {8, 32},
              "You are a new user in Quorvex. You need to configure this program in order to work with it successfully."),
    ui::Label("Label3", {8, 56}, "What is this pogram used for?").TextColor(kQuestion),
    ui::Label("Label4", {8, 72},
              "Quorvex personalizes your display settings (like screen resolution and color depth) in WindowsXP and "
              "applies them"),
    ui::Label("Label5", {8, 88}, "every time you log on to your windows account."),
    ui::Label("Label6", {8, 112}, "What should I do in order to start working with this software?").TextColor(kQuestion),
    ui::Label("Label7", {8, 128},
              "Everything you need to do now is to select a type of configuration. You can eighter do it manually, by "
              "selecting your"),
    ui::Label("Label8", {8, 144},
              "desired display mode or select an automatic configuration and let the program do the job for you."),
    ui::StartMark("startup", {8, 160, 97, 17}),
    ui::Notebook("silnik", {8, 184, 577, 369}),

    ui::Page("Default", "silnik"),
    ui::Label("Label9", {8, 8}, "Configuration step 1: Configuration type.").In("Default").Font("Tahoma", -13).Bold()
        .TextColor(kHeading),
    ui::Label("Label10", {8, 32}, "Please select your desired configuration mode:").In("Default"),
    ui::RadioButton("manual", {16, 56, 353, 17}, "Manual configuration (you'll be able to enter your desired settings)")
        .In("Default"),
    ui::RadioButton("auto", {16, 80, 385, 17},
                    "Automatic configuration (program will select the best settings for you)")
        .In("Default").Checked(),
    ui::Button("Button1", {488, 112, 75, 25}, "Next").In("Default").Disabled().Default().OnClick(&Twizard::Button1Click),

    ui::Page("manualna", "silnik"),
    ui::Label("Label14", {8, 8}, "Configuration step 2: Manual configuration - display mode.").In("manualna")
        .Font("Tahoma", -13).Bold().TextColor(kHeading),
    ui::Label("Label15", {8, 32},
              "Quorvex allows you to choose more resolutions than WindowsXP, but some of them may not be supported")
        .In("manualna"),
    ui::Label("Label16", {8, 48},
              "by your hardware. If some configuration fails the compatibility test, just try another one. You'll "
              "surely find a")
        .In("manualna"),
    ui::Label("Label17", {8, 64}, "right one.").In("manualna"),
    ui::Label("Label18", {8, 88}, "TIP:").In("manualna").Bold().TextColor(kTip),
    ui::Label("Label19", {8, 104}, "The best settings for most machines are:").In("manualna").TextColor(kTip),
    ui::Label("Label20", {24, 120}, "Resolution: 800x600 or 1024x768").In("manualna").TextColor(kTip),
    ui::Label("Label21", {24, 136}, "Color depth: 16 or 32 Bit").In("manualna").TextColor(kTip),
    ui::Label("Label22", {8, 168}, "Use this slider to select desired screen resolution:").In("manualna"),
    // The chosen size by name: most of the display's own sizes have no caption under the slider.
    ui::Label("sliderDesc", {296, 168}, kResolutions[2].caption).In("manualna").Bold(),
    ui::TrackBar("slider", {16, 184, 545, 33}).In("manualna").Range(1, 5).Position(3).NamedBy("Label22").OnChange(&Twizard::sliderChange),
    ui::Label("Label23", {24, 216}, kResolutions[0].caption).In("manualna"),
    ui::Label("Label24", {136, 216}, kResolutions[1].caption).In("manualna"),
    ui::Label("Label25", {264, 216}, kResolutions[2].caption).In("manualna"),
    ui::Label("Label26", {392, 216}, kResolutions[3].caption).In("manualna"),
    ui::Label("Label27", {504, 216}, kResolutions[4].caption).In("manualna"),
    ui::Label("Label28", {8, 240}, "Select desired color depth:").In("manualna"),
    ui::RadioButton("b8", {16, 256, 129, 17}, "8 Bit - very few colors").In("manualna").OnClick(&Twizard::DepthClick),
    ui::RadioButton("b16", {168, 256, 185, 17}, "16 Bit - average number of colors").In("manualna").Checked()
        .OnClick(&Twizard::DepthClick),
    ui::RadioButton("b32", {384, 256, 137, 17}, "32 Bit - plenty of them").In("manualna").OnClick(&Twizard::DepthClick),
    ui::Label("Label29", {8, 288}, "Click here to test if your desired settings are supported on this machine:")
        .In("manualna"),
    ui::Button("Button2", {368, 280, 75, 25}, "Test").In("manualna").Bold().OnClick(&Twizard::Button2Click),
    // "Back" before "Next Step": the keyboard visits them as they are read, left to right.
    ui::Button("Button4", {408, 328, 75, 25}, "Back").In("manualna").OnClick(&Twizard::Button4Click),
    ui::Button("Button3", {488, 328, 75, 25}, "Next Step").In("manualna").Disabled().Default()
        .OnClick(&Twizard::Button3Click),

    ui::Page("automatyczna", "silnik"),
    ui::Label("Label13", {8, 8}, "Configuration step 2: Automatic configuration - type of user.").In("automatyczna")
        .Font("Tahoma", -13).Bold().TextColor(kHeading),
    ui::Label("Label30", {8, 32},
              "Quorvex can configure itself in 3 ways. Please select the type that you think is the best for you.")
        .In("automatyczna"),
    ui::RadioButton("typ1", {8, 56, 185, 17}, "Type 1 - very low resolution.").In("automatyczna"),
    ui::Label("Label31", {16, 80}, "Pros: everything on the screen (fonts etc.) is VERY big.").In("automatyczna"),
    ui::Label("Label32", {16, 96},
              "Cons: there is little space on the screen and you need to scroll everything all the time.")
        .In("automatyczna"),
    ui::RadioButton("typ2", {8, 120, 377, 17}, "Type 2 - medium resolution.").In("automatyczna"),
    ui::Label("Label33", {16, 144},
              "Pros: fonts, images and windows are large, and therefore it is easier to read them.")
        .In("automatyczna"),
    ui::Label("Label34", {16, 160}, "Cons: there still isn't enough place on the screen for most users.")
        .In("automatyczna"),
    ui::RadioButton("typ3", {8, 184, 193, 17}, "Type 3 - high resolution.").In("automatyczna").Checked(),
    ui::Label("Label35", {16, 208},
              "Pros: you have a lot of space on the screen, desktop and in windows, in most cases you don't have to "
              "scroll")
        .In("automatyczna"),
    ui::Label("Label36", {32, 224}, "anything.").In("automatyczna"),
    ui::Label("Label37", {16, 240}, "Cons: fonts are rather small and sometimes it's difficult to read them.")
        .In("automatyczna").TextColor(ui::Rgb(0xE6, 0x6F, 0x59)),
    ui::Button("Button6", {496, 336, 75, 25}, "Next").In("automatyczna").Default().OnClick(&Twizard::Button6Click),

    ui::Page("koniec", "silnik"),
    ui::Label("Label38", {8, 8}, "Configuration is now finished.").In("koniec").Font("Tahoma", -15).Bold()
        .TextColor(ui::Rgb(0x11, 0x3D, 0x42)),
    ui::Label("Label39", {8, 32},
              "Quorvex is now configured. If you ever want to change display settings, use program's \"Control "
              "Center\"")
        .In("koniec"),
    ui::Label("Label40", {8, 48}, "instead of Windows display settings panel.").In("koniec"),
    ui::Label("Label41", {8, 72}, "How to open Quorvex's control center?").In("koniec").TextColor(kQuestion),
    ui::Label("Label42", {8, 88},
              "Quorvex displays an icon in system tray (the bottom bar with a clock). Just right-click on that icon "
              "and select")
        .In("koniec"),
    ui::Label("Label43", {8, 104},
              "\"Open Control Center\". Program will then display a new window with configuration options.")
        .In("koniec"),
    ui::Label("Label44", {8, 136}, "These settings were selected:").In("koniec").TextColor(ui::Rgb(0xB7, 0xE7, 0xEC)),
    ui::Label("Label45", {16, 160}, "Resolution:").In("koniec"),
    ui::Label("Label46", {16, 184}, "Caption:").In("koniec"),
    ui::Label("konResolution", {96, 160}, "Gathering info...").In("koniec"),
    ui::Label("konDepth", {96, 184}, "Gathering info...").In("koniec"),
    ui::Button("Button5", {488, 328, 75, 25}, "Finish").In("koniec").Default().OnClick(&Twizard::Button5Click),

    ui::Label("Label11", {8, 560},
              "If you feel confused with all this stuff, just select automatic configuration and click on the \"Next\" "
              "button."),
    ui::Label("Label12", {8, 576}, "Than, select low or high resolution and click on the \"Finish\" button."),
};

Twizard::Twizard(ui::Form* owner, tray::Host& host)
    : ui::Form(owner, kForm, kLayout), host_(host), sizes_(FixedSizes()) {}

void Twizard::FormActivate() {
    userName_ = host_.UserLabel();
    common::EnsureUsersDirectory();
    profile_ = std::make_unique<common::IniFile>(common::ProfilePath(userName_));
    OfferDisplaySizes();
    Button1->SetEnabled(true);
}

void Twizard::OfferDisplaySizes() {
    sizes_ = ReadOfferedSizes();
    if (!sizes_.listed) return;  // the layout's own five
    slider->SetRange(1, sizes_.Count());
    slider->SetPosition(NearestToScreen(sizes_));
    // The five captions stand a quarter of the slider's length from each other. The ends name the
    // smallest and the largest size; one between names the size at the position nearest to its
    // place, and stays hidden when that position lies more than a sixteenth of the length away or
    // already has a caption.
    const int steps = sizes_.Count() - 1;
    int previous = 1;
    for (int i = 0; i < 5; ++i) {
        const int position = 1 + (steps * i * 2 + 4) / 8;  // rounded to the nearest
        const bool end = i == 0 || i == 4;
        const bool closeBy = 4 * std::abs(steps * i - 4 * (position - 1)) <= steps;
        const bool shown = end || (closeBy && position != previous && position != steps + 1);
        captions_[i]->SetText(sizes_.At(position)->Caption());
        captions_[i]->SetVisible(shown);
        if (shown) previous = position;
    }
    sliderChange();  // the position may have stayed: no change event then
}

void Twizard::Button1Click() {
    if (manual->Checked())
        silnik->SetActivePage("manualna");
    else if (autoType->Checked())
        silnik->SetActivePage("automatyczna");
}

void Twizard::Button2Click() {
    const common::ScreenSize* size = sizes_.At(slider->Position());
    if (!size) return;  // the bar keeps to its range
    // A failed mode is kept as well: "Next Step" stays disabled, so it cannot reach "Finish".
    chosen_ = {size->width, size->height, depths_.Checked()};

    if (!host_.ModePossible(chosen_)) {
        ui::ShowMessage("Selected display mode is not supported on this machine. Please try a different one.");
        Button3->SetEnabled(false);
        return;
    }
    ui::ShowMessage(
        "Selected display mode has passed the compatibility test. You can click on the \"Next\" button now.");
    Button3->SetEnabled(true);
}

void Twizard::Button3Click() {
    ShowSummary();
    silnik->SetActivePage("koniec");
}

void Twizard::Button4Click() { silnik->SetActivePage("Default"); }

void Twizard::Button6Click() {
    for (size_t i = 0; i < std::size(kUserTypes); ++i) {
        if (!types_[i]->Checked()) continue;
        const UserType& type = kUserTypes[i];
        // The type's size, or the display's own size nearest to it.
        common::ScreenSize size{type.width, type.height};
        if (sizes_.listed) size = sizes_.sizes[common::NearestSize(sizes_.sizes, type.width, type.height)];
        for (int32_t depth : kAutomaticDepths) {
            if (!host_.ModePossible({size.width, size.height, depth})) continue;
            chosen_ = {size.width, size.height, depth};
            silnik->SetActivePage("koniec");
            ShowSummary();
            return;
        }
        ui::ShowMessage(type.failure);
        return;
    }
}

void Twizard::Button5Click() {
    // The profile goes with the first "Finish"; a second press, before the window is gone, only closes.
    if (profile_) {
        chosen_.Write(*profile_);
        profile_.reset();
    }
    Close();
}

void Twizard::ShowSummary() {
    // A size the slider offers is named; of the fixed sizes the width alone decides.
    for (const common::ScreenSize& size : sizes_.sizes)
        if (size.width == chosen_.width && (size.height == chosen_.height || !sizes_.listed)) {
            konResolution->SetText(size.Caption());
            break;
        }
    if (chosen_.depth == 8 || chosen_.depth == 16 || chosen_.depth == 32)
        konDepth->SetText(std::to_string(chosen_.depth) + " Bit");
}

void Twizard::sliderChange() {
    Button3->SetEnabled(false);
    if (const common::ScreenSize* size = sizes_.At(slider->Position())) {
        sliderDesc->SetText(size->Caption());
        depths_.Follow(*size);
    }
}

// Another depth needs another test before "Next Step".
void Twizard::DepthClick() { Button3->SetEnabled(false); }

}  // namespace screens
