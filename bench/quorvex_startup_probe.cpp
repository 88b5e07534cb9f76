// Starts Quorvex.exe from a program directory and reports, in milliseconds from the launch, when
// the splash becomes visible and when its version label reads "2.0"; then, once the splash has
// gone, the working set. Prints one line: "splash_ms version_ms working_set_kb pid".
// Built and run by quorvex-startup.sh under Wine.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <string>

namespace {

double Now() {
    LARGE_INTEGER f, c;
    QueryPerformanceFrequency(&f);
    QueryPerformanceCounter(&c);
    return 1000.0 * static_cast<double>(c.QuadPart) / static_cast<double>(f.QuadPart);
}

struct Search {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindSplash(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof(cls));
    if (pid == search->pid && std::string(cls) == "Tresolution") {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK HasVersion(HWND child, LPARAM param) {
    char text[32] = {};
    GetWindowTextA(child, text, sizeof(text));
    if (std::string(text) == "2.0") {
        *reinterpret_cast<bool*>(param) = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: probe <program dir>\n");
        return 2;
    }
    const std::string dir = argv[1];
    std::string command = "\"" + dir + "\\Quorvex.exe\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    const double t0 = Now();
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, dir.c_str(), &startup, &process))
        return 3;
    double splash = -1, version = -1;
    Search search{process.dwProcessId, nullptr};
    while (Now() - t0 < 20000 && (splash < 0 || version < 0)) {
        if (!search.found) EnumWindows(FindSplash, reinterpret_cast<LPARAM>(&search));
        if (search.found && splash < 0 && IsWindowVisible(search.found)) splash = Now() - t0;
        if (search.found && version < 0) {
            bool has = false;
            EnumChildWindows(search.found, HasVersion, reinterpret_cast<LPARAM>(&has));
            if (has) version = Now() - t0;
        }
        Sleep(1);
    }
    // The splash hides 3.5 s after the start-up sequence; measure once it has gone.
    while (Now() - t0 < 20000 && search.found && IsWindowVisible(search.found)) Sleep(20);
    Sleep(500);
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof(memory);
    GetProcessMemoryInfo(process.hProcess, &memory, sizeof(memory));
    std::printf("%.1f %.1f %lu %lu\n", splash, version, static_cast<unsigned long>(memory.WorkingSetSize / 1024),
                static_cast<unsigned long>(process.dwProcessId));
    std::fflush(stdout);
    if (argc > 2) {
        // Leave it running for the idle measurement; the script ends it.
        return 0;
    }
    PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 5000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 0);
    return 0;
}
