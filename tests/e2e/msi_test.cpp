// The Windows Installer package, installed with msiexec as an administrator's deployment would
// (silently, in a throw-away copy of the prefix): what it leaves on the machine, an upgrade to a
// higher build over a running Quorvex, the refusal of a lower build, and the removal.
#include "driver.h"
#include "install_checks.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace e2e {
namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// Wine's installer puts ProgramMenuFolder in the user's Start menu even for a per-machine install
// (ALLUSERS=1); Windows Installer puts it in the common one.
bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

// The Add/Remove Programs entries named Quorvex: "version, publisher" of each.
std::vector<std::string> ProgramsEntries() {
    std::vector<std::string> entries;
    HKEY uninstall;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &uninstall) != ERROR_SUCCESS) return entries;
    char name[256];
    for (DWORD i = 0; RegEnumKeyA(uninstall, i, name, sizeof(name)) == ERROR_SUCCESS; ++i) {
        const std::string key = std::string(kUninstallKey) + "\\" + name;
        if (Value(HKEY_LOCAL_MACHINE, key, "DisplayName") == "Quorvex")
            entries.push_back(Value(HKEY_LOCAL_MACHINE, key, "DisplayVersion") + ", " +
                              Value(HKEY_LOCAL_MACHINE, key, "Publisher"));
    }
    RegCloseKey(uninstall);
    return entries;
}

// `msiexec ACTION "PACKAGE" /qn`: the package's path is quoted, for a checkout whose path holds a space.
long Msiexec(const char* action, const std::string& package) {
    Process msiexec(Folder(CSIDL_SYSTEM) + "\\msiexec.exe", Folder(CSIDL_WINDOWS), {},
                    std::string(action) + " \"" + package + "\" /qn");
    return msiexec.WaitExit(120000);
}

TEST(MsiPackage, SilentInstallUpgradeOverRunningQuorvexDowngradeRefusedAndRemoval) {
    const std::string dir = Folder(CSIDL_PROGRAM_FILES) + "\\Quorvex\\";
    const std::string menu = Folder(UnderWine() ? CSIDL_PROGRAMS : CSIDL_COMMON_PROGRAMS) + "\\Quorvex\\";
    const std::string profile = dir + "Users\\" + UserName();
    const std::string run = "\"" + dir + "Quorvex.exe\"";
    ASSERT_FALSE(Exists(dir));

    ASSERT_EQ(Msiexec("/i", QV_MSI_BUILD1), 0);
    for (const char* file : {"Quorvex.exe", "Fetchwell.exe", "readme.txt", "Users"})
        EXPECT_TRUE(Exists(dir + file)) << file;
    EXPECT_EQ(FileText(dir + "Quorvex.exe"), FileText(std::string(QV_DIST_DIR) + "Quorvex.exe"));
    // The autorun value exactly as Quorvex writes it: the path has a space, so it is quoted.
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRunKey, "Quorvex.exe"), run);
    for (const char* link : {"Quorvex.lnk", "Quorvex manual.lnk", "Check for updates.lnk"})
        EXPECT_TRUE(Exists(menu + link)) << link;
    EXPECT_EQ(ProgramsEntries(), std::vector<std::string>{"2.0.1, The Quorvex team"});

    // A higher build replaces the installed one in place: the running Quorvex ends as "Exit"
    // does (the natural mode comes back), the profile stays byte for byte.
    ASSERT_EQ(ScreenWidth(), 1024);
    const std::string mode = "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=32\r\n";
    WriteFile(profile, mode);
    {
        Process quorvex(dir + "Quorvex.exe", dir);
        ASSERT_TRUE(WaitFor([] { return ScreenWidth() == 800; }, 20000)) << "Quorvex did not start";
        ASSERT_EQ(Msiexec("/i", QV_MSI_BUILD3), 0);
        EXPECT_EQ(quorvex.WaitExit(20000), 0);
        EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
    }
    EXPECT_EQ(FileText(profile), mode);
    EXPECT_EQ(FileText(dir + "Quorvex.exe"), FileText(std::string(QV_TEST_DIST_DIR) + "Quorvex.exe"));
    EXPECT_EQ(ProgramsEntries(), std::vector<std::string>{"2.0.3, The Quorvex team"});
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRunKey, "Quorvex.exe"), run);

    // A lower build is refused and changes nothing.
    EXPECT_NE(Msiexec("/i", QV_MSI_BUILD1), 0);
    EXPECT_EQ(FileText(dir + "Quorvex.exe"), FileText(std::string(QV_TEST_DIST_DIR) + "Quorvex.exe"));
    EXPECT_EQ(ProgramsEntries(), std::vector<std::string>{"2.0.3, The Quorvex team"});

    // The removal ends Quorvex the same way and leaves nothing but the profiles: not what the
    // programs wrote beside themselves, not an update cut short, not the user's own autorun value.
    Process quorvex(dir + "Quorvex.exe", dir);
    ASSERT_TRUE(WaitFor([&] { return Exists(dir + "version.txt") && ScreenWidth() == 800; }, 20000));
    WriteFile(dir + "update.txt", "[quorvex]\r\nupdate=4\r\n");
    CreateDirectoryA((dir + "~update.old").c_str(), nullptr);
    WriteFile(dir + "~update.old\\Quorvex.exe", "old");
    SetValue(HKEY_CURRENT_USER, kRunKey, "Quorvex.exe", run);
    SetValue(HKEY_CURRENT_USER, kRunKey, "Other.exe", "C:\\Other\\Other.exe");
    ASSERT_EQ(Msiexec("/x", QV_MSI_BUILD3), 0);
    EXPECT_EQ(quorvex.WaitExit(20000), 0);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"Users", "Users\\" + UserName()}));
    EXPECT_EQ(FileText(profile), mode);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRunKey, "Quorvex.exe"), "(none)");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kRunKey, "Quorvex.exe"), "(none)");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kRunKey, "Other.exe"), "C:\\Other\\Other.exe");
    EXPECT_EQ(ProgramsEntries(), std::vector<std::string>{});
    EXPECT_FALSE(Exists(menu));

    DeleteFileA(profile.c_str());
    RemoveDirectoryA((dir + "Users").c_str());
    RemoveDirectoryA(dir.c_str());
}

}  // namespace
}  // namespace e2e
