#pragma once
// What the configuration screens use of the tray program: the host form hands itself over, as this
// interface, through the factories that make the screens.
#include "common/displays.h"
#include "common/hotkey.h"
#include "common/policies.h"
#include "common/profile.h"
#include "ui/form.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tray {

class Host {
public:
    // The user as the host form shows the name (upper case); the profile is named after it.
    virtual std::string UserLabel() const = 0;
    // The upper-case user name the host form started with.
    virtual const std::string& CurrentUser() const = 0;
    virtual std::string VersionText() const = 0;
    // What the administrator has set, as read when Quorvex started.
    virtual const common::Policies& Policies() const = 0;
    // A mode the user has just chosen and stored (`previousProfile`: what the profile at
    // `profilePath` held before): applies it and, when the screen changed, asks whether to keep it.
    // An open question is settled as "Revert" first. 0 when the mode was set and stored, -1 otherwise.
    // `display`: the display it is for; nullptr for the primary one.
    virtual int32_t ApplyChosenDisplayMode(const common::StoredMode& mode, const common::StoredModeText& previousProfile,
                                           const std::string& profilePath,
                                           const common::Display* display = nullptr) = 0;
    // Whether the system could set the primary display to `mode` (the wizard's compatibility test).
    virtual bool ModePossible(const common::StoredMode& mode) const = 0;
    // The two system-wide hotkeys: "My mode" and "Natural mode".
    enum class HotkeyAction { MyMode, NaturalMode };
    virtual common::Hotkey Hotkey(HotkeyAction action) const = 0;
    // Gives `action` the hotkey `hotkey` (none: off) in place of the one it has, and stores it in
    // the profile. A combination another program holds is reported and the old one kept: false.
    virtual bool SetHotkey(HotkeyAction action, const common::Hotkey& hotkey) = 0;
    // Settles an open keep-or-revert question as "Revert".
    virtual void RevertUnconfirmedMode() = 0;
    // Starts the updater (with `arguments` on its command line) and ends Quorvex (back in the natural
    // mode): the updater will not replace a running Quorvex.
    virtual void StartUpdater(const std::string& arguments = {}) = 0;
    // Opens the manual over `window`.
    virtual void ShowHelp(const ui::Form& window) = 0;
    // Opens a new About screen owned by `owner`.
    virtual void ShowAbout(ui::Form& owner) = 0;

protected:
    ~Host() = default;
};

// Each makes a new window of its kind owned by `owner`, hands it `host` and loads it (hidden).
struct ScreenFactories {
    using Factory = std::function<ui::Form*(ui::Form& owner, Host& host)>;
    Factory controlCenter, wizard, about;
};

}  // namespace tray
