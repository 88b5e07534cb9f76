#pragma once
// A system-wide hotkey as the profile's [Hotkeys] section keeps it: modifier names (Ctrl, Alt,
// Shift, Win) joined by '+', then the key: a letter, a digit or F1 to F24. "Ctrl+Alt+Shift+M".
#include "common/ini_file.h"

#include <windows.h>

#include <optional>
#include <string>

namespace common {

inline constexpr const char* kHotkeysSection = "Hotkeys";

struct Hotkey {
    UINT modifiers = 0;  // MOD_CONTROL, MOD_ALT, MOD_SHIFT, MOD_WIN
    UINT key = 0;        // the virtual key; 0: no hotkey

    bool Set() const { return key != 0; }
    bool operator==(const Hotkey&) const = default;

    // Nothing for a text that is none of the forms above; an empty text is no hotkey. A letter or a
    // digit needs a modifier: alone it would take the key from every program.
    static std::optional<Hotkey> Parse(const std::string& text);
    // As the profile keeps it; empty for no hotkey.
    std::string Text() const;
    // The value of the standard hotkey control (HKM_GETHOTKEY: key low, HOTKEYF_* high), and back.
    // A combination the profile cannot keep reads as no hotkey.
    static Hotkey FromControl(WORD value);
    WORD ControlValue() const;

    // The hotkey stored under `name` ("MyMode", "NaturalMode"); an unreadable one is no hotkey.
    static Hotkey Read(const IniFile& profile, const char* name);
    void Write(IniFile& profile, const char* name) const;
};

}  // namespace common
