// The Control Center against the real display of the Wine desktop: the current settings follow a
// real mode change, and screenshots of both windows for people to look at.
#include "control_center_fixture.h"

#include "screens/hotkeys.h"
#include "screens/program_shortcut.h"

#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>

namespace screenstest {
namespace {

class RealDisplay : public ControlCenterTest {
protected:
    void SetUp() override {
        ControlCenterTest::SetUp();
        common::SetServices(nullptr);  // the real system answers
        ASSERT_TRUE(common::Win32Services().GetUserNameA(user));
        user = common::AsciiUpper(user);
    }
    // Starts Quorvex for the real user with the stored mode 1024 x 768 at 32 bits.
    void Start() {
        WriteProfile(user, std::string(kModeProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n");
        CreateHost();
        StartUp();
        uitest::PumpUntil([] { return false; }, 200);
    }
    // Rests the mouse on a control, as a user waiting for its hint would; true once a hint shows.
    static bool RestMouseOn(HWND control) {
        RECT rect;
        GetWindowRect(control, &rect);
        SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        return uitest::PumpUntil([] {
            for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr));)
                if (IsWindowVisible(w)) return true;
            return false;
        }, 2000);
    }
    // The part of the screen the window covers, with any hint below it.
    static void Screenshot(const ui::Form& form, const std::string& name) {
        uitest::PumpUntil([] { return false; }, 300);
        uitest::SaveScreenshot(GetDesktopWindow(), name + "-desktop");
        uitest::SaveScreenshot(form.Handle(), name);
    }
    // The colour the screen shows at a point of the window's client area, and the colour the
    // background picture has there.
    static COLORREF OnScreen(const ui::Form& form, POINT at) {
        ClientToScreen(form.Handle(), &at);
        HDC screen = GetDC(nullptr);
        const COLORREF colour = GetPixel(screen, at.x, at.y);
        ReleaseDC(nullptr, screen);
        return colour;
    }
    static COLORREF InPicture(const char* resource, POINT at) {
        HBITMAP bitmap = ui::LoadPicture(resource);
        HDC memory = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(memory, bitmap);
        const COLORREF colour = GetPixel(memory, at.x, at.y);
        SelectObject(memory, old);
        DeleteDC(memory);
        DeleteObject(bitmap);
        return colour;
    }
    static bool Near(COLORREF a, COLORREF b) {
        auto close = [](int x, int y) { return std::abs(x - y) <= 8; };
        return close(GetRValue(a), GetRValue(b)) && close(GetGValue(a), GetGValue(b)) &&
               close(GetBValue(a), GetBValue(b));
    }
    std::string user;
};

TEST_F(RealDisplay, TheCurrentSettingsFollowARealModeChange) {
    ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024) << "the Wine desktop starts at 1024 x 768";
    Start();
    auto& first = Open();
    EXPECT_EQ(Text(first, "mainUser"), user);
    EXPECT_EQ(Text(first, "mainX"), "1024");
    EXPECT_EQ(Text(first, "mainY"), "768");
    HDC screen = GetDC(nullptr);
    const int bits = GetDeviceCaps(screen, BITSPIXEL);  // the real depth (COLORRES says 24 at 32 bits)
    ReleaseDC(nullptr, screen);
    EXPECT_EQ(Text(first, "mainDepth"), std::to_string(bits));

    MoveSlider(first, 3);  // 640 x 480, 768 x 576, 800 x 600: the Wine desktop's own sizes
    Press(first, "b16");
    HWND firstWindow = first.Handle();
    Press(first, "Button1");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    EXPECT_FALSE(IsWindowVisible(firstWindow));
    ASSERT_NE(host->Question(), nullptr);
    Press(*host->Question(), "Button1");  // "Keep settings"

