#pragma once
// The displays of the computer as EnumDisplayDevicesA lists them: which are attached, which is the
// primary one, and the identity under which a profile keeps each one's mode.
#include <string>
#include <vector>

namespace common {

struct Display {
    std::string deviceName;  // what the display functions take: "\\.\DISPLAY2"
    // The monitor's device ID, or the adapter's name where no monitor is listed: stays the same from
    // one start to the next while the monitor stays on its connector.
    std::string identity;
    bool primary = false;
    bool attached = false;
};

// Every display adapter the system lists (mirroring drivers aside), in the system's order.
std::vector<Display> ListDisplays();
// The attached displays, the primary one first, then in the system's order: the numbering the
// screens and the command line use. Empty when the system lists none.
std::vector<Display> AttachedDisplays();

// The profile section keeping a display's modes: "Screen" for the primary display, one named after
// the identity for each other one.
std::string ProfileSection(const Display& display);

}  // namespace common
