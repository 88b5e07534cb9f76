#include "common/policies.h"

#include "common/handles.h"

#include <windows.h>

#include <array>
#include <cstring>

namespace common {

namespace {

// The ranges the administrative template offers; anything else is a typing error in the policy.
constexpr DWORD kMinWidth = 640, kMaxWidth = 7680, kMinHeight = 480, kMaxHeight = 4320;
constexpr DWORD kMaxUrl = 1023;

// The policy key under one root, or none when it is not there.
class PolicyRoot {
public:
    explicit PolicyRoot(HKEY root) { RegOpenKeyExA(root, kPolicyKey, 0, KEY_QUERY_VALUE, key_.Put()); }

    std::optional<DWORD> Dword(const char* name, DWORD low, DWORD high) const {
        DWORD type = 0, value = 0, size = sizeof(value);
        if (!key_ ||
            RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
            return std::nullopt;
        if (type != REG_DWORD || size != sizeof(value) || value < low || value > high) return std::nullopt;
        return value;
    }
    std::optional<bool> Switch(const char* name) const {
        const auto value = Dword(name, 0, 1);
        if (!value) return std::nullopt;
        return *value == 1;
    }
    std::optional<PolicyMode> Mode() const {
        const auto width = Dword("Width", kMinWidth, kMaxWidth), height = Dword("Height", kMinHeight, kMaxHeight),
                   depth = Dword("Depth", 8, 32);
        if (!width || !height || !depth || (*depth != 8 && *depth != 16 && *depth != 32)) return std::nullopt;
        return PolicyMode{static_cast<int32_t>(*width), static_cast<int32_t>(*height), static_cast<int32_t>(*depth)};
    }
    std::optional<std::string> Url(const char* name) const {
        std::array<char, kMaxUrl + 2> text{};
        DWORD type = 0, size = kMaxUrl + 1;  // the text and its end
        if (!key_ || RegQueryValueExA(key_.Get(), name, nullptr, &type, reinterpret_cast<BYTE*>(text.data()), &size) !=
                         ERROR_SUCCESS)
            return std::nullopt;
        // The buffer keeps one zero past what may be read, so a value stored without its end is cut there.
        const std::string url(text.data(), strnlen(text.data(), size));
        if (type != REG_SZ || url.size() <= 7 || url.size() > kMaxUrl || _strnicmp(url.c_str(), "http://", 7) != 0)
            return std::nullopt;
        return url;
    }

private:
    RegKey key_;
};

// The machine's setting where it has a valid one, else the user's.
template <class T, class Read>
std::optional<T> MachineFirst(const PolicyRoot& machine, const PolicyRoot& user, Read read) {
    if (auto value = read(machine)) return value;
    return read(user);
}

}  // namespace

Policies ReadPolicies() {
    const PolicyRoot machine(HKEY_LOCAL_MACHINE), user(HKEY_CURRENT_USER);
    Policies policies;
    policies.mode = MachineFirst<PolicyMode>(machine, user, [](const PolicyRoot& root) { return root.Mode(); });
    const auto lock = MachineFirst<bool>(machine, user, [](const PolicyRoot& root) { return root.Switch("LockMode"); });
    policies.lockMode = policies.mode && lock.value_or(false);
    policies.disableUpdates = MachineFirst<bool>(machine, user, [](const PolicyRoot& root) {
                                  return root.Switch("DisableUpdates");
                              }).value_or(false);
    policies.updateUrl = MachineFirst<std::string>(machine, user, [](const PolicyRoot& root) {
                             return root.Url("UpdateURL");
                         }).value_or(std::string());
    return policies;
}

}  // namespace common
