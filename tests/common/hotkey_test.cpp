// Hotkeys as the profile keeps them and as the hotkey control gives them.
#include "common/hotkey.h"

#include <commctrl.h>
#include <gtest/gtest.h>

namespace {

TEST(Hotkey, TextsReadAndWrittenAsTheProfileKeepsThem) {
    struct Row {
        const char* text;
        bool valid;
        UINT modifiers, key;
        const char* written;  // as Text() gives it back
    } rows[] = {
        {"Ctrl+Alt+Shift+M", true, MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'M', "Ctrl+Alt+Shift+M"},
        {"shift + ctrl + n", true, MOD_CONTROL | MOD_SHIFT, 'N', "Ctrl+Shift+N"},
        {"Win+7", true, MOD_WIN, '7', "Win+7"},
        {"F12", true, 0, VK_F12, "F12"},
        {"Alt+F24", true, MOD_ALT, VK_F24, "Alt+F24"},
        {"", true, 0, 0, ""},  // off
        {"M", false},           // a letter alone would take the key from every program
        {"Ctrl+F25", false},
        {"Ctrl+F0", false},
        {"Ctrl+Ctrl+M", false},
        {"Ctrl+Home", false},
        {"Ctrl+", false},
        {"Hyper+M", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const std::optional<common::Hotkey> parsed = common::Hotkey::Parse(row.text);
        ASSERT_EQ(parsed.has_value(), row.valid);
        if (!row.valid) continue;
        EXPECT_EQ(parsed->modifiers, row.modifiers);
        EXPECT_EQ(parsed->key, row.key);
        EXPECT_EQ(parsed->Text(), row.written);
        // The hotkey control has no Win key: such a combination reads back without it.
        const common::Hotkey shown = common::Hotkey::FromControl(parsed->ControlValue());
        if (!(row.modifiers & MOD_WIN)) {
            EXPECT_EQ(shown, *parsed);
        }
    }
    EXPECT_EQ(common::Hotkey::FromControl(MAKEWORD('Q', HOTKEYF_CONTROL | HOTKEYF_ALT)).Text(), "Ctrl+Alt+Q");
    EXPECT_FALSE(common::Hotkey::FromControl(MAKEWORD('Q', 0)).Set());
    EXPECT_FALSE(common::Hotkey::FromControl(MAKEWORD(VK_HOME, HOTKEYF_CONTROL)).Set());
}

}  // namespace
