// The tray icon and its timer base, on a plain form with scripted shell calls.
#include "desktop/tray_icon.h"
#include "desktop_test_support.h"
#include "support/ui_test_support.h"
#include "ui/exception.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace desktoptest {
namespace {

using desktop::TdskTrayIcon;
using Call = testsupport::ScriptedServices::NotifyCall;

class TrayIconTest : public DesktopTest {
protected:
    void TearDown() override {
        desktop::BalloonCapable() = true;
        DesktopTest::TearDown();
    }
    LRESULT Send(TdskTrayIcon& tray, LPARAM mouse) {
        return SendMessageA(tray.WindowHandle(), desktop::kTrayCallbackMessage, 0, mouse);
    }
};

TEST_F(TrayIconTest, BalloonsNeedWindows2000OrLater) {
    struct Case {
        DWORD platform, major, minor;
        bool capable;
    };
    const Case cases[] = {
        {VER_PLATFORM_WIN32_NT, 5, 0, true},      {VER_PLATFORM_WIN32_NT, 5, 1, true},
        {VER_PLATFORM_WIN32_NT, 6, 1, true},      {VER_PLATFORM_WIN32_NT, 4, 0, false},
        {VER_PLATFORM_WIN32_NT, 3, 51, false},    {VER_PLATFORM_WIN32_WINDOWS, 4, 10, false},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, false},
    };
    for (const Case& c : cases) {
        OSVERSIONINFOA version{};
        version.dwPlatformId = c.platform;
        version.dwMajorVersion = c.major;
        version.dwMinorVersion = c.minor;
        EXPECT_EQ(desktop::BalloonCapableSystem(version), c.capable) << c.platform << " " << c.major << "." << c.minor;
    }
    EXPECT_TRUE(desktop::BalloonCapable()) << "Wine runs as Windows XP";
}

// Add, balloon and delete as the shell sees them, on a current and on an old system.
TEST_F(TrayIconTest, RecordsCarryTheLayoutFlagsAndCutTexts) {
    for (bool capable : {true, false}) {
        SCOPED_TRACE(capable ? "Windows 2000 and later" : "Windows NT 4.0");
        desktop::BalloonCapable() = capable;
        services.notifyCalls.clear();
        {
            TdskTrayIcon tray(*form, "tray");
            tray.IconID = 7;
            tray.SetVisible(true);
            tray.SetHint(std::string(200, 'h'));
            tray.InfoText = std::string(300, 'i');
            tray.InfoTitle = std::string(100, 't');
            tray.InfoType = desktop::tiiWarning;
            tray.InfoTimeout = 5000;
            tray.ShowBalloon();
            tray.SetVisible(false);
            tray.SetShowHint(false);

            struct Expected {
                DWORD message;
                UINT flags;
                size_t tip;
            };
            const size_t tip = capable ? 127 : 63;
            std::vector<Expected> expected = {{NIM_ADD, NIF_MESSAGE | NIF_TIP | NIF_ICON, 0}};
            // A shell that shows balloons is asked for the messages that tell the keyboard apart.
            if (capable) expected.push_back({NIM_SETVERSION, NIF_MESSAGE | NIF_TIP | NIF_ICON, 0});
            expected.push_back({NIM_MODIFY, NIF_MESSAGE | NIF_TIP | NIF_ICON, tip});
            if (capable) expected.push_back({NIM_MODIFY, NIF_INFO, tip});
            expected.push_back({NIM_DELETE, NIF_MESSAGE | NIF_TIP, tip});
            expected.push_back({NIM_MODIFY, NIF_MESSAGE | NIF_TIP, 0});
            ASSERT_EQ(services.notifyCalls.size(), expected.size());
            // The shell tells the record kinds apart by size: 488 and 88 bytes in the 32-bit programs;
            // the x86_64 test build has wider handles, so its records are larger.
            const DWORD size = sizeof(void*) == 4 ? (capable ? 488u : 88u)
                                                  : (capable ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE);
            for (size_t i = 0; i < expected.size(); ++i) {
                SCOPED_TRACE(i);
                const Call& call = services.notifyCalls[i];
                EXPECT_EQ(call.message, expected[i].message);
                EXPECT_EQ(call.data.cbSize, size);
                EXPECT_EQ(call.data.uFlags, expected[i].flags);
                EXPECT_EQ(call.data.hWnd, tray.WindowHandle());
                EXPECT_EQ(call.data.uID, 7u);
                EXPECT_EQ(call.data.uCallbackMessage, 1235u);
                EXPECT_EQ(std::string(call.data.szTip), std::string(expected[i].tip, 'h'));
            }
            if (capable) {
                EXPECT_EQ(services.notifyCalls[1].data.uVersion, 3u);
                const NOTIFYICONDATAA& balloon = services.notifyCalls[3].data;
                EXPECT_EQ(std::string(balloon.szInfo), std::string(255, 'i'));
                EXPECT_EQ(std::string(balloon.szInfoTitle), std::string(63, 't'));
                EXPECT_EQ(balloon.dwInfoFlags, static_cast<DWORD>(NIIF_WARNING));
                EXPECT_EQ(balloon.uTimeout, 5000u);
            }
        }
    }
}

