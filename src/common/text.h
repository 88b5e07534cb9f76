#pragma once
#include <string>

namespace common {

// Upper case for names: only the ASCII letters a to z change.
std::string AsciiUpper(std::string text);

// The directory of the running executable, with a trailing backslash.
std::string ProgramDirectory();

}  // namespace common
