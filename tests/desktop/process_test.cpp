// Real Quorvex processes in the Wine desktop, driven from outside as a user would: a second copy,
// a copy killed without releasing its mutex, the autorun entry, and the tray icon under the mouse
// (xdotool). Each program directory lives in this test's temporary directory.
#include "driver.h"
#include "support/ui_test_support.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <string>

namespace {

using e2e::WaitFor;
using testsupport::FileText;

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kKeepMode[] = "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n";

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// A program directory whose profile keeps the display mode the Wine desktop has; the profile's path.
std::string Install(const std::string& dir) {
    CreateDirectoryA((dir + "Users").c_str(), nullptr);
    char name[254] = {};
    DWORD size = 253;
    GetUserNameA(name, &size);
    std::string profile = dir + "Users\\" + name;
    for (char* c = &profile[dir.size() + 6]; *c; ++c)
        if (*c >= 'a' && *c <= 'z') *c = static_cast<char>(*c - 'a' + 'A');
    testsupport::WriteFile(profile, kKeepMode);
    return profile;
}

// Starts the copy in `dir` and waits for its start-up sequence (it writes the version stamp).
bool StartedUp(const std::string& dir, e2e::Process& quorvex) {
    quorvex = e2e::Process(dir + "Quorvex.exe", dir);
    if (WaitFor([&] { return Exists(dir + "version.txt"); }, 15000)) return true;
    uitest::SaveScreenshot(GetDesktopWindow(), "quorvex-did-not-start-up");
    return false;
}

// As "Exit" does: the host form closes and the program ends.
bool Closed(e2e::Process& quorvex) {
    PostMessageA(e2e::WindowsOf("Tresolution", quorvex.Id()).at(0), WM_CLOSE, 0, 0);
    return quorvex.WaitExit(10000) == 0;
}

// Runs a program of the machine Wine runs on (xdotool, or the system's reg tool) and waits for it.
DWORD RunCommand(const std::string& command) {
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    std::string line = command;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, 10000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

std::string RunValue() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(none)";
    char data[MAX_PATH * 2] = {};
    DWORD size = sizeof(data) - 1;
    const LONG result = RegQueryValueExA(key, "Quorvex.exe", nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS ? data : "(none)";
}

void SetRunValue(const std::string& data) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return;
    if (data == "(none)")
        RegDeleteValueA(key, "Quorvex.exe");
    else
        RegSetValueExA(key, "Quorvex.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
}

class QuorvexProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        savedRunValue_ = RunValue();
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    }
    void TearDown() override { SetRunValue(savedRunValue_); }
    std::string savedRunValue_;
};

