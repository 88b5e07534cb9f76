#pragma once
// Shell shortcuts (.lnk files), made through the shell's own IShellLinkA.
#include <string>

namespace common {

struct Shortcut {
    std::string target, arguments, workingDirectory;
    std::string iconPath;  // the icon is the first one of this file
    std::string description;
};

// Writes `shortcut` to `path`, replacing a file there; false when the shell refuses.
bool SaveShortcut(const std::string& path, const Shortcut& shortcut);

// The person's desktop folder, with a backslash at the end; empty when the system does not tell.
std::string DesktopFolder();

}  // namespace common