TEST_F(TrayIconTest, ShellFailuresAreNamedAfterTheComponentAndRefusalsAreIgnored) {
    TdskTrayIcon tray(*form, "tray");
    services.notifyResult = FALSE;
    tray.SetVisible(true);
    EXPECT_TRUE(tray.Visible());
    services.notifyResult = TRUE;

    // The error a failing shell call turns into, when the icon goes and when it comes.
    const auto failure = [&](bool visible) -> std::string {
        services.onNotify = [](const Call&) { throw ui::Exception("shell gone"); };
        std::string message;
        try {
            tray.SetVisible(visible);
        } catch (const desktop::EdskTrayIcon& error) {
            message = std::string(error.ClassName()) + ": " + error.what();
        }
        services.onNotify = nullptr;
        return message;
    };
    EXPECT_EQ(failure(false), "EdskTrayIcon: tray.DeleteFromTray failed");
    tray.SetVisible(false);
    EXPECT_EQ(failure(true), "EdskTrayIcon: tray.InsertToTray failed");
}

// At logon the shell may refuse the icon or time out. The icon is tried again (every 2 s) until the
// shell has it, and added again when the taskbar is re-created; one the shell let us modify is there.
TEST_F(TrayIconTest, ARefusedIconIsAddedAgainUntilTheShellHasIt) {
    bool ready = false, present = false;
    services.onNotify = [&](const Call& call) {
        const bool ok = ready && (call.message == NIM_ADD ? !present : present);
        if (ok && (call.message == NIM_ADD || call.message == NIM_DELETE)) present = call.message == NIM_ADD;
        services.notifyResult = ok;
    };
    const auto adds = [&] {
        return std::count_if(services.notifyCalls.begin(), services.notifyCalls.end(),
                             [](const Call& c) { return c.message == NIM_ADD && (c.data.uFlags & NIF_ICON); });
    };
    TdskTrayIcon tray(*form, "tray");
    tray.SetVisible(true);
    EXPECT_FALSE(present);
    ready = true;
    ASSERT_TRUE(uitest::PumpUntil([&] { return present; }, 5000)) << "the icon was not added again";
    const auto added = adds();
    services.notifyCalls.clear();
    uitest::PumpUntil([] { return false; }, 2500);
    EXPECT_TRUE(services.notifyCalls.empty()) << "no more tries once the shell has the icon";

    // The new taskbar refuses at first as well.
    present = false;
    ready = false;
    SendMessageA(tray.WindowHandle(), desktop::TaskbarCreatedMessage(), 0, 0);
    ready = true;
    ASSERT_TRUE(uitest::PumpUntil([&] { return present; }, 5000));
    EXPECT_GE(added, 2);
    services.onNotify = nullptr;
}

