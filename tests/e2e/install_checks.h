#pragma once
// What the journeys of the setup program and of the Windows Installer package look at on the
// machine: shell folders, files, registry values.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

std::string Folder(int csidl);  // a shell folder (CSIDL_...), without a trailing backslash
bool Exists(const std::string& path);
// The value as text ("(none)" when it or its key is missing); DWORDs in decimal.
std::string Value(HKEY root, const std::string& key, const char* name);
void SetValue(HKEY root, const std::string& key, const char* name, const std::string& data);
// Every file and folder below `dir` (ending in a backslash), relative, sorted.
std::vector<std::string> Listing(const std::string& dir, const std::string& prefix = "");

}  // namespace e2e
