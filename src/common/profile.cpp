#include "common/profile.h"

#include "common/exception.h"
#include "common/text.h"

#include <windows.h>

namespace common {

namespace {

constexpr const char* kSection = "Screen";
struct Keys {
    const char *x, *y, *depth;
};
constexpr Keys kUserKeys{"X", "Y", "Depth"};
constexpr Keys kNaturalKeys{"oldX", "oldY", "oldDepth"};

StoredMode ReadMode(const IniFile& profile, const Keys& keys) {
    return {profile.ReadInteger(kSection, keys.x, 0), profile.ReadInteger(kSection, keys.y, 0),
            profile.ReadInteger(kSection, keys.depth, 0)};
}

void WriteMode(IniFile& profile, const Keys& keys, const StoredMode& mode) {
    profile.WriteInteger(kSection, keys.x, mode.width);
    profile.WriteInteger(kSection, keys.y, mode.height);
    profile.WriteInteger(kSection, keys.depth, mode.depth);
}

// Stands for a key the profile does not hold: no value read from an INI file holds a line break
// (and it does not end in one, which the system might strip from a default).
const std::string kMissing = "\n-";

std::optional<std::string> ReadKey(const IniFile& profile, const char* key) {
    std::string value = profile.ReadString(kSection, key, kMissing);
    if (value == kMissing) return std::nullopt;
    return value;
}

void RestoreKey(IniFile& profile, const char* key, const std::optional<std::string>& value) {
    if (value)
        profile.WriteString(kSection, key, *value);
    else
        profile.DeleteKey(kSection, key);
}

}  // namespace

void EnsureUsersDirectory() {
    const std::string directory = ProgramDirectory() + "Users";
    const DWORD attributes = GetFileAttributesA(directory.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (!CreateDirectoryA(directory.c_str(), nullptr)) throw InOutError(static_cast<int>(GetLastError()));
}

std::string ProfilePath(const std::string& upperCaseName) { return ProgramDirectory() + "Users\\" + upperCaseName; }

StoredMode StoredMode::Read(const IniFile& profile) { return ReadMode(profile, kUserKeys); }
StoredMode StoredMode::ReadNatural(const IniFile& profile) { return ReadMode(profile, kNaturalKeys); }
void StoredMode::Write(IniFile& profile) const { WriteMode(profile, kUserKeys, *this); }
void StoredMode::WriteNatural(IniFile& profile) const { WriteMode(profile, kNaturalKeys, *this); }

StoredModeText StoredModeText::Read(const IniFile& profile) {
    return {ReadKey(profile, kUserKeys.x), ReadKey(profile, kUserKeys.y), ReadKey(profile, kUserKeys.depth)};
}

void StoredModeText::Restore(IniFile& profile) const {
    RestoreKey(profile, kUserKeys.x, x);
    RestoreKey(profile, kUserKeys.y, y);
    RestoreKey(profile, kUserKeys.depth, depth);
}

}  // namespace common
