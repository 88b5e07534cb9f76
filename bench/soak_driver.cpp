// Drives a running Quorvex from outside for a long session and samples what it holds after every
// cycle: its windows (top-level and children), GDI and USER objects (GetGuiResources, 0 where Wine
// does not count them), private bytes as Windows reports them (0 where Wine does not), and the
// Linux process's resident and anonymous (private) resident memory, read through drive Z:.
//
//   soak_driver PROGRAM_DIR SCALE OUTPUT.csv   (SCALE in percent of the full counts; 100 = full)
//
// Phases: Control Center open/close through the tray icon's double click, About opened from a
// Control Center and closed with "I agree", notification popups through "Apply settings",
// display-mode changes (WM_DISPLAYCHANGE), "TaskbarCreated" broadcasts, the tray menu opened with
// a right click and "What is this program for?" chosen from it (a balloon). Writes one CSV line per
// sample: sample,phase,cycle,windows,gdi,user,private_kib,rss_kib,rss_anon_kib.
// Built and run by soak.sh under Wine.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr UINT kTrayCallbackMessage = WM_USER + 211;
DWORD pid = 0;
HANDLE process = nullptr;
FILE* out = stdout;
std::string linuxStatus;
int sample = 0;

struct ClassSearch {
    const char* cls;
    bool visibleOnly;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectOfClass(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (owner == pid && std::strcmp(cls, search->cls) == 0 && (!search->visibleOnly || IsWindowVisible(window)))
        search->windows.push_back(window);
    return TRUE;
}

// The process's top-level windows of a class, topmost in the z-order first.
std::vector<HWND> OfClass(const char* cls, bool visibleOnly) {
    ClassSearch search{cls, visibleOnly, {}};
    EnumWindows(CollectOfClass, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

// The windows of a class the process has, shown or not.
int Count(const char* cls) { return static_cast<int>(OfClass(cls, false).size()); }

HWND Top(const char* cls, bool visibleOnly = true) {
    const std::vector<HWND> windows = OfClass(cls, visibleOnly);
    return windows.empty() ? nullptr : windows.front();
}

template <class F>
bool WaitFor(F done, int ms = 15000) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
        Sleep(5);
    }
    return true;
}

struct ButtonSearch {
    const char* caption;
    HWND button = nullptr;
};

BOOL CALLBACK FindButton(HWND child, LPARAM param) {
    auto* search = reinterpret_cast<ButtonSearch*>(param);
    char text[128] = {};
    GetWindowTextA(child, text, sizeof(text));
    if (std::strcmp(text, search->caption) == 0 && IsWindowVisible(child)) {
        search->button = child;
        return FALSE;
    }
    return TRUE;
}

bool Click(HWND top, const char* caption) {
    ButtonSearch search{caption};
    EnumChildWindows(top, FindButton, reinterpret_cast<LPARAM>(&search));
    if (!search.button) return false;
    PostMessageA(search.button, BM_CLICK, 0, 0);
    return true;
}

void Fail(const char* what) {
    std::fprintf(stderr, "soak: %s\n", what);
    if (process) TerminateProcess(process, 1);
    std::exit(1);
}

// ---- Sampling ----

BOOL CALLBACK CountChild(HWND, LPARAM param) {
    ++*reinterpret_cast<int*>(param);
    return TRUE;
}

BOOL CALLBACK CountTop(HWND window, LPARAM param) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != pid) return TRUE;
    int* count = reinterpret_cast<int*>(param);
    ++*count;
    EnumChildWindows(window, CountChild, param);
    return TRUE;
}

long FieldKib(const std::string& path, const char* field) {
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) return -1;
    char line[256];
    long total = 0;
    bool any = false;
    const size_t length = std::strlen(field);
    while (std::fgets(line, sizeof(line), file))
        if (std::strncmp(line, field, length) == 0) {
            total += std::atol(line + length);
            any = true;
        }
    std::fclose(file);
    return any ? total : -1;
}

// The Linux process of this Wine program: the one whose command line names the program directory.
void FindLinuxProcess(const std::string& exe) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        const std::string dir = std::string("Z:\\proc\\") + entry.cFileName;
        FILE* file = std::fopen((dir + "\\cmdline").c_str(), "rb");
        if (!file) continue;
        char buffer[4096] = {};
        const size_t size = std::fread(buffer, 1, sizeof(buffer) - 1, file);
        std::fclose(file);
        for (size_t i = 0; i < size; ++i)
            if (buffer[i] == 0) buffer[i] = ' ';
        if (std::strstr(buffer, exe.c_str())) {
            linuxStatus = dir + "\\status";
        }
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

void Sample(const char* phase, int cycle) {
    int windows = 0;
    EnumWindows(CountTop, reinterpret_cast<LPARAM>(&windows));
    const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
    const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof(memory));
    const long rss = FieldKib(linuxStatus, "VmRSS:");
    const long linuxPrivate = FieldKib(linuxStatus, "RssAnon:");
    std::fprintf(out, "%d,%s,%d,%d,%lu,%lu,%lu,%ld,%ld\n", sample++, phase, cycle, windows, static_cast<unsigned long>(gdi),
                static_cast<unsigned long>(user), static_cast<unsigned long>(memory.PrivateUsage / 1024), rss,
                linuxPrivate);
    std::fflush(out);
}

// ---- Driving ----

