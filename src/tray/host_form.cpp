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
#include "ui/application.h"
#include "updater/install.h"

#include <shellapi.h>
#include <wtsapi32.h>

namespace tray {

namespace {
constexpr UINT_PTR kSessionRetryTimer = 0x5E55;
constexpr UINT kSessionRetryInterval = 5000;
constexpr int32_t kSessionRetries = 12;

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
    ui::StartMark("startup", {8, 112, 57, 17}),
    ui::Events("events").OnFirstIdle(&Tresolution::eventsIdle),
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
        [](Tresolution& host, desktop::TdskOneInstance& once) {
            once.Message = "You can not run this program twice.";
            once.ShowMessage = true;
            // A command line goes to the Quorvex already running instead.
            once.ForwardText = host.arguments_;
            once.OnForwarded = [&host](const std::string& text, HWND sender) {
                return host.RunModeCommand(ParseModeCommand(text), sender);
            };
        }),
    ui::Manifest("man"),
    ui::PopupMenu("popup").Animation(TPM_HORPOSANIMATION | TPM_HORNEGANIMATION | TPM_VERPOSANIMATION |
                                     TPM_VERNEGANIMATION),
    ui::MenuItem("Open1", "Open Control Center", "popup").Default().OnClick(&Tresolution::Open1Click),
    ui::MenuItem("Displaymode1", "Display mode", "popup").OnPopup(&Tresolution::Displaymode1Popup),
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

Tresolution::Tresolution(ui::Form* owner, ScreenFactories screens, std::string arguments)
    : ui::Form(owner, kForm, kLayout), screens_(std::move(screens)), arguments_(std::move(arguments)) {}

// The screens outlive this part of the host form: the base class destroys them.
Tresolution::~Tresolution() {
    for (auto* open : {&controlCenters_, &abouts_})
        for (ui::Form* window : *open) window->OnDestroy = nullptr;
}

void Tresolution::Track(ui::Form* window, std::vector<ui::Form*>& open) {
    open.push_back(window);
    window->OnDestroy = [&open, window] { std::erase(open, window); };
}

void Tresolution::FormCreate() {
    DoubleBuffered = true;
    programs_.TellEndsTo(Handle(), kProgramEnded);
}

std::string Tresolution::QueryUserName() {
    std::string name;
    // Without a name there is no profile to open: an empty one would name the Users folder itself.
    if (!common::Services().GetUserNameA(name) || name.empty())
        throw common::Exception("Unable to determine the Windows user name");
    luser->SetText(common::AsciiUpper(name));
    return name;
}

// Nested loops (the wizard, message boxes) come back to the idle moment: the sequence runs once.
void Tresolution::eventsIdle() {
    WatchSessions();
    currentUser_ = common::AsciiUpper(QueryUserName());
    policies_ = common::ReadPolicies();
    Searchforupdates1->SetEnabled(!policies_.disableUpdates);
    LoadProfile();
    RegisterHotkeys();
    ApplyOtherDisplays();
    ProgramVersion = "2.0";
    ProgramBuild = ProgramBuildNumber();
    wersja->SetText(ProgramVersion);
    // An update that was cut off half-way is undone before this build is recorded.
    updater::RecoverInterruptedInstall(common::ProgramDirectory());
    versionFile_ = std::make_unique<common::IniFile>(common::ProgramDirectory() + "version.txt");
    versionFile_->WriteString("Quorvex", "update", ProgramBuild);
    updates_.Start(*trayIcon, profile_->Path(), policies_, atoi(ProgramBuild.c_str()));
    // A mode asked for on the command line follows the user's own; "/mymode" has just been applied.
    if (const ModeCommand command = ParseModeCommand(arguments_); command.kind != ModeCommand::Kind::MyMode) {
        const int result = RunModeCommand(command);
        // A copy started only to run a program in a mode ends with the program, or at once when
        // the program did not start.
        if (!command.program.empty() && !ownProgram_) {
            ownRunResult_ = result;
            Close();
        }
    }
    Timer1->SetEnabled(true);
}

void Tresolution::LoadProfile() {
    common::EnsureUsersDirectory();
    profile_ = std::make_unique<common::IniFile>(common::ProfilePath(currentUser_));
    HealAndReadNaturalMode();
    const common::StoredMode stored = common::StoredMode::Read(*profile_);
    // A remote session's display belongs to the remote side: a stored mode waits for the computer's
    // own screen, and only a first configuration is asked for.
    const bool atTheScreen = !common::RemoteSession();
    if (policies_.lockMode) {
        // The administrator's mode for everybody; a mode of the user's own waits in the profile for
        // the day the lock goes.
        if (atTheScreen) ApplyDisplayMode(policies_.mode->width, policies_.mode->height, policies_.mode->depth);
        return;
    }
    if (stored.Complete()) {
        if (atTheScreen) ApplyDisplayMode(stored.width, stored.height, stored.depth);
        return;
    }
    if (policies_.mode) {
        // The administrator's mode for a user who has chosen none: kept as if the user had chosen it.
        const common::StoredMode given{policies_.mode->width, policies_.mode->height, policies_.mode->depth};
        given.Write(*profile_);
        if (atTheScreen) ApplyDisplayMode(given.width, given.height, given.depth);
        return;
    }
    RunWizard();
}

void Tresolution::RunWizard() {
    const common::StoredModeText beforeWizard = common::StoredModeText::Read(*profile_);
    wizard_ = screens_.wizard(*this, *this);
    wizard_->ShowModal();
    ReleaseOwned(wizard_);
    wizard_ = nullptr;
    const common::StoredMode chosen = common::StoredMode::Read(*profile_);
    // The wizard's choice is applied for the first time here: the user is asked to keep it.
    if (chosen.width > 0) ApplyChosenDisplayMode(chosen, beforeWizard, profile_->Path());
}

void Tresolution::Timer1Timer() {
    Timer1->SetEnabled(false);
    trayIcon->HideApplication();
}

void Tresolution::Open1Click() {
    ui::Form* center = screens_.controlCenter(*this, *this);
    Track(center, controlCenters_);
    center->Show();
}

// As the current Control Center's "Help" does; with none open the manual opens over this form.
void Tresolution::Help1Click() { ShowHelp(ControlCenter() ? *ControlCenter() : *this); }

void Tresolution::ShowHelp(const ui::Form& window) {
    const std::string readme = common::ProgramDirectory() + "readme.txt";
    common::Services().ShellExecuteA(window.Handle(), "open", readme.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Tresolution::Whatisthisprogramfor1Click() { trayIcon->ShowBalloon(); }

void Tresolution::Searchforupdates1Click() { StartUpdater(); }

void Tresolution::StartUpdater(const std::string& arguments) {
    const std::string updater = common::ProgramDirectory() + "Fetchwell.exe";
    common::Services().ShellExecuteA(Handle(), "open", updater.c_str(), arguments.empty() ? nullptr : arguments.c_str(),
                                     nullptr, SW_SHOWNORMAL);
    Close();
}

void Tresolution::Exit1Click() { Close(); }

void Tresolution::About1Click() { ShowAbout(*this); }

void Tresolution::ShowAbout(ui::Form& owner) {
    ui::Form* about = screens_.about(owner, *this);
    Track(about, abouts_);
    about->Show();
}

// A mode still unconfirmed at the end does not stay in the profile; the natural mode follows anyway.
void Tresolution::FormClose(ui::CloseAction&) {
    UnregisterHotkeys();
    if (question_) question_->Settle(Tconfirm::Answer::Abandon);
    RestoreNaturalMode();
}

void Tresolution::WatchSessions() {
    if (sessions_.Register(Handle())) {
        KillTimer(Handle(), kSessionRetryTimer);
        return;
    }
    // Early at logon the system may refuse until Terminal Services runs: a minute of tries.
    if (++sessionRetries_ <= kSessionRetries) SetTimer(Handle(), kSessionRetryTimer, kSessionRetryInterval, nullptr);
    else KillTimer(Handle(), kSessionRetryTimer);
}

LRESULT Tresolution::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_WTSSESSION_CHANGE:
        // Locking and unlocking the workstation change nothing.
        if (wParam == WTS_CONSOLE_DISCONNECT) LeftTheConsole();
        if (wParam == WTS_CONSOLE_CONNECT) BackAtTheConsole();
        return 0;
    case WM_POWERBROADCAST:
        if (wParam == PBT_APMRESUMEAUTOMATIC || wParam == PBT_APMRESUMESUSPEND) ReturnedFromSleep();
        return TRUE;
    case WM_DISPLAYCHANGE:
        DisplaysChanged();
        break;
    case kProgramEnded:
        ProgramEnded(wParam);
        return 0;
    case WM_HOTKEY:
        HotkeyPressed(wParam);
        return 0;
    case WM_TIMER:
        if (wParam == kSettleTimer) {
            SettledAfterAttach();
            return 0;
        }
        if (wParam != kSessionRetryTimer) break;
        WatchSessions();
        return 0;
    }
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
