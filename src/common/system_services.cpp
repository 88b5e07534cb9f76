#include "common/system_services.h"

#include "common/handles.h"

#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>

namespace common {
namespace {

// Tool Help lives in kernel32 from Windows 2000 on; it is looked up at first use so that the
// programs still load where it is missing.
class ToolHelp {
public:
    using SnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using WalkFn = BOOL(WINAPI*)(HANDLE, PROCESSENTRY32*);

    ToolHelp() {
        HMODULE kernel = GetModuleHandleA("kernel32.dll");
        if (!kernel) return;
        snapshot_ = reinterpret_cast<SnapshotFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "CreateToolhelp32Snapshot")));
        first_ = reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32First")));
        next_ = reinterpret_cast<WalkFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "Process32Next")));
    }

    std::vector<std::string> ImageNames() const {
        std::vector<std::string> names;
        if (!snapshot_ || !first_ || !next_) return names;
        // A failed snapshot is INVALID_HANDLE_VALUE.
        const File snap(snapshot_(TH32CS_SNAPPROCESS, 0));
        if (!snap || snap.Get() == nullptr) return names;
        PROCESSENTRY32 entry{};
        entry.dwSize = sizeof(entry);
        for (BOOL ok = first_(snap.Get(), &entry); ok > 0; ok = next_(snap.Get(), &entry))
            names.emplace_back(entry.szExeFile, strnlen(entry.szExeFile, sizeof(entry.szExeFile)));
        return names;
    }

private:
    SnapshotFn snapshot_ = nullptr;
    WalkFn first_ = nullptr;
    WalkFn next_ = nullptr;
};

class Win32SystemServices final : public SystemServices {
public:
    LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) override { return ::ChangeDisplaySettingsA(mode, flags); }
    int GetSystemMetrics(int index) override { return ::GetSystemMetrics(index); }
    bool HighContrast() override {
        HIGHCONTRASTA contrast{};
        contrast.cbSize = sizeof(contrast);
        if (SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof(contrast), &contrast, 0) &&
            (contrast.dwFlags & HCF_HIGHCONTRASTON))
            return true;
        // Where the system does not implement the question (Wine answers "off" always), the setting
        // as Windows keeps it in the user's registry: the flags as a decimal text.
        HKEY opened = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Accessibility\\HighContrast", 0, KEY_QUERY_VALUE,
                          &opened) != ERROR_SUCCESS)
            return false;
        const RegKey key(opened);
        char flags[16] = {};
        DWORD size = sizeof(flags) - 1, type = 0;
        if (RegQueryValueExA(key.Get(), "Flags", nullptr, &type, reinterpret_cast<BYTE*>(flags), &size) != ERROR_SUCCESS ||
            type != REG_SZ)
            return false;
        return (std::strtoul(flags, nullptr, 10) & HCF_HIGHCONTRASTON) != 0;
    }
    int GetDeviceCaps(HDC dc, int index) override { return ::GetDeviceCaps(dc, index); }
    BOOL EnumDisplaySettingsA(const char* device, DWORD modeNumber, DEVMODEA* mode) override {
        return ::EnumDisplaySettingsA(device, modeNumber, mode);
    }
    BOOL EnumDisplayDevicesA(const char* device, DWORD index, DISPLAY_DEVICEA* info, DWORD flags) override {
        return ::EnumDisplayDevicesA(device, index, info, flags);
    }
    LONG ChangeDisplaySettingsExA(const char* device, DEVMODEA* mode, DWORD flags) override {
        return ::ChangeDisplaySettingsExA(device, mode, nullptr, flags, nullptr);
    }

    bool GetUserNameA(std::string& name) override {
        // The name is the text up to the terminating NUL of a 254-character buffer announced as 253.
        char buffer[254] = {};
        DWORD size = 253;
        if (!::GetUserNameA(buffer, &size)) return false;
        name.assign(buffer);
        return true;
    }

    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                           const char* directory, int show) override {
        return ::ShellExecuteA(owner, verb, file, parameters, directory, show);
    }

    int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type) override {
        return ::MessageBoxA(owner, text.c_str(), caption.c_str(), type);
    }

    int MessageBoxExA(HWND owner, const std::string& text, const std::string& caption, UINT type,
                      WORD language) override {
        return ::MessageBoxExA(owner, text.c_str(), caption.c_str(), type, language);
    }

    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override { return ::Shell_NotifyIconA(message, data); }

    DWORD InternetErrorDlg(HWND owner, HINTERNET request, DWORD error, DWORD flags) override {
        return ::InternetErrorDlg(owner, request, error, flags, nullptr);
    }

    std::vector<std::string> ProcessImageNames() override {
        static const ToolHelp toolHelp;
        return toolHelp.ImageNames();
    }
};

SystemServices* current = nullptr;

}  // namespace

SystemServices& Win32Services() {
    static Win32SystemServices services;
    return services;
}

SystemServices& Services() { return current ? *current : Win32Services(); }

void SetServices(SystemServices* services) { current = services; }

}  // namespace common
