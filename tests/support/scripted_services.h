#pragma once
// A scripted stand-in for the system services: it records every call and answers from what the
// test put in. Constructing one installs it; destroying it puts the Win32 services back.
#include "common/system_services.h"

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ScriptedServices final : public common::SystemServices {
public:
    struct DisplayCall {
        bool hasMode;  // false for the call with no mode record (back to the registry mode)
        DEVMODEA mode;
        DWORD flags;
        // ChangeDisplaySettingsExA's device name; empty for ChangeDisplaySettingsA and for the
        // commit with no device.
        std::string device;
        bool ex = false;  // made with ChangeDisplaySettingsExA
    };
    // One display adapter of the computer and its monitor.
    struct Display {
        std::string deviceName;  // "\\.\DISPLAY2"
        std::string monitorId;   // empty: the adapter lists no monitor
        bool primary = false, attached = true;
        // The display's modes; for the primary display the ones below (displayModes, currentMode,
        // registryMode) stand instead.
        std::vector<DEVMODEA> modes;
        std::optional<DEVMODEA> current, registry;
        // A change that carries a refresh rate is refused (DISP_CHANGE_FAILED), as Wine does at times.
        bool refusesRates = false;
    };
    struct ShellCall {
        HWND owner;
        std::string verb, file, parameters, directory;
        bool hasDirectory;
        int show;
    };
    struct MessageCall {
        HWND owner;
        std::string text, caption;
        UINT type;
    };

    ScriptedServices();
    ~ScriptedServices() override;
    ScriptedServices(const ScriptedServices&) = delete;
    ScriptedServices& operator=(const ScriptedServices&) = delete;

    // Display settings: answers are taken in order, then `displayDefault`.
    std::deque<LONG> displayAnswers;
    LONG displayDefault = DISP_CHANGE_SUCCESSFUL;
    std::vector<DisplayCall> displayCalls;

    // Missing entries fall through to the real system.
    std::map<int, int> metrics;
    std::map<int, int> deviceCaps;
    // The display's mode list and its current mode; unset, the real system answers.
    std::optional<std::vector<DEVMODEA>> displayModes;
    // The computer's displays; unset, the real system lists them.
    std::optional<std::vector<Display>> displays;
    std::optional<DEVMODEA> currentMode;
    // The registry's mode (the computer's natural one); unset, the current mode stands for it when
    // that is scripted, else the real system answers.
    std::optional<DEVMODEA> registryMode;
    // A successful change (not a test) becomes the current mode, as on a real display: a mode record,
    // or the registry's mode for the call without one.
    bool followChanges = false;

    std::string userName = "tester";
    bool userNameFails = false;

    HINSTANCE shellResult = reinterpret_cast<HINSTANCE>(42);
    std::vector<ShellCall> shellCalls;
    std::function<void()> onShellExecute;  // runs at each shell call, after it was recorded

    // Message boxes: answers in order, then IDOK. `onMessage` runs while the "box" is open, as a
    // user's reading time would.
    std::deque<int> messageAnswers;
    std::vector<MessageCall> messages;
    std::function<void(const MessageCall&)> onMessage;

    // A High Contrast theme; unset, the real system answers.
    std::optional<bool> highContrast;

    std::vector<std::string> processes;
    std::function<void()> onProcessSnapshot;  // runs before each snapshot is answered

    // Notification-area records as sent (the first cbSize bytes; the rest stays zero). `onNotify`
    // runs for each and may throw, as a failing shell call would.
    struct NotifyCall {
        DWORD message;
        NOTIFYICONDATAA data;
    };
    std::vector<NotifyCall> notifyCalls;
    BOOL notifyResult = TRUE;
    std::function<void(const NotifyCall&)> onNotify;

    // WinInet's prompt: `onInternetPrompt` plays the person (it may store a proxy's user name and
    // password on the request, as the real prompt does); without it the prompt is cancelled.
    int internetPrompts = 0;
    std::function<DWORD(HINTERNET request)> onInternetPrompt;

    LONG ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) override;
    // The next scripted answer to a display change, then `displayDefault`.
    LONG NextDisplayAnswer();
    int GetSystemMetrics(int index) override;
    int GetDeviceCaps(HDC dc, int index) override;
    BOOL EnumDisplaySettingsA(const char* device, DWORD modeNumber, DEVMODEA* mode) override;
    BOOL EnumDisplayDevicesA(const char* device, DWORD index, DISPLAY_DEVICEA* info, DWORD flags) override;
    LONG ChangeDisplaySettingsExA(const char* device, DEVMODEA* mode, DWORD flags) override;
    // The scripted display of that device name, or nullptr (also for the primary one).
    Display* OtherDisplay(const char* device);
    bool GetUserNameA(std::string& name) override;
    HINSTANCE ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                            const char* directory, int show) override;
    int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type) override;
    std::vector<std::string> ProcessImageNames() override;
    bool HighContrast() override;
    BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) override;
    DWORD InternetErrorDlg(HWND owner, HINTERNET request, DWORD error, DWORD flags) override;
};

}  // namespace testsupport