TEST_F(TrayIconTest, MouseMessagesFireTheEventsInTheirOrder) {
    struct Case {
        const char* name;
        std::vector<LPARAM> messages;
        std::string events;
    };
    const Case cases[] = {
        {"left click", {WM_LBUTTONDOWN, WM_LBUTTONUP}, "down(L) up(L) click "},
        {"double click", {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP},
         "down(L) up(L) click dblclick up(L) "},
        {"right click", {WM_RBUTTONDOWN, WM_RBUTTONUP}, "down(R) up(R) "},
        {"middle click", {WM_MBUTTONDOWN, WM_MBUTTONUP}, "down(M) up(M) "},
        {"move", {WM_MOUSEMOVE}, "move "},
        {"balloon", {NIN_BALLOONSHOW, NIN_BALLOONUSERCLICK, NIN_BALLOONTIMEOUT}, "shown clicked timeout "},
    };
    TdskTrayIcon tray(*form, "tray");
    std::string events;
    const char* buttons = "LRM";
    tray.OnMouseDown = [&](desktop::TMouseButton b, desktop::TShiftState, int, int) {
        events += std::string("down(") + buttons[static_cast<int>(b)] + ") ";
    };
    tray.OnMouseUp = [&](desktop::TMouseButton b, desktop::TShiftState shift, int x, int y) {
        events += std::string("up(") + buttons[static_cast<int>(b)] + ") ";
        POINT cursor;
        GetCursorPos(&cursor);
        EXPECT_EQ(x, cursor.x);
        EXPECT_EQ(y, cursor.y);
        EXPECT_NE(shift & (desktop::ssLeft | desktop::ssRight | desktop::ssMiddle), 0u);
    };
    tray.OnMouseMove = [&](desktop::TShiftState, int, int) { events += "move "; };
    tray.OnClick = [&] { events += "click "; };
    tray.OnDblClick = [&] { events += "dblclick "; };
    tray.OnBalloonShow = [&] { events += "shown "; };
    tray.OnBalloonClick = [&] { events += "clicked "; };
    tray.OnBalloonTimeout = [&] { events += "timeout "; };
    for (const Case& c : cases) {
        events.clear();
        for (LPARAM message : c.messages) Send(tray, message);
        EXPECT_EQ(events, c.events) << c.name;
    }
    // A disabled icon ignores the mouse.
    tray.SetEnabled(false);
    events.clear();
    for (LPARAM message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}) Send(tray, message);
    EXPECT_EQ(events, "");
}

