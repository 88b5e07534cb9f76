#pragma once
// The display-mode record handed to ChangeDisplaySettingsA, for tests and changes alike: only width,
// height and depth are given; the refresh rate and every other setting are left to the system.
#include "common/system_services.h"

#include <windows.h>

#include <cstdint>
#include <optional>

namespace common {

inline DEVMODEA DisplayModeRecord(int32_t width, int32_t height, int32_t depth) {
    DEVMODEA mode{};
    mode.dmSize = 156;  // the record without its driver-extra part; dmDriverExtra stays 0
    mode.dmFields = DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmBitsPerPel = static_cast<DWORD>(depth);
    mode.dmPelsWidth = static_cast<DWORD>(width);
    mode.dmPelsHeight = static_cast<DWORD>(height);
    return mode;
}

struct CurrentMode {
    int32_t width, height, depth;
};

// The mode the display has now, in physical pixels and its real colour depth (32 on a 32-bit
// screen), whatever the program's DPI awareness; nothing when the system cannot tell.
inline std::optional<CurrentMode> CurrentDisplayMode() {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    if (!Services().EnumDisplaySettingsA(nullptr, ENUM_CURRENT_SETTINGS, &mode)) return std::nullopt;
    const CurrentMode current{static_cast<int32_t>(mode.dmPelsWidth), static_cast<int32_t>(mode.dmPelsHeight),
                              static_cast<int32_t>(mode.dmBitsPerPel)};
    if (current.width <= 0 || current.height <= 0 || current.depth <= 0) return std::nullopt;
    return current;
}

}  // namespace common
