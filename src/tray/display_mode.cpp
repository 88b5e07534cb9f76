// Display-mode switching, the host form's side of the keep-or-revert question, and the notification
// popup that reports a switch: routines of the host form.
#include "common/display_modes.h"
#include "common/system_services.h"
#include "tray/agent_form.h"
#include "tray/host_form.h"
#include "ui/application.h"

#include <utility>

namespace tray {

int32_t Tresolution::ApplyDisplayMode(int32_t width, int32_t height, int32_t depth) {
    auto& services = common::Services();
    DEVMODEA mode = common::ChangeRecord(width, height, depth);
    if (services.ChangeDisplaySettingsA(&mode, CDS_TEST) == DISP_CHANGE_BADMODE) {
        ui::ShowMessage("Selected display mode is not supported on this machine.");
        ShowNotification("Display test failed.");
        return -1;
    }
    // No registry update: the registry keeps the computer's natural mode. A crash while the screen
    // switches gives the screen back too.
    NoteScreenChanged(true);
    switch (services.ChangeDisplaySettingsA(&mode, 0)) {
    case DISP_CHANGE_SUCCESSFUL:
        Holding({width, height, depth});
        ShowNotification("Screen resolution was changed successfully.");
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
        Holding({width, height, depth});
        ShowNotification(
            "INFO: Screen resolution was changed successfully, but the registry settings could not be updated.");
        return -1;
    }
    return -1;
}

void Tresolution::RestoreNaturalMode() {
    if (common::RemoteSession()) return;
    // Back to the registry's mode, with the refresh rate and everything else the registry keeps.
    const LONG result = common::Services().ChangeDisplaySettingsA(nullptr, 0);
    if (result == DISP_CHANGE_SUCCESSFUL) {
        heldMode_.reset();
        NoteScreenChanged(false);
    }
    if (result == DISP_CHANGE_BADMODE && !sessionEnding_)
        ui::ShowMessage("Error 4: Natural screen settings are invalid. Please read the readme.txt file.");
}

void Tresolution::Holding(const common::StoredMode& mode) {
    const std::optional<common::CurrentMode> natural = common::RegistryDisplayMode();
    if (natural && common::SameMode(*natural, {mode.width, mode.height, mode.depth})) {
        heldMode_.reset();
        NoteScreenChanged(false);
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
        if (natural.width != computer.width || natural.height != computer.height || natural.depth != computer.depth) {
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
}

void Tresolution::ShowNotification(const std::string& text) {
    info->SetText(text);
    CreateOwned<Tagent>(text)->Show();
}

int32_t Tresolution::ApplyChosenDisplayMode(const common::StoredMode& mode, const common::StoredModeText& previousProfile,
                                            const std::string& profilePath) {
    RevertUnconfirmedMode();
    if (common::RemoteSession()) {
        // The display of a remote session is not the computer's: the choice waits in the profile.
        ShowNotification("Your choice is saved. It will be applied when you log on at the computer's own screen.");
        return 0;
    }
    DisplayChange change{common::ScreenModeNow(), previousProfile, profilePath};
    const int32_t result = ApplyDisplayMode(mode.width, mode.height, mode.depth);
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
    const common::CurrentMode& before = change.previousScreen;
    // Abandoned, the screen stays for the moment; the mode to come back to is the previous one.
    if (answer == Tconfirm::Answer::Abandon) {
        Holding({before.width, before.height, before.depth});
        return;
    }

    DEVMODEA mode = common::DisplayModeRecord(before.width, before.height, before.depth, before.frequency);
    const LONG restored = common::Services().ChangeDisplaySettingsA(&mode, 0);
    if (restored != DISP_CHANGE_SUCCESSFUL && restored != DISP_CHANGE_NOTUPDATED) {
        ui::ShowMessage("The previous display settings could not be restored. Please read the readme.txt file.");
        return;
    }
    Holding({before.width, before.height, before.depth});
    ShowNotification(answer == Tconfirm::Answer::TimeOut
                         ? "The new display settings were not confirmed in time: the previous ones are back."
                         : "The new display settings were reverted: the previous ones are back.");
}

void Tresolution::LeftTheConsole() {
    // An unconfirmed mode is not the user's: the one before it is what comes back.
    if (question_) question_->Settle(Tconfirm::Answer::Abandon);
    modeAwayFromConsole_ = heldMode_;
    RestoreNaturalMode();
}

// The mode was confirmed before the session left: nothing is asked.
void Tresolution::BackAtTheConsole() {
    const std::optional<common::StoredMode> mode = std::exchange(modeAwayFromConsole_, std::nullopt);
    if (!mode || common::RemoteSession()) return;
    const common::CurrentMode screen = common::ScreenModeNow();
    if (!common::SameMode(screen, {mode->width, mode->height, mode->depth}))
        ApplyDisplayMode(mode->width, mode->height, mode->depth);
}

// Only a screen that waking up changed is set again; a mode another program chose at any other time
// is left alone.
void Tresolution::ReturnedFromSleep() {
    if (!heldMode_ || question_ || common::RemoteSession()) return;
    const common::StoredMode mode = *heldMode_;
    if (!common::SameMode(common::ScreenModeNow(), {mode.width, mode.height, mode.depth}))
        ApplyDisplayMode(mode.width, mode.height, mode.depth);
}

}  // namespace tray
