#pragma once
// The Windows services whose answers a test must be able to choose. Production code calls them
// through Services(); tests install a scripted double with SetServices().
#include <windows.h>
#include <shellapi.h>
#include <wininet.h>

#include <string>
#include <vector>

namespace common {

class SystemServices {
public:
    virtual ~SystemServices() = default;

    // Display settings.
    virtual LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) = 0;
    virtual int GetSystemMetrics(int index) = 0;
    virtual int GetDeviceCaps(HDC dc, int index) = 0;
    // The display's modes by index 0, 1, ... until FALSE, or ENUM_CURRENT_SETTINGS for the mode in
    // force (in physical pixels, whatever the program's DPI awareness).
    virtual BOOL EnumDisplaySettingsA(const char* device, DWORD modeNumber, DEVMODEA* mode) = 0;
    // The display adapters (`device` nullptr) or the monitors of one adapter, by index until FALSE.
    virtual BOOL EnumDisplayDevicesA(const char* device, DWORD index, DISPLAY_DEVICEA* info, DWORD flags) = 0;
    // A change of one display (`device` such as "\\.\DISPLAY2"); nullptr for both commits the changes
    // made with CDS_NORESET.
    virtual LONG ChangeDisplaySettingsExA(const char* device, DEVMODEA* mode, DWORD flags) = 0;

    // The Windows user name; false when the system refuses it.
    virtual bool GetUserNameA(std::string& name) = 0;

    virtual HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                                   const char* directory, int show) = 0;

    // Every message box and prompt of the programs goes through here; returns the button pressed.
    virtual int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type) = 0;
    // The same with a language for the buttons; a double sees it as MessageBoxA unless it cares.
    virtual int MessageBoxExA(HWND owner, const std::string& text, const std::string& caption, UINT type,
                              WORD language) {
        (void)language;
        return MessageBoxA(owner, text, caption, type);
    }

    // WinInet's own prompt for what a request lacks (for a proxy's 407: its user name and password,
    // which the prompt stores on the request); ERROR_INTERNET_FORCE_RETRY when the request may be
    // sent again, ERROR_CANCELLED when the person cancelled.
    virtual DWORD InternetErrorDlg(HWND owner, HINTERNET request, DWORD error, DWORD flags) = 0;

    // Notification-area icons: every record the programs send the shell.
    virtual BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) = 0;

    // Executable-file fields of a Tool Help process snapshot, in snapshot order. Empty when the
    // system has no Tool Help functions or the snapshot fails.
    virtual std::vector<std::string> ProcessImageNames() = 0;

    // Whether a High Contrast theme is on (SPI_GETHIGHCONTRAST, HCF_HIGHCONTRASTON).
    virtual bool HighContrast() = 0;
};

// The services in force: the Win32 ones unless a test installed others.
SystemServices& Services();

// Installs `services` (not owned); nullptr goes back to the Win32 ones.
void SetServices(SystemServices* services);

// The real Win32 services.
SystemServices& Win32Services();

}  // namespace common
