#pragma once
// Quorvex's command line: a display mode asked for by a script or a shortcut, either at start or
// handed to the Quorvex already running in the session.
//
//   Quorvex.exe /mode 1280x1024       a size the display lists, at the screen's colour depth
//   Quorvex.exe /mode 1280x1024x16    the same at 16 bits
//   Quorvex.exe /mymode               the user's own mode, as the profile stores it
//   Quorvex.exe /natural              the natural mode
//   Quorvex.exe /mode 1280x1024 /display 2   the same on the second display (the primary is the
//                                     first, the others follow in the system's order)
//   Quorvex.exe /mode 800x600 /run "C:\Games\old.exe" -window
//                                     starts the program in that mode (either form above) and gives
//                                     the mode back when it ends; the command ends with the program,
//                                     with its exit code
//
// Switch names are case-insensitive and may start with '-' instead of '/'.
#include <cstdint>
#include <string>

namespace tray {

struct ModeCommand {
    enum class Kind { None, Mode, MyMode, Natural, Bad };
    Kind kind = Kind::None;
    int32_t width = 0, height = 0;
    int32_t depth = 0;  // 0: the depth the screen has when the command is carried out
    int32_t display = 0;  // 0: the primary display; N: the N-th attached one
    std::string program;           // "/run": the program to start in the mode
    std::string programArguments;  // its arguments, as written

    bool operator==(const ModeCommand&) const = default;
};

// What the process that handed a command over ends with.
enum ModeCommandResult : int {
    kModeSwitched = 0,
    kModeRefused = 1,      // the display (or the administrator's lock) refused it; nothing changed
    kModeBadArgument = 2,  // malformed, unknown, or a size the display does not list
    // An answer above these, to a "/run" handed over, is a handle of the program's process that the
    // running copy made for the copy that handed the command over; that copy waits for it.
};

// `arguments`: the command line after the program's name. None for an empty one; Bad for anything
// that is not exactly one of the forms above.
ModeCommand ParseModeCommand(const std::string& arguments);

}  // namespace tray
