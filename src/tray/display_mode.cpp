// Display-mode switching, the host form's side of the keep-or-revert question, and the notification
// popup that reports a switch: routines of the host form.
#include "common/display_modes.h"
#include "common/system_services.h"
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

// Whether `mode` is the computer's natural mode of the display (the primary one without a name).
bool IsComputersMode(const common::StoredMode& mode, const char* device = nullptr) {
    const std::optional<common::CurrentMode> natural = common::RegistryDisplayMode(device);
    return natural && common::SameMode(*natural, {mode.width, mode.height, mode.depth});
}

bool ScreenIsIn(const common::StoredMode& mode, const char* device = nullptr) {
    return common::ScreenIsIn(mode.width, mode.height, mode.depth, device);
}
}  // namespace

int32_t Tresolution::ApplyDisplayMode(int32_t width, int32_t height, int32_t depth, const common::Display* display,
                                      bool notify) {
    auto& services = common::Services();
    const bool other = display && !display->primary;
    const char* device = other ? display->deviceName.c_str() : nullptr;
    const auto change = [&](DEVMODEA* record, DWORD flags) {
        return other ? services.ChangeDisplaySettingsExA(device, record, flags)
                     : services.ChangeDisplaySettingsA(record, flags);
    };
    const auto hold = [&] {
        if (other) HoldingOther(display->deviceName, {width, height, depth});
        else Holding({width, height, depth});
    };
    DEVMODEA mode = common::ChangeRecord(width, height, depth, device);
    if (change(&mode, CDS_TEST) == DISP_CHANGE_BADMODE) {
        ui::ShowMessage("Selected display mode is not supported on this machine.");
        ShowNotification("Display test failed.");
        return -1;
    }
    // No registry update: the registry keeps the computer's natural mode. A crash while the screen
    // switches gives the screen back too.
    NoteScreenChanged(true);
    LONG result = change(&mode, 0);
    // Another display may refuse the refresh rate kept from its current mode: the size goes without.
    if (other && result == DISP_CHANGE_FAILED && (mode.dmFields & DM_DISPLAYFREQUENCY)) {
        mode = common::DisplayModeRecord(width, height, depth);
        result = change(&mode, 0);
    }
    switch (result) {
    case DISP_CHANGE_SUCCESSFUL:
        hold();
        if (notify) ShowNotification("Screen resolution was changed successfully.");
        return 0;
    case DISP_CHANGE_RESTART:
        ui::ShowMessage(
            "Error 1: Your display driver is unable to change the screen resolution without system reboot.\r"
            "Please read the program manual.");
        return -1;
    case DISP_CHANGE_FAILED:
        ui::ShowMessage("Error 2: Screen resolution could not be changed - unknown error occured.");
        return -1;
    case DISP_CHANGE_BADMODE:
        ui::ShowMessage("Error 3: Your machine does not support this display mode.");
        return -1;
    case DISP_CHANGE_NOTUPDATED:
        hold();
        ShowNotification(
            "INFO: Screen resolution was changed successfully, but the registry settings could not be updated.");
        return -1;
    }
    return -1;
}

void Tresolution::RestoreNaturalMode() {
    if (common::RemoteSession()) return;
    // Every other display this program changed goes back on its own: a failure there is reported,
    // and never made up for by a change of the primary display.
    std::string refused;
    for (auto held = heldOthers_.begin(); held != heldOthers_.end();) {
        if (RestoreNaturalModeOf(held->first) == DISP_CHANGE_SUCCESSFUL) {
            held = heldOthers_.erase(held);
            continue;
        }
        refused += (refused.empty() ? "" : ", ") + held->first;
        ++held;
    }
    // Back to the registry's mode, with the refresh rate and everything else the registry keeps.
    const LONG result = common::Services().ChangeDisplaySettingsA(nullptr, 0);
    if (result == DISP_CHANGE_SUCCESSFUL) heldMode_.reset();
    NoteScreenChanged(heldMode_.has_value() || !heldOthers_.empty());
    if (sessionEnding_) return;
    if (result == DISP_CHANGE_BADMODE)
        ui::ShowMessage("Error 4: Natural screen settings are invalid. Please read the readme.txt file.");
    if (!refused.empty())
        ui::ShowMessage("The natural settings of the display " + refused +
                        " could not be restored. Please read the readme.txt file.");
}

