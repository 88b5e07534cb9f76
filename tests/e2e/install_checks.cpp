#include "install_checks.h"

#include <shlobj.h>

#include <algorithm>

namespace e2e {

std::string Folder(int csidl) {
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Value(HKEY root, const std::string& key, const char* name) {
    HKEY opened;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return "(none)";
    BYTE data[1024] = {};
    DWORD size = sizeof(data) - 1, type = 0;
    const LONG result = RegQueryValueExA(opened, name, nullptr, &type, data, &size);
    RegCloseKey(opened);
    if (result != ERROR_SUCCESS) return "(none)";
    if (type == REG_DWORD) return std::to_string(*reinterpret_cast<DWORD*>(data));
    return reinterpret_cast<char*>(data);
}

void SetValue(HKEY root, const std::string& key, const char* name, const std::string& data) {
    HKEY opened;
    RegCreateKeyExA(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(opened);
}

std::vector<std::string> Listing(const std::string& dir, const std::string& prefix) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        names.push_back(prefix + name);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            const auto inner = Listing(dir + name + "\\", prefix + name + "\\");
            names.insert(names.end(), inner.begin(), inner.end());
        }
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace e2e
