#include "common/display_modes.h"

#include "common/handles.h"
#include "common/system_services.h"

#include <algorithm>
#include <functional>

namespace common {

namespace {

// Every mode the display lists, in the system's order.
void ForEachListedMode(const char* device, const std::function<void(const DEVMODEA&)>& visit) {
    auto& services = Services();
    for (DWORD number = 0;; ++number) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        if (!services.EnumDisplaySettingsA(device, number, &mode)) return;
        visit(mode);
    }
}

}  // namespace

bool ScreenSize::Offers(int32_t depth) const {
    return depth == 8 ? depth8 : depth == 16 ? depth16 : depth == 32 && depth32;
}

int32_t ScreenSize::HighestDepth() const { return depth32 ? 32 : depth16 ? 16 : depth8 ? 8 : 0; }

std::string ScreenSize::Caption() const { return std::to_string(width) + "x" + std::to_string(height); }

std::vector<ScreenSize> ListedScreenSizes(const char* device) {
    std::vector<ScreenSize> sizes;
    ForEachListedMode(device, [&](const DEVMODEA& mode) {
        const auto width = static_cast<int32_t>(mode.dmPelsWidth);
        const auto height = static_cast<int32_t>(mode.dmPelsHeight);
        const auto depth = static_cast<int32_t>(mode.dmBitsPerPel);
        if (width < 640 || height < 480 || (depth != 8 && depth != 16 && depth != 32)) return;
        auto same = std::find_if(sizes.begin(), sizes.end(),
                                 [&](const ScreenSize& s) { return s.width == width && s.height == height; });
        if (same == sizes.end()) same = sizes.insert(sizes.end(), ScreenSize{width, height});
        (depth == 8 ? same->depth8 : depth == 16 ? same->depth16 : same->depth32) = true;
    });
    std::sort(sizes.begin(), sizes.end(), [](const ScreenSize& a, const ScreenSize& b) {
        return a.width != b.width ? a.width < b.width : a.height < b.height;
    });
    return sizes;
}

size_t NearestSize(const std::vector<ScreenSize>& sizes, int32_t width, int32_t height) {
    size_t nearest = 0;
    int64_t best = -1;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const int64_t dx = int64_t{sizes[i].width} - width, dy = int64_t{sizes[i].height} - height;
        const int64_t distance = dx * dx + dy * dy;
        if (best < 0 || distance < best) best = distance, nearest = i;
    }
    return nearest;
}

DEVMODEA DisplayModeRecord(int32_t width, int32_t height, int32_t depth, DWORD frequency) {
    DEVMODEA mode{};
    mode.dmSize = 156;  // the record without its driver-extra part; dmDriverExtra stays 0
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmBitsPerPel = static_cast<DWORD>(depth);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    if (frequency > 1) {
        mode.dmFields |= DM_DISPLAYFREQUENCY;
        mode.dmDisplayFrequency = frequency;
    }
    return mode;
}

namespace {
std::optional<CurrentMode> EnumeratedMode(const char* device, DWORD which) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!Services().EnumDisplaySettingsA(device, which, &mode)) return std::nullopt;
    const CurrentMode current{static_cast<int32_t>(mode.dmPelsWidth), static_cast<int32_t>(mode.dmPelsHeight),
                              static_cast<int32_t>(mode.dmBitsPerPel), mode.dmDisplayFrequency};
    if (current.width <= 0 || current.height <= 0 || current.depth <= 0) return std::nullopt;
    return current;
}
}  // namespace

std::optional<CurrentMode> CurrentDisplayMode(const char* device) { return EnumeratedMode(device, ENUM_CURRENT_SETTINGS); }

std::optional<CurrentMode> RegistryDisplayMode(const char* device) {
    return EnumeratedMode(device, ENUM_REGISTRY_SETTINGS);
}

bool SameMode(const CurrentMode& a, const CurrentMode& b) {
    return a.width == b.width && a.height == b.height && a.depth == b.depth;
}

bool ScreenIsIn(int32_t width, int32_t height, int32_t depth, const char* device) {
    return SameMode(ScreenModeNow(device), {width, height, depth});
}

bool RemoteSession() { return Services().GetSystemMetrics(SM_REMOTESESSION) != 0; }

CurrentMode ScreenModeNow(const char* device) {
    if (std::optional<CurrentMode> mode = CurrentDisplayMode(device)) return *mode;
    if (device) return {0, 0, 0};
    auto& services = Services();
    const WindowDc screen = GetWindowDc(nullptr);
    const int32_t depth =
        services.GetDeviceCaps(screen.Get(), BITSPIXEL) * services.GetDeviceCaps(screen.Get(), PLANES);
    return {services.GetSystemMetrics(SM_CXSCREEN), services.GetSystemMetrics(SM_CYSCREEN), depth};
}

DEVMODEA ChangeRecord(int32_t width, int32_t height, int32_t depth, const char* device) {
    const std::optional<CurrentMode> current = CurrentDisplayMode(device);
    // 0 and 1 stand for the hardware's default rate: nothing to keep.
    if (!current || current->frequency <= 1) return DisplayModeRecord(width, height, depth);
    bool offered = false;
    ForEachListedMode(device, [&](const DEVMODEA& mode) {
        offered = offered || (static_cast<int32_t>(mode.dmPelsWidth) == width &&
                              static_cast<int32_t>(mode.dmPelsHeight) == height &&
                              static_cast<int32_t>(mode.dmBitsPerPel) == depth &&
                              mode.dmDisplayFrequency == current->frequency);
    });
    return DisplayModeRecord(width, height, depth, offered ? current->frequency : 0);
}

}  // namespace common