    auto& second = Open();
    ui::App().ProcessMessages();
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_EQ(Text(second, "mainX"), "800");
    EXPECT_EQ(Text(second, "mainY"), "600");
    RECT outer;
    GetWindowRect(second.Handle(), &outer);
    EXPECT_EQ(outer.left, (800 - (outer.right - outer.left)) / 2);  // centred on the new screen
    Screenshot(second, "control-center-800x600");

    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

TEST_F(RealDisplay, AChangeLeftUnansweredRevertsAfterFifteenSecondsAndAKeptOneStays) {
    Start();
    const std::string stored = FileText(ProfileFile(user));
    auto& center = Open();
    MoveSlider(center, 3);  // 800 x 600
    Press(center, "b16");
    Press(center, "Button1");
    const DWORD changed = GetTickCount();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    ASSERT_NE(host->Question(), nullptr);
    HWND question = host->Question()->Handle();
    RECT outer;
    GetWindowRect(question, &outer);
    EXPECT_EQ(outer.left, (800 - (outer.right - outer.left)) / 2);  // centred on the new screen
    EXPECT_EQ(outer.top, (600 - (outer.bottom - outer.top)) / 2);
    uitest::PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(Text(*host->Question(), "countdown"), "Reverting in 14 seconds.");
    Screenshot(*host->Question(), "keep-or-revert");

    // Nobody answers: the screen and the profile come back by themselves.
    EXPECT_TRUE(uitest::PumpUntil([] { return GetSystemMetrics(SM_CXSCREEN) == 1024; }, 20000));
    const DWORD waited = GetTickCount() - changed;
    EXPECT_GE(waited, 14500u);
    EXPECT_LE(waited, 17500u);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    EXPECT_FALSE(IsWindow(question));
    EXPECT_EQ(FileText(ProfileFile(user)), stored);

    // The display's own 1366 x 768, chosen and kept, switches the screen and stays stored.
    auto& wide = Open();
    EXPECT_EQ(SendMessageA(Control(wide, "mainResolution"), TBM_GETRANGEMAX, 0, 0), 14);
    EXPECT_EQ(Text(wide, "Label18"), "640x480");
    EXPECT_EQ(Text(wide, "Label19"), "1600x1200");
    MoveSlider(wide, 10);
    EXPECT_EQ(Text(wide, "mainResolutionDesc"), "1366x768");
    Screenshot(wide, "control-center-display-modes");
    Press(wide, "Button1");
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1366);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
    ASSERT_NE(host->Question(), nullptr);
    Press(*host->Question(), "Button1");
    EXPECT_EQ(host->Question(), nullptr);
    uitest::PumpUntil([] { return false; }, 1000);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1366);
    common::IniFile profile(ProfileFile(user));
    EXPECT_EQ(profile.ReadInteger("Screen", "X", 0), 1366);
    EXPECT_EQ(profile.ReadInteger("Screen", "Y", 0), 768);
    EXPECT_EQ(profile.ReadInteger("Screen", "Depth", 0), 32);

    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(RealDisplay, ScreenshotsOfTheControlCenterAndTheAboutScreen) {
    Start();
    auto& center = Open();
    EXPECT_EQ(Text(center, "mainResolutionDesc"), "1024x768");
    EXPECT_TRUE(RestMouseOn(center.Find("Button1").Handle())) << "no hint showed";
    EXPECT_EQ(ui::App().Hint(), "Saves settings and changes display mode");
    Screenshot(center, "control-center");
    // Along a group box's frame, where the themed box has its parent paint, the picture shows as
    // it is at that place of the window: the dark header must not repeat there.
    for (POINT at : {POINT{258, 120}, POINT{510, 120}, POINT{505, 82}, POINT{230, 87}}) {
        SCOPED_TRACE(testing::Message() << at.x << "," << at.y);
        EXPECT_TRUE(Near(OnScreen(center, at), InPicture("MAINBG", at)))
            << std::hex << OnScreen(center, at) << " vs " << InPicture("MAINBG", at);
    }

    Press(center, "Button4");
    ui::Form& about = *host->About();
    EXPECT_EQ(Text(about, "wersja"), "2.0");
    Screenshot(about, "about");
    host->Find<ui::TMenuItem>("Exit1").Click();
}

