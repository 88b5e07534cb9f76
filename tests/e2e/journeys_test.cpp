// User journeys: the real Quorvex.exe and Fetchwell.exe in the Wine desktop, driven from outside.
// run_journeys.sh runs this program inside a private network namespace with its own desktop, and
// runs the second-user journey once more under another user name.
#include "driver.h"
#include "common/text.h"
#include "common/update_settings.h"
#include "support/signing.h"
#include "support/zip_writer.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace e2e {
namespace {

const char kNewUserProfile[] = "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n";

std::string SharedDirectory() { return NewProgramDirectory("shared"); }

// Closes Quorvex with the messages the session end brings, sent to it alone, and waits for it to go.
void EndThroughSessionEnd(Process& quorvex, HWND host) {
    SendMessageA(host, WM_QUERYENDSESSION, 0, 0);
    SendMessageA(host, WM_ENDSESSION, TRUE, 0);
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "TQvApplication", nullptr));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == quorvex.Id()) SendMessageA(w, WM_ENDSESSION, TRUE, 0);
    }
    quorvex.WaitExit(10000);
}

// Ends the Windows session as Wine's shell does it (every program is asked WM_QUERYENDSESSION,
// then told WM_ENDSESSION) and waits for Quorvex to go. The desktop takes no new programs after
// this, so run_journeys.sh runs this journey last, on its own.
void EndTheSession(Process& quorvex) {
    char command[] = "wineboot.exe --end-session";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    WaitForSingleObject(info.hProcess, 20000);
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    // Quorvex ends its own run when told the session ends: a normal exit, not a kill.
    EXPECT_EQ(quorvex.WaitExit(10000), 0);
}

std::string VersionLabel(HWND host) {
    // The only visible label of the splash.
    for (HWND label : Controls(host, "Static")) return Text(label);
    return "";
}

// Whether the window `top` shows an enabled button with this caption.
bool ButtonEnabled(HWND top, const char* caption) {
    HWND button = FindControl(top, "Button", caption);
    return button && IsWindowEnabled(button);
}

// Answers the question that follows the user's own change of the display mode.
void KeepSettings(const Process& quorvex) {
    HWND question = WaitWindow("Tconfirm", quorvex.Id(), 5000);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Click(question, "Keep settings"); }, 5000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(question) || !IsWindowVisible(question); }, 5000));
}

TEST(Journey, FirstStartOfANewUserThroughTheManualWizard) {
    ASSERT_EQ(ScreenWidth(), 1024);
    const std::string dir = SharedDirectory();
    Process quorvex(dir + "Quorvex.exe", dir);
    HWND host = WaitWindow("Tresolution", quorvex.Id());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(VersionLabel(host), "Loading...");

    HWND wizard = WaitWindow("Twizard", quorvex.Id());
    ASSERT_NE(wizard, nullptr);
    Screenshot("journey1/wizard-start");
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Manual configuration (you'll be able to enter your desired settings)"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return !Controls(wizard, "msctls_trackbar32").empty(); }, 5000));
    // The Wine desktop's own sizes: 640 x 480, 768 x 576, 800 x 600, 1024 x 768, ...
    SendMessageA(Controls(wizard, "msctls_trackbar32")[0], TBM_SETPOS, TRUE, 3);  // 800 x 600
    ASSERT_TRUE(Click(wizard, "16 Bit - average number of colors"));
    ASSERT_TRUE(Click(wizard, "Test"));
    HWND box = WaitBox("Quorvex");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box),
              "Selected display mode has passed the compatibility test. You can click on the \"Next\" button now.");
    PressOk(box);
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next Step"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return FindControl(wizard, "Button", "Finish") != nullptr; }, 5000));
    Screenshot("journey1/wizard-finish");
    ASSERT_TRUE(Click(wizard, "Finish"));

    // The screen really switches, the popup reports it, the user keeps the new mode, the version shows.
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800 && ScreenHeight() == 600; }, 10000));
    HWND popup = WaitWindow("Tagent", quorvex.Id(), 5000);
    ASSERT_NE(popup, nullptr);
    EXPECT_NE(FindControl(popup, "Static", "Screen resolution was changed successfully."), nullptr);
    KeepSettings(quorvex);
    EXPECT_TRUE(WaitFor([&] { return VersionLabel(host) == "2.0"; }, 5000));
    Screenshot("journey1/popup");

    // 3.5 s later the splash goes; the program lives on in the tray.
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(host); }, 8000));
    EXPECT_TRUE(quorvex.Running());
    EXPECT_EQ(FileText(dir + "Users\\" + UserName()),
              std::string(kNewUserProfile) + "X=800\r\nY=600\r\nDepth=16\r\n");
    EXPECT_EQ(FileText(dir + "version.txt"), "[Quorvex]\r\nupdate=1\r\n");

    EndThroughSessionEnd(quorvex, host);
    EXPECT_FALSE(quorvex.Running());
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
}

// Run as another Windows user by run_journeys.sh, after the journey above.
TEST(Journey, SecondUserChoosesAutomaticMediumResolution) {
    if (UserName() == "ROOT") GTEST_SKIP() << "runs under another user name";
    const std::string dir = SharedDirectory();
    Process quorvex(dir + "Quorvex.exe", dir);
    HWND wizard = WaitWindow("Twizard", quorvex.Id());
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next"); }, 5000));  // automatic is the default
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Type 2 - medium resolution."); }, 5000));
    ASSERT_TRUE(Click(wizard, "Next"));
    ASSERT_TRUE(WaitFor([&] { return FindControl(wizard, "Button", "Finish") != nullptr; }, 5000));
    EXPECT_NE(FindControl(wizard, "Static", "800x600"), nullptr);
    EXPECT_NE(FindControl(wizard, "Static", "32 Bit"), nullptr);
    Screenshot("journey2/wizard-finish");
    ASSERT_TRUE(Click(wizard, "Finish"));
    KeepSettings(quorvex);
    const std::string expected = std::string(kNewUserProfile) + "X=800\r\nY=600\r\nDepth=32\r\n";
    EXPECT_TRUE(WaitFor([&] { return FileText(dir + "Users\\" + UserName()) == expected; }, 10000));
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800; }, 10000));
    HWND host = WaitWindow("Tresolution", quorvex.Id(), 2000);
    EXPECT_TRUE(WaitFor([&] { return VersionLabel(host) == "2.0"; }, 10000));
    // The first user's profile is untouched.
    EXPECT_EQ(FileText(dir + "Users\\ROOT"), std::string(kNewUserProfile) + "X=800\r\nY=600\r\nDepth=16\r\n");
    EndThroughSessionEnd(quorvex, host);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
}