// The utility windows of the process: the tray icon's is one of them, and only it answers the
// tray callback message.
std::vector<HWND> utilityWindows;
BOOL CALLBACK FindUtility(HWND window, LPARAM) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (owner == pid && std::strcmp(cls, "TQvUtilWindow") == 0) utilityWindows.push_back(window);
    return TRUE;
}

HWND OpenControlCenter() {
    if (!WaitFor([] { return Top("Tmain") == nullptr; })) Fail("a Control Center stayed open");
    for (HWND window : utilityWindows) PostMessageA(window, kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    HWND center = nullptr;
    if (!WaitFor([&] { return (center = Top("Tmain")) != nullptr; })) Fail("no Control Center opened");
    return center;
}

void CloseAndWait(HWND window, const char* caption) {
    if (!Click(window, caption)) Fail(caption);
    if (!WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); })) Fail("a window did not close");
    // A window that is destroyed on closing goes a moment after it hid; one that is only hidden stays.
    WaitFor([&] { return !IsWindow(window); }, 300);
}


// A right click on the icon opens the tray menu; the keyboard then picks its fourth line, "What is
// this program for?" (the separators are passed over), which shows the balloon.
void MenuAndBalloon() {
    for (HWND window : utilityWindows) PostMessageA(window, kTrayCallbackMessage, 0, WM_RBUTTONUP);
    HWND menu = nullptr;
    if (!WaitFor([&] { return (menu = Top("#32768")) != nullptr; })) Fail("the tray menu did not open");
    for (WPARAM key : {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageA(menu, WM_KEYDOWN, key, 0);
    if (!WaitFor([] { return Top("#32768") == nullptr; })) Fail("the tray menu did not close");
}

int Scaled(int full, int scale) { return full * scale / 100 > 0 ? full * scale / 100 : 1; }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: soak_driver PROGRAM_DIR SCALE OUTPUT.csv\n");
        return 2;
    }
    out = std::fopen(argv[3], "w");
    if (!out) Fail("cannot write the output file");
    const std::string dir = argv[1];
    const int scale = std::atoi(argv[2]);
    std::string command = "\"" + dir + "\\Quorvex.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup, &info))
        Fail("cannot start Quorvex.exe");
    pid = info.dwProcessId;
    process = info.hProcess;

    // Started up once the splash reads the version, then hidden into the tray.
    HWND host = nullptr;
    if (!WaitFor([&] { return (host = Top("Tresolution")) != nullptr; }, 30000)) Fail("no splash");
    if (!WaitFor([&] { return !IsWindowVisible(host); }, 30000)) Fail("the splash did not go");
    EnumWindows(FindUtility, 0);
    if (utilityWindows.empty()) {
        EnumChildWindows(GetDesktopWindow(), FindUtility, 0);
        if (utilityWindows.empty()) Fail("no tray icon window");
    }
    FindLinuxProcess(dir + "\\Quorvex.exe");
    if (linuxStatus.empty()) std::fprintf(stderr, "soak: the Linux process was not found: no resident figures\n");
    Sample("start", 0);

    const int centers = Scaled(500, scale), abouts = Scaled(200, scale), popups = Scaled(300, scale);
    const int modes = Scaled(50, scale), taskbars = Scaled(20, scale), menus = Scaled(100, scale);

    for (int i = 1; i <= centers; ++i) {
        CloseAndWait(OpenControlCenter(), "Close Control Center");
        Sample("control-center", i);
    }

    HWND center = OpenControlCenter();
    for (int i = 1; i <= abouts; ++i) {
        if (!Click(center, "About")) Fail("no About button");
        HWND about = nullptr;
        if (!WaitFor([&] { return (about = Top("Tabout")) != nullptr; })) Fail("no About screen opened");
        CloseAndWait(about, "I agree");
        Sample("about", i);
    }
    CloseAndWait(center, "Close Control Center");

    // "Apply settings" with the stored mode (the one the desktop has): a popup each time, which
    // closes itself 2.5 s later; a new Control Center each round.
    for (int i = 1; i <= popups; ++i) {
        // At most three on screen at once, as when a user applies settings now and then.
        if (!WaitFor([] { return Count("Tagent") < 3; }, 10000)) Fail("the popups do not close");
        HWND apply = OpenControlCenter();
        CloseAndWait(apply, "Apply settings");
        Sample("popup", i);
    }
    WaitFor([] { return Top("Tagent") == nullptr; }, 10000);
    Sample("popup", popups + 1);

    // Mode changes with a Control Center open: every window rebuilds its background.
    center = OpenControlCenter();
    for (int i = 1; i <= modes; ++i) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
        mode.dmPelsWidth = i % 2 ? 800 : 1024;
        mode.dmPelsHeight = i % 2 ? 600 : 768;
        ChangeDisplaySettingsA(&mode, 0);
        Sleep(50);
        Sample("display-mode", i);
    }
    ChangeDisplaySettingsA(nullptr, 0);
    CloseAndWait(center, "Close Control Center");

    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    for (int i = 1; i <= taskbars; ++i) {
        for (HWND window : utilityWindows) SendMessageTimeoutA(window, taskbarCreated, 0, 0, SMTO_NORMAL, 5000, nullptr);
        Sample("taskbar", i);
    }

    for (int i = 1; i <= menus; ++i) {
        MenuAndBalloon();
        Sample("menu-balloon", i);
    }
    Sleep(3000);
    Sample("end", 0);

    PostMessageA(Top("Tresolution", false), WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process, 10000) != WAIT_OBJECT_0) TerminateProcess(process, 0);
    return 0;
}
