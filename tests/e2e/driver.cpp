#include "driver.h"

#include "common/text.h"
#include "support/ui_test_support.h"

#include <commctrl.h>

#include <cstdlib>

namespace e2e {

std::string NewProgramDirectory(const std::string& name) {
    const std::string dir = common::ProgramDirectory() + name + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    for (const char* file : {"Quorvex.exe", "Fetchwell.exe", "readme.txt"})
        CopyFileA((std::string(QV_DIST_DIR) + file).c_str(), (dir + file).c_str(), FALSE);
#ifdef QV_TEST_DIST_DIR
    // Programs that install updates get the Fetchwell that trusts the key the tests sign with.
    CopyFileA(QV_TEST_DIST_DIR "Fetchwell.exe", (dir + "Fetchwell.exe").c_str(), FALSE);
#endif
    return dir;
}

Process::Process(const std::string& exe, const std::string& currentDir, const std::vector<std::string>& environment,
                 const std::string& arguments) {
    std::string block;
    if (!environment.empty()) {
        // The current environment with the additions in front (they win: lookups take the first).
        for (const std::string& pair : environment) block += pair + '\0';
        char* current = GetEnvironmentStringsA();
        for (const char* p = current; *p; p += lstrlenA(p) + 1) block += std::string(p) + '\0';
        FreeEnvironmentStringsA(current);
        block += '\0';
    }
    std::string command = "\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, block.empty() ? nullptr : block.data(),
                   currentDir.c_str(), &startup, &info_);
}

Process::Process(Process&& other) noexcept : info_(other.info_) { other.info_ = {}; }

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        this->~Process();
        info_ = other.info_;
        other.info_ = {};
    }
    return *this;
}

Process::~Process() {
    if (info_.hProcess) {
        Kill();
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool Process::Running() const {
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

long Process::WaitExit(int ms) {
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, static_cast<DWORD>(ms)) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}

void Process::Kill() {
    if (Running()) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
}

namespace {
struct Search {
    const char* cls;
    DWORD pid;
    HWND found;
};
BOOL CALLBACK FindTop(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<Search*>(param);
    char cls[128] = {};
    GetClassNameA(window, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (lstrcmpA(cls, s->cls) == 0 && (s->pid == 0 || pid == s->pid) && IsWindowVisible(window)) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}
struct ChildSearch {
    const char* cls;
    std::vector<HWND>* found;
};
BOOL CALLBACK CollectChild(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<ChildSearch*>(param);
    char cls[128] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (lstrcmpiA(cls, s->cls) == 0 && IsWindowVisible(window)) s->found->push_back(window);
    return TRUE;
}
}  // namespace

HWND FindVisibleWindow(const char* cls, DWORD pid) {
    Search s{cls, pid, nullptr};
    EnumWindows(FindTop, reinterpret_cast<LPARAM>(&s));
    return s.found;
}

HWND WaitWindow(const char* cls, DWORD pid, int ms) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindVisibleWindow(cls, pid)) != nullptr; }, ms);
    return found;
}

std::vector<HWND> Controls(HWND top, const char* cls) {
    std::vector<HWND> found;
    ChildSearch s{cls, &found};
    EnumChildWindows(top, CollectChild, reinterpret_cast<LPARAM>(&s));
    return found;
}

std::string Text(HWND window) {
    char text[1024] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

HWND FindControl(HWND top, const char* cls, const std::string& text) {
    for (HWND control : Controls(top, cls))
        if (Text(control) == text) return control;
    return nullptr;
}

bool Click(HWND top, const std::string& caption) {
    HWND button = FindControl(top, "Button", caption);
    if (!button || !IsWindowEnabled(button)) return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

HWND WaitBox(const std::string& caption, int ms) {
    HWND box = nullptr;
    WaitFor([&] { return (box = FindWindowA("#32770", caption.c_str())) != nullptr && IsWindowVisible(box); }, ms);
    return box;
}

std::string BoxText(HWND box) {
    char text[1024] = {};
    GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
    return text;
}

void PressOk(HWND box) { PostMessageA(box, WM_COMMAND, IDOK, 0); }

namespace {
void Mouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof(input));
}
}  // namespace

bool ShellBalloonShown(DWORD pid) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, TOOLTIPS_CLASSA, nullptr));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != pid && IsWindowVisible(window) && (GetWindowLongA(window, GWL_STYLE) & TTS_BALLOON)) return true;
    }
    return false;
}

HWND OpenTrayMenu() {
    HWND taskbar = FindWindowA("Shell_TrayWnd", nullptr);
    if (!taskbar) return nullptr;
    RECT bar;
    // Right after a display change the taskbar is still on its way to the new screen's edge.
    WaitFor([&] {
        GetWindowRect(taskbar, &bar);
        return std::abs(bar.right - ScreenWidth()) <= 2 && std::abs(bar.bottom - ScreenHeight()) <= 2;
    }, 3000);
    // The notification area sits at the right end of the taskbar; ours is the only live icon there.
    // A killed program's icon stays until the pointer meets it, as on Windows: a click on it only
    // removes it, and the next click reaches ours.
    HWND menu = nullptr;
    for (int click = 0; click < 2; ++click) {
        SetCursorPos(bar.right - 12, (bar.top + bar.bottom) / 2);
        Sleep(100);
        Mouse(MOUSEEVENTF_RIGHTDOWN);
        Mouse(MOUSEEVENTF_RIGHTUP);
        if (WaitFor([&] { return (menu = FindWindowA("#32768", nullptr)) != nullptr && IsWindowVisible(menu); }, 3000)) {
            Sleep(150);
            return menu;
        }
    }
    return nullptr;
}

bool ChooseFromTrayMenu(int position) {
    HWND menu = OpenTrayMenu();
    if (!menu) return false;
    for (int i = 0; i < position; ++i) PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    return WaitFor([&] { return !IsWindowVisible(menu); }, 5000);
}

namespace {
struct OfProcess {
    const char* cls;
    DWORD pid;
    std::vector<HWND>* found;
};
BOOL CALLBACK CollectOf(HWND window, LPARAM param) {
    auto* s = reinterpret_cast<OfProcess*>(param);
    char cls[128] = {};
    GetClassNameA(window, cls, sizeof(cls));
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (lstrcmpA(cls, s->cls) == 0 && pid == s->pid) s->found->push_back(window);
    return TRUE;
}
}  // namespace

std::vector<HWND> WindowsOf(const char* cls, DWORD pid) {
    std::vector<HWND> found;
    OfProcess s{cls, pid, &found};
    EnumWindows(CollectOf, reinterpret_cast<LPARAM>(&s));
    return found;
}


std::string UserName() {
    char name[256] = {};
    DWORD size = sizeof(name);
    GetUserNameA(name, &size);
    return common::AsciiUpper(name);
}

void Screenshot(const std::string& name) {
    Sleep(500);
    // Every display: with one it is the desktop window's rectangle.
    const int left = GetSystemMetrics(SM_XVIRTUALSCREEN), top = GetSystemMetrics(SM_YVIRTUALSCREEN);
    const RECT all{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN), top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
    uitest::SaveScreenshot(all, name);
}

int ScreenWidth() { return GetSystemMetrics(SM_CXSCREEN); }
int ScreenHeight() { return GetSystemMetrics(SM_CYSCREEN); }

bool EndProcessOfWindow(const char* cls, int ms) {
    HWND window = WaitWindow(cls, 0, ms);
    if (!window) return false;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (!process) return false;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    return true;
}

}  // namespace e2e