LONG Tresolution::RestoreNaturalModeOf(const std::string& device) {
    auto& services = common::Services();
    const std::optional<common::CurrentMode> natural = common::RegistryDisplayMode(device.c_str());
    if (!natural) return services.ChangeDisplaySettingsExA(device.c_str(), nullptr, 0);
    DEVMODEA mode = common::DisplayModeRecord(natural->width, natural->height, natural->depth, natural->frequency);
    LONG result = services.ChangeDisplaySettingsExA(device.c_str(), &mode, 0);
    if (result != DISP_CHANGE_SUCCESSFUL && (mode.dmFields & DM_DISPLAYFREQUENCY)) {
        mode = common::DisplayModeRecord(natural->width, natural->height, natural->depth);
        result = services.ChangeDisplaySettingsExA(device.c_str(), &mode, 0);
    }
    return result;
}

void Tresolution::HoldingOther(const std::string& device, const common::StoredMode& mode) {
    if (IsComputersMode(mode, device.c_str())) heldOthers_.erase(device);
    else heldOthers_[device] = mode;
    NoteScreenChanged(heldMode_.has_value() || !heldOthers_.empty());
}

void Tresolution::HealOtherDisplays(const std::vector<common::Display>& displays) {
    for (const common::Display& display : displays) {
        if (display.primary) continue;
        const char* device = display.deviceName.c_str();
        const std::optional<common::CurrentMode> computers = common::RegistryDisplayMode(device);
        if (!computers) continue;
        if (const std::optional<common::CurrentMode> now = common::CurrentDisplayMode(device);
            now && !common::SameMode(*now, *computers))
            RestoreNaturalModeOf(display.deviceName);
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
        if (stored.Complete()) ApplyDisplayMode(stored.width, stored.height, stored.depth, &display, false);
    }
}

void Tresolution::DisplaysChanged() {
    if (!profile_) return;  // the start-up sequence looks itself
    std::vector<std::string> now;
    for (const common::Display& display : common::AttachedDisplays()) now.push_back(display.deviceName);
    for (const std::string& name : now)
        if (!Offered(attachedDisplays_, name) && !Offered(newlyAttached_, name)) newlyAttached_.push_back(name);
    // A display that went away is in no mode any more: nothing to give back.
    std::erase_if(heldOthers_, [&](const auto& held) { return !Offered(now, held.first); });
    NoteScreenChanged(heldMode_.has_value() || !heldOthers_.empty());
    attachedDisplays_ = std::move(now);
    // The system tells of a new display while it still arranges the desktop: the mode waits.
    if (!newlyAttached_.empty()) SetTimer(Handle(), kSettleTimer, kSettleDelay, nullptr);
}

void Tresolution::SettledAfterAttach() {
    KillTimer(Handle(), kSettleTimer);
    const std::vector<std::string> attached = std::exchange(newlyAttached_, {});
    ApplyOtherDisplays(&attached);
}

void Tresolution::Holding(const common::StoredMode& mode) {
    if (IsComputersMode(mode)) {
        heldMode_.reset();
        NoteScreenChanged(!heldOthers_.empty());
        return;
    }
    heldMode_ = mode;
    NoteScreenChanged(true);
}

