// Display-mode switching, the host form's side of the keep-or-revert question, and the notification
// popup that reports a switch: routines of the host form.
#include "common/display_modes.h"
#include "common/system_services.h"
#include "tray/agent_form.h"
#include "tray/host_form.h"
#include "ui/application.h"

namespace tray {

int32_t Tresolution::ApplyDisplayMode(int32_t width, int32_t height, int32_t depth) {
    auto& services = common::Services();
    DEVMODEA mode = common::ChangeRecord(width, height, depth);
    if (services.ChangeDisplaySettingsA(&mode, CDS_TEST) == DISP_CHANGE_BADMODE) {
        ui::ShowMessage("Selected display mode is not supported on this machine.");
        ShowNotification("Display test failed.");
        return -1;
    }
    switch (services.ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY)) {
    case DISP_CHANGE_SUCCESSFUL:
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
        ShowNotification(
            "INFO: Screen resolution was changed successfully, but the registry settings could not be updated.");
        return -1;
    }
    return -1;
}

void Tresolution::RestoreNaturalMode() {
    DEVMODEA mode = common::ChangeRecord(NaturalX, NaturalY, NaturalDepth);
    if (common::Services().ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY) == DISP_CHANGE_BADMODE &&
        !sessionEnding_)
        ui::ShowMessage("Error 4: Natural screen settings are invalid. Please read the readme.txt file.");
}

void Tresolution::ShowNotification(const std::string& text) {
    info->SetText(text);
    CreateOwned<Tagent>(text)->Show();
}

int32_t Tresolution::ApplyChosenDisplayMode(const common::StoredMode& mode, const common::StoredModeText& previousProfile,
                                            const std::string& profilePath) {
    RevertUnconfirmedMode();
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
    if (answer == Tconfirm::Answer::Abandon) return;

    const common::CurrentMode& before = change.previousScreen;
    DEVMODEA mode = common::DisplayModeRecord(before.width, before.height, before.depth, before.frequency);
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
