#pragma once
// The display-mode record handed to ChangeDisplaySettingsA, for tests and changes alike: only width,
// height and depth are given; the refresh rate and every other setting are left to the system.
#include <windows.h>

#include <cstdint>

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

}  // namespace common