// A program directory whose user already has a stored mode, and Quorvex started there and settled
// in the tray.
struct Settled {
    std::string dir;
    Process quorvex;
    HWND host = nullptr;
};

Settled StartSettled(const std::string& name, const std::string& mode) {
    Settled s;
    s.dir = NewProgramDirectory(name);
    CreateDirectoryA((s.dir + "Users").c_str(), nullptr);
    WriteFile(s.dir + "Users\\" + UserName(), std::string(kNewUserProfile) + mode);
    s.quorvex = Process(s.dir + "Quorvex.exe", s.dir);
    s.host = WaitWindow("Tresolution", s.quorvex.Id());
    EXPECT_NE(s.host, nullptr);
    EXPECT_TRUE(WaitFor([&] { return VersionLabel(s.host) == "2.0"; }, 10000));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(s.host); }, 8000));  // the splash has gone
    return s;
}

HWND NewestVisible(const char* cls, DWORD pid) {
    for (HWND w : WindowsOf(cls, pid))
        if (IsWindowVisible(w)) return w;  // top-level windows come newest (topmost) first
    return nullptr;
}

TEST(Journey, ALaterStartAppliesTheModeAndTheControlCenterChangesIt) {
    Settled s = StartSettled("later", "X=800\r\nY=600\r\nDepth=16\r\n");
    EXPECT_TRUE(ScreenWidthBecomes(800)) << ScreenWidth();
    EXPECT_EQ(NewestVisible("Twizard", s.quorvex.Id()), nullptr);

    ASSERT_TRUE(ChooseFromTrayMenu(1));  // Open Control Center
    HWND cc = WaitWindow("Tmain", s.quorvex.Id());
    ASSERT_NE(cc, nullptr);
    EXPECT_NE(FindControl(cc, "Static", UserName()), nullptr);
    EXPECT_NE(FindControl(cc, "Static", "800"), nullptr);
    EXPECT_NE(FindControl(cc, "Static", "600"), nullptr);
    EXPECT_NE(FindControl(cc, "Static", "800x600"), nullptr);
    Screenshot("journey3/control-center");
    SendMessageA(Controls(cc, "msctls_trackbar32")[0], TBM_SETPOS, TRUE, 4);  // 1024 x 768
    ASSERT_TRUE(Click(cc, "32 Bit"));
    ASSERT_TRUE(Click(cc, "Apply settings"));
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 1024 && ScreenHeight() == 768; }, 10000));
    KeepSettings(s.quorvex);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(cc); }, 5000));
    EXPECT_EQ(FileText(s.dir + "Users\\" + UserName()), std::string(kNewUserProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n");

    // A second Control Center shows the new values.
    ASSERT_TRUE(ChooseFromTrayMenu(1));
    HWND second = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (second = NewestVisible("Tmain", s.quorvex.Id())) != nullptr && second != cc; }, 5000));
    EXPECT_TRUE(WaitFor([&] { return FindControl(second, "Static", "1024") && FindControl(second, "Static", "768"); }, 5000));
    EXPECT_NE(FindControl(second, "Static", "1024x768"), nullptr);

    ASSERT_TRUE(Click(second, "About"));
    HWND about = WaitWindow("Tabout", s.quorvex.Id());
    ASSERT_NE(about, nullptr);
    EXPECT_TRUE(WaitFor([&] { return FindControl(about, "Static", "2.0") != nullptr; }, 5000));
    Screenshot("journey3/about");
    ASSERT_TRUE(Click(about, "I agree"));
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(about); }, 5000));

    // "Help" opens the manual in the system's text viewer.
    ASSERT_TRUE(Click(second, "Help"));
    HWND viewer = WaitWindow("Notepad", 0, 10000);
    if (!viewer) {
        for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
            char cls[128] = {};
            GetClassNameA(w, cls, sizeof(cls));
            if (IsWindowVisible(w)) printf("visible: %s '%s'\n", cls, Text(w).c_str());
        }
    }
    ASSERT_NE(viewer, nullptr);
    EXPECT_NE(Text(viewer).find("readme"), std::string::npos) << Text(viewer);
    Screenshot("journey3/help");
    PostMessageA(viewer, WM_CLOSE, 0, 0);

    ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
    EXPECT_GE(s.quorvex.WaitExit(10000), 0);
}

TEST(Journey, TheBalloonAndExitRestoreTheNaturalMode) {
    Settled s = StartSettled("balloon", "X=800\r\nY=600\r\nDepth=16\r\n");
    EXPECT_TRUE(ScreenWidthBecomes(800)) << ScreenWidth();
    ASSERT_TRUE(ChooseFromTrayMenu(4));  // What is this program for?
    EXPECT_TRUE(WaitFor([&] { return ShellBalloonShown(s.quorvex.Id()); }, 6000)) << "no balloon";
    Screenshot("journey4/balloon");
    ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
    EXPECT_GE(s.quorvex.WaitExit(10000), 0);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
}

TEST(Journey, TheSessionEndRestoresTheNaturalMode) {
    Settled s = StartSettled("session", "X=800\r\nY=600\r\nDepth=16\r\n");
    EXPECT_TRUE(ScreenWidthBecomes(800)) << ScreenWidth();
    Screenshot("journey4/before-the-session-end");
    EndTheSession(s.quorvex);
    EXPECT_FALSE(s.quorvex.Running());
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
}

