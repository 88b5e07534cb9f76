#include "tray/host_form.h"

#include "common/display_modes.h"
#include "common/exception.h"
#include "common/profile.h"
#include "common/system_services.h"
#include "common/text.h"
#include "desktop/app_props.h"
#include "desktop/auto_run.h"
#include "desktop/one_instance.h"
#include "desktop/tray_icon.h"
#include "tray/build_stamp.h"
#include "tray/forms.h"
#include "ui/application.h"
#include "updater/install.h"

#include <shellapi.h>

namespace tray {

FormReferences forms;
ScreenFactories screenFactories;

void WindowMade(ui::Form*& current, std::vector<ui::Form*>& made, ui::Form& window) {
    made.push_back(&window);
    current = &window;
}

void WindowGone(ui::Form*& current, std::vector<ui::Form*>& made, ui::Form& window) {
    std::erase(made, &window);
    if (current == &window) current = made.empty() ? nullptr : made.back();
}

namespace {
HICON ProgramIcon() { return LoadIconA(GetModuleHandleA(nullptr), "MAINICON"); }
}  // namespace

const ui::FormSpec Tresolution::kForm = {
    .className = "Tresolution",
    .caption = "Quorvex",
    .clientWidth = 315,
    .clientHeight = 136,
    .border = ui::BorderStyle::None,
    .borderIcons = 0,
    .position = ui::FormPosition::ScreenCenter,
    .color = ui::Rgb(0, 0, 0),
    .font = {"Tahoma", -11, false, ui::Rgb(55, 72, 132)},
    .alpha = 220,
    .transparentColor = ui::Rgb(0, 0, 0),  // the black margin and any pure black are see-through
    .visible = true,
    .showActivates = false,  // the splash leaves the keyboard where the user has it
    .onCreate = ui::Do(&Tresolution::FormCreate),
    .onClose = ui::Do(&Tresolution::FormClose),
};

const ui::ControlSpec Tresolution::kLayout[] = {
    ui::Picture("tlo", {0, 0, 315, 136}, "SPLASH"),
    ui::Label("luser", {64, 112, 61, 13}, "nazwa usera").Hidden(),
    ui::Label("info", {136, 112, 61, 13}, "info").FixedSize().Hidden(),
    ui::Label("wersja", {238, 16, 49, 13}, "Loading...").AlignRight().Font("Tahoma", -11).TextColor(ui::Rgb(213, 103, 4)),
    ui::CheckBox("startup", {8, 112, 57, 17}, "startup").Checked().Hidden(),
    ui::Events("events").OnIdle(&Tresolution::eventsIdle),
    ui::Custom<desktop::TdskTrayIcon, Tresolution>("tray",
        [](Tresolution&, desktop::TdskTrayIcon& tray) {
            tray.SetHint("Quorvex - display mode manager for WindowsXP");
            tray.SetIcon(ProgramIcon());
            tray.MinimizeToTray = true;
            tray.SetPopupMenu("popup");
            tray.SetVisible(true);
            tray.InfoText = "Quorvex personalizes your display settings.";
            tray.InfoTitle = "Tip:";
            tray.InfoType = desktop::tiiInfo;
        }),
    ui::Custom<desktop::TdskAutoRun, Tresolution>("autorun",
        [](Tresolution&, desktop::TdskAutoRun& autorun) { autorun.SetAutoRun(true); }),
    ui::Custom<desktop::TdskOneInstance, Tresolution>("once",
        [](Tresolution&, desktop::TdskOneInstance& once) {
            once.Message = "You can not run this program twice.";
            once.ShowMessage = true;
        }),
    ui::Manifest("man"),
    ui::PopupMenu("popup").Animation(TPM_HORPOSANIMATION | TPM_HORNEGANIMATION | TPM_VERPOSANIMATION |
                                     TPM_VERNEGANIMATION),
    ui::MenuItem("Open1", "Open Control Center", "popup").Default().OnClick(&Tresolution::Open1Click),
    ui::MenuItem("N1", "-", "popup"),
    ui::MenuItem("Help1", "Help", "popup").OnClick(&Tresolution::Help1Click),
    ui::MenuItem("Whatisthisprogramfor1", "What is this program for?", "popup")
        .OnClick(&Tresolution::Whatisthisprogramfor1Click),
    ui::MenuItem("N2", "-", "popup"),
    ui::MenuItem("Searchforupdates1", "Check for updates", "popup").OnClick(&Tresolution::Searchforupdates1Click),
    ui::MenuItem("N3", "-", "popup"),
    ui::MenuItem("Exit1", "Exit", "popup").OnClick(&Tresolution::Exit1Click),
    ui::MenuItem("About1", "About", "popup").OnClick(&Tresolution::About1Click),
    ui::Timer("Timer1").Interval(3500).Disabled().OnTimer(&Tresolution::Timer1Timer),
    ui::Custom<desktop::TdskApplicationProperties, Tresolution>("props",
        [](Tresolution&, desktop::TdskApplicationProperties& props) {
            props.SetHintColor(ui::Rgb(249, 215, 81));
            props.SetHintHidePause(6000);
            props.SetHintPause(0);
            props.SetIcon(ProgramIcon());
            props.SetTitle("Quorvex");
        }),
};

Tresolution::Tresolution(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void Tresolution::FormCreate() { DoubleBuffered = true; }

std::string Tresolution::QueryUserName() {
    std::string name;
    // Without a name there is no profile to open: an empty one would name the Users folder itself.
    if (!common::Services().GetUserNameA(name) || name.empty())
        throw common::Exception("Unable to determine the Windows user name");
    Find("luser").SetText(common::AsciiUpper(name));
    return name;
}

void Tresolution::eventsIdle(bool&) {
    // Nested loops (the wizard, message boxes) come back here: the flag goes first.
    auto& startup = Find<ui::TCheckBox>("startup");
    if (!startup.Checked()) return;
    startup.SetChecked(false);

    currentUser_ = common::AsciiUpper(QueryUserName());
    LoadProfile();
    ProgramVersion = "2.0";
    ProgramBuild = ProgramBuildNumber();
    Find("wersja").SetText(ProgramVersion);
    // An update that was cut off half-way is undone before this build is recorded.
    updater::RecoverInterruptedInstall(common::ProgramDirectory());
    versionFile_ = std::make_unique<common::IniFile>(common::ProgramDirectory() + "version.txt");
    versionFile_->WriteString("Quorvex", "update", ProgramBuild);
    Find<ui::TTimer>("Timer1").SetEnabled(true);
}

void Tresolution::LoadProfile() {
    common::EnsureUsersDirectory();
    profile_ = std::make_unique<common::IniFile>(common::ProfilePath(currentUser_));
    const int32_t x = profile_->ReadInteger("Screen", "X", 0);
    const int32_t y = profile_->ReadInteger("Screen", "Y", 0);
    const int32_t depth = profile_->ReadInteger("Screen", "Depth", 0);
    NaturalX = profile_->ReadInteger("Screen", "oldX", 0);
    NaturalY = profile_->ReadInteger("Screen", "oldY", 0);
    NaturalDepth = profile_->ReadInteger("Screen", "oldDepth", 0);
    if (NaturalX == 0) {
        // The natural mode is the one the screen has before Quorvex first changes it; 1024 x 768
        // at 32 bits only when the system cannot tell.
        const common::CurrentMode natural = common::CurrentDisplayMode().value_or(common::CurrentMode{1024, 768, 32});
        profile_->WriteInteger("Screen", "oldX", natural.width);
        profile_->WriteInteger("Screen", "oldY", natural.height);
        profile_->WriteInteger("Screen", "oldDepth", natural.depth);
        NaturalX = natural.width;
        NaturalY = natural.height;
        NaturalDepth = natural.depth;
    }
    if (x > 0 && y > 0 && depth > 0) {
        ApplyDisplayMode(x, y, depth);
        return;
    }
    const StoredProfileMode beforeWizard = StoredProfileMode::Read(*profile_);
    ui::Form* wizard = screenFactories.wizard(*this);
    forms.wizard = wizard;
    wizard->ShowModal();
    forms.wizard = nullptr;
    ReleaseOwned(wizard);
    const int32_t newX = profile_->ReadInteger("Screen", "X", 0);
    const int32_t newY = profile_->ReadInteger("Screen", "Y", 0);
    const int32_t newDepth = profile_->ReadInteger("Screen", "Depth", 0);
    // The wizard's choice is applied for the first time here: the user is asked to keep it.
    if (newX > 0) ApplyChosenDisplayMode(newX, newY, newDepth, beforeWizard, profile_->Path());
}

void Tresolution::Timer1Timer() {
    Find<ui::TTimer>("Timer1").SetEnabled(false);
    Find<desktop::TdskTrayIcon>("tray").HideApplication();
}

void Tresolution::Open1Click() { screenFactories.controlCenter(*this)->Show(); }

// As the current Control Center's "Help" does; with none open the manual opens over this form.
void Tresolution::Help1Click() {
    if (forms.main) {
        forms.main->Find<ui::TButton>("Button3").Click();
        return;
    }
    const std::string readme = common::ProgramDirectory() + "readme.txt";
    common::Services().ShellExecuteA(Handle(), "open", readme.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Tresolution::Whatisthisprogramfor1Click() { Find<desktop::TdskTrayIcon>("tray").ShowBalloon(); }

void Tresolution::Searchforupdates1Click() {
    const std::string updater = common::ProgramDirectory() + "Fetchwell.exe";
    common::Services().ShellExecuteA(Handle(), "open", updater.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    Close();
}

void Tresolution::Exit1Click() { Close(); }

void Tresolution::About1Click() { screenFactories.about(*this)->Show(); }

// A mode still unconfirmed at the end does not stay in the profile; the natural mode follows anyway.
void Tresolution::FormClose(ui::CloseAction&) {
    if (question_) question_->Settle(Tconfirm::Answer::Abandon);
    RestoreNaturalMode();
}

LRESULT Tresolution::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYENDSESSION) {
        // Nothing may hold up the end of the session: no box waits for a user who is leaving, and an
        // open keep-or-revert question is dropped.
        sessionEnding_ = true;
        if (question_) question_->Settle(Tconfirm::Answer::Abandon);
        RestoreNaturalMode();
    }
    if (message == WM_ENDSESSION && !wParam) sessionEnding_ = false;  // another program cancelled it
    return ui::Form::WndProc(message, wParam, lParam);
}

}  // namespace tray
