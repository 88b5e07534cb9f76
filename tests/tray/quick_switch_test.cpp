// The tray menu's "Display mode" and the command line: modes for a while, with scripted displays.
#include "tray_test_support.h"

#include "common/display_modes.h"
#include "tray/mode_command.h"

#include <windows.h>

namespace traytest {
namespace {

const char kProfile[] = "[Screen]\r\noldX=1280\r\noldY=1024\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n";

DEVMODEA Mode(DWORD width, DWORD height, DWORD depth) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = depth;
    return mode;
}

// Fourteen sizes at 32 bits, as a driver lists them: out of order, some also at 16 bits, and modes
// the menu leaves out (too small, a depth of 24).
std::vector<DEVMODEA> FourteenSizes() {
    std::vector<DEVMODEA> modes;
    for (auto [w, h] : {std::pair{1920, 1200}, {640, 480}, {800, 600}, {1024, 768}, {1152, 864}, {1280, 720},
                        {1280, 768}, {1280, 800}, {1280, 960}, {1280, 1024}, {1360, 768}, {1400, 1050},
                        {1600, 1200}, {1920, 1080}})
        modes.push_back(Mode(w, h, 32));
    for (auto [w, h] : {std::pair{800, 600}, {1280, 1024}}) modes.push_back(Mode(w, h, 16));
    modes.push_back(Mode(2560, 1440, 24));
    modes.push_back(Mode(320, 240, 32));
    return modes;
}

// An item of the submenu as Windows shows it: caption ("-" for a separator) and its marks.
struct Shown {
    std::string caption;
    bool grey = false, checked = false;
    bool operator==(const Shown&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
    return out << s.caption << (s.grey ? " (grey)" : "") << (s.checked ? " (checked)" : "");
}

class QuickSwitchTest : public HostFormTest {
protected:
    // Opens the tray menu as far as building it goes, and returns "Display mode"'s submenu.
    HMENU Submenu() {
        auto& menu = host->Find<ui::TPopupMenu>("popup");
        menu.Refresh();
        HMENU top = menu.Handle();
        EXPECT_EQ(GetMenuItemID(top, 1), static_cast<UINT>(-1));  // the item right under "Open Control Center"
        return GetSubMenu(top, 1);
    }
    std::vector<Shown> Items() {
        HMENU sub = Submenu();
        std::vector<Shown> items;
        for (int i = 0; i < GetMenuItemCount(sub); ++i) {
            MENUITEMINFOA info{};
            info.cbSize = sizeof(info);
            info.fMask = MIIM_FTYPE | MIIM_STATE;
            GetMenuItemInfoA(sub, static_cast<UINT>(i), TRUE, &info);
            char text[64] = {};
            GetMenuStringA(sub, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
            if (!(info.fType & MFT_SEPARATOR)) {
                EXPECT_TRUE(info.fType & MFT_RADIOCHECK) << text;
            }
            items.push_back({info.fType & MFT_SEPARATOR ? "-" : text, (info.fState & MFS_GRAYED) != 0,
                             (info.fState & MFS_CHECKED) != 0});
        }
        return items;
    }
    // Chooses the submenu's item with this caption, through its number as the menu answers it.
    void Choose(const std::string& caption) {
        HMENU sub = Submenu();
        for (int i = 0; i < GetMenuItemCount(sub); ++i) {
            char text[64] = {};
            GetMenuStringA(sub, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
            if (caption != text) continue;
            ui::TMenuItem* item = host->Find<ui::TPopupMenu>("popup").ItemById(GetMenuItemID(sub, i));
            ASSERT_NE(item, nullptr);
            item->Click();
            return;
        }
        FAIL() << "no item " << caption;
    }
    void Answer(const char* button) {
        ASSERT_NE(host->Question(), nullptr);
        SendMessageA(host->Question()->Find(button).Handle(), BM_CLICK, 0, 0);
        EXPECT_EQ(host->Question(), nullptr);
    }
    std::string LastChange() const {
        if (services.displayCalls.empty()) return "none";
        const auto& call = services.displayCalls.back();
        if (!call.hasMode) return "the registry's mode";
        return std::to_string(call.mode.dmPelsWidth) + "x" + std::to_string(call.mode.dmPelsHeight) + "x" +
               std::to_string(call.mode.dmBitsPerPel) + (call.flags == 0 ? " for a while" : "");
    }
};

TEST_F(QuickSwitchTest, TheSubmenuOffersTheStoredModesAndTheListedSizesAtTheScreensDepth) {
    struct Display {
        const char* what;
        std::vector<DEVMODEA> listed;
        const char* profile;
        DEVMODEA natural;
        std::vector<Shown> shown;
    } displays[] = {
        {"fourteen sizes", FourteenSizes(), kProfile, Mode(1280, 1024, 32),
         {{"My mode (1024 x 768, 32 bits)", false, true}, {"Natural mode (1280 x 1024, 32 bits)"}, {"-"},
          {"1920 x 1200"}, {"1920 x 1080"}, {"1600 x 1200"}, {"1400 x 1050"}, {"1360 x 768"}, {"1280 x 1024"},
          {"1280 x 960"}, {"1280 x 800"}, {"1280 x 768"}, {"1280 x 720"}, {"1152 x 864"},
          {"1024 x 768", false, true}, {"800 x 600"}, {"640 x 480"}}},
        // No stored mode yet (the wizard was closed), and a display that lists nothing.
        {"no sizes", {}, "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n", Mode(1024, 768, 32),
         {{"My mode", true, false}, {"Natural mode (1024 x 768, 32 bits)", false, true}}},
    };
    for (const Display& d : displays) {
        SCOPED_TRACE(d.what);
        ui::App().Reset();
        services.displayModes = d.listed;
        services.currentMode = Mode(1024, 768, 32);
        services.registryMode = d.natural;
        WriteProfile("JOHN", d.profile);
        CreateHost();
        StartUp();
        EXPECT_EQ(Items(), d.shown);
    }
}

TEST_F(QuickSwitchTest, AChoiceIsForAWhileAndLeavesTheProfileAlone) {
    services.displayModes = FourteenSizes();
    services.currentMode = Mode(1024, 768, 32);
    services.registryMode = Mode(1280, 1024, 32);
    services.followChanges = true;
    WriteProfile("JOHN", kProfile);
    CreateHost();
    StartUp();

    // A size: the screen switches at once, without the registry, and the question follows.
    services.displayCalls.clear();
    Choose("800 x 600");
    EXPECT_EQ(LastChange(), "800x600x32 for a while");
    EXPECT_EQ(services.displayCalls.size(), 1u);
    Answer("Button1");  // "Keep settings"
    EXPECT_EQ(FileText(ProfileFile("JOHN")), kProfile);
    EXPECT_EQ(Items()[15], (Shown{"800 x 600", false, true}));
    EXPECT_FALSE(Items()[0].checked);

    // "Revert" brings the screen back, for a while too; the profile never changed.
    Choose("1600 x 1200");
    Answer("Button2");
    EXPECT_EQ(LastChange(), "800x600x32 for a while");
    EXPECT_EQ(Popups().back(), "The new display settings were reverted: the previous ones are back.");

    // A new choice replaces an open question without going back first; "My mode" asks nothing.
    Choose("640 x 480");
    services.displayCalls.clear();
    Choose("1280 x 1024");
    EXPECT_EQ(LastChange(), "1280x1024x32 for a while");
    EXPECT_EQ(services.displayCalls.size(), 1u);
    Choose("My mode (1024 x 768, 32 bits)");
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_EQ(services.displayCalls.back().mode.dmPelsWidth, 1024u);
    EXPECT_TRUE(Items()[0].checked);
    Choose("Natural mode (1280 x 1024, 32 bits)");
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_EQ(LastChange(), "the registry's mode");
    EXPECT_TRUE(Items()[1].checked);
    EXPECT_EQ(FileText(ProfileFile("JOHN")), kProfile);

    // A size the display refuses is reported and asks nothing.
    services.displayAnswers = {DISP_CHANGE_BADMODE};
    Choose("1920 x 1200");
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Error 3: Your machine does not support this display mode."});
}

TEST_F(QuickSwitchTest, TheCommandLine) {
    struct Row {
        const char* arguments;
        int exitCode;
        const char* change;  // the last display change, "none" for none
        LONG answer = DISP_CHANGE_SUCCESSFUL;
    } rows[] = {
        {"/mode 800x600", 0, "800x600x32 for a while"},
        {"-MODE 1280X1024x16", 0, "1280x1024x16 for a while"},
        {"  \"/Mode\"  \"1920x1080x32\" ", 0, "1920x1080x32 for a while"},
        {"/mode 800x600", 1, "800x600x32 for a while", DISP_CHANGE_FAILED},
        {"/mode 123x45", 2, "none"},          // not listed
        {"/mode 1024x768x8", 2, "none"},      // not at that depth
        {"/mode 2560x1440x24", 2, "none"},
        {"/mode", 2, "none"},
        {"/mode 800*600", 2, "none"},
        {"/mode 800x600x", 2, "none"},
        {"/mode +800x600", 2, "none"},
        {"/mode 0800x0600", 0, "800x600x32 for a while"},
        {"/mode 99999999800x600", 2, "none"},
        {"/mode 800x600 now", 2, "none"},
        {"mode 800x600", 2, "none"},
        {"/resolution 800x600", 2, "none"},  // an unknown switch
        {"/mymode", 0, "1024x768x32"},
        {"/MyMode", 1, "1024x768x32", DISP_CHANGE_FAILED},
        {"-Natural", 0, "the registry's mode"},
        {"/natural please", 2, "none"},
        {"/mode 800x600 /display 1", 0, "800x600x32 for a while"},  // the primary display
        {"/mode 800x600 -DISPLAY 2", 2, "none"},                  // there is no second one
        {"/mode 800x600 /display", 2, "none"},
        {"/mode 800x600 /screen 1", 2, "none"},
        {"/mode 800x600 /run", 2, "none"},
        {"/mode 800x600 /run \"C:\\nowhere\\missing.exe\" -x", 1, "none"},  // reported, nothing switched
        {"", 2, "none"},
    };
    services.displayModes = FourteenSizes();
    services.registryMode = Mode(1280, 1024, 32);
    services.followChanges = true;
    WriteProfile("JOHN", kProfile);
    CreateHost();
    StartUp();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.arguments);
        services.currentMode = Mode(640, 480, 32);
        services.displayCalls.clear();
        services.displayAnswers = {row.answer};
        if (std::string(row.arguments) == "/MyMode") services.displayAnswers = {DISP_CHANGE_SUCCESSFUL, row.answer};
        services.messages.clear();
        services.onMessage = nullptr;
        EXPECT_EQ(host->RunModeCommand(tray::ParseModeCommand(row.arguments)), row.exitCode);
        // The user's own modes go the way they always go; only the flags of a mode for a while count here.
        EXPECT_EQ(LastChange().rfind(row.change, 0), 0u) << LastChange();
        EXPECT_EQ(host->Question(), nullptr);  // a script asked: nothing is asked back
    }
}

// The hotkeys the profile keeps are registered at start and do what "My mode" and "Natural mode" do;
// a combination another program holds is reported and the old one stays; Exit lets them go.
TEST_F(QuickSwitchTest, HotkeysChooseTheModesAndATakenCombinationKeepsTheOldOne) {
    services.displayModes = FourteenSizes();
    services.currentMode = Mode(1024, 768, 32);
    services.registryMode = Mode(1280, 1024, 32);
    services.followChanges = true;
    const std::string hotkeys = "[Hotkeys]\r\nMyMode=Ctrl+Alt+Shift+M\r\nNaturalMode=Ctrl+Alt+Shift+N\r\n";
    WriteProfile("JOHN", std::string(kProfile) + hotkeys);
    CreateHost();
    StartUp();
    using Action = tray::Host::HotkeyAction;
    EXPECT_EQ(host->Hotkey(Action::MyMode).Text(), "Ctrl+Alt+Shift+M");

    SendMessageA(host->Handle(), WM_HOTKEY, 2, 0);
    EXPECT_EQ(LastChange(), "the registry's mode");
    SendMessageA(host->Handle(), WM_HOTKEY, 1, 0);
    EXPECT_EQ(LastChange().rfind("1024x768x32", 0), 0u) << LastChange();
    EXPECT_EQ(host->Question(), nullptr);

    // Another program (here: a window of this test) holds Ctrl+Alt+Q.
    const HWND other = CreateWindowA("STATIC", "", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(RegisterHotKey(other, 7, MOD_CONTROL | MOD_ALT, 'Q'));
    EXPECT_FALSE(host->SetHotkey(Action::MyMode, *common::Hotkey::Parse("Ctrl+Alt+Q")));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Ctrl+Alt+Q is already used by another program. The hotkey for "
                                                "\"My mode\" stays Ctrl+Alt+Shift+M."});
    EXPECT_EQ(host->Hotkey(Action::MyMode).Text(), "Ctrl+Alt+Shift+M");
    EXPECT_FALSE(RegisterHotKey(other, 8, MOD_CONTROL | MOD_ALT | MOD_SHIFT, 'M'));  // still Quorvex's

    EXPECT_TRUE(host->SetHotkey(Action::NaturalMode, *common::Hotkey::Parse("Ctrl+Alt+F7")));
    EXPECT_TRUE(host->SetHotkey(Action::MyMode, {}));
    EXPECT_EQ(FileText(ProfileFile("JOHN")),
              std::string(kProfile) + "[Hotkeys]\r\nNaturalMode=Ctrl+Alt+F7\r\n");

    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_TRUE(RegisterHotKey(other, 9, MOD_CONTROL | MOD_ALT, VK_F7));
    DestroyWindow(other);
}

}  // namespace
}  // namespace traytest
