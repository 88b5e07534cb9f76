#include "common/profile.h"

#include "common/exception.h"
#include "common/text.h"

#include <windows.h>

namespace common {

void EnsureUsersDirectory() {
    const std::string directory = ProgramDirectory() + "Users";
    const DWORD attributes = GetFileAttributesA(directory.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return;
    if (!CreateDirectoryA(directory.c_str(), nullptr)) throw InOutError(static_cast<int>(GetLastError()));
}

std::string ProfilePath(const std::string& upperCaseName) { return ProgramDirectory() + "Users\\" + upperCaseName; }

}  // namespace common
