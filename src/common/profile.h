#pragma once
// The per-user profile files: <program dir>Users\<USER NAME>, section "Screen".
#include <string>

namespace common {

// Creates <program dir>Users\ when it is missing; a failure raises the I/O error of the system's code.
void EnsureUsersDirectory();

// <program dir>Users\<name>; the caller passes the upper-case name.
std::string ProfilePath(const std::string& upperCaseName);

}  // namespace common