// Ends every process of this executable name.
void EndProcesses(const char* exeName) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, exeName) != 0) continue;
        if (HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, entry.th32ProcessID)) {
            TerminateProcess(process, 1);
            CloseHandle(process);
        }
    }
    CloseHandle(snapshot);
}

// Sets the computer's own mode, the one in the registry.
void SetComputersMode(int width, int height) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL;
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = 32;
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
}

// The computer's natural mode outlives a killed Quorvex, a crashed one and a session that leaves
// the console, and another user never takes a mode left behind for the natural one. Three steps,
// the second as another Windows user: run_journeys.sh runs them in order, with the Wine desktop
// kept alive between them.
const char kNaturalDir[] = "natural";
const char kUsersMode[] = "X=800\r\nY=600\r\nDepth=16\r\n";
const char kComputersNatural[] = "[Screen]\r\noldX=1280\r\noldY=1024\r\noldDepth=32\r\n";

TEST(Journey, NaturalMode1AKilledQuorvexLeavesItsModeBehind) {
    if (UserName() != "ROOT") GTEST_SKIP() << "the first user's step";
    SetComputersMode(1280, 1024);
    Settled root = StartSettled(kNaturalDir, kUsersMode);
    EXPECT_TRUE(ScreenWidthBecomes(800)) << ScreenWidth();
    root.quorvex.Kill();  // as Task Manager would
    EXPECT_TRUE(ScreenWidthBecomes(800)) << ScreenWidth();
    // Only the first start has mended the profile's natural mode: it was another one.
    EXPECT_EQ(FileText(root.dir + "Users\\" + UserName()), std::string(kComputersNatural) + kUsersMode);
}

// Another user's first start: the computer's mode is back before the wizard shows, and is hers.
TEST(Journey, NaturalMode2TheNextUserGetsTheComputersMode) {
    if (UserName() == "ROOT") GTEST_SKIP() << "runs under another user name";
    const std::string dir = NewProgramDirectory(kNaturalDir);
    Process quorvex(dir + "Quorvex.exe", dir);
    HWND wizard = WaitWindow("Twizard", quorvex.Id());
    ASSERT_NE(wizard, nullptr);
    EXPECT_TRUE(ScreenWidthBecomes(1280)) << ScreenWidth();
    EXPECT_EQ(ScreenHeight(), 1024);
    EXPECT_EQ(FileText(dir + "Users\\" + UserName()), kComputersNatural);
    PostMessageA(wizard, WM_CLOSE, 0, 0);
    HWND host = WaitWindow("Tresolution", quorvex.Id(), 5000);
    EndThroughSessionEnd(quorvex, host);
    EXPECT_TRUE(ScreenWidthBecomes(1280)) << ScreenWidth();
}

TEST(Journey, NaturalMode3ExitSessionsAndACrashGiveTheComputersModeBack) {
    if (UserName() != "ROOT") GTEST_SKIP() << "the first user's step";
    const std::string dir = NewProgramDirectory(kNaturalDir);
    const auto start = [&] {
        Settled s{dir, Process(dir + "Quorvex.exe", dir)};
        s.host = WaitWindow("Tresolution", s.quorvex.Id());
        EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800; }, 10000));
        // Settled in the tray: the tray menu is not there for the asking during the start-up sequence.
        EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(s.host); }, 8000));
        return s;
    };
    {
        Settled root = start();
        ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
        EXPECT_GE(root.quorvex.WaitExit(10000), 0);
        EXPECT_TRUE(ScreenWidthBecomes(1280)) << ScreenWidth();
        EXPECT_EQ(FileText(dir + "Users\\" + UserName()), std::string(kComputersNatural) + kUsersMode);
    }
    {
        // Another user switches in (this session leaves the console), then this one comes back.
        Settled root = start();
        PostMessageA(root.host, WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT, 0);
        EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 1280; }, 5000));
        PostMessageA(root.host, WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT, 0);
        EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800; }, 5000));
        EXPECT_EQ(NewestVisible("Tconfirm", root.quorvex.Id()), nullptr);  // it was confirmed before
        ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
        EXPECT_GE(root.quorvex.WaitExit(10000), 0);
        EXPECT_TRUE(ScreenWidthBecomes(1280)) << ScreenWidth();
    }
    {
        // An access violation on a thread of a Quorvex settled in the tray; crashes end without
        // Wine's crash dialog here, as on a computer without a debugger.
        Settled root = start();
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\WineDbg", &key), ERROR_SUCCESS);
        const DWORD no = 0;
        RegSetValueExA(key, "ShowCrashDialog", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&no), sizeof(no));
        RegCloseKey(key);
        HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, root.quorvex.Id());
        ASSERT_NE(process, nullptr);
        HANDLE thread = CreateRemoteThread(process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(16), nullptr,
                                           0, nullptr);
        ASSERT_NE(thread, nullptr);
        CloseHandle(thread);
        CloseHandle(process);
        EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 1280; }, 10000)) << ScreenWidth();
        // The crash handling the system goes on with (Wine's debugger) must not outlive this step.
        // Under qemu-i386 Wine learns no page-fault trap number from the signal, and names every
        // access violation an illegal instruction.
        const char* road = std::getenv("QV_WINE_ROAD");
        const DWORD crash = road && std::string(road) == "qemu" ? EXCEPTION_ILLEGAL_INSTRUCTION : EXCEPTION_ACCESS_VIOLATION;
        EXPECT_EQ(root.quorvex.WaitExit(10000), static_cast<long>(static_cast<int32_t>(crash)));
        EndProcesses("winedbg.exe");
    }
    SetComputersMode(1024, 768);
}

