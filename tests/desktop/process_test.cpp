// Real Quorvex processes in the Wine desktop, driven from outside as a user would: a second copy,
// a copy killed without releasing its mutex, the autorun entry, and the tray icon under the mouse
// (xdotool). Each program directory lives in this test's temporary directory.
#include "support/ui_test_support.h"

#include <windows.h>
#include <commctrl.h>
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, path);
    return std::string(path) + "\\";
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool WaitFor(const std::function<bool()>& done, int ms) {
    for (const DWORD start = GetTickCount(); !done(); Sleep(20))
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
    return true;
}

DWORD ProcessOf(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid;
}

// The first visible top-level window of `cls` (and `title`, when given) that belongs to `pid`.
HWND FindWindowOf(DWORD pid, const char* cls, const char* title = nullptr) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, cls, title));)
        if (ProcessOf(window) == pid && IsWindowVisible(window)) return window;
    return nullptr;
}

// Runs a program of the machine running Wine (xdotool) and waits for it.
DWORD RunUnix(const std::string& command) {
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
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
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

// One copy of Quorvex in a program directory of its own, with a profile that keeps the display
// mode the Wine desktop has (1024 x 768 at 32 bits).
class Quorvex {
public:
    static void Install(const std::string& dir) {
        CreateDirectoryA(dir.c_str(), nullptr);
        ASSERT_TRUE(CopyFileA(QV_DIST_DIR "Quorvex.exe", (dir + "Quorvex.exe").c_str(), FALSE));
        CreateDirectoryA((dir + "Users").c_str(), nullptr);
        char name[254] = {};
        DWORD size = 253;
        GetUserNameA(name, &size);
        std::string upper = name;
        for (char& c : upper)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        std::ofstream(dir + "Users\\" + upper, std::ios::binary)
            << "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n";
    }
    static std::string Profile(const std::string& dir) {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((dir + "Users\\*").c_str(), &found);
        std::string path;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) path = dir + "Users\\" + found.cFileName;
        } while (path.empty() && FindNextFileA(search, &found));
        FindClose(search);
        return path;
    }

    explicit Quorvex(const std::string& dir) : dir_(dir) {
        STARTUPINFOA startup{};
        startup.cb = sizeof(startup);
        std::string line = "\"" + dir + "Quorvex.exe\"";
        started_ = CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup,
                                  &process_) != FALSE;
    }
    ~Quorvex() {
        if (!started_) return;
        if (Running()) {
            Close();
            if (!WaitForExit(10000)) TerminateProcess(process_.hProcess, 1);
        }
        CloseHandle(process_.hProcess);
        CloseHandle(process_.hThread);
    }

    bool Started() const { return started_; }
    DWORD Pid() const { return process_.dwProcessId; }
    bool Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    // The start-up sequence has run when the version stamp is there.
    bool WaitUntilStartedUp(int ms = 15000) const {
        if (WaitFor([&] { return Exists(dir_ + "version.txt"); }, ms)) return true;
        uitest::SaveScreenshot(GetDesktopWindow(), "quorvex-did-not-start-up");
        return false;
    }
    bool WaitForExit(int ms, DWORD* code = nullptr) const {
        if (WaitForSingleObject(process_.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return false;
        if (code) GetExitCodeProcess(process_.hProcess, code);
        return true;
    }
    HWND HostForm() const {
        for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "Tresolution", nullptr));)
            if (ProcessOf(window) == Pid()) return window;
        return nullptr;
    }
    // As "Exit" does: the host form closes and the program ends.
    void Close() const { PostMessageA(HostForm(), WM_CLOSE, 0, 0); }
    void Kill() const { TerminateProcess(process_.hProcess, 9); }

private:
    std::string dir_;
    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

class QuorvexProcesses : public ::testing::Test {
protected:
    void SetUp() override {
        savedRunValue_ = RunValue();
        ASSERT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    }
    void TearDown() override { SetRunValue(savedRunValue_); }
    std::string savedRunValue_;
};

// The message box the second copy shows, with its text and whether it carries an icon.
struct Box {
    HWND window = nullptr;
    std::string text;
    bool icon = false;
};

