#include "common/displays.h"

#include "common/profile.h"
#include "common/system_services.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

namespace common {

namespace {
std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }
}  // namespace

std::vector<Display> ListDisplays() {
    auto& services = Services();
    std::vector<Display> displays;
    for (DWORD adapter = 0;; ++adapter) {
        DISPLAY_DEVICEA device{};
        device.cb = sizeof(device);
        if (!services.EnumDisplayDevicesA(nullptr, adapter, &device, 0)) break;
        if (device.StateFlags & DISPLAY_DEVICE_MIRRORING_DRIVER) continue;
        Display display;
        display.deviceName = Field(device.DeviceName, sizeof(device.DeviceName));
        display.primary = (device.StateFlags & DISPLAY_DEVICE_PRIMARY_DEVICE) != 0;
        display.attached = (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) != 0;
        DISPLAY_DEVICEA monitor{};
        monitor.cb = sizeof(monitor);
        if (services.EnumDisplayDevicesA(display.deviceName.c_str(), 0, &monitor, 0))
            display.identity = Field(monitor.DeviceID, sizeof(monitor.DeviceID));
        if (display.identity.empty()) display.identity = display.deviceName;
        displays.push_back(std::move(display));
    }
    return displays;
}

std::vector<Display> AttachedDisplays() {
    std::vector<Display> attached = ListDisplays();
    std::erase_if(attached, [](const Display& display) { return !display.attached; });
    std::stable_partition(attached.begin(), attached.end(), [](const Display& display) { return display.primary; });
    return attached;
}

std::string ProfileSection(const Display& display) {
    return display.primary ? kScreenSection : "Display " + display.identity;
}

}  // namespace common
