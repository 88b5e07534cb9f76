// The system-wide hotkeys "My mode" and "Natural mode": routines of the host form, whose window
// receives them (WM_HOTKEY, the hotkey's number in wParam).
#include "tray/host_form.h"

#include "ui/application.h"

namespace tray {

namespace {
struct Action {
    const char* caption;  // as the tray menu names it
    const char* key;      // in the profile's [Hotkeys] section
};
constexpr Action kActions[] = {{"My mode", "MyMode"}, {"Natural mode", "NaturalMode"}};

// RegisterHotKey's number for each action; 0 is not one.
int IdOf(size_t action) { return static_cast<int>(action) + 1; }
}  // namespace

void Tresolution::RegisterHotkeys() {
    for (size_t action = 0; action < std::size(kActions); ++action) {
        const common::Hotkey stored = common::Hotkey::Read(*profile_, kActions[action].key);
        if (!stored.Set()) continue;
        if (RegisterHotKey(Handle(), IdOf(action), stored.modifiers, stored.key)) {
            hotkeys_[action] = stored;
            continue;
        }
        // Kept in the profile: the other program may let it go by the next start.
        ShowNotification("The hotkey " + stored.Text() + " for \"" + kActions[action].caption +
                         "\" is in use by another program: it is off for now.");
    }
}

void Tresolution::UnregisterHotkeys() {
    for (size_t action = 0; action < std::size(kActions); ++action)
        if (std::exchange(hotkeys_[action], {}).Set()) UnregisterHotKey(Handle(), IdOf(action));
}

bool Tresolution::SetHotkey(HotkeyAction which, const common::Hotkey& hotkey) {
    const size_t action = static_cast<size_t>(which);
    common::Hotkey& current = hotkeys_[action];
    if (!profile_) return false;
    if (hotkey == current) return true;
    if (current.Set()) UnregisterHotKey(Handle(), IdOf(action));
    if (hotkey.Set() && !RegisterHotKey(Handle(), IdOf(action), hotkey.modifiers, hotkey.key)) {
        if (current.Set()) RegisterHotKey(Handle(), IdOf(action), current.modifiers, current.key);
        ui::ShowMessage(hotkey.Text() + " is already used by another program. The hotkey for \"" +
                        kActions[action].caption + "\" stays " + (current.Set() ? current.Text() : "off") + ".");
        return false;
    }
    current = hotkey;
    hotkey.Write(*profile_, kActions[action].key);
    return true;
}

// As the tray menu's items: "Natural mode" does nothing under the administrator's lock.
void Tresolution::HotkeyPressed(WPARAM id) {
    if (id == static_cast<WPARAM>(IdOf(static_cast<size_t>(HotkeyAction::MyMode)))) ChooseMyMode();
    if (id == static_cast<WPARAM>(IdOf(static_cast<size_t>(HotkeyAction::NaturalMode)))) ChooseNaturalMode();
}

}  // namespace tray
