// Autorun registration against the real registry functions, with HKEY_LOCAL_MACHINE and
// HKEY_CURRENT_USER redirected to scratch keys of this test (RegOverridePredefKey).
#include "desktop/auto_run.h"
#include "desktop_test_support.h"
#include "support/scratch_registry.h"

#include <gtest/gtest.h>

#include <string>

namespace desktoptest {
namespace {

using desktop::TdskAutoRun;

class AutoRunTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ASSERT_TRUE(registry_.Redirected());
    }

    HKEY Root(bool machine) const { return registry_.Root(machine); }
    static std::string KeyPath(const char* tail) { return std::string("Software\\Microsoft\\Windows\\CurrentVersion\\") + tail; }

    // The value's data and type, or "(none)" when the value or its key is missing.
    std::string Value(bool machine, const char* tail, const std::string& name, DWORD* type = nullptr) const {
        HKEY key;
        if (RegOpenKeyExA(Root(machine), KeyPath(tail).c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return "(no key)";
        char data[512] = {};
        DWORD size = sizeof(data) - 1, kind = 0;
        const LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &kind, reinterpret_cast<BYTE*>(data), &size);
        RegCloseKey(key);
        if (type) *type = kind;
        return result == ERROR_SUCCESS ? data : "(none)";
    }
    void Write(bool machine, const char* tail, const std::string& name, const std::string& data) {
        HKEY key;
        RegCreateKeyExA(Root(machine), KeyPath(tail).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
        RegCloseKey(key);
    }
    // Gives the key a security descriptor that lets nobody in (empty) or everybody (null DACL).
    void Lock(bool machine, const char* path, bool locked) {
        HKEY key;
        ASSERT_EQ(RegOpenKeyExA(Root(machine), path, 0, WRITE_DAC, &key), ERROR_SUCCESS);
        SECURITY_DESCRIPTOR sd;
        InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION);
        ACL empty;
        InitializeAcl(&empty, sizeof(empty), ACL_REVISION);
        SetSecurityDescriptorDacl(&sd, TRUE, locked ? &empty : nullptr, FALSE);
        EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
        RegCloseKey(key);
    }

    const testsupport::ScratchRegistry registry_;
};

TEST_F(AutoRunTest, EachKindHasItsKeyAndServiceKindsAreSkippedOnNt) {
    struct Case {
        desktop::TdskAutoExecKind kind;
        bool machine;
        const char* tail;
        bool written;
    };
    const Case cases[] = {
        {desktop::aekMachineRun, true, "Run", true},
        {desktop::aekMachineRunOnce, true, "RunOnce", true},
        {desktop::aekUserRun, false, "Run", true},
        {desktop::aekUserRunOnce, false, "RunOnce", true},
        {desktop::aekServiceRun, true, "RunServices", false},
        {desktop::aekServiceRunOnce, true, "RunServicesOnce", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tail + std::string(c.machine ? " (machine)" : " (user)"));
        if (!c.written) Write(c.machine, c.tail, "tool.exe", "left alone");
        {
            TdskAutoRun autorun(*form, "autorun");
            autorun.SetFileName("C:\\Apps\\tool.exe");
            autorun.SetKind(c.kind);
            autorun.SetAutoRun(true);
            EXPECT_EQ(Value(c.machine, c.tail, "tool.exe"), c.written ? "C:\\Apps\\tool.exe" : "left alone");
            EXPECT_NE(Value(!c.machine, c.tail, "tool.exe"), "C:\\Apps\\tool.exe");
            autorun.SetAutoRun(false);
            EXPECT_EQ(Value(c.machine, c.tail, "tool.exe"), c.written ? "(none)" : "left alone");
        }
    }
}

TEST_F(AutoRunTest, TheValueIsNamedAfterTheFileAndQuotedWhenThePathHasASpace) {
    struct Case {
        const char* fileName;
        const char* name;
        const char* data;
        DWORD type;
    };
    const Case cases[] = {
        {"C:\\Apps\\Quorvex.exe", "Quorvex.exe", "C:\\Apps\\Quorvex.exe", REG_SZ},
        {"C:\\Program Files\\Quorvex\\Quorvex.exe", "Quorvex.exe", "\"C:\\Program Files\\Quorvex\\Quorvex.exe\"", REG_SZ},
        {"%ProgramFiles%\\Quorvex\\Quorvex.exe", "Quorvex.exe", "%ProgramFiles%\\Quorvex\\Quorvex.exe", REG_EXPAND_SZ},
        {"C:Quorvex.exe", "Quorvex.exe", "C:Quorvex.exe", REG_SZ},
        {"C:\\Apps/Quorvex.exe", "Quorvex.exe", "C:\\Apps/Quorvex.exe", REG_SZ},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fileName);
        TdskAutoRun autorun(*form, "autorun");
        autorun.SetFileName(c.fileName);
        autorun.SetAutoRun(true);
        EXPECT_EQ(autorun.ValueName(), c.name);
        DWORD type = 0;
        EXPECT_EQ(Value(true, "Run", c.name, &type), c.data);
        EXPECT_EQ(type, c.type);
        autorun.SetAutoRun(false);
    }
}

