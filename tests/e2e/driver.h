#pragma once
// Drives the real programs from outside, as a user would: finds their windows by class and text,
// clicks through posted messages, reads texts back, answers message boxes.
#include "support/files.h"

#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// A program directory of its own, holding copies of the built programs and the manual.
std::string NewProgramDirectory(const std::string& name);

class Process {
public:
    Process() = default;
    // Starts `exe` with `currentDir` as its current directory; `environment` adds NAME=VALUE pairs,
    // `arguments` follow the program on its command line.
    Process(const std::string& exe, const std::string& currentDir, const std::vector<std::string>& environment = {},
            const std::string& arguments = "");
    Process(Process&& other) noexcept;
    Process& operator=(Process&& other) noexcept;
    ~Process();
    DWORD Id() const { return info_.dwProcessId; }
    bool Running() const;
    // Waits for the process to end; its exit code, or -1 after `ms`.
    long WaitExit(int ms);
    void Kill();

private:
    PROCESS_INFORMATION info_{};
};

// The first visible top-level window of `cls` (and of process `pid` unless 0), waiting up to `ms`.
HWND WaitWindow(const char* cls, DWORD pid, int ms = 10000);
HWND FindVisibleWindow(const char* cls, DWORD pid);
// A visible child window with this class and text, or nullptr.
HWND FindControl(HWND top, const char* cls, const std::string& text);
// Visible child windows of a class, in z-order (layout order).
std::vector<HWND> Controls(HWND top, const char* cls);
std::string Text(HWND window);
// Posts BM_CLICK to the visible button (push, radio or check box) with this caption.
bool Click(HWND top, const std::string& caption);
// A message box captioned `caption`, waiting up to `ms`; its text; pressing its OK.
HWND WaitBox(const std::string& caption, int ms = 10000);
std::string BoxText(HWND box);
void PressOk(HWND box);
// Waits until `done` answers true, up to `ms`.
template <class F>
bool WaitFor(F done, int ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
        Sleep(20);
    }
    return true;
}
// Right-clicks the (only) icon in the notification area; the menu window that opens, or nullptr.
HWND OpenTrayMenu();
// Opens the tray menu and chooses the item at `position` (1 = the first item; separators do not
// count) with the keyboard, as a user could.
bool ChooseFromTrayMenu(int position);
// Windows of a class belonging to a process (visible or not).
std::vector<HWND> WindowsOf(const char* cls, DWORD pid);
// A visible balloon that the shell shows, not the program `pid` itself.
bool ShellBalloonShown(DWORD pid);
// Waits for a window of class `cls` (any process) and ends that window's process; false when
// none came within `ms`.
bool EndProcessOfWindow(const char* cls, int ms = 15000);
using testsupport::FileText;
using testsupport::WriteFile;
std::string UserName();  // the Windows user name, upper case
// Lets the programs finish painting, then saves the whole desktop (every display) as build/screenshots/<name>.
void Screenshot(const std::string& name);
int ScreenWidth();
int ScreenHeight();
// Whether the screen's width is, or within `ms` becomes, `width`: Wine passes another program's change
// of mode on to this one a moment later, later still on a busy machine.
inline bool ScreenWidthBecomes(int width, int ms = 5000) {
    return WaitFor([&] { return ScreenWidth() == width; }, ms);
}

}  // namespace e2e