TEST_F(TrayIconTest, DoubleClickRunsTheMenusDefaultItemOrElseTogglesTheApplication) {
    TdskTrayIcon tray(*form, "tray");
    tray.MinimizeToTray = true;
    tray.SetPopupMenu(&form->Find<ui::TPopupMenu>("popup"));
    int doubles = 0;
    tray.OnDblClick = [&] { ++doubles; };
    form->Show();
    Send(tray, WM_LBUTTONDBLCLK);
    EXPECT_EQ(form->opened, 1);
    EXPECT_EQ(doubles, 1);
    EXPECT_TRUE(form->Visible());

    // Without a menu that pops up by itself, a double click hides and shows the program.
    form->Find<ui::TPopupMenu>("popup").AutoPopup = false;
    Send(tray, WM_LBUTTONDBLCLK);
    EXPECT_FALSE(form->Visible());
    EXPECT_FALSE(IsWindowVisible(ui::App().Handle()));
    Send(tray, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(IsWindowVisible(ui::App().Handle()));
    EXPECT_EQ(form->opened, 1);
    EXPECT_EQ(doubles, 3);
}

TEST_F(TrayIconTest, RightButtonShowsTheMenuAtTheCursor) {
    TdskTrayIcon tray(*form, "tray");
    auto& menu = form->Find<ui::TPopupMenu>("popup");
    tray.SetPopupMenu(&menu);
    int popups = 0;
    tray.OnPopupMenu = [&] { ++popups; };
    SetCursorPos(500, 400);
    RECT shown{};
    HANDLE chooser = uitest::RunInThread([&shown] {
        for (int i = 0; i < 300; ++i, Sleep(10))
            if (HWND popup = uitest::FindOwnWindow("#32768", nullptr, true)) {
                GetWindowRect(popup, &shown);
                Sleep(100);
                PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
                return;
            }
    });
    Send(tray, WM_RBUTTONUP);
    WaitForSingleObject(chooser, INFINITE);
    CloseHandle(chooser);
    EXPECT_EQ(form->opened, 1);
    EXPECT_EQ(popups, 1);
    EXPECT_EQ(menu.PopupComponent, &tray);
    EXPECT_EQ(shown.left, 500);
    EXPECT_EQ(shown.top, 400);

    menu.AutoPopup = false;  // the program shows the menu itself then
    Send(tray, WM_RBUTTONUP);
    EXPECT_EQ(popups, 1);
}

// Once the shell took the newer version, the menu opens on WM_CONTEXTMENU (the right button, or the
// application key or Shift+F10 on the icon) and on Enter on the icon, and the right button's release
// alone opens nothing; a shell that refused the version keeps the right button's release.
TEST_F(TrayIconTest, TheKeyboardOpensTheMenuWhereTheShellTellsItApart) {
    for (BOOL shellTakesVersion : {TRUE, FALSE}) {
        SCOPED_TRACE(shellTakesVersion ? "version taken" : "version refused");
        services.onNotify = [&](const Call& call) {
            services.notifyResult = call.message == NIM_SETVERSION ? shellTakesVersion : TRUE;
        };
        TdskTrayIcon tray(*form, "tray");
        tray.SetPopupMenu(&form->Find<ui::TPopupMenu>("popup"));
        tray.SetVisible(true);
        EXPECT_EQ(tray.KeyboardMessages(), shellTakesVersion != FALSE);
        int popups = 0;
        tray.OnPopupMenu = [&] { ++popups; };
        const int menus = shellTakesVersion ? 2 : 3;
        HANDLE closer = uitest::RunInThread([menus] {
            for (int closed = 0, i = 0; closed < menus && i < 500; ++i, Sleep(10))
                if (HWND popup = uitest::FindOwnWindow("#32768", nullptr, true)) {
                    PostMessageA(popup, WM_KEYDOWN, VK_ESCAPE, 0);
                    while (IsWindowVisible(popup)) Sleep(10);
                    ++closed;
                }
        });
        Send(tray, WM_RBUTTONUP);
        EXPECT_EQ(popups, shellTakesVersion ? 0 : 1);
        Send(tray, WM_CONTEXTMENU);
        Send(tray, WM_USER + 1);  // NIN_KEYSELECT
        EXPECT_EQ(popups, menus);
        WaitForSingleObject(closer, INFINITE);
        CloseHandle(closer);
    }
}

TEST_F(TrayIconTest, MinimizingTheApplicationSendsItToTheTray) {
    TdskTrayIcon tray(*form, "tray");
    tray.MinimizeToTray = true;
    int minimized = 0;
    tray.OnMinimize = [&] { ++minimized; };
    form->Show();
    ui::App().Minimize();
    EXPECT_EQ(minimized, 1);
    EXPECT_TRUE(tray.Visible());
    EXPECT_FALSE(IsWindowVisible(ui::App().Handle()));
    ASSERT_FALSE(services.notifyCalls.empty());
    EXPECT_EQ(services.notifyCalls.front().message, static_cast<DWORD>(NIM_ADD));

    // Back from the tray: the application is no longer minimised and its button follows its forms.
    tray.ShowApplication();
    EXPECT_FALSE(ui::App().Minimized());
    EXPECT_TRUE(form->Visible());
    form->Hide();
    EXPECT_FALSE(IsWindowVisible(ui::App().Handle()));
}

TEST_F(TrayIconTest, TheSessionMayEndAndTheIconLeavesWithItsForm) {
    auto* tray = new TdskTrayIcon(*form, "tray");
    tray->SetVisible(true);
    EXPECT_EQ(SendMessageA(tray->WindowHandle(), WM_QUERYENDSESSION, 0, 0), 1);
    EXPECT_FALSE(KillTimer(tray->WindowHandle(), 1)) << "no icon cycling, so no timer";
    delete tray;
    ASSERT_FALSE(services.notifyCalls.empty());
    EXPECT_EQ(services.notifyCalls.back().message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_FALSE(form->Visible()) << "the form is not brought back while the icon goes with it";
}

// The pixels of an icon drawn at `size` on white.
std::vector<DWORD> IconPixels(HICON icon, int size) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), size, -size, 1, 32, BI_RGB};
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, bitmap);
    RECT all{0, 0, size, size};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    std::vector<DWORD> pixels(static_cast<const DWORD*>(bits), static_cast<const DWORD*>(bits) + size * size);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return pixels;
}

