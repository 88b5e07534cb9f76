// A program for the journeys to start in a display mode: notes in its working folder the screen size
// it found at its start (seen.txt), waits for the named event given first on its command line, then
// ends with the number given second.
#include <windows.h>

#include <cstdlib>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    const std::string line = commandLine ? commandLine : "";
    const size_t blank = line.find(' ');
    const std::string name = line.substr(0, blank);
    const int code = blank == std::string::npos ? 0 : std::atoi(line.c_str() + blank + 1);
    const std::string seen =
        std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "x" + std::to_string(GetSystemMetrics(SM_CYSCREEN));
    const HANDLE file = CreateFileA("seen.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, seen.data(), static_cast<DWORD>(seen.size()), &written, nullptr);
    CloseHandle(file);
    const HANDLE end = CreateEventA(nullptr, TRUE, FALSE, name.c_str());
    WaitForSingleObject(end, 120000);
    CloseHandle(end);
    return code;
}
