#pragma once
// Whole files read through the system's file functions.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace common {

// Reads the file at `path` from its start, handing each block to `consume`, until its end or until
// `consume` answers false. False when the file cannot be opened or a read fails.
bool ReadWholeFile(const std::string& path, const std::function<bool(const char* data, size_t size)>& consume);

// The bytes of the file at `path`, at most `limit` of them (a cap for files that should be small);
// what could be read when a read fails, empty when it cannot be opened.
std::string ReadWholeFile(const std::string& path, size_t limit = SIZE_MAX);

}  // namespace common