TEST_F(QuorvexProcesses, ASecondCopyIsRefusedAndTheFirstRunsOnUnchanged) {
    const std::string dir = e2e::NewProgramDirectory("program");
    const std::string profile = Install(dir);
    e2e::Process first;
    ASSERT_TRUE(StartedUp(dir, first));

    // Were the second copy to run its start-up sequence, it would switch to 800 x 600 and write
    // the version stamp again.
    testsupport::WriteFile(profile, "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    const std::string profileText = FileText(profile);
    ASSERT_TRUE(DeleteFileA((dir + "version.txt").c_str()));

    e2e::Process second(dir + "Quorvex.exe", dir);
    HWND box = e2e::WaitBox("Quorvex");
    ASSERT_NE(box, nullptr) << "no box captioned Quorvex";
    EXPECT_EQ(e2e::BoxText(box), "You can not run this program twice.");
    bool icon = false;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        icon |= (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child);
    EXPECT_TRUE(icon) << "the box shows the exclamation icon";
    uitest::SaveScreenshot(GetDesktopWindow(), "second-copy-refused");
    Sleep(300);
    EXPECT_EQ(e2e::WindowsOf("#32770", second.Id()).size(), 1u) << "exactly one box";
    e2e::PressOk(box);
    EXPECT_EQ(second.WaitExit(10000), 0);

    EXPECT_TRUE(first.Running());
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_FALSE(Exists(dir + "version.txt"));
    EXPECT_EQ(FileText(profile), profileText);
    EXPECT_TRUE(Closed(first));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(QuorvexProcesses, ACopyKilledWithoutReleasingItsMutexLetsTheNextOneRun) {
    const std::string dir = e2e::NewProgramDirectory("program");
    Install(dir);
    e2e::Process quorvex;
    ASSERT_TRUE(StartedUp(dir, quorvex));
    quorvex.Kill();
    ASSERT_TRUE(DeleteFileA((dir + "version.txt").c_str()));
    EXPECT_TRUE(StartedUp(dir, quorvex)) << "the next copy runs its start-up sequence";
    EXPECT_EQ(e2e::FindVisibleWindow("#32770", quorvex.Id()), nullptr);
    EXPECT_TRUE(Closed(quorvex));
}

TEST_F(QuorvexProcesses, TheAutorunEntryFollowsTheProgramAndStaysWhenItCloses) {
    const std::string spaced = e2e::NewProgramDirectory("Program Files");
    const std::string moved = e2e::NewProgramDirectory("moved");
    Install(spaced);
    Install(moved);
    SetRunValue("C:\\Somewhere\\else\\Quorvex.exe");
    e2e::Process quorvex;
    ASSERT_TRUE(StartedUp(spaced, quorvex));
    EXPECT_EQ(RunValue(), "\"" + spaced + "Quorvex.exe\"");
    EXPECT_TRUE(Closed(quorvex));
    EXPECT_EQ(RunValue(), "\"" + spaced + "Quorvex.exe\"");

    ASSERT_TRUE(StartedUp(moved, quorvex));
    EXPECT_EQ(RunValue(), moved + "Quorvex.exe");
    EXPECT_TRUE(Closed(quorvex));
    EXPECT_EQ(RunValue(), moved + "Quorvex.exe");
    // As the system's own tool sees it.
    EXPECT_EQ(RunCommand("reg query \"HKLM\\" + std::string(kRunKey) + "\" /v Quorvex.exe"), 0u);
}

std::string Xdotool(POINT at, const std::string& then) {
    return "/usr/bin/xdotool mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " " + then;
}

TEST_F(QuorvexProcesses, TheTrayIconMenuBalloonDoubleClickAndControlCenterHints) {
    const std::string dir = e2e::NewProgramDirectory("program");
    Install(dir);
    e2e::Process quorvex;
    ASSERT_TRUE(StartedUp(dir, quorvex));
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    ASSERT_NE(taskbar, nullptr) << "the Wine desktop shows its taskbar";
    // The notification area is at the taskbar's right end, the newest icon last.
    RECT bar{};
    GetWindowRect(taskbar, &bar);
    const POINT icon{bar.right - 10, (bar.top + bar.bottom) / 2};

    // 3.5 s after the start-up sequence the splash goes, and with it the taskbar button.
    HWND host = e2e::WindowsOf("Tresolution", quorvex.Id()).at(0);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(host); }, 8000));
    EXPECT_TRUE(WaitFor([&] { return !e2e::FindVisibleWindow("TQvApplication", quorvex.Id()); }, 3000));

    // Right button: the tray menu at the cursor, its default item drawn bold (see the screenshot).
    ASSERT_EQ(RunCommand(Xdotool(icon, "click 3")), 0u);
    HWND menu = e2e::WaitWindow("#32768", quorvex.Id(), 5000);
    ASSERT_NE(menu, nullptr);
    Sleep(400);  // the menu's animation
    uitest::SaveScreenshot(GetDesktopWindow(), "tray-menu");
    RECT shown{};
    GetWindowRect(menu, &shown);
    EXPECT_LE(shown.bottom, icon.y + 1) << "the menu opens upwards from the cursor";
    EXPECT_GE(shown.right, icon.x - 1);

    // "What is this program for?": the balloon over the icon.
    EXPECT_FALSE(e2e::ShellBalloonShown(quorvex.Id()));
    for (int key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        Sleep(50);
    }
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 3000));
    RunCommand("/usr/bin/xdotool mousemove 700 500");  // the icon's own tip would cover the balloon
    EXPECT_TRUE(WaitFor([&] { return e2e::ShellBalloonShown(quorvex.Id()); }, 6000)) << "no balloon";
    Sleep(300);
    uitest::SaveScreenshot(GetDesktopWindow(), "tray-balloon");

    // A double click: the default item opens a Control Center.
    ASSERT_EQ(RunCommand(Xdotool(icon, "click --repeat 2 --delay 80 1")), 0u);
    HWND controlCenter = e2e::WaitWindow("Tmain", quorvex.Id(), 5000);
    ASSERT_NE(controlCenter, nullptr);
    EXPECT_FALSE(IsWindowVisible(host)) << "the double click does not bring the splash back";

    // Its hints, read back from its hint window: yellow, at once, for six seconds.
    HWND tip = nullptr;
    for (HWND window : e2e::WindowsOf(TOOLTIPS_CLASSA, quorvex.Id()))
        if (GetWindow(window, GW_OWNER) == controlCenter) tip = window;
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(249, 215, 81));
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 0);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 6000);
    HWND help = e2e::FindControl(controlCenter, "Button", "Help");
    ASSERT_NE(help, nullptr);
    RECT button{};
    GetWindowRect(help, &button);
    const POINT over{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    RunCommand(Xdotool({over.x - 3, over.y}, "sleep 0.1 mousemove " + std::to_string(over.x) + " " + std::to_string(over.y)));
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(tip) != FALSE; }, 3000)) << "the hint did not come";
    Sleep(200);
    uitest::SaveScreenshot(GetDesktopWindow(), "control-center-hint");
    EXPECT_TRUE(Closed(quorvex));
}

}  // namespace