Box FindBox(DWORD pid, int ms) {
    Box box;
    WaitFor([&] { return (box.window = FindWindowOf(pid, "#32770", "Quorvex")) != nullptr; }, ms);
    if (!box.window) return box;
    char text[256] = {};
    GetDlgItemTextA(box.window, 0xFFFF, text, sizeof(text));
    box.text = text;
    for (HWND child = GetWindow(box.window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) box.icon = true;
    return box;
}

TEST_F(QuorvexProcesses, ASecondCopyIsRefusedAndTheFirstRunsOnUnchanged) {
    const std::string dir = CurrentDirectory() + "program\\";
    Quorvex::Install(dir);
    Quorvex first(dir);
    ASSERT_TRUE(first.Started());
    ASSERT_TRUE(first.WaitUntilStartedUp());

    // Were the second copy to run its start-up sequence, it would switch to 800 x 600 and write
    // the version stamp again.
    const std::string profile = Quorvex::Profile(dir);
    std::ofstream(profile, std::ios::binary)
        << "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n";
    const std::string profileText = FileText(profile);
    ASSERT_TRUE(DeleteFileA((dir + "version.txt").c_str()));

    Quorvex second(dir);
    const Box box = FindBox(second.Pid(), 10000);
    ASSERT_NE(box.window, nullptr) << "no box captioned Quorvex from the second copy";
    EXPECT_EQ(box.text, "You can not run this program twice.");
    EXPECT_TRUE(box.icon) << "the box shows the exclamation icon";
    uitest::SaveScreenshot(GetDesktopWindow(), "second-copy-refused");
    Sleep(300);
    EXPECT_EQ(FindWindowOf(second.Pid(), "#32770", "Quorvex"), box.window) << "exactly one box";
    PostMessageA(box.window, WM_COMMAND, IDOK, 0);
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);

    EXPECT_TRUE(first.Running());
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_FALSE(Exists(dir + "version.txt"));
    EXPECT_EQ(FileText(profile), profileText);
    EXPECT_EQ(FindWindowOf(second.Pid(), "#32770", nullptr), nullptr);

    first.Close();
    EXPECT_TRUE(first.WaitForExit(10000));
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(QuorvexProcesses, ACopyKilledWithoutReleasingItsMutexLetsTheNextOneRun) {
    const std::string dir = CurrentDirectory() + "program\\";
    Quorvex::Install(dir);
    {
        Quorvex killed(dir);
        ASSERT_TRUE(killed.WaitUntilStartedUp());
        killed.Kill();
        ASSERT_TRUE(killed.WaitForExit(5000));
    }
    ASSERT_TRUE(DeleteFileA((dir + "version.txt").c_str()));
    Quorvex next(dir);
    EXPECT_TRUE(next.WaitUntilStartedUp()) << "the next copy runs its start-up sequence";
    EXPECT_EQ(FindWindowOf(next.Pid(), "#32770", "Quorvex"), nullptr);
    EXPECT_TRUE(next.Running());
}

TEST_F(QuorvexProcesses, TheAutorunEntryFollowsTheProgramAndStaysWhenItCloses) {
    const std::string spaced = CurrentDirectory() + "Program Files\\";
    const std::string moved = CurrentDirectory() + "moved\\";
    Quorvex::Install(spaced);
    Quorvex::Install(moved);
    SetRunValue("C:\\Somewhere\\else\\Quorvex.exe");
    {
        Quorvex copy(spaced);
        ASSERT_TRUE(copy.WaitUntilStartedUp());
        EXPECT_EQ(RunValue(), "\"" + spaced + "Quorvex.exe\"");
        copy.Close();
        EXPECT_TRUE(copy.WaitForExit(10000));
    }
    EXPECT_EQ(RunValue(), "\"" + spaced + "Quorvex.exe\"");
    {
        Quorvex copy(moved);
        ASSERT_TRUE(copy.WaitUntilStartedUp());
        EXPECT_EQ(RunValue(), moved + "Quorvex.exe");
        copy.Close();
        EXPECT_TRUE(copy.WaitForExit(10000));
    }
    EXPECT_EQ(RunValue(), moved + "Quorvex.exe");
    // As the system's own tool sees it.
    EXPECT_EQ(RunUnix("reg query \"HKLM\\" + std::string(kRunKey) + "\" /v Quorvex.exe"), 0u);
}

// The icon's place in the taskbar of the Wine desktop: the notification area is at its right end.
POINT TrayIconPoint() {
    RECT bar{};
    GetWindowRect(FindWindowA("Shell_TrayWnd", nullptr), &bar);
    return {bar.right - 10, (bar.top + bar.bottom) / 2};
}

std::string Xdotool(POINT at, const std::string& action) {
    return "/usr/bin/xdotool mousemove " + std::to_string(at.x) + " " + std::to_string(at.y) + " " + action;
}

// A visible balloon that the shell shows.
bool ShellBalloonShown(DWORD pid) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, TOOLTIPS_CLASSA, nullptr));)
        if (ProcessOf(window) != pid && IsWindowVisible(window) && (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON))
            return true;
    return false;
}

