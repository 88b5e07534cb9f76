// The administrator's policies, read from the real registry functions with HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER redirected to scratch keys of this test program.
#include "common/policies.h"
#include "support/scratch_registry.h"

#include <windows.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using common::PolicyMode;

// One value under the machine's (true) or the user's policy key.
struct Value {
    bool machine;
    const char* name;
    DWORD type;
    std::string data;  // REG_SZ text, or a number for REG_DWORD
};
Value Dword(bool machine, const char* name, DWORD number) { return {machine, name, REG_DWORD, std::to_string(number)}; }
Value Text(bool machine, const char* name, const std::string& text) { return {machine, name, REG_SZ, text}; }

class PolicyTest : public ::testing::Test {
protected:
    void Set(const std::vector<Value>& values) {
        for (const bool machine : {true, false}) SHDeleteKeyA(registry_.Root(machine), common::kPolicyKey);
        for (const Value& v : values) {
            if (v.type == REG_DWORD)
                registry_.SetDword(v.machine, common::kPolicyKey, v.name, std::stoul(v.data));
            else
                registry_.SetText(v.machine, common::kPolicyKey, v.name, v.data);
        }
    }

private:
    testsupport::ScratchRegistry registry_;
};

TEST_F(PolicyTest, EachSettingWrongValuesAndTheMachineOverTheUser) {
    constexpr bool M = true, U = false;
    const std::vector<Value> machineMode = {Dword(M, "Width", 1024), Dword(M, "Height", 768), Dword(M, "Depth", 32)};
    const std::vector<Value> userMode = {Dword(U, "Width", 800), Dword(U, "Height", 600), Dword(U, "Depth", 16)};
    auto with = [](std::vector<Value> values, std::initializer_list<Value> more) {
        values.insert(values.end(), more);
        return values;
    };
    struct Case {
        const char* what;
        std::vector<Value> values;
        std::optional<PolicyMode> mode;
        bool lock, noUpdates;
        std::string url;
    };
    const Case cases[] = {
        {"nothing set", {}, std::nullopt, false, false, ""},
        {"the machine's mode", machineMode, PolicyMode{1024, 768, 32}, false, false, ""},
        {"the user's mode", userMode, PolicyMode{800, 600, 16}, false, false, ""},
        {"the machine's mode over the user's", with(machineMode, {userMode[0], userMode[1], userMode[2]}),
         PolicyMode{1024, 768, 32}, false, false, ""},
        {"a machine mode without its depth leaves the user's",
         with(userMode, {Dword(M, "Width", 1024), Dword(M, "Height", 768)}), PolicyMode{800, 600, 16}, false, false,
         ""},
        {"a depth of 24",
         {Dword(M, "Width", 1024), Dword(M, "Height", 768), Dword(M, "Depth", 24)},
         std::nullopt,
         false,
         false,
         ""},
        {"a width below 640",
         {Dword(M, "Width", 320), Dword(M, "Height", 768), Dword(M, "Depth", 32)},
         std::nullopt,
         false,
         false,
         ""},
        {"the largest size",
         {Dword(M, "Width", 7680), Dword(M, "Height", 4320), Dword(M, "Depth", 8)},
         PolicyMode{7680, 4320, 8},
         false,
         false,
         ""},
        {"a size given as text",
         {Text(M, "Width", "1024"), Dword(M, "Height", 768), Dword(M, "Depth", 32)},
         std::nullopt,
         false,
         false,
         ""},
        {"the lock beside a mode", with(machineMode, {Dword(M, "LockMode", 1)}), PolicyMode{1024, 768, 32}, true, false,
         ""},
        {"the user's lock on the machine's mode", with(machineMode, {Dword(U, "LockMode", 1)}),
         PolicyMode{1024, 768, 32}, true, false, ""},
        {"the machine's 0 over the user's lock", with(machineMode, {Dword(M, "LockMode", 0), Dword(U, "LockMode", 1)}),
         PolicyMode{1024, 768, 32}, false, false, ""},
        {"a lock of 2 counts as unset", with(machineMode, {Dword(M, "LockMode", 2), Dword(U, "LockMode", 1)}),
         PolicyMode{1024, 768, 32}, true, false, ""},
        {"a lock without a mode", {Dword(M, "LockMode", 1)}, std::nullopt, false, false, ""},
        {"updates off", {Dword(U, "DisableUpdates", 1)}, std::nullopt, false, true, ""},
        {"updates off as text", {Text(M, "DisableUpdates", "1")}, std::nullopt, false, false, ""},
        {"a mirror",
         {Text(M, "UpdateURL", "http://mirror.example/q/update.txt")},
         std::nullopt,
         false,
         false,
         "http://mirror.example/q/update.txt"},
        {"the machine's mirror over the user's",
         {Text(U, "UpdateURL", "http://user.example/u.txt"), Text(M, "UpdateURL", "HTTP://machine.example/m.txt")},
         std::nullopt,
         false,
         false,
         "HTTP://machine.example/m.txt"},
        {"a mirror that is not http",
         {Text(M, "UpdateURL", "ftp://mirror.example/u.txt")},
         std::nullopt,
         false,
         false,
         ""},
        {"a mirror as a number", {Dword(M, "UpdateURL", 7)}, std::nullopt, false, false, ""},
        {"the longest address",
         {Text(M, "UpdateURL", "http://" + std::string(1016, 'a'))},
         std::nullopt,
         false,
         false,
         "http://" + std::string(1016, 'a')},
        {"an address too long",
         {Text(M, "UpdateURL", "http://" + std::string(1017, 'a'))},
         std::nullopt,
         false,
         false,
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Set(c.values);
        const common::Policies policies = common::ReadPolicies();
        EXPECT_EQ(policies.mode, c.mode);
        EXPECT_EQ(policies.lockMode, c.lock);
        EXPECT_EQ(policies.disableUpdates, c.noUpdates);
        EXPECT_EQ(policies.updateUrl, c.url);
    }
}

}  // namespace