TEST(Journey, ASecondCopyIsRefusedAndANewTaskbarBringsTheIconBack) {
    Settled s = StartSettled("twice", "X=1024\r\nY=768\r\nDepth=32\r\n");
    Process second(s.dir + "Quorvex.exe", s.dir);
    HWND box = WaitBox("Quorvex");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "You can not run this program twice.");
    Screenshot("journey5/second-copy");
    PressOk(box);
    EXPECT_EQ(second.WaitExit(10000), 0);
    EXPECT_TRUE(s.quorvex.Running());

    // The shell tells every program that the taskbar was made anew.
    PostMessageA(HWND_BROADCAST, RegisterWindowMessageA("TaskbarCreated"), 0, 0);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(s.host) != FALSE; }, 5000));
    EXPECT_EQ(VersionLabel(s.host), "2.0");
    Screenshot("journey5/taskbar-created");
    ASSERT_TRUE(ChooseFromTrayMenu(6));  // the icon is back and works
    EXPECT_GE(s.quorvex.WaitExit(10000), 0);
}

// The place of width x height among the sizes the tray's "Display mode" offers (largest first, at
// the screen's depth): 0 for the first size; -1 when it is not offered.
int OfferedPlace(DWORD width, DWORD height) {
    DEVMODEA now{};
    now.dmSize = sizeof(now);
    EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &now);
    std::vector<std::pair<DWORD, DWORD>> sizes;
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    for (DWORD i = 0; EnumDisplaySettingsA(nullptr, i, &mode); ++i)
        if (mode.dmBitsPerPel == now.dmBitsPerPel && mode.dmPelsWidth >= 640 && mode.dmPelsHeight >= 480)
            sizes.emplace_back(mode.dmPelsWidth, mode.dmPelsHeight);
    std::sort(sizes.rbegin(), sizes.rend());
    sizes.erase(std::unique(sizes.begin(), sizes.end()), sizes.end());
    for (size_t i = 0; i < sizes.size(); ++i)
        if (sizes[i] == std::pair{width, height}) return static_cast<int>(i);
    return -1;
}

// Opens the tray menu, then "Display mode" with the keyboard, and moves `down` items from the
// submenu's first one ("My mode"); Enter chooses. The submenu is screenshot as `shot` when given.
bool ChooseDisplayMode(int down, const std::string& shot = "") {
    HWND menu = OpenTrayMenu();
    if (!menu) return false;
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RIGHT, 0);
    HWND submenu = nullptr;
    const bool opened = WaitFor([&] {
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32768", nullptr));)
            if (w != menu && IsWindowVisible(w)) submenu = w;
        return submenu != nullptr;
    }, 5000);
    if (!opened) return false;
    for (int i = 0; i < down; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    if (!shot.empty()) Screenshot(shot);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    return WaitFor([&] { return !IsWindowVisible(menu) && !IsWindowVisible(submenu); }, 5000);
}

// A copy started with a command line while Quorvex runs: it hands the command over and ends with
// the answer, without the second-copy box. Its exit code.
long RunCommandLine(const Settled& s, const std::string& arguments) {
    Process command(s.dir + "Quorvex.exe", s.dir, {}, arguments);
    const long code = command.WaitExit(20000);
    EXPECT_EQ(FindWindowA("#32770", "Quorvex"), nullptr) << arguments;
    return code;
}

TEST(Journey, QuickSwitchingFromTheTrayMenuAndTheCommandLine) {
    const std::string mine = "X=1024\r\nY=768\r\nDepth=32\r\n";
    Settled s = StartSettled("quick", mine);
    const std::string profile = s.dir + "Users\\" + UserName();
    ASSERT_EQ(ScreenWidth(), 1024);
    const int place = OfferedPlace(800, 600);
    ASSERT_GE(place, 0);

    // "Display mode" > "800 x 600": for a while, after the question is answered "Keep".
    ASSERT_TRUE(ChooseDisplayMode(2 + place, "journey7/display-mode-menu"));
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800 && ScreenHeight() == 600; }, 10000));
    Screenshot("journey7/keep-or-revert");
    KeepSettings(s.quorvex);
    EXPECT_EQ(FileText(profile), std::string(kNewUserProfile) + mine);

    // "My mode" brings the stored mode back and asks nothing.
    ASSERT_TRUE(ChooseDisplayMode(0));
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 1024 && ScreenHeight() == 768; }, 10000));
    Sleep(500);
    EXPECT_EQ(NewestVisible("Tconfirm", s.quorvex.Id()), nullptr);

    // The command line goes to the running Quorvex.
    EXPECT_EQ(RunCommandLine(s, "/mode 800x600"), 0);
    EXPECT_TRUE(ScreenWidthBecomes(800)) << ScreenWidth();
    EXPECT_EQ(RunCommandLine(s, "/mode 1024x768"), 0);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
    EXPECT_EQ(ScreenHeight(), 768);
    EXPECT_EQ(RunCommandLine(s, "/mode 123x45"), 2);
    EXPECT_EQ(RunCommandLine(s, "-Resolution 800x600"), 2);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
    EXPECT_EQ(NewestVisible("Tconfirm", s.quorvex.Id()), nullptr);
    EXPECT_EQ(FileText(profile), std::string(kNewUserProfile) + mine);
    EXPECT_TRUE(s.quorvex.Running());

    ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
    EXPECT_GE(s.quorvex.WaitExit(10000), 0);

    // With no Quorvex running, a bad command line starts nothing; a good one starts Quorvex, which
    // applies the user's mode and then the one asked for, for a while.
    EXPECT_EQ(RunCommandLine(s, "/mode 800x600x"), 2);
    EXPECT_EQ(FindVisibleWindow("Tresolution", 0), nullptr);
    Process started(s.dir + "Quorvex.exe", s.dir, {}, "/mode 800x600");
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800 && ScreenHeight() == 600; }, 15000));
    EXPECT_EQ(NewestVisible("Tconfirm", started.Id()), nullptr);
    EXPECT_EQ(FileText(profile), std::string(kNewUserProfile) + mine);
    ASSERT_TRUE(WaitFor([&] { HWND host = FindVisibleWindow("Tresolution", started.Id()); return !host; }, 10000));
    ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
    EXPECT_EQ(started.WaitExit(10000), 0);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
}

