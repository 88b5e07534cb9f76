#include "common/display_modes.h"

#include "common/display_mode.h"
#include "common/system_services.h"

#include <algorithm>
#include <functional>

namespace common {

namespace {

// Every mode the display lists, in the system's order.
void ForEachListedMode(const std::function<void(const DEVMODEA&)>& visit) {
    auto& services = Services();
    for (DWORD number = 0;; ++number) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        if (!services.EnumDisplaySettingsA(nullptr, number, &mode)) return;
        visit(mode);
    }
}

}  // namespace

bool ScreenSize::Offers(int32_t depth) const {
    switch (depth) {
    case 8:
        return depth8;
    case 16:
        return depth16;
    case 32:
        return depth32;
    }
    return false;
}

int32_t ScreenSize::HighestDepth() const { return depth32 ? 32 : depth16 ? 16 : depth8 ? 8 : 0; }

std::string ScreenSize::Caption() const { return std::to_string(width) + "x" + std::to_string(height); }

std::vector<ScreenSize> ListedScreenSizes() {
    std::vector<ScreenSize> sizes;
    ForEachListedMode([&](const DEVMODEA& mode) {
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

bool CurrentDisplayMode(DEVMODEA& mode) {
    mode = DEVMODEA{};
    mode.dmSize = sizeof(mode);
    return Services().EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode) != FALSE;
}

std::optional<CurrentMode> CurrentDisplayMode() {
    DEVMODEA mode;
    if (!CurrentDisplayMode(mode)) return std::nullopt;
    const CurrentMode current{static_cast<int32_t>(mode.dmPelsWidth), static_cast<int32_t>(mode.dmPelsHeight),
                              static_cast<int32_t>(mode.dmBitsPerPel)};
    if (current.width <= 0 || current.height <= 0 || current.depth <= 0) return std::nullopt;
    return current;
}

DEVMODEA ChangeRecord(int32_t width, int32_t height, int32_t depth) {
    DEVMODEA record = DisplayModeRecord(width, height, depth);
    DEVMODEA current;
    // 0 and 1 stand for the hardware's default rate: nothing to keep.
    if (!CurrentDisplayMode(current) || current.dmDisplayFrequency <= 1) return record;
    bool offered = false;
    ForEachListedMode([&](const DEVMODEA& mode) {
        offered = offered || (mode.dmPelsWidth == record.dmPelsWidth && mode.dmPelsHeight == record.dmPelsHeight &&
                              mode.dmBitsPerPel == record.dmBitsPerPel &&
                              mode.dmDisplayFrequency == current.dmDisplayFrequency);
    });
    if (offered) {
        record.dmFields |= DM_DISPLAYFREQUENCY;
        record.dmDisplayFrequency = current.dmDisplayFrequency;
    }
    return record;
}

}  // namespace common
