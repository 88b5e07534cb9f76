#pragma once
// What an administrator sets for Quorvex through Group Policy: values under Software\Policies\Quorvex
// in HKEY_LOCAL_MACHINE and in HKEY_CURRENT_USER. The machine's value of a setting wins over the
// user's. A value of the wrong type or out of range counts as not set, without a word to the user: a
// policy is the administrator's business, and a broken one must not stop anyone's program.
#include <cstdint>
#include <optional>
#include <string>

namespace common {

// The key under both roots, as the administrative template names it.
inline constexpr char kPolicyKey[] = "Software\\Policies\\Quorvex";

struct PolicyMode {
    int32_t width = 0, height = 0, depth = 0;
    bool operator==(const PolicyMode&) const = default;
};

struct Policies {
    // Width, Height and Depth, all three valid under one root: the mode of users who have none stored.
    std::optional<PolicyMode> mode;
    // LockMode = 1 beside a mode: that mode for everybody, and nobody may change it.
    bool lockMode = false;
    // DisableUpdates = 1: no update checks from either program.
    bool disableUpdates = false;
    // UpdateURL: the update list's address on a company mirror (http://...); empty: the built-in one.
    std::string updateUrl;
};

// Reads the policies in force now.
Policies ReadPolicies();

}  // namespace common
