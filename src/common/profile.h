#pragma once
// The per-user profile files: <program dir>Users\<USER NAME>, section "Screen" for the primary
// display and one section of the same keys for each other display (displays.h).
#include "common/ini_file.h"

#include <cstdint>
#include <optional>
#include <string>

namespace common {

inline constexpr const char* kScreenSection = "Screen";

// Creates <program dir>Users\ when it is missing; a failure raises the I/O error of the system's code.
void EnsureUsersDirectory();

// <program dir>Users\<name>; the caller passes the upper-case name.
std::string ProfilePath(const std::string& upperCaseName);

// A display mode as a profile stores it: the user's own (keys X, Y and Depth) or the natural mode
// (oldX, oldY and oldDepth). A missing or unreadable value reads as 0.
struct StoredMode {
    int32_t width = 0, height = 0, depth = 0;

    static StoredMode Read(const IniFile& profile, const std::string& section = kScreenSection);
    static StoredMode ReadNatural(const IniFile& profile, const std::string& section = kScreenSection);
    void Write(IniFile& profile, const std::string& section = kScreenSection) const;
    void WriteNatural(IniFile& profile, const std::string& section = kScreenSection) const;
    bool Complete() const { return width > 0 && height > 0 && depth > 0; }
    bool operator==(const StoredMode&) const = default;
};

// The keys of the user's mode as they stood, each with its text or missing.
struct StoredModeText {
    std::optional<std::string> values[3];  // X, Y, Depth
    std::string section = kScreenSection;

    static StoredModeText Read(const IniFile& profile, const std::string& section = kScreenSection);
    // Puts the keys back as they were read: a missing one is removed again.
    void Restore(IniFile& profile) const;
};

}  // namespace common