void Tresolution::HealAndReadNaturalMode() {
    common::StoredMode natural = common::StoredMode::ReadNatural(*profile_);
    const bool remote = common::RemoteSession();
    const std::optional<common::CurrentMode> computers = remote ? std::nullopt : common::RegistryDisplayMode();
    // Only one Quorvex runs in a session, and it has not changed anything yet: a screen that is not
    // in the computer's mode was left so by one that was killed or crashed.
    if (computers && !common::SameMode(common::ScreenModeNow(), *computers))
        common::Services().ChangeDisplaySettingsA(nullptr, 0);
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
    const bool other = display && !display->primary;
    DisplayChange change{common::ScreenModeNow(other ? display->deviceName.c_str() : nullptr), previousProfile,
                         profilePath, other ? display->deviceName : std::string()};
    const int32_t result = ApplyDisplayMode(mode.width, mode.height, mode.depth, other ? display : nullptr);
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
    const auto hold = [&] {
        if (change.device.empty()) Holding({before.width, before.height, before.depth});
        else HoldingOther(change.device, {before.width, before.height, before.depth});
    };
    if (answer == Tconfirm::Answer::Abandon) {
        hold();
        return;
    }

    auto& services = common::Services();
    DEVMODEA mode = common::DisplayModeRecord(before.width, before.height, before.depth, before.frequency);
    LONG restored = DISP_CHANGE_SUCCESSFUL;
    if (change.device.empty()) {
        restored = services.ChangeDisplaySettingsA(&mode, 0);
    } else {
        // Only the display that was changed goes back; a refused refresh rate is tried once without.
        restored = services.ChangeDisplaySettingsExA(change.device.c_str(), &mode, 0);
        if (restored == DISP_CHANGE_FAILED && (mode.dmFields & DM_DISPLAYFREQUENCY)) {
            mode = common::DisplayModeRecord(before.width, before.height, before.depth);
            restored = services.ChangeDisplaySettingsExA(change.device.c_str(), &mode, 0);
        }
    }
    if (restored != DISP_CHANGE_SUCCESSFUL && restored != DISP_CHANGE_NOTUPDATED) {
        ui::ShowMessage("The previous display settings could not be restored. Please read the readme.txt file.");
        return;
    }
    hold();
    ShowNotification(answer == Tconfirm::Answer::TimeOut
                         ? "The new display settings were not confirmed in time: the previous ones are back."
                         : "The new display settings were reverted: the previous ones are back.");
}

void Tresolution::LeftTheConsole() {
    // An unconfirmed mode is not the user's: the one before it is what comes back.
    if (question_) question_->Settle(Tconfirm::Answer::Abandon);
    modeAwayFromConsole_ = heldMode_;
    othersAwayFromConsole_ = heldOthers_;
    RestoreNaturalMode();
}

// The mode was confirmed before the session left: nothing is asked.
void Tresolution::BackAtTheConsole() {
    const std::optional<common::StoredMode> mode = std::exchange(modeAwayFromConsole_, std::nullopt);
    const std::map<std::string, common::StoredMode> others = std::exchange(othersAwayFromConsole_, {});
    if (!common::RemoteSession()) Reapply(mode, others);
}

void Tresolution::Reapply(const std::optional<common::StoredMode>& primary,
                          const std::map<std::string, common::StoredMode>& others) {
    if (primary && !ScreenIsIn(*primary)) ApplyDisplayMode(primary->width, primary->height, primary->depth);
    if (others.empty()) return;
    for (const common::Display& display : common::AttachedDisplays()) {
        const auto held = others.find(display.deviceName);
        if (display.primary || held == others.end()) continue;
        const common::StoredMode& mode = held->second;
        if (!ScreenIsIn(mode, display.deviceName.c_str()))
            ApplyDisplayMode(mode.width, mode.height, mode.depth, &display, false);
    }
}

// Only a screen that waking up changed is set again; a mode another program chose at any other time
// is left alone.
void Tresolution::ReturnedFromSleep() {
    if (question_ || common::RemoteSession()) return;
    // Copies: a change that is made updates what is held.
    Reapply(std::optional<common::StoredMode>(heldMode_), std::map<std::string, common::StoredMode>(heldOthers_));
}

}  // namespace tray
