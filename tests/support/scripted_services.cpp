#include "support/scripted_services.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {
std::string OrEmpty(const char* text) { return text ? text : ""; }
}  // namespace

ScriptedServices::ScriptedServices() { common::SetServices(this); }
ScriptedServices::~ScriptedServices() { common::SetServices(nullptr); }

namespace {
DEVMODEA Followed(const DEVMODEA& mode) {
    DEVMODEA now{};
    now.dmSize = sizeof(now);
    now.dmPelsWidth = mode.dmPelsWidth;
    now.dmPelsHeight = mode.dmPelsHeight;
    now.dmBitsPerPel = mode.dmBitsPerPel;
    now.dmDisplayFrequency = mode.dmDisplayFrequency;
    return now;
}
}  // namespace

LONG ScriptedServices::NextDisplayAnswer() {
    if (displayAnswers.empty()) return displayDefault;
    const LONG answer = displayAnswers.front();
    displayAnswers.pop_front();
    return answer;
}

LONG ScriptedServices::ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    DisplayCall call{mode != nullptr, {}, flags};
    if (mode) call.mode = *mode;
    displayCalls.push_back(call);
    LONG answer = NextDisplayAnswer();
    if (followChanges && mode && !(flags & CDS_TEST) && answer == DISP_CHANGE_SUCCESSFUL) currentMode = Followed(*mode);
    if (followChanges && !mode && answer == DISP_CHANGE_SUCCESSFUL) {
        // Every display goes back to its registry mode, as on Windows.
        if (registryMode) currentMode = registryMode;
        if (displays)
            for (Display& display : *displays)
                if (!display.primary && display.registry) display.current = display.registry;
    }
    return answer;
}

ScriptedServices::Display* ScriptedServices::OtherDisplay(const char* device) {
    if (!displays || !device) return nullptr;
    for (Display& display : *displays)
        if (display.deviceName == device) return display.primary ? nullptr : &display;
    return nullptr;
}

LONG ScriptedServices::ChangeDisplaySettingsExA(const char* device, DEVMODEA* mode, DWORD flags) {
    Display* other = OtherDisplay(device);
    if (!other && !(device && mode == nullptr)) {
        // The primary display, or the commit: as ChangeDisplaySettingsA, noted as made with a device.
        const LONG answer = ChangeDisplaySettingsA(mode, flags);
        displayCalls.back().device = device ? device : "";
        displayCalls.back().ex = true;
        return answer;
    }
    DisplayCall call{mode != nullptr, {}, flags, device ? device : "", true};
    if (mode) call.mode = *mode;
    displayCalls.push_back(call);
    LONG answer = NextDisplayAnswer();
    if (!other) return answer;
    if (other->refusesRates && mode && (mode->dmFields & DM_DISPLAYFREQUENCY)) answer = DISP_CHANGE_FAILED;
    if (!other->attached && !(flags & CDS_TEST)) answer = DISP_CHANGE_FAILED;
    if (followChanges && !(flags & CDS_TEST) && answer == DISP_CHANGE_SUCCESSFUL) {
        if (mode) other->current = Followed(*mode);
        else if (other->registry) other->current = other->registry;
    }
    return answer;
}

BOOL ScriptedServices::EnumDisplayDevicesA(const char* device, DWORD index, DISPLAY_DEVICEA* info, DWORD flags) {
    if (!displays) return common::Win32Services().EnumDisplayDevicesA(device, index, info, flags);
    const auto copy = [](char* to, size_t size, const std::string& text) {
        std::memset(to, 0, size);
        std::memcpy(to, text.data(), std::min(size - 1, text.size()));
    };
    if (!device) {
        if (index >= displays->size()) return FALSE;
        const Display& display = (*displays)[index];
        copy(info->DeviceName, sizeof(info->DeviceName), display.deviceName);
        copy(info->DeviceString, sizeof(info->DeviceString), "Scripted display adapter");
        info->StateFlags = (display.primary ? DISPLAY_DEVICE_PRIMARY_DEVICE : 0) |
                           (display.attached ? DISPLAY_DEVICE_ATTACHED_TO_DESKTOP : 0);
        return TRUE;
    }
    for (const Display& display : *displays) {
        if (display.deviceName != device) continue;
        if (index > 0 || display.monitorId.empty()) return FALSE;
        copy(info->DeviceName, sizeof(info->DeviceName), display.deviceName + "\\Monitor0");
        copy(info->DeviceID, sizeof(info->DeviceID), display.monitorId);
        info->StateFlags = display.attached ? DISPLAY_DEVICE_ATTACHED_TO_DESKTOP : 0;
        return TRUE;
    }
    return FALSE;
}

