// Display-mode switching and the notification popup: routines of the host form.
#include "common/display_mode.h"
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
    Find("info").SetText(text);
    CreateOwned<Tagent>()->Show();
}

}  // namespace tray