// The program icon's own image of `size` pixels, unstretched, or nullptr when it has none.
HICON ProgramIconImage(int size) {
    HMODULE self = GetModuleHandleA(nullptr);
    HRSRC group = FindResourceA(self, "MAINICON", reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
    if (!group) return nullptr;
    const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(self, group)));
    const int count = dir[4] | dir[5] << 8;
    for (int i = 0; i < count; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;  // width, height, colours, reserved, planes, bits, bytes, id
        if ((entry[0] ? entry[0] : 256) != size) continue;
        const int id = entry[12] | entry[13] << 8;
        HRSRC image = FindResourceA(self, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_ICON));
        return CreateIconFromResourceEx(static_cast<BYTE*>(LockResource(LoadResource(self, image))),
                                        SizeofResource(self, image), TRUE, 0x00030000, size, size, 0);
    }
    return nullptr;
}

// The notification area shows small icons: at 150 % (144 DPI) the 24-pixel image, not the
// 32-pixel one shrunk. ctest runs this at every DPI the programs are checked at.
TEST_F(TrayIconTest, TheIconIsTheImageOfTheSizeTheSystemAsks) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const int small = GetSystemMetrics(SM_CXSMICON);
    if (dpi == 144) {
        EXPECT_EQ(small, 24);
    }
    TdskTrayIcon tray(*form, "tray");
    tray.SetIcon(LoadIconA(GetModuleHandleA(nullptr), "MAINICON"));  // as the host form gives it
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(tray.Icon(), &info));
    BITMAP color{};
    GetObjectA(info.hbmColor, sizeof(color), &color);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(color.bmWidth, small) << "at " << dpi << " DPI";
    HICON image = ProgramIconImage(small);
    ASSERT_NE(image, nullptr) << "the program icon has no " << small << "-pixel image";
    EXPECT_EQ(IconPixels(tray.Icon(), small), IconPixels(image, small)) << "drawn from the " << small << "-pixel image";
    DestroyIcon(image);
}

TEST_F(TrayIconTest, TheTimerRunsOnlyWithIntervalEnabledAndHandlerAndReportsErrors) {
    desktop::TdskCustomTimer timer(*form, "timer");
    int ticks = 0;
    timer.SetInterval(20);
    EXPECT_FALSE(uitest::PumpUntil([&] { return ticks > 0; }, 150));
    timer.SetOnTimer([&] { ++ticks; });
    EXPECT_TRUE(uitest::PumpUntil([&] { return ticks >= 2; }, 2000));
    timer.SetEnabled(false);
    ticks = 0;
    EXPECT_FALSE(uitest::PumpUntil([&] { return ticks > 0; }, 150));
    timer.SetEnabled(true);
    timer.SetInterval(0);
    EXPECT_FALSE(uitest::PumpUntil([&] { return ticks > 0; }, 150));

    timer.SetOnTimer([&] {
        timer.SetEnabled(false);
        throw ui::Exception("tick failed");
    });
    timer.SetInterval(20);
    ASSERT_TRUE(uitest::PumpUntil([&] { return !services.messages.empty(); }, 2000));
    EXPECT_EQ(services.messages[0].text, "tick failed.");
    EXPECT_EQ(services.messages[0].caption, "Desktop test");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));
}

}  // namespace
}  // namespace desktoptest
