#pragma once
// Every change of every display Quorvex makes goes through here: the question whether a mode is
// possible, the change itself (never into the registry, which keeps the computer's natural mode),
// the second try without a refresh rate, the modes held per display, the flag the crash handler
// reads, the way back to the natural mode and the one report of a refusal. No window: the host form,
// the keep-or-revert question, the tray menu, the command line and the session handling ask it.
#include "common/display_modes.h"
#include "common/displays.h"
#include "common/profile.h"

#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tray {

// The name the switcher knows `display` by: empty for the primary display (and for none).
std::string DeviceOf(const common::Display* display);

class DisplaySwitcher {
public:
    // Shows a short notice (the notification popup); the message boxes go through ui::ShowMessage.
    using Notify = std::function<void(const std::string& text)>;
    explicit DisplaySwitcher(Notify notify);

    // `device` below: a display's device name; empty for the primary display.

    // The user's own mode: asks the system whether it is possible, then switches; reports the
    // outcome itself (a box for a refusal, a popup for a success when `notify`). 0 when the mode was
    // set, -1 otherwise.
    int32_t Apply(const common::StoredMode& mode, const std::string& device = {}, bool notify = true);
    // A mode for a while: switches at once; a refusal is reported when `report`. The system's answer.
    LONG Switch(const common::StoredMode& mode, const std::string& device = {}, bool report = true);
    // Puts `device` back into `before`, refresh rate and all; true when the display took it. The mode
    // is then the one held.
    bool ChangeBack(const common::CurrentMode& before, const std::string& device = {});
    // Every display this program changed goes back to the computer's natural mode; `report`: a bad
    // natural mode, or a display that stays changed, is reported. Nothing happens in a remote
    // session, whose display is not the computer's.
    void RestoreNatural(bool report = true);
    // A display left in another mode by a Quorvex that was killed or crashed goes back to the
    // computer's natural mode. That mode, or nothing when the system keeps none.
    std::optional<common::CurrentMode> ReturnLeftOverMode(const std::string& device = {});
    // Notes the mode `device` is in now because of this program; the computer's natural mode is
    // none of this program's.
    void Hold(const common::StoredMode& mode, const std::string& device = {});
    // A display that went away is in no mode any more: nothing to give back.
    void ForgetDetached(const std::vector<std::string>& attached);
    // Displays that are not in the mode given for them get it again, without a question: the
    // primary with `primary`, the others by device name.
    void Reapply(const std::optional<common::StoredMode>& primary,
                 const std::map<std::string, common::StoredMode>& others);
    // Whether the system could set the primary display to `mode`, as it is (the system chooses the
    // refresh rate): only DISP_CHANGE_BADMODE counts as unsupported.
    static bool Possible(const common::StoredMode& mode);
    // The one report of a display's refusal, by the system's answer.
    static void ReportRefusal(LONG result);

    // The mode `device` is in now (common::ScreenModeNow).
    static common::CurrentMode ModeNow(const std::string& device = {});

    // The mode this program holds the primary display in, or nothing while it is in the natural mode.
    const std::optional<common::StoredMode>& Held() const { return held_; }
    // The other displays this program holds in a mode of its own, by device name.
    const std::map<std::string, common::StoredMode>& HeldOthers() const { return heldOthers_; }

private:
    // One change of one display; a change another display refuses with the refresh rate in
    // `record` is tried once more without it.
    static LONG Change(const std::string& device, DEVMODEA* record, DWORD flags);
    LONG RestoreNaturalOf(const std::string& device);
    void NoteHeld();

    Notify notify_;
    std::optional<common::StoredMode> held_;
    std::map<std::string, common::StoredMode> heldOthers_;
};

}  // namespace tray
