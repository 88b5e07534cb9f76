#include "support/scripted_services.h"

#include <algorithm>
#include <cstring>

namespace testsupport {

namespace {
std::string OrEmpty(const char* text) { return text ? text : ""; }
}  // namespace

ScriptedServices::ScriptedServices() { common::SetServices(this); }
ScriptedServices::~ScriptedServices() { common::SetServices(nullptr); }

LONG ScriptedServices::ChangeDisplaySettingsA(DEVMODEA* mode, DWORD flags) {
    DisplayCall call{mode != nullptr, {}, flags};
    if (mode) call.mode = *mode;
    displayCalls.push_back(call);
    LONG answer = displayDefault;
    if (!displayAnswers.empty()) {
        answer = displayAnswers.front();
        displayAnswers.pop_front();
    }
    if (followChanges && mode && !(flags & CDS_TEST) && answer == DISP_CHANGE_SUCCESSFUL) {
        DEVMODEA now{};
        now.dmSize = sizeof(now);
        now.dmPelsWidth = mode->dmPelsWidth;
        now.dmPelsHeight = mode->dmPelsHeight;
        now.dmBitsPerPel = mode->dmBitsPerPel;
        now.dmDisplayFrequency = mode->dmDisplayFrequency;
        currentMode = now;
    }
    if (followChanges && !mode && answer == DISP_CHANGE_SUCCESSFUL && registryMode) currentMode = registryMode;
    return answer;
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