TEST_F(QuorvexProcesses, TheTrayIconMenuBalloonDoubleClickAndControlCenterHints) {
    const std::string dir = CurrentDirectory() + "program\\";
    Quorvex::Install(dir);
    Quorvex copy(dir);
    ASSERT_TRUE(copy.WaitUntilStartedUp());
    ASSERT_NE(FindWindowA("Shell_TrayWnd", nullptr), nullptr) << "the Wine desktop shows its taskbar";
    const POINT icon = TrayIconPoint();

    // 3.5 s after the start-up sequence the splash goes, and with it the taskbar button.
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(copy.HostForm()); }, 8000));
    EXPECT_TRUE(WaitFor([&] { return FindWindowOf(copy.Pid(), "TQvApplication") == nullptr; }, 3000));

    // Right button: the tray menu at the cursor, its default item drawn bold.
    ASSERT_EQ(RunUnix(Xdotool(icon, "click 3")), 0u);
    HWND menu = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (menu = FindWindowOf(copy.Pid(), "#32768")) != nullptr; }, 5000));
    Sleep(400);  // the menu's animation
    uitest::SaveScreenshot(GetDesktopWindow(), "tray-menu");
    RECT shown{};
    GetWindowRect(menu, &shown);
    EXPECT_LE(shown.bottom, icon.y + 1) << "the menu opens upwards from the cursor";
    EXPECT_GE(shown.right, icon.x - 1);
    // "What is this program for?": the balloon over the icon.
    EXPECT_FALSE(ShellBalloonShown(copy.Pid()));
    for (int key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) {
        PostMessageA(menu, WM_KEYDOWN, key, 0);
        Sleep(50);
    }
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 3000));
    RunUnix("/usr/bin/xdotool mousemove 700 500");  // the icon's own tip would cover the balloon
    EXPECT_TRUE(WaitFor([&] { return ShellBalloonShown(copy.Pid()); }, 6000)) << "no balloon";
    Sleep(300);
    uitest::SaveScreenshot(GetDesktopWindow(), "tray-balloon");

    // A double click: the default item opens a Control Center.
    ASSERT_EQ(RunUnix(Xdotool(icon, "click --repeat 2 --delay 80 1")), 0u);
    HWND controlCenter = nullptr;
    ASSERT_TRUE(WaitFor([&] { return (controlCenter = FindWindowOf(copy.Pid(), "Tmain")) != nullptr; }, 5000));

    // Its hints: yellow, at once, for six seconds.
    HWND help = FindWindowExA(controlCenter, nullptr, "Button", "Help");
    ASSERT_NE(help, nullptr);
    RECT button{};
    GetWindowRect(help, &button);
    HWND tip = nullptr;
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, TOOLTIPS_CLASSA, nullptr));)
        if (GetWindow(window, GW_OWNER) == controlCenter) tip = window;
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(249, 215, 81));
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_INITIAL, 0), 0);
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 6000);
    const POINT over{(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    RunUnix(Xdotool({over.x - 3, over.y}, "sleep 0.1 mousemove " + std::to_string(over.x) + " " + std::to_string(over.y)));
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(tip) != FALSE; }, 3000)) << "the hint did not come";
    Sleep(200);
    uitest::SaveScreenshot(GetDesktopWindow(), "control-center-hint");
    char caption[64] = {};
    GetWindowTextA(FindWindowOf(copy.Pid(), "TQvApplication"), caption, sizeof(caption));
    EXPECT_STREQ(caption, "Quorvex");
}

}  // namespace
