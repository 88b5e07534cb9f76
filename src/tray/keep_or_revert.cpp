// The keep-or-revert question and the host form's routines that ask it and carry out its answer.
#include "tray/keep_or_revert.h"

#include "common/display_mode.h"
#include "common/display_modes.h"
#include "common/handles.h"
#include "common/system_services.h"
#include "tray/forms.h"
#include "tray/host_form.h"
#include "ui/application.h"

namespace tray {

namespace {

// Stands for a key the profile does not hold: no value read from an INI file holds a line break
// (and it does not end in one, which the system might strip from a default).
const std::string kMissing = "\n-";

std::optional<std::string> ReadKey(const common::IniFile& profile, const char* key) {
    std::string value = profile.ReadString("Screen", key, kMissing);
    if (value == kMissing) return std::nullopt;
    return value;
}

void RestoreKey(common::IniFile& profile, const char* key, const std::optional<std::string>& value) {
    if (value)
        profile.WriteString("Screen", key, *value);
    else
        profile.DeleteKey("Screen", key);
}

// The screen's mode now; where the system does not tell it, its size and depth as GDI sees them.
DEVMODEA ScreenModeNow() {
    DEVMODEA mode;
    if (common::CurrentDisplayMode(mode)) return mode;
    auto& services = common::Services();
    const int depth = services.GetDeviceCaps(common::GetWindowDc(nullptr).Get(), BITSPIXEL);
    return common::DisplayModeRecord(services.GetSystemMetrics(SM_CXSCREEN), services.GetSystemMetrics(SM_CYSCREEN),
                                     depth);
}

}  // namespace

StoredProfileMode StoredProfileMode::Read(const common::IniFile& profile) {
    return {ReadKey(profile, "X"), ReadKey(profile, "Y"), ReadKey(profile, "Depth")};
}

void StoredProfileMode::Restore(common::IniFile& profile) const {
    RestoreKey(profile, "X", x);
    RestoreKey(profile, "Y", y);
    RestoreKey(profile, "Depth", depth);
}

// ---- The question's window ----

const ui::FormSpec Tconfirm::kForm = {
    .className = "Tconfirm",
    .caption = "Quorvex",
    .clientWidth = 300,
    .clientHeight = 104,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .topmost = true,
    .onClose = ui::Do(&Tconfirm::FormClose),
};

const ui::ControlSpec Tconfirm::kLayout[] = {
    ui::Label("Label1", {16, 16}, "Keep these display settings?").Bold(),
    ui::Label("countdown", {16, 40, 268, 13}, "Reverting in 15 seconds.").FixedSize(),
    ui::Button("Button1", {112, 68, 97, 25}, "Keep settings").Default().OnClick(&Tconfirm::Button1Click),
    ui::Button("Button2", {216, 68, 75, 25}, "Revert").Cancel().OnClick(&Tconfirm::Button2Click),
    ui::Timer("Timer1").Interval(1000).Disabled().OnTimer(&Tconfirm::Timer1Timer),
};

Tconfirm::Tconfirm(ui::Form* owner, DisplayChange change)
    : ui::Form(owner, kForm, kLayout), change_(std::move(change)) {}

void Tconfirm::Ask() {
    ShowCountdown();
    Show();
    SetForegroundWindow(Handle());
    SetFocus(Find("Button1").Handle());
    Find<ui::TTimer>("Timer1").SetEnabled(true);
}

void Tconfirm::ShowCountdown() {
    Find("countdown").SetText("Reverting in " + std::to_string(secondsLeft_) +
                              (secondsLeft_ == 1 ? " second." : " seconds."));
}

void Tconfirm::Timer1Timer() {
    if (--secondsLeft_ > 0) {
        ShowCountdown();
        return;
    }
    Settle(Answer::TimeOut);
}

void Tconfirm::Button1Click() { Settle(Answer::Keep); }
void Tconfirm::Button2Click() { Settle(Answer::Revert); }

void Tconfirm::FormClose(ui::CloseAction&) { Settle(Answer::Revert); }

void Tconfirm::Settle(Answer answer) {
    if (settled_) return;
    settled_ = true;
    Find<ui::TTimer>("Timer1").SetEnabled(false);
    Hide();
    Release();
    forms.resolution->QuestionSettled(this, change_, answer);
}

// ---- The host form's side ----

int32_t Tresolution::ApplyChosenDisplayMode(int32_t width, int32_t height, int32_t depth,
                                            const StoredProfileMode& previousProfile, const std::string& profilePath) {
    RevertUnconfirmedMode();
    DisplayChange change{ScreenModeNow(), previousProfile, profilePath};
    const int32_t result = ApplyDisplayMode(width, height, depth);
    const DEVMODEA& before = change.previousScreen;
    const bool screenChanged = static_cast<int32_t>(before.dmPelsWidth) != width ||
                               static_cast<int32_t>(before.dmPelsHeight) != height ||
                               static_cast<int32_t>(before.dmBitsPerPel) != depth;
    // Nothing is asked while the session ends: nobody would be there to answer.
    if (result != 0 || !screenChanged || sessionEnding_) return result;
    question_ = CreateOwned<Tconfirm>(std::move(change));
    question_->Ask();
    return result;
}

void Tresolution::RevertUnconfirmedMode() {
    if (question_) question_->Settle(Tconfirm::Answer::Revert);
}

void Tresolution::QuestionSettled(Tconfirm* question, const DisplayChange& change, Tconfirm::Answer answer) {
    if (question == question_) question_ = nullptr;
    if (answer == Tconfirm::Answer::Keep) return;

    common::IniFile profile(change.profilePath);
    change.previousProfile.Restore(profile);
    if (answer == Tconfirm::Answer::Abandon) return;

    const DEVMODEA& before = change.previousScreen;
    DEVMODEA mode = common::DisplayModeRecord(static_cast<int32_t>(before.dmPelsWidth),
                                              static_cast<int32_t>(before.dmPelsHeight),
                                              static_cast<int32_t>(before.dmBitsPerPel));
    if (before.dmDisplayFrequency > 1) {
        mode.dmFields |= DM_DISPLAYFREQUENCY;
        mode.dmDisplayFrequency = before.dmDisplayFrequency;
    }
    const LONG restored = common::Services().ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY);
    if (restored != DISP_CHANGE_SUCCESSFUL && restored != DISP_CHANGE_NOTUPDATED) {
        ui::ShowMessage("The previous display settings could not be restored. Please read the readme.txt file.");
        return;
    }
    ShowNotification(answer == Tconfirm::Answer::TimeOut
                         ? "The new display settings were not confirmed in time: the previous ones are back."
                         : "The new display settings were reverted: the previous ones are back.");
}

}  // namespace tray
