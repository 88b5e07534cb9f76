#include "common/profile.h"

#include "common/exception.h"
#include "common/text.h"

#include <windows.h>

namespace common {

namespace {

constexpr const char* kSection = "Screen";
using Keys = const char* const[3];  // width, height, depth
constexpr Keys kUserKeys = {"X", "Y", "Depth"};
constexpr Keys kNaturalKeys = {"oldX", "oldY", "oldDepth"};

StoredMode ReadMode(const IniFile& profile, const Keys& keys) {
    return {profile.ReadInteger(kSection, keys[0], 0), profile.ReadInteger(kSection, keys[1], 0),
            profile.ReadInteger(kSection, keys[2], 0)};
}

void WriteMode(IniFile& profile, const Keys& keys, const StoredMode& mode) {
    profile.WriteInteger(kSection, keys[0], mode.width);
    profile.WriteInteger(kSection, keys[1], mode.height);
    profile.WriteInteger(kSection, keys[2], mode.depth);
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

StoredMode StoredMode::Read(const IniFile& profile) { return ReadMode(profile, kUserKeys); }
StoredMode StoredMode::ReadNatural(const IniFile& profile) { return ReadMode(profile, kNaturalKeys); }
void StoredMode::Write(IniFile& profile) const { WriteMode(profile, kUserKeys, *this); }
void StoredMode::WriteNatural(IniFile& profile) const { WriteMode(profile, kNaturalKeys, *this); }

StoredModeText StoredModeText::Read(const IniFile& profile) {
    StoredModeText text;
    for (int i = 0; i < 3; ++i)
        if (std::string value = profile.ReadString(kSection, kUserKeys[i], kMissing); value != kMissing)
            text.values[i] = value;
    return text;
}

void StoredModeText::Restore(IniFile& profile) const {
    for (int i = 0; i < 3; ++i)
        if (values[i])
            profile.WriteString(kSection, kUserKeys[i], *values[i]);
        else
            profile.DeleteKey(kSection, kUserKeys[i]);
}

}  // namespace common
