// The setup program and its uninstaller, run as a user would under Wine (in a throw-away copy of
// the prefix, see installer CMake rules): what a silent install leaves on the machine, Quorvex
// started from the installed folder, a reinstall over a running Quorvex, the uninstall; and the
// pages of both, saved as screenshots.
#include "driver.h"
#include "install_checks.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace e2e {
namespace {

const char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quorvex";

std::string InstallDir() { return Folder(CSIDL_PROGRAM_FILES) + "\\Quorvex\\"; }
std::string MenuDir() { return Folder(CSIDL_COMMON_PROGRAMS) + "\\Quorvex\\"; }

long RunToEnd(const std::string& exe, const std::string& arguments, int ms = 60000) {
    Process process(exe, Folder(CSIDL_WINDOWS), {}, arguments);
    return process.WaitExit(ms);
}

class Installer : public ::testing::Test {
protected:
    void SetUp() override {
        dir = InstallDir();
        profile = dir + "Users\\" + UserName();
    }
    // The uninstaller runs on from a copy of itself: its work is done when it has deleted itself.
    void Uninstall(const std::string& arguments) {
        ASSERT_EQ(RunToEnd(dir + "uninstall.exe", arguments), 0);
        EXPECT_TRUE(WaitFor([&] { return !Exists(dir + "uninstall.exe"); }, 30000));
        Sleep(500);
    }
    Process StartQuorvex() {
        DeleteFileA((dir + "version.txt").c_str());
        Process quorvex(dir + "Quorvex.exe", dir);
        EXPECT_TRUE(WaitFor([&] { return Exists(dir + "version.txt"); }, 20000)) << "Quorvex did not start";
        return quorvex;
    }

    std::string dir, profile;
};

TEST_F(Installer, SilentInstallRunReinstallAndSilentUninstall) {
    ASSERT_FALSE(Exists(dir));
    ASSERT_EQ(RunToEnd(QV_SETUP_EXE, "/S"), 0);

    for (const char* file : {"Quorvex.exe", "Fetchwell.exe", "readme.txt", "uninstall.exe", "Users"})
        EXPECT_TRUE(Exists(dir + file)) << file;
    EXPECT_EQ(FileText(dir + "Quorvex.exe"), FileText(std::string(QV_DIST_DIR) + "Quorvex.exe"));
    // The autorun value exactly as Quorvex writes it: the path has a space, so it is quoted.
    const std::string run = "\"" + dir + "Quorvex.exe\"";
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRunKey, "Quorvex.exe"), run);
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Quorvex");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "2.0");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "Publisher"), "The Quorvex team");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayIcon"), dir + "Quorvex.exe,0");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "\"" + dir + "uninstall.exe\"");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "QuietUninstallString"), "\"" + dir + "uninstall.exe\" /S");
    EXPECT_GT(std::atol(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize").c_str()), 100) << "kilobytes";
    for (const char* link : {"Quorvex.lnk", "Quorvex manual.lnk", "Check for updates.lnk"})
        EXPECT_TRUE(Exists(MenuDir() + link)) << link;

    // Quorvex started from the installed folder keeps its files there and switches to the user's mode.
    ASSERT_EQ(ScreenWidth(), 1024);
    WriteFile(profile, "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=32\r\n");
    {
        Process quorvex = StartQuorvex();
        EXPECT_EQ(FileText(dir + "version.txt"), "[Quorvex]\r\nupdate=1\r\n");
        EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800; }, 10000));
        EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRunKey, "Quorvex.exe"), run);

        // Installing again ends the running Quorvex as "Exit" does (the natural mode comes back)
        // and keeps every user's profile.
        ASSERT_EQ(RunToEnd(QV_SETUP_EXE, "/S"), 0);
        EXPECT_EQ(quorvex.WaitExit(20000), 0);
        EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
        EXPECT_EQ(FileText(profile), "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=32\r\n");
    }

    // The uninstaller ends Quorvex the same way, removes what the installer and the programs wrote
    // (the autorun value in both places too) and keeps the profiles when silent.
    Process quorvex = StartQuorvex();
    // A start of the installed program under a busy machine takes a while.
    EXPECT_TRUE(ScreenWidthBecomes(800, 30000)) << ScreenWidth();
    WriteFile(dir + "update.txt", "[quorvex]\r\nupdate=3\r\n");
    SetValue(HKEY_CURRENT_USER, kRunKey, "Quorvex.exe", run);
    SetValue(HKEY_LOCAL_MACHINE, kRunKey, "Other.exe", "C:\\Other\\Other.exe");
    Uninstall("/S");
    EXPECT_EQ(quorvex.WaitExit(20000), 0);
    EXPECT_TRUE(ScreenWidthBecomes(1024)) << ScreenWidth();
    EXPECT_EQ(Listing(dir), (std::vector<std::string>{"Users", "Users\\" + UserName()}));
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRunKey, "Quorvex.exe"), "(none)");
    EXPECT_EQ(Value(HKEY_CURRENT_USER, kRunKey, "Quorvex.exe"), "(none)");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kRunKey, "Other.exe"), "C:\\Other\\Other.exe");
    EXPECT_EQ(Value(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "(none)");
    EXPECT_FALSE(Exists(MenuDir()));

    DeleteFileA(profile.c_str());
    RemoveDirectoryA((dir + "Users").c_str());
    RemoveDirectoryA(dir.c_str());
}