TEST_F(AutoRunTest, ChangedSettingsMoveTheEntryAndEachStartRenewsIt) {
    TdskAutoRun autorun(*form, "autorun");
    EXPECT_EQ(autorun.FileName(), desktop::ExecutablePath());
    EXPECT_EQ(autorun.Kind(), desktop::aekMachineRun);
    EXPECT_FALSE(autorun.AutoRun());

    Write(true, "Run", "a.exe", "C:\\Old place\\a.exe");
    autorun.SetFileName("C:\\New\\a.exe");
    EXPECT_EQ(Value(true, "Run", "a.exe"), "(none)") << "the old settings' entry goes, nothing is written while off";
    autorun.SetAutoRun(true);
    EXPECT_EQ(Value(true, "Run", "a.exe"), "C:\\New\\a.exe");
    autorun.SetFileName("C:\\New\\b.exe");
    EXPECT_EQ(Value(true, "Run", "a.exe"), "(none)");
    EXPECT_EQ(Value(true, "Run", "b.exe"), "C:\\New\\b.exe");
    autorun.SetKind(desktop::aekUserRun);
    EXPECT_EQ(Value(true, "Run", "b.exe"), "(none)");
    EXPECT_EQ(Value(false, "Run", "b.exe"), "C:\\New\\b.exe");

    // Setting what is already set does nothing; the end of loading writes the entry again.
    Write(false, "Run", "b.exe", "changed by hand");
    autorun.SetKind(desktop::aekUserRun);
    autorun.SetAutoRun(true);
    EXPECT_EQ(Value(false, "Run", "b.exe"), "changed by hand");
    autorun.Loaded();
    EXPECT_EQ(Value(false, "Run", "b.exe"), "C:\\New\\b.exe");
}

TEST_F(AutoRunTest, AKeyThatCannotBeOpenedChangesNothingAndShowsNothing) {
    Write(true, "Run", "Quorvex.exe", "C:\\Old\\Quorvex.exe");
    Lock(true, KeyPath("Run").c_str(), true);
    {
        TdskAutoRun autorun(*form, "autorun");
        autorun.SetFileName("C:\\New\\Quorvex.exe");
        autorun.SetAutoRun(true);
        autorun.Loaded();
        autorun.SetAutoRun(false);
    }
    Lock(true, KeyPath("Run").c_str(), false);
    EXPECT_EQ(Value(true, "Run", "Quorvex.exe"), "C:\\Old\\Quorvex.exe");

    EXPECT_TRUE(services.messages.empty());
}

// A standard account on Windows Vista and later may not write the machine's key: the entry goes
// under this user's key, so the program still starts at this user's logon. Once the machine key
// takes it again the user's copy goes, so that one logon never starts two copies.
TEST_F(AutoRunTest, AMachineKeyThatRefusesTheEntryGetsItUnderTheUsersKey) {
    Write(true, "Run", "other.exe", "C:\\Other\\other.exe");
    Lock(true, KeyPath("Run").c_str(), true);
    {
        TdskAutoRun autorun(*form, "autorun");
        autorun.SetFileName("C:\\Program Files\\Quorvex\\Quorvex.exe");
        autorun.SetAutoRun(true);
        autorun.Loaded();
        EXPECT_EQ(Value(false, "Run", "Quorvex.exe"), "\"C:\\Program Files\\Quorvex\\Quorvex.exe\"");

        Lock(true, KeyPath("Run").c_str(), false);
        autorun.Loaded();
        EXPECT_EQ(Value(true, "Run", "Quorvex.exe"), "\"C:\\Program Files\\Quorvex\\Quorvex.exe\"");
        EXPECT_EQ(Value(false, "Run", "Quorvex.exe"), "(none)");

        // Switching autorun off removes the entry from both places.
        Write(false, "Run", "Quorvex.exe", "C:\\Old\\Quorvex.exe");
        autorun.SetAutoRun(false);
        EXPECT_EQ(Value(true, "Run", "Quorvex.exe"), "(none)");
        EXPECT_EQ(Value(false, "Run", "Quorvex.exe"), "(none)");
    }
    EXPECT_EQ(Value(true, "Run", "other.exe"), "C:\\Other\\other.exe");
    EXPECT_TRUE(services.messages.empty());
}

}  // namespace
}  // namespace desktoptest
