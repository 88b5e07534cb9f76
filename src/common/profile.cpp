#include "common/profile.h"

#include "common/exception.h"
#include "common/text.h"

#include <windows.h>

namespace common {

namespace {

using Keys = const char* const[3];  // width, height, depth
constexpr Keys kUserKeys = {"X", "Y", "Depth"};
constexpr Keys kNaturalKeys = {"oldX", "oldY", "oldDepth"};

StoredMode ReadMode(const IniFile& profile, const std::string& section, const Keys& keys) {
    return {profile.ReadInteger(section, keys[0], 0), profile.ReadInteger(section, keys[1], 0),
            profile.ReadInteger(section, keys[2], 0)};
}

void WriteMode(IniFile& profile, const std::string& section, const Keys& keys, const StoredMode& mode) {
    profile.WriteInteger(section, keys[0], mode.width);
    profile.WriteInteger(section, keys[1], mode.height);
    profile.WriteInteger(section, keys[2], mode.depth);
}

// Stands for a key the profile does not hold: no value read from an INI file holds a line break
// (and it does not end in one, which the system might strip from a default).
const std::string kMissing = "\n-";

}  // namespace

void EnsureUsersDirectory() {
    const std::string directory = ProgramDirectory() + "Users";
    const DWORD attributes = GetFileAttributesA(directory.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (!CreateDirectoryA(directory.c_str(), nullptr)) throw InOutError(static_cast<int>(GetLastError()));
}

std::string ProfilePath(const std::string& upperCaseName) { return ProgramDirectory() + "Users\\" + upperCaseName; }

StoredMode StoredMode::Read(const IniFile& profile, const std::string& section) {
    return ReadMode(profile, section, kUserKeys);
}
StoredMode StoredMode::ReadNatural(const IniFile& profile, const std::string& section) {
    return ReadMode(profile, section, kNaturalKeys);
}
void StoredMode::Write(IniFile& profile, const std::string& section) const {
    WriteMode(profile, section, kUserKeys, *this);
}
void StoredMode::WriteNatural(IniFile& profile, const std::string& section) const {
    WriteMode(profile, section, kNaturalKeys, *this);
}

StoredModeText StoredModeText::Read(const IniFile& profile, const std::string& section) {
    StoredModeText text;
    text.section = section;
    for (int i = 0; i < 3; ++i)
        if (std::string value = profile.ReadString(section, kUserKeys[i], kMissing); value != kMissing)
            text.values[i] = value;
    return text;
}

void StoredModeText::Restore(IniFile& profile) const {
    for (int i = 0; i < 3; ++i)
        if (values[i])
            profile.WriteString(section, kUserKeys[i], *values[i]);
        else
            profile.DeleteKey(section, kUserKeys[i]);
}

}  // namespace common
