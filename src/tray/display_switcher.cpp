#include "tray/display_switcher.h"

#include "common/displays.h"
#include "common/system_services.h"
#include "tray/session_watch.h"
#include "ui/application.h"

#include <algorithm>

namespace tray {

namespace {
const char* DeviceOrPrimary(const std::string& device) { return device.empty() ? nullptr : device.c_str(); }

bool ScreenIsIn(const common::StoredMode& mode, const std::string& device) {
    return common::ScreenIsIn(mode.width, mode.height, mode.depth, DeviceOrPrimary(device));
}

// Whether `mode` is the computer's natural mode of the display.
bool IsComputersMode(const common::StoredMode& mode, const std::string& device) {
    const std::optional<common::CurrentMode> natural = common::RegistryDisplayMode(DeviceOrPrimary(device));
    return natural && common::SameMode(*natural, {mode.width, mode.height, mode.depth});
}
}  // namespace

std::string DeviceOf(const common::Display* display) {
    return display && !display->primary ? display->deviceName : std::string();
}

common::CurrentMode DisplaySwitcher::ModeNow(const std::string& device) {
    return common::ScreenModeNow(DeviceOrPrimary(device));
}

DisplaySwitcher::DisplaySwitcher(Notify notify) : notify_(std::move(notify)) {}

LONG DisplaySwitcher::Change(const std::string& device, DEVMODEA* record, DWORD flags) {
    auto& services = common::Services();
    if (device.empty()) return services.ChangeDisplaySettingsA(record, flags);
    LONG result = services.ChangeDisplaySettingsExA(device.c_str(), record, flags);
    // Another display may refuse the refresh rate kept from its current mode: the size goes without.
    if (flags == 0 && record && result == DISP_CHANGE_FAILED && (record->dmFields & DM_DISPLAYFREQUENCY)) {
        *record = common::DisplayModeRecord(static_cast<int32_t>(record->dmPelsWidth),
                                            static_cast<int32_t>(record->dmPelsHeight),
                                            static_cast<int32_t>(record->dmBitsPerPel));
        result = services.ChangeDisplaySettingsExA(device.c_str(), record, 0);
    }
    return result;
}

bool DisplaySwitcher::Possible(const common::StoredMode& mode) {
    DEVMODEA record = common::DisplayModeRecord(mode.width, mode.height, mode.depth);
    return Change({}, &record, CDS_TEST) != DISP_CHANGE_BADMODE;
}

void DisplaySwitcher::ReportRefusal(LONG result) {
    switch (result) {
    case DISP_CHANGE_RESTART:
        ui::ShowMessage(
            "Error 1: Your display driver is unable to change the screen resolution without system reboot.\r"
            "Please read the program manual.");
        return;
    case DISP_CHANGE_BADMODE:
        ui::ShowMessage("Error 3: Your machine does not support this display mode.");
        return;
    default:
        ui::ShowMessage("Error 2: Screen resolution could not be changed - unknown error occured.");
    }
}

int32_t DisplaySwitcher::Apply(const common::StoredMode& mode, const std::string& device, bool notify) {
    DEVMODEA record = common::ChangeRecord(mode.width, mode.height, mode.depth, DeviceOrPrimary(device));
    if (Change(device, &record, CDS_TEST) == DISP_CHANGE_BADMODE) {
        ui::ShowMessage("Selected display mode is not supported on this machine.");
        notify_("Display test failed.");
        return -1;
    }
    // A crash while the screen switches gives the screen back too.
    NoteScreenChanged(true);
    const LONG result = Change(device, &record, 0);
    switch (result) {
    case DISP_CHANGE_SUCCESSFUL:
        Hold(mode, device);
        if (notify) notify_("Screen resolution was changed successfully.");
        return 0;
    case DISP_CHANGE_RESTART:
    case DISP_CHANGE_FAILED:
    case DISP_CHANGE_BADMODE:
        ReportRefusal(result);
        return -1;
    case DISP_CHANGE_NOTUPDATED:
        Hold(mode, device);
        notify_("INFO: Screen resolution was changed successfully, but the registry settings could not be updated.");
        return -1;
    }
    return -1;
}

LONG DisplaySwitcher::Switch(const common::StoredMode& mode, const std::string& device, bool report) {
    DEVMODEA record = common::ChangeRecord(mode.width, mode.height, mode.depth, DeviceOrPrimary(device));
    NoteScreenChanged(true);
    const LONG result = Change(device, &record, 0);
    if (result == DISP_CHANGE_SUCCESSFUL) Hold(mode, device);
    else if (report) ReportRefusal(result);
    return result;
}

bool DisplaySwitcher::ChangeBack(const common::CurrentMode& before, const std::string& device) {
    DEVMODEA record = common::DisplayModeRecord(before.width, before.height, before.depth, before.frequency);
    const LONG result = Change(device, &record, 0);
    if (result != DISP_CHANGE_SUCCESSFUL && result != DISP_CHANGE_NOTUPDATED) return false;
    Hold({before.width, before.height, before.depth}, device);
    return true;
}

LONG DisplaySwitcher::RestoreNaturalOf(const std::string& device) {
    // The primary display goes back to the registry's mode with the refresh rate and everything else
    // the registry keeps; another one is given its registry mode by value.
    const std::optional<common::CurrentMode> natural =
        device.empty() ? std::nullopt : common::RegistryDisplayMode(device.c_str());
    if (!natural) return Change(device, nullptr, 0);
    DEVMODEA record = common::DisplayModeRecord(natural->width, natural->height, natural->depth, natural->frequency);
    return Change(device, &record, 0);
}

void DisplaySwitcher::RestoreNatural(bool report) {
    if (common::RemoteSession()) return;
    // Every other display this program changed goes back on its own: a failure there is reported,
    // and never made up for by a change of the primary display.
    std::string refused;
    for (auto held = heldOthers_.begin(); held != heldOthers_.end();) {
        if (RestoreNaturalOf(held->first) == DISP_CHANGE_SUCCESSFUL) {
            held = heldOthers_.erase(held);
            continue;
        }
        refused += (refused.empty() ? "" : ", ") + held->first;
        ++held;
    }
    const LONG result = RestoreNaturalOf({});
    if (result == DISP_CHANGE_SUCCESSFUL) held_.reset();
    NoteHeld();
    if (!report) return;
    if (result == DISP_CHANGE_BADMODE)
        ui::ShowMessage("Error 4: Natural screen settings are invalid. Please read the readme.txt file.");
    if (!refused.empty())
        ui::ShowMessage("The natural settings of the display " + refused +
                        " could not be restored. Please read the readme.txt file.");
}

std::optional<common::CurrentMode> DisplaySwitcher::ReturnLeftOverMode(const std::string& device) {
    const std::optional<common::CurrentMode> computers = common::RegistryDisplayMode(DeviceOrPrimary(device));
    if (!computers) return std::nullopt;
    // Only one Quorvex runs in a session, and it has not changed anything yet: a display that is not
    // in the computer's mode was left so by one that was killed or crashed.
    const std::optional<common::CurrentMode> now =
        device.empty() ? common::ScreenModeNow() : common::CurrentDisplayMode(device.c_str());
    if (now && !common::SameMode(*now, *computers)) RestoreNaturalOf(device);
    return computers;
}

void DisplaySwitcher::Hold(const common::StoredMode& mode, const std::string& device) {
    const bool natural = IsComputersMode(mode, device);
    if (device.empty()) {
        if (natural) held_.reset();
        else held_ = mode;
    } else if (natural) {
        heldOthers_.erase(device);
    } else {
        heldOthers_[device] = mode;
    }
    NoteHeld();
}

void DisplaySwitcher::ForgetDetached(const std::vector<std::string>& attached) {
    std::erase_if(heldOthers_, [&](const auto& held) {
        return std::find(attached.begin(), attached.end(), held.first) == attached.end();
    });
    NoteHeld();
}

void DisplaySwitcher::Reapply(const std::optional<common::StoredMode>& primary,
                              const std::map<std::string, common::StoredMode>& others) {
    if (primary && !ScreenIsIn(*primary, {})) Apply(*primary);
    if (others.empty()) return;
    for (const common::Display& display : common::AttachedDisplays()) {
        const auto held = others.find(display.deviceName);
        if (display.primary || held == others.end()) continue;
        if (!ScreenIsIn(held->second, display.deviceName)) Apply(held->second, display.deviceName, false);
    }
}

void DisplaySwitcher::NoteHeld() { NoteScreenChanged(held_.has_value() || !heldOthers_.empty()); }

}  // namespace tray