// A program started in a mode with "/run": the screen is in that mode from the program's start (it
// notes what it found, in its own folder) until it ends, then the mode before comes back, and the
// command ends with the program's exit code. Two programs in two modes, ended in either order,
// leave the screen where it was.
TEST(Journey, ProgramsRunInAModeOfTheirOwn) {
    Settled s = StartSettled("programs", "X=1024\r\nY=768\r\nDepth=32\r\n");
    ASSERT_EQ(ScreenWidth(), 1024);
    const std::string waiter = QV_PROGRAM_WAITER;
    const std::string seen = waiter.substr(0, waiter.find_last_of('/') + 1) + "seen.txt";
    struct Running {
        Process command;
        HANDLE end;
    };
    int events = 0;
    const auto start = [&](const std::string& mode, int code) {
        const std::string event = "QuorvexJourneyProgram" + std::to_string(++events);
        HANDLE end = CreateEventA(nullptr, TRUE, FALSE, event.c_str());
        return Running{Process(s.dir + "Quorvex.exe", s.dir, {},
                               "/mode " + mode + " /run \"" + waiter + "\" " + event + " " + std::to_string(code)),
                       end};
    };
    const auto end = [](Running& program) {
        SetEvent(program.end);
        const long code = program.command.WaitExit(15000);
        CloseHandle(program.end);
        return code;
    };
    const auto screenIs = [](int width, int height) {
        return WaitFor([&] { return ScreenWidth() == width && ScreenHeight() == height; }, 10000);
    };

    DeleteFileA(seen.c_str());
    Running one = start("800x600", 7);
    EXPECT_TRUE(screenIs(800, 600));
    EXPECT_TRUE(WaitFor([&] { return FileText(seen) == "800x600"; }, 10000));
    Screenshot("journey-programs/while-it-runs");
    EXPECT_TRUE(one.command.Running());  // the command waits for the program
    EXPECT_EQ(end(one), 7);
    EXPECT_TRUE(screenIs(1024, 768));

    for (const bool firstEndsFirst : {true, false}) {
        SCOPED_TRACE(firstEndsFirst ? "the first ends first" : "the second ends first");
        Running first = start("800x600", 3);
        ASSERT_TRUE(screenIs(800, 600));
        Running second = start("640x480", 4);
        ASSERT_TRUE(screenIs(640, 480));
        if (firstEndsFirst) {
            EXPECT_EQ(end(first), 3);
            Sleep(500);
            EXPECT_EQ(ScreenWidth(), 640);  // the second still runs in its mode
            EXPECT_EQ(end(second), 4);
        } else {
            EXPECT_EQ(end(second), 4);
            EXPECT_TRUE(screenIs(800, 600));
            EXPECT_EQ(end(first), 3);
        }
        EXPECT_TRUE(screenIs(1024, 768));
    }

    // A size the display does not list, and a program that is not there.
    EXPECT_EQ(RunCommandLine(s, "/mode 123x45 /run \"" + waiter + "\""), 2);
    Process missing(s.dir + "Quorvex.exe", s.dir, {}, "/mode 800x600 /run \"Z:\\nowhere\\missing.exe\"");
    HWND box = WaitBox("Quorvex");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(BoxText(box).find("could not be started"), std::string::npos) << BoxText(box);
    PressOk(box);
    EXPECT_EQ(missing.WaitExit(10000), 1);
    EXPECT_EQ(ScreenWidth(), 1024);

    ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
    EXPECT_GE(s.quorvex.WaitExit(10000), 0);

    // With no Quorvex running, the command's own Quorvex starts (the user's mode), runs the program
    // in its mode and ends with it.
    Running alone = start("800x600", 5);
    EXPECT_TRUE(screenIs(800, 600));
    EXPECT_NE(FindWindowA("TQvApplication", "Quorvex"), nullptr);
    EXPECT_EQ(end(alone), 5);
    EXPECT_TRUE(screenIs(1024, 768));
}

// Closes the wizard of a Quorvex that Fetchwell restarted for a new user (no mode chosen: the
// start-up goes on and stamps its own build), then ends that Quorvex.
void CloseRestartedQuorvex(HWND wizard, const std::string& dir, int build) {
    DWORD restartedPid = 0;
    GetWindowThreadProcessId(wizard, &restartedPid);
    HANDLE restarted = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, restartedPid);
    PostMessageA(wizard, WM_CLOSE, 0, 0);
    const std::string stamp = "[Quorvex]\r\nupdate=" + std::to_string(build) + "\r\n";
    EXPECT_TRUE(WaitFor([&] { return FileText(dir + "version.txt") == stamp; }, 10000));
    if (restarted) {
        TerminateProcess(restarted, 0);
        WaitForSingleObject(restarted, 5000);
        CloseHandle(restarted);
    }
}

// Ends the Quorvex a Fetchwell way out started again (it waits in its wizard: no mode stored).
void EndStartedQuorvex() { EXPECT_TRUE(EndProcessOfWindow("Twizard")); }

// The server's side of an update, signed with the key the tests' Fetchwell trusts: the list, its
// signature and the package (the Quorvex of build 3), in the folder the built-in address points to.
void PublishUpdate(const std::string& package) {
    const std::string served = QV_JOURNEY_SERVED;
    const std::string list = testsupport::UpdateList(
        3, package, "wersja=Quorvex 2.0.2\r\nrelease=8 December 2026\r\nrozmiar=1.8 MB\r\n");
    WriteFile(served + "update.txt", list);
    WriteFile(served + "update.txt.sig", testsupport::Sign(list, FileText(QV_TEST_KEY_BLOB)));
    WriteFile(served + "quorvexupdate.zip", package);
}

std::string NewBuildPackage() {
    testsupport::ZipEntry folder{"extras/", ""};
    folder.externalAttributes = 0x10;
    testsupport::ZipEntry notes{"extras/notes.txt", "What is new in 2.0.2."};
    notes.method = 8;
    testsupport::ZipEntry quorvex{"Quorvex.exe", FileText(std::string(QV_TEST_DIST_DIR) + "Quorvex.exe")};
    quorvex.method = 8;
    return testsupport::BuildZip({{"readme.txt", "The manual of Quorvex 2.0.2."}, folder, notes, quorvex});
}