// The hotkeys window shows the stored combinations and stores what the person presses. The program
// shortcut window puts a shortcut on the desktop that the shell reads back as Quorvex running the
// program in the chosen mode, from the program's folder, with the program's icon.
TEST_F(RealDisplay, TheHotkeysAndProgramShortcutWindows) {
    WriteProfile(user, std::string(kModeProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n[Hotkeys]\r\nMyMode=Ctrl+Alt+Shift+M\r\n");
    CreateHost();
    StartUp();
    screens::Tmain& center = Open();
    auto* hotkeys = center.CreateOwned<screens::Thotkeys>(*host);
    hotkeys->Show();
    const WORD all = HOTKEYF_CONTROL | HOTKEYF_ALT | HOTKEYF_SHIFT;
    EXPECT_EQ(SendMessageA(Control(*hotkeys, "myModeKey"), HKM_GETHOTKEY, 0, 0), MAKEWORD('M', all));
    SendMessageA(Control(*hotkeys, "naturalModeKey"), HKM_SETHOTKEY, MAKEWORD('N', all), 0);
    Screenshot(*hotkeys, "hotkeys");
    Press(*hotkeys, "Button1");
    EXPECT_EQ(host->Hotkey(tray::Host::HotkeyAction::NaturalMode).Text(), "Ctrl+Alt+Shift+N");
    EXPECT_NE(FileText(ProfileFile(user)).find("[Hotkeys]\r\nMyMode=Ctrl+Alt+Shift+M\r\nNaturalMode=Ctrl+Alt+Shift+N\r\n"),
              std::string::npos);

    // A program with an icon of its own, in a folder with a blank in its name.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string folder = Dir() + "Old Games";
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = folder + "\\Lander.exe";
    ASSERT_TRUE(CopyFileA(self, program.c_str(), FALSE));
    auto* shortcut = center.CreateOwned<screens::Tshortcut>();
    shortcut->Show();
    shortcut->ChooseProgram(program);
    const HWND list = Control(*shortcut, "modeList");
    const LRESULT at = SendMessageA(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>("800 x 600, 32 bits"));
    ASSERT_GE(at, 0);
    SendMessageA(list, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    Press(*shortcut, "Button2");
    Screenshot(*shortcut, "program-shortcut");
    ASSERT_FALSE(shortcut->Made().empty());
    EXPECT_EQ(Text(*shortcut, "result"), "\"Lander (800x600)\" is on your desktop.");

    CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    ASSERT_TRUE(SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                           reinterpret_cast<void**>(&link))));
    IPersistFile* file = nullptr;
    ASSERT_TRUE(SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))));
    wchar_t path[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, shortcut->Made().c_str(), -1, path, MAX_PATH);
    ASSERT_TRUE(SUCCEEDED(file->Load(path, STGM_READ)));
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, directory[MAX_PATH] = {}, icon[MAX_PATH] = {};
    int iconIndex = -1;
    link->GetPath(target, MAX_PATH, nullptr, 0);
    link->GetArguments(arguments, MAX_PATH);
    link->GetWorkingDirectory(directory, MAX_PATH);
    link->GetIconLocation(icon, MAX_PATH, &iconIndex);
    file->Release();
    link->Release();
    CoUninitialize();
    DeleteFileA(shortcut->Made().c_str());
    EXPECT_EQ(common::AsciiUpper(target), common::AsciiUpper(Dir() + "Quorvex.exe"));
    EXPECT_EQ(std::string(arguments), "/mode 800x600x32 /run \"" + program + "\"");
    EXPECT_EQ(common::AsciiUpper(directory), common::AsciiUpper(folder));
    EXPECT_EQ(common::AsciiUpper(icon), common::AsciiUpper(program));
    EXPECT_EQ(iconIndex, 0);
}

}  // namespace
}  // namespace screenstest
