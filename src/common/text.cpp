#include "common/text.h"

#include "common/exception.h"

#include <windows.h>

namespace common {

std::string AsciiUpper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

std::string ProgramDirectory() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path, length);
    const size_t slash = directory.find_last_of("\\/:");
    directory.erase(slash == std::string::npos ? 0 : slash + 1);
    return directory;
}

InOutError::InOutError(int code) : Exception(IoErrorText(code), "EInOutError"), code_(code) {}

std::string IoErrorText(int code) {
    switch (code) {
    case 2: return "File not found";
    case 3: return "Invalid filename";
    case 4: return "Too many open files";
    case 5: return "File access denied";
    case 100: return "Read beyond end of file";
    case 101: return "Disk full";
    case 106: return "Invalid numeric input";
    }
    return "I/O error " + std::to_string(code);
}

}  // namespace common
