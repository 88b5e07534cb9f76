#include "common/hotkey.h"

#include "common/text.h"

#include <commctrl.h>

#include <vector>

namespace common {

namespace {
struct Modifier {
    const char* name;
    UINT flag;
    BYTE control;  // the hotkey control's flag; 0: the control has none
};
constexpr Modifier kModifiers[] = {
    {"Ctrl", MOD_CONTROL, HOTKEYF_CONTROL},
    {"Alt", MOD_ALT, HOTKEYF_ALT},
    {"Shift", MOD_SHIFT, HOTKEYF_SHIFT},
    {"Win", MOD_WIN, 0},
};

// 'A'-'Z', '0'-'9', VK_F1-VK_F24 from their names; 0 for anything else.
UINT KeyNamed(const std::string& upper) {
    if (upper.size() == 1 && ((upper[0] >= 'A' && upper[0] <= 'Z') || (upper[0] >= '0' && upper[0] <= '9')))
        return static_cast<UINT>(upper[0]);
    if (upper.size() < 2 || upper.size() > 3 || upper[0] != 'F') return 0;
    int number = 0;
    for (size_t i = 1; i < upper.size(); ++i) {
        if (upper[i] < '0' || upper[i] > '9') return 0;
        number = number * 10 + (upper[i] - '0');
    }
    return number >= 1 && number <= 24 && upper[1] != '0' ? static_cast<UINT>(VK_F1 + number - 1) : 0;
}

bool FunctionKey(UINT key) { return key >= VK_F1 && key <= VK_F24; }
}  // namespace

std::optional<Hotkey> Hotkey::Parse(const std::string& text) {
    if (text.empty()) return Hotkey{};
    std::vector<std::string> parts(1);
    for (char c : text) {
        if (c == '+') parts.emplace_back();
        else if (c != ' ') parts.back() += c;
    }
    Hotkey hotkey;
    for (size_t i = 0; i + 1 < parts.size(); ++i) {
        const std::string upper = AsciiUpper(parts[i]);
        const Modifier* found = nullptr;
        for (const Modifier& modifier : kModifiers)
            if (upper == AsciiUpper(modifier.name)) found = &modifier;
        if (!found || (hotkey.modifiers & found->flag)) return std::nullopt;
        hotkey.modifiers |= found->flag;
    }
    hotkey.key = KeyNamed(AsciiUpper(parts.back()));
    if (!hotkey.key || (!hotkey.modifiers && !FunctionKey(hotkey.key))) return std::nullopt;
    return hotkey;
}

std::string Hotkey::Text() const {
    if (!Set()) return {};
    std::string text;
    for (const Modifier& modifier : kModifiers)
        if (modifiers & modifier.flag) text += std::string(modifier.name) + "+";
    if (FunctionKey(key)) return text + "F" + std::to_string(key - VK_F1 + 1);
    return text + static_cast<char>(key);
}

Hotkey Hotkey::FromControl(WORD value) {
    Hotkey hotkey;
    hotkey.key = LOBYTE(value);
    for (const Modifier& modifier : kModifiers)
        if (modifier.control & HIBYTE(value)) hotkey.modifiers |= modifier.flag;
    // Only what the profile can keep: the key must have a name, and a letter or digit a modifier.
    return Parse(hotkey.Text()).value_or(Hotkey{});
}

WORD Hotkey::ControlValue() const {
    BYTE flags = 0;
    for (const Modifier& modifier : kModifiers)
        if (modifiers & modifier.flag) flags |= modifier.control;
    return MAKEWORD(static_cast<BYTE>(key), flags);
}

Hotkey Hotkey::Read(const IniFile& profile, const char* name) {
    return Parse(profile.ReadString(kHotkeysSection, name, "")).value_or(Hotkey{});
}

void Hotkey::Write(IniFile& profile, const char* name) const {
    if (Set()) profile.WriteString(kHotkeysSection, name, Text());
    else profile.DeleteKey(kHotkeysSection, name);
}

}  // namespace common