int ScriptedServices::GetSystemMetrics(int index) {
    auto it = metrics.find(index);
    return it != metrics.end() ? it->second : common::Win32Services().GetSystemMetrics(index);
}

int ScriptedServices::GetDeviceCaps(HDC dc, int index) {
    auto it = deviceCaps.find(index);
    return it != deviceCaps.end() ? it->second : common::Win32Services().GetDeviceCaps(dc, index);
}

BOOL ScriptedServices::EnumDisplaySettingsA(const char* device, DWORD modeNumber, DEVMODEA* mode) {
    if (Display* other = OtherDisplay(device)) {
        const std::optional<DEVMODEA>& which =
            modeNumber == ENUM_CURRENT_SETTINGS ? other->current
            : modeNumber == ENUM_REGISTRY_SETTINGS ? (other->registry ? other->registry : other->current)
            : std::nullopt;
        if (modeNumber == ENUM_CURRENT_SETTINGS || modeNumber == ENUM_REGISTRY_SETTINGS) {
            if (!which || !other->attached) return FALSE;
            *mode = *which;
            return TRUE;
        }
        if (modeNumber >= other->modes.size()) return FALSE;
        *mode = other->modes[modeNumber];
        return TRUE;
    }
    if (modeNumber == ENUM_CURRENT_SETTINGS && currentMode) {
        *mode = *currentMode;
        return TRUE;
    }
    if (modeNumber == ENUM_REGISTRY_SETTINGS && (registryMode || currentMode)) {
        *mode = registryMode ? *registryMode : *currentMode;
        return TRUE;
    }
    if (modeNumber != ENUM_CURRENT_SETTINGS && modeNumber != ENUM_REGISTRY_SETTINGS && displayModes) {
        if (modeNumber >= displayModes->size()) return FALSE;
        *mode = (*displayModes)[modeNumber];
        return TRUE;
    }
    return common::Win32Services().EnumDisplaySettingsA(device, modeNumber, mode);
}

bool ScriptedServices::GetUserNameA(std::string& name) {
    if (userNameFails) return false;
    name = userName;
    return true;
}

HINSTANCE ScriptedServices::ShellExecuteA(HWND owner, const char* verb, const char* file, const char* parameters,
                                          const char* directory, int show) {
    shellCalls.push_back({owner, OrEmpty(verb), OrEmpty(file), OrEmpty(parameters), OrEmpty(directory),
                          directory != nullptr, show});
    if (onShellExecute) onShellExecute();
    return shellResult;
}

int ScriptedServices::MessageBoxA(HWND owner, const std::string& text, const std::string& caption, UINT type) {
    messages.push_back({owner, text, caption, type});
    if (onMessage) onMessage(messages.back());
    if (messageAnswers.empty()) return IDOK;
    const int answer = messageAnswers.front();
    messageAnswers.pop_front();
    return answer;
}

DWORD ScriptedServices::InternetErrorDlg(HWND, HINTERNET request, DWORD, DWORD) {
    ++internetPrompts;
    return onInternetPrompt ? onInternetPrompt(request) : ERROR_CANCELLED;
}

bool ScriptedServices::HighContrast() {
    return highContrast ? *highContrast : common::Win32Services().HighContrast();
}

std::vector<std::string> ScriptedServices::ProcessImageNames() {
    if (onProcessSnapshot) onProcessSnapshot();
    return processes;
}

BOOL ScriptedServices::Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
    NotifyCall call{message, {}};
    std::memcpy(&call.data, data, std::min<size_t>(data->cbSize, sizeof(call.data)));
    notifyCalls.push_back(call);
    if (onNotify) onNotify(notifyCalls.back());
    return notifyResult;
}

}  // namespace testsupport
