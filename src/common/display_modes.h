#pragma once
// The display's own modes, as EnumDisplaySettingsA lists them: the sizes the configuration screens
// offer, the mode in force, and the records handed to ChangeDisplaySettingsA.
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace common {

// One screen size and the colour depths of 8, 16 and 32 bits the display offers with it.
struct ScreenSize {
    int32_t width = 0, height = 0;
    bool depth8 = false, depth16 = false, depth32 = false;

    bool Offers(int32_t depth) const;
    // The highest of the depths offered; 0 when none is.
    int32_t HighestDepth() const;
    // As the screens show it: "1366x768".
    std::string Caption() const;
};

// Every distinct size the display lists at 640 x 480 or more with a depth of 8, 16 or 32 bits,
// ordered by width, then height. Empty when the system lists none. `device`: a display's device name
// (displays.h); nullptr for the primary display, as everywhere below.
std::vector<ScreenSize> ListedScreenSizes(const char* device = nullptr);

// The position in `sizes` (not empty) of the size nearest to width x height; of equally near ones the
// smaller.
size_t NearestSize(const std::vector<ScreenSize>& sizes, int32_t width, int32_t height);

// The record handed to ChangeDisplaySettingsA, for tests and changes alike: width, height and depth,
// and the refresh rate when one above 1 is given; every other setting is left to the system.
DEVMODEA DisplayModeRecord(int32_t width, int32_t height, int32_t depth, DWORD frequency = 0);

struct CurrentMode {
    int32_t width, height, depth;
    DWORD frequency = 0;  // 0 or 1: the hardware's default
};
// The mode in force: physical pixels and the real colour depth (32 on a 32-bit screen), whatever the
// program's DPI awareness; nothing when the system cannot tell.
std::optional<CurrentMode> CurrentDisplayMode(const char* device = nullptr);
// The mode in force; where the system does not tell it, the screen's size and depth as GDI sees them
// (for the primary display; another one reads as 0 x 0 then).
CurrentMode ScreenModeNow(const char* device = nullptr);
// The computer's natural mode: the one kept in the registry, which a change without a registry
// update leaves alone and which ChangeDisplaySettingsA(nullptr, 0) returns to. Nothing when the
// system keeps none.
std::optional<CurrentMode> RegistryDisplayMode(const char* device = nullptr);
// Whether two modes have the same width, height and colour depth (refresh rates aside).
bool SameMode(const CurrentMode& a, const CurrentMode& b);
// Whether the display (the primary one without a name) is in width x height x depth now.
bool ScreenIsIn(int32_t width, int32_t height, int32_t depth, const char* device = nullptr);
// Whether this program runs in a Remote Desktop session, whose display belongs to the remote side.
bool RemoteSession();

// The record for a change to width x height x depth. The screen's current refresh rate goes along
// when the display lists it for that mode, so that the change does not make the monitor switch its
// timing for nothing; otherwise, as for every test, the system chooses.
DEVMODEA ChangeRecord(int32_t width, int32_t height, int32_t depth, const char* device = nullptr);

}  // namespace common