TEST(Journey, TheUpdateRoadFromTheTrayMenuToTheRestartedQuorvex) {
    PublishUpdate(NewBuildPackage());
    const std::string dir = NewProgramDirectory("update");
    // Started at logon, Quorvex seldom has its program directory as current directory.
    const std::string elsewhere = common::ProgramDirectory() + "elsewhere";
    CreateDirectoryA(elsewhere.c_str(), nullptr);
    CreateDirectoryA((dir + "Users").c_str(), nullptr);
    const std::string profile = dir + "Users\\" + UserName();
    WriteFile(profile, std::string(kNewUserProfile) + "X=800\r\nY=600\r\nDepth=16\r\n");
    Process quorvex(dir + "Quorvex.exe", elsewhere);
    HWND host = WaitWindow("Tresolution", quorvex.Id());
    ASSERT_TRUE(WaitFor([&] { return host && !IsWindowVisible(host); }, 10000));
    EXPECT_EQ(FileText(dir + "version.txt"), "[Quorvex]\r\nupdate=1\r\n");
    EXPECT_TRUE(ScreenWidthBecomes(800)) << ScreenWidth();
    // Without a stored mode the restarted Quorvex waits in its wizard before it stamps its own
    // build, so the build Fetchwell records can be seen.
    DeleteFileA(profile.c_str());

    ASSERT_TRUE(ChooseFromTrayMenu(5));  // Check for updates
    EXPECT_GE(quorvex.WaitExit(10000), 0);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();  // the natural mode on the way out
    HWND fetchwell = WaitWindow("Tupdate", 0, 15000);
    ASSERT_NE(fetchwell, nullptr);
    DWORD fetchwellPid = 0;
    GetWindowThreadProcessId(fetchwell, &fetchwellPid);
    EXPECT_EQ(Text(fetchwell), "Quorvex Fetchwell");
    ASSERT_TRUE(WaitFor([&] { return ButtonEnabled(fetchwell, "Check"); }, 5000));
    Screenshot("journey6/fetchwell-ready");

    ASSERT_TRUE(Click(fetchwell, "Check"));
    ASSERT_TRUE(WaitFor([&] { return ButtonEnabled(fetchwell, "Download"); }, 15000));
    EXPECT_NE(FindControl(fetchwell, "Static", "Quorvex 2.0.2"), nullptr);
    EXPECT_NE(FindControl(fetchwell, "Static", "8 December 2026"), nullptr);
    Screenshot("journey6/fetchwell-offer");

    ASSERT_TRUE(Click(fetchwell, "Download"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(fetchwell); }, 30000));
    // The new Quorvex runs from the program directory and the package landed there.
    HWND wizard = WaitWindow("Twizard", 0, 15000);
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(FileText(dir + "version.txt"), "[Quorvex]\r\nupdate=3\r\n");
    EXPECT_EQ(FileText(dir + "readme.txt"), "The manual of Quorvex 2.0.2.");
    EXPECT_EQ(FileText(dir + "extras\\notes.txt"), "What is new in 2.0.2.");
    EXPECT_EQ(GetFileAttributesA((elsewhere + "\\readme.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    Screenshot("journey6/restarted");

    // The restarted Quorvex stamps its own build: the one the list announced.
    CloseRestartedQuorvex(wizard, dir, 3);
}

TEST(Journey, TheVendorKitOfTheReleaseScriptsInstalls) {
    // The kit scripts/make-update made and signed at build time, published as a vendor would.
    const std::string kit = QV_VENDOR_KIT, served = QV_JOURNEY_SERVED;
    for (const char* file : {"update.txt", "update.txt.sig", "quorvexupdate.zip"})
        ASSERT_TRUE(CopyFileA((kit + file).c_str(), (served + file).c_str(), FALSE)) << file;
    const std::string dir = NewProgramDirectory("kit");
    WriteFile(dir + "version.txt", "[Quorvex]\r\nupdate=1\r\n");
    WriteFile(dir + "readme.txt", "the old manual");
    // An older Fetchwell (extra bytes after the image) is running while the kit replaces it.
    const std::string newFetchwell = FileText(std::string(QV_TEST_DIST_DIR) + "Fetchwell.exe");
    WriteFile(dir + "Fetchwell.exe", newFetchwell + "older build");
    Process fetchwell(dir + "Fetchwell.exe", dir);
    HWND form = WaitWindow("Tupdate", fetchwell.Id());
    ASSERT_TRUE(WaitFor([&] { return Click(form, "Check"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return ButtonEnabled(form, "Download"); }, 15000));
    EXPECT_NE(FindControl(form, "Static", "Quorvex 2.0 kit"), nullptr);
    EXPECT_NE(FindControl(form, "Static", "8 December 2026"), nullptr);
    // The notes of tests/e2e/kit-notes.txt, as make-update signed them into the list.
    EXPECT_NE(FindControl(form, "Edit", "What is new in the kit:\r\n- the release notes come with the offer\r\n"
                                        "- C:\\Quorvex keeps its backslash"), nullptr);
    ASSERT_TRUE(Click(form, "Download"));
    EXPECT_EQ(fetchwell.WaitExit(30000), 0);
    HWND wizard = WaitWindow("Twizard", 0, 15000);
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(FileText(dir + "version.txt"), "[Quorvex]\r\nupdate=3\r\n");
    EXPECT_EQ(FileText(dir + "readme.txt"), FileText(std::string(QV_DIST_DIR) + "readme.txt"));
    EXPECT_EQ(FileText(dir + "Fetchwell.exe"), newFetchwell);
    CloseRestartedQuorvex(wizard, dir, 3);

    // The new Fetchwell starts, removes the old one and finds the same list up to date.
    Process again(dir + "Fetchwell.exe", dir);
    HWND form2 = WaitWindow("Tupdate", again.Id());
    ASSERT_TRUE(WaitFor([&] { return Click(form2, "Check"); }, 5000));
    HWND box = WaitBox("Fetchwell", 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Your version of Quorvex is up to date.");
    EXPECT_EQ(GetFileAttributesA((dir + "~update.old").c_str()), INVALID_FILE_ATTRIBUTES);
    PressOk(box);
    EXPECT_EQ(again.WaitExit(10000), 0);
    EndStartedQuorvex();
}

TEST(Journey, TheUpdateRoadsThatFail) {
    const std::string dir = NewProgramDirectory("update-fails");
    const std::string served = QV_JOURNEY_SERVED;
    const std::string cut = testsupport::BuildZip({{"readme.txt", "new"}}).substr(0, 40);
    const std::string signedList = testsupport::UpdateList(9, cut, "wersja=Quorvex 2.1\r\nrelease=now\r\nrozmiar=1 KB\r\n");
    struct Road {
        const char* name;
        const char* list;  // what the server answers for update.txt; nullptr: no such file
        bool sign;  // update.txt.sig signs the list with the test key (else: none is served)
        bool download;
        const char* message;
    } roads[] = {
        {"error-page", "<html><body><h1>500 Internal Server Error</h1></body></html>", false, false,
         "Could not download an update list."},
        {"missing-list", nullptr, false, false, "Could not download an update list."},
        {"unsigned-list", "[quorvex]\r\nupdate=9\r\nwersja=Quorvex 2.1\r\n", false, false,
         "Could not verify the update. Nothing was changed."},
        {"cut-package", signedList.c_str(), true, true,
         "Could not install the update. The installed version is unchanged."},
    };
    for (const Road& road : roads) {
        SCOPED_TRACE(road.name);
        WriteFile(dir + "version.txt", "[Quorvex]\r\nupdate=1\r\n");
        for (const char* file : {"update.txt", "update.txt.sig"}) DeleteFileA((served + file).c_str());
        if (road.list) WriteFile(served + "update.txt", road.list);
        if (road.sign) WriteFile(served + "update.txt.sig", testsupport::Sign(road.list, FileText(QV_TEST_KEY_BLOB)));
        WriteFile(served + "quorvexupdate.zip", cut);
        Process fetchwell(dir + "Fetchwell.exe", dir);
        HWND form = WaitWindow("Tupdate", fetchwell.Id());
        ASSERT_NE(form, nullptr);
        ASSERT_TRUE(WaitFor([&] { return Click(form, "Check"); }, 5000));
        if (road.download) {
            ASSERT_TRUE(WaitFor([&] { return Click(form, "Download"); }, 15000));
        }
        HWND box = WaitBox("Fetchwell", 20000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(BoxText(box), road.message);
        Screenshot(std::string("journey6-fails/") + road.name);
        PressOk(box);
        if (std::string(road.message) == "Could not download an update list.") {
            EXPECT_TRUE(WaitFor([&] { HWND b = FindControl(form, "Button", "Check"); return b && !IsWindowEnabled(b); }, 5000));
            ASSERT_TRUE(Click(form, "Exit"));
        }
        // No road ends in an "Application Error": Fetchwell ends normally and Quorvex starts again.
        EXPECT_EQ(fetchwell.WaitExit(10000), 0);
        EXPECT_EQ(FileText(dir + "readme.txt"), FileText(std::string(QV_DIST_DIR) + "readme.txt"));
        EndStartedQuorvex();
        EXPECT_EQ(FileText(dir + "version.txt"), "[Quorvex]\r\nupdate=1\r\n");
    }
}

// ---- Quorvex's own update checks (run on their own by run_journeys.sh: each waits for the first
// look, a minute after the start) ----

// A program directory whose Quorvex (build 3) and Fetchwell trust the tests' keys, the user's mode
// the screen's own, and the profile's [Updates] section as given.
std::string AutoUpdateDirectory(const std::string& updates) {
    const std::string dir = NewProgramDirectory("auto-update");
    CopyFileA(QV_TEST_DIST_DIR "Quorvex.exe", (dir + "Quorvex.exe").c_str(), FALSE);
    CreateDirectoryA((dir + "Users").c_str(), nullptr);
    WriteFile(dir + "Users\\" + UserName(), std::string(kNewUserProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n[Updates]\r\n" + updates);
    return dir;
}
std::string DaysAgo(int days) { return common::IsoUtc(common::UtcNow() - days * common::kUtcDay); }
std::string UpdatesValue(const std::string& dir, const char* key) {
    char value[64] = {};
    GetPrivateProfileStringA("Updates", key, "", value, sizeof(value), (dir + "Users\\" + UserName()).c_str());
    return value;
}
// Publishes build 5 with notes, its list signed by `keyBlob`.
void PublishBuild5(const char* keyBlob) {
    const std::string served = QV_JOURNEY_SERVED;
    const std::string list = testsupport::UpdateList(5, NewBuildPackage(),
        "wersja=Quorvex 2.5\r\nrelease=9 December 2026\r\nrozmiar=1.8 MB\r\nnotes=Checks for updates by itself.\\nSkips what you skip.\r\n");
    WriteFile(served + "update.txt", list);
    WriteFile(served + "update.txt.sig", testsupport::Sign(list, FileText(keyBlob)));
}
// Waits, past Quorvex's first look, until `key` of [Updates] has changed from `before`.
bool LookedAt(const std::string& dir, const char* key, const std::string& before) {
    return WaitFor([&] { return UpdatesValue(dir, key) != before; }, 120000);
}
// Fetchwell from the tray menu's "Check for updates", checking: its window once the list is in.
HWND CheckFromTheMenu() {
    if (!ChooseFromTrayMenu(5)) return nullptr;
    HWND fetchwell = WaitWindow("Tupdate", 0, 15000);
    if (fetchwell) WaitFor([&] { return Click(fetchwell, "Check"); }, 5000);
    return fetchwell;
}

TEST(AutoUpdate, AWeekAfterTheLastCheckABalloonOffersTheBuildUntilItIsSkipped) {
    PublishBuild5(QV_TEST_KEY_BLOB);
    const std::string lastWeek = DaysAgo(8);
    const std::string dir = AutoUpdateDirectory("LastCheck=" + lastWeek + "\r\n");
    Process quorvex(dir + "Quorvex.exe", dir);
    ASSERT_TRUE(WaitFor([&] { return ShellBalloonShown(quorvex.Id()); }, 120000)) << "no balloon";
    Screenshot("journey8/update-balloon");
    EXPECT_NE(UpdatesValue(dir, "LastCheck"), lastWeek);

    // Wine's shell does not report clicks on balloons: the test tells the icon, as Windows does.
    for (HWND window : WindowsOf("TQvUtilWindow", quorvex.Id())) PostMessageA(window, 1235, 0, WM_USER + 5);  // NIN_BALLOONUSERCLICK
    EXPECT_GE(quorvex.WaitExit(10000), 0);  // Fetchwell does not update a running Quorvex
    HWND fetchwell = WaitWindow("Tupdate", 0, 15000);
    ASSERT_NE(fetchwell, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ButtonEnabled(fetchwell, "Download"); }, 15000));
    EXPECT_NE(FindControl(fetchwell, "Static", "Quorvex 2.5"), nullptr);
    EXPECT_NE(FindControl(fetchwell, "Edit", "Checks for updates by itself.\r\nSkips what you skip."), nullptr);
    Screenshot("journey8/offer-from-the-balloon");
    ASSERT_TRUE(Click(fetchwell, "Skip this version"));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(fetchwell); }, 10000));
    EXPECT_EQ(UpdatesValue(dir, "Skip"), "5");
    EXPECT_TRUE(EndProcessOfWindow("Tresolution"));  // the Quorvex Fetchwell started again

    // A week later again: the check finds the skipped build and says nothing.
    WriteFile(dir + "Users\\" + UserName(), std::string(kNewUserProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n[Updates]\r\n" +
                                              "LastCheck=" + lastWeek + "\r\nSkip=5\r\n");
    Process again(dir + "Quorvex.exe", dir);
    ASSERT_TRUE(LookedAt(dir, "LastCheck", lastWeek));
    Sleep(3000);
    EXPECT_FALSE(ShellBalloonShown(again.Id()));
    // Asked for, the skipped build is offered all the same.
    fetchwell = CheckFromTheMenu();
    ASSERT_NE(fetchwell, nullptr);
    ASSERT_TRUE(WaitFor([&] { return ButtonEnabled(fetchwell, "Download"); }, 15000));
    EXPECT_NE(FindControl(fetchwell, "Static", "Quorvex 2.5"), nullptr);
    ASSERT_TRUE(Click(fetchwell, "Exit"));
    EXPECT_TRUE(EndProcessOfWindow("Tresolution"));
}

TEST(AutoUpdate, AListSignedByAnUnknownKeyShowsNoBalloonAndIsRefusedWhenAskedFor) {
    PublishBuild5(QV_OTHER_KEY_BLOB);
    const std::string lastWeek = DaysAgo(8);
    const std::string dir = AutoUpdateDirectory("LastCheck=" + lastWeek + "\r\n");
    Process quorvex(dir + "Quorvex.exe", dir);
    ASSERT_TRUE(LookedAt(dir, "LastAttempt", ""));
    Sleep(3000);
    EXPECT_FALSE(ShellBalloonShown(quorvex.Id()));
    EXPECT_EQ(UpdatesValue(dir, "LastCheck"), lastWeek);  // a failed check: the next try is a day later
    HWND fetchwell = CheckFromTheMenu();
    ASSERT_NE(fetchwell, nullptr);
    HWND box = WaitBox("Fetchwell", 15000);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box), "Could not verify the update. Nothing was changed.");
    PressOk(box);
    EXPECT_TRUE(EndProcessOfWindow("Tresolution"));
}

// Behind a proxy that wants "tester" and "secret" (with_proxy.sh): Wine's own password prompt,
// answered as a person would, lets the list through.
TEST(Proxy, FetchwellAsksForTheProxysPasswordAndTheListComesThrough) {
    PublishBuild5(QV_TEST_KEY_BLOB);
    HKEY settings = nullptr;
    ASSERT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings",
                            &settings), ERROR_SUCCESS);
    const DWORD on = 1;
    RegSetValueExA(settings, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
    RegSetValueExA(settings, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>("127.0.0.1:8080"), 15);
    const std::string dir = NewProgramDirectory("proxy");
    WriteFile(dir + "version.txt", "[Quorvex]\r\nupdate=1\r\n");
    Process fetchwell(dir + "Fetchwell.exe", dir);
    HWND form = WaitWindow("Tupdate", fetchwell.Id());
    ASSERT_TRUE(WaitFor([&] { return Click(form, "Check"); }, 5000));
    HWND prompt = WaitWindow("#32770", fetchwell.Id(), 15000);
    ASSERT_NE(prompt, nullptr);
    const std::vector<HWND> fields = Controls(prompt, "Edit");
    ASSERT_GE(fields.size(), 2u);
    SendMessageA(fields[0], WM_SETTEXT, 0, reinterpret_cast<LPARAM>("tester"));
    SendMessageA(fields[1], WM_SETTEXT, 0, reinterpret_cast<LPARAM>("secret"));
    Screenshot("journey9/proxy-prompt");
    ASSERT_TRUE(Click(prompt, "OK"));
    EXPECT_TRUE(WaitFor([&] { return ButtonEnabled(form, "Download"); }, 15000));
    EXPECT_NE(FindControl(form, "Static", "Quorvex 2.5"), nullptr);
    EXPECT_EQ(FindVisibleWindow("#32770", fetchwell.Id()), nullptr);  // asked once
    Screenshot("journey9/offer-through-the-proxy");
    RegDeleteValueA(settings, "ProxyEnable");
    RegDeleteValueA(settings, "ProxyServer");
    RegCloseKey(settings);
    ASSERT_TRUE(Click(form, "Exit"));
    EXPECT_EQ(fetchwell.WaitExit(10000), 0);
    EndStartedQuorvex();
}

}  // namespace
}  // namespace e2e
