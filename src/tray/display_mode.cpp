// The host form's side of display switching (the switcher makes the changes): the modes of the
// profile, displays that come and go, the keep-or-revert question, the console and sleep, and the
// notification popup that reports a switch.
#include "common/display_modes.h"
#include "tray/agent_form.h"
#include "tray/host_form.h"
#include "ui/application.h"

#include <algorithm>
#include <utility>

namespace tray {

namespace {
bool Offered(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}
}  // namespace

int32_t Tresolution::ApplyDisplayMode(int32_t width, int32_t height, int32_t depth, const common::Display* display,
                                      bool notify) {
    return switcher_.Apply({width, height, depth}, DeviceOf(display), notify);
}

void Tresolution::RestoreNaturalMode() { switcher_.RestoreNatural(!sessionEnding_); }

void Tresolution::HealOtherDisplays(const std::vector<common::Display>& displays) {
    for (const common::Display& display : displays) {
        if (display.primary) continue;
        const std::optional<common::CurrentMode> computers = switcher_.ReturnLeftOverMode(display.deviceName);
        if (!computers) continue;
        const std::string section = common::ProfileSection(display);
        const common::StoredMode computer{computers->width, computers->height, computers->depth};
        if (common::StoredMode::ReadNatural(*profile_, section) != computer) computer.WriteNatural(*profile_, section);
    }
}

void Tresolution::ApplyOtherDisplays(const std::vector<std::string>* only) {
    if (common::RemoteSession() || !profile_) return;
    for (const common::Display& display : common::AttachedDisplays()) {
        if (display.primary || (only && !Offered(*only, display.deviceName))) continue;
        const common::StoredMode stored = common::StoredMode::Read(*profile_, common::ProfileSection(display));
        if (stored.Complete()) switcher_.Apply(stored, display.deviceName, false);
    }
}

void Tresolution::DisplaysChanged() {
    if (!profile_) return;  // the start-up sequence looks itself
    std::vector<std::string> now;
    for (const common::Display& display : common::AttachedDisplays()) now.push_back(display.deviceName);
    for (const std::string& name : now)
        if (!Offered(attachedDisplays_, name) && !Offered(newlyAttached_, name)) newlyAttached_.push_back(name);
    switcher_.ForgetDetached(now);
    attachedDisplays_ = std::move(now);
    // The system tells of a new display while it still arranges the desktop: the mode waits.
    if (!newlyAttached_.empty()) SetTimer(Handle(), kSettleTimer, kSettleDelay, nullptr);
}

void Tresolution::SettledAfterAttach() {
    KillTimer(Handle(), kSettleTimer);
    const std::vector<std::string> attached = std::exchange(newlyAttached_, {});
    ApplyOtherDisplays(&attached);
}

void Tresolution::HealAndReadNaturalMode() {
    common::StoredMode natural = common::StoredMode::ReadNatural(*profile_);
    const bool remote = common::RemoteSession();
    const std::optional<common::CurrentMode> computers = remote ? std::nullopt : switcher_.ReturnLeftOverMode();
    if (computers) {
        // Every user's natural mode is the computer's; one that another user's mode had taken
        // the place of is mended.
        const common::StoredMode computer{computers->width, computers->height, computers->depth};
        if (natural != computer) {
            natural = computer;
            natural.WriteNatural(*profile_);
        }
    } else if (natural.width == 0) {
        // Without a registry mode the natural mode is the one the screen has before Quorvex first
        // changes it; 1024 x 768 at 32 bits only when the system cannot tell.
        const common::CurrentMode screen = common::CurrentDisplayMode().value_or(common::CurrentMode{1024, 768, 32});
        natural = {screen.width, screen.height, screen.depth};
        natural.WriteNatural(*profile_);
    }
    NaturalX = natural.width;
    NaturalY = natural.height;
    NaturalDepth = natural.depth;

    const std::vector<common::Display> displays = common::AttachedDisplays();
    attachedDisplays_.clear();
    for (const common::Display& display : displays) attachedDisplays_.push_back(display.deviceName);
    if (!remote && displays.size() > 1) HealOtherDisplays(displays);
}

void Tresolution::ShowNotification(const std::string& text) {
    info->SetText(text);
    CreateOwned<Tagent>(text)->Show();
}

int32_t Tresolution::ApplyChosenDisplayMode(const common::StoredMode& mode, const common::StoredModeText& previousProfile,
                                            const std::string& profilePath, const common::Display* display) {
    RevertUnconfirmedMode();
    if (common::RemoteSession()) {
        // The display of a remote session is not the computer's: the choice waits in the profile.
        ShowNotification("Your choice is saved. It will be applied when you log on at the computer's own screen.");
        return 0;
    }
    const std::string device = DeviceOf(display);
    DisplayChange change{DisplaySwitcher::ModeNow(device), previousProfile, profilePath, device};
    const int32_t result = switcher_.Apply(mode, device);
    const common::CurrentMode& before = change.previousScreen;
    const bool screenChanged = before.width != mode.width || before.height != mode.height || before.depth != mode.depth;
    // Nothing is asked while the session ends: nobody would be there to answer.
    if (result != 0 || !screenChanged || sessionEnding_) return result;
    question_ = CreateOwned<Tconfirm>(std::move(change), [this](Tconfirm* question, const DisplayChange& settled,
                                                                Tconfirm::Answer answer) {
        QuestionSettled(question, settled, answer);
    });
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
    ScreenBackAfterQuestion(change, answer);
}

void Tresolution::ScreenBackAfterQuestion(const DisplayChange& change, Tconfirm::Answer answer) {
    const common::CurrentMode& before = change.previousScreen;
    // Abandoned, the screen stays for the moment; the mode to come back to is the previous one.
    if (answer == Tconfirm::Answer::Abandon) {
        switcher_.Hold({before.width, before.height, before.depth}, change.device);
        return;
    }
    if (!switcher_.ChangeBack(before, change.device)) {
        ui::ShowMessage("The previous display settings could not be restored. Please read the readme.txt file.");
        return;
    }
    ShowNotification(answer == Tconfirm::Answer::TimeOut
                         ? "The new display settings were not confirmed in time: the previous ones are back."
                         : "The new display settings were reverted: the previous ones are back.");
}

void Tresolution::LeftTheConsole() {
    // An unconfirmed mode is not the user's: the one before it is what comes back.
    if (question_) question_->Settle(Tconfirm::Answer::Abandon);
    modeAwayFromConsole_ = switcher_.Held();
    othersAwayFromConsole_ = switcher_.HeldOthers();
    RestoreNaturalMode();
}

// The mode was confirmed before the session left: nothing is asked.
void Tresolution::BackAtTheConsole() {
    const std::optional<common::StoredMode> mode = std::exchange(modeAwayFromConsole_, std::nullopt);
    const std::map<std::string, common::StoredMode> others = std::exchange(othersAwayFromConsole_, {});
    if (!common::RemoteSession()) switcher_.Reapply(mode, others);
}

// Only a screen that waking up changed is set again; a mode another program chose at any other time
// is left alone.
void Tresolution::ReturnedFromSleep() {
    if (question_ || common::RemoteSession()) return;
    // Copies: a change that is made updates what is held.
    switcher_.Reapply(std::optional<common::StoredMode>(switcher_.Held()),
                      std::map<std::string, common::StoredMode>(switcher_.HeldOthers()));
}

}  // namespace tray