// The setup window, found by its Next/Install/Finish button.
HWND WaitButton(DWORD pid, const std::string& caption, HWND* top, int ms = 30000) {
    HWND button = nullptr;
    WaitFor(
        [&] {
            for (HWND window : WindowsOf("#32770", pid))
                if (IsWindowVisible(window) && (button = FindControl(window, "Button", caption)) &&
                    IsWindowEnabled(button)) {
                    *top = window;
                    return true;
                }
            return false;
        },
        ms);
    return button;
}

bool Press(DWORD pid, const std::string& caption) {
    HWND top = nullptr;
    HWND button = WaitButton(pid, caption, &top);
    if (!button) return false;
    PostMessageA(button, BM_CLICK, 0, 0);
    return true;
}

TEST_F(Installer, ThePagesOfSetupAddRemoveProgramsAndTheUninstaller) {
    Process setup(QV_SETUP_EXE, Folder(CSIDL_WINDOWS));
    HWND top = nullptr;
    ASSERT_TRUE(WaitButton(setup.Id(), "&Next >", &top));
    Screenshot("installer/1-welcome");
    ASSERT_TRUE(Press(setup.Id(), "&Next >"));
    ASSERT_TRUE(WaitButton(setup.Id(), "&Install", &top));
    Screenshot("installer/2-folder");
    ASSERT_TRUE(Press(setup.Id(), "&Install"));
    ASSERT_TRUE(WaitButton(setup.Id(), "&Next >", &top, 60000));
    Screenshot("installer/3-installed");
    ASSERT_TRUE(Press(setup.Id(), "&Next >"));
    ASSERT_TRUE(WaitButton(setup.Id(), "&Finish", &top));
    Screenshot("installer/4-finish");
    // "Start Quorvex now" is checked: Quorvex starts through the shell, as the signed-in user.
    WriteFile(profile, "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n");
    ASSERT_TRUE(Press(setup.Id(), "&Finish"));
    EXPECT_EQ(setup.WaitExit(20000), 0);
    EXPECT_TRUE(WaitFor([&] { return Exists(dir + "version.txt"); }, 20000)) << "Quorvex was not started";

    Process programs("C:\\windows\\system32\\uninstaller.exe", Folder(CSIDL_WINDOWS));
    HWND list = WaitWindow("#32770", programs.Id());
    ASSERT_NE(list, nullptr);
    Screenshot("installer/5-add-remove-programs");
    PostMessageA(list, WM_CLOSE, 0, 0);
    programs.WaitExit(5000);

    // Uninstalling with the user's consent removes the profiles as well.
    Process uninstall(dir + "uninstall.exe", Folder(CSIDL_WINDOWS));
    ASSERT_TRUE(uninstall.WaitExit(20000) == 0);  // hands over to its copy in the temporary folder
    DWORD copy = 0;
    ASSERT_TRUE(WaitFor(
        [&] {
            for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, "#32770", nullptr));)
                if (IsWindowVisible(window) && FindControl(window, "Button", "&Uninstall")) {
                    GetWindowThreadProcessId(window, &copy);
                    return true;
                }
            return false;
        },
        20000));
    Screenshot("installer/6-uninstall");
    ASSERT_TRUE(Press(copy, "&Uninstall"));
    ASSERT_TRUE(WaitButton(copy, "&Yes", &top));
    Screenshot("installer/7-remove-profiles");
    ASSERT_TRUE(Press(copy, "&Yes"));
    ASSERT_TRUE(WaitButton(copy, "&Close", &top));
    Screenshot("installer/8-uninstalled");
    ASSERT_TRUE(Press(copy, "&Close"));
    EXPECT_TRUE(WaitFor([&] { return !Exists(dir); }, 20000));
    EXPECT_EQ(Listing(dir), std::vector<std::string>{});
}

}  // namespace
}  // namespace e2e
