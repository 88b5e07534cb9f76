#pragma once
// Small helpers of the Windows tests: whole files in and out, and this test program run again in a
// child process for the paths that end a process.
#include <windows.h>

#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

inline std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

inline void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// Runs this test program once more with only the (disabled) test `filter`; its exit code, or
// STILL_ACTIVE when it had not ended after `ms`.
inline DWORD RunChildTest(const std::string& filter, DWORD ms = 60000) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" --gtest_filter=" + filter + " --gtest_also_run_disabled_tests";
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return static_cast<DWORD>(-1);
    WaitForSingleObject(process.hProcess, ms);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

}  // namespace testsupport
