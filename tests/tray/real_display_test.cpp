// Quorvex's host form against the real display of the Wine desktop: the screen really switches.
#include "common/display_modes.h"
#include "common/policies.h"
#include "support/scratch_registry.h"
#include "support/ui_test_support.h"
#include "tray_test_support.h"

#include <windows.h>

#include <fstream>

namespace traytest {
namespace {

class RealDisplay : public HostFormTest {
protected:
    void SetUp() override {
        HostFormTest::SetUp();
        common::SetServices(nullptr);  // the real system answers
    }
};

RECT WindowRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

TEST_F(RealDisplay, TheStoredModeIsAppliedAtStartAndTheNaturalModeRestoredAtExit) {
    const int naturalWidth = GetSystemMetrics(SM_CXSCREEN);
    ASSERT_EQ(naturalWidth, 1024) << "the Wine desktop starts at 1024 x 768";
    std::string user;
    ASSERT_TRUE(common::Win32Services().GetUserNameA(user));
    WriteProfile(common::AsciiUpper(user),
                 "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    CreateHost();
    host->Show();
    uitest::PumpUntil([] { return false; }, 200);
    const RECT splash = WindowRect(host->Handle());
    EXPECT_EQ(splash.right - splash.left, 315);
    EXPECT_EQ(splash.left, (1024 - 315) / 2);
    uitest::SaveScreenshot(GetDesktopWindow(), "quorvex-splash");

    StartUp();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 600);
    HWND popup = FindWindowA("Tagent", nullptr);
    ASSERT_NE(popup, nullptr);
    EXPECT_TRUE(IsWindowVisible(popup));
    const RECT at = WindowRect(popup);
    EXPECT_EQ(at.left, 520);
    EXPECT_EQ(at.top, 455);
    EXPECT_EQ(host->VersionText(), "2.0");
    uitest::PumpUntil([] { return false; }, 300);
    uitest::SaveScreenshot(GetDesktopWindow(), "quorvex-popup");

    // The popup closes itself 2.5 s after it came up.
    EXPECT_TRUE(uitest::PumpUntil([] { return !FindWindowA("Tagent", nullptr); }, 4000));

    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);
}

// The computer's natural mode is the registry's: a screen left in another mode by a Quorvex that was
// killed goes back to it before the wizard shows, the profile records it, and "Exit" returns to it.
TEST_F(RealDisplay, AModeLeftByAKilledQuorvexGivesWayToTheComputersNaturalMode) {
    DEVMODEA computers = common::DisplayModeRecord(1280, 1024, 32);
    ASSERT_EQ(ChangeDisplaySettingsA(&computers, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
    DEVMODEA leftBehind = common::DisplayModeRecord(800, 600, 16);
    ASSERT_EQ(ChangeDisplaySettingsA(&leftBehind, 0), DISP_CHANGE_SUCCESSFUL);
    std::string user;
    ASSERT_TRUE(common::Win32Services().GetUserNameA(user));
    int widthUnderTheWizard = 0;
    FakeWizard::action = [&] {  // the user finishes the wizard with 800 x 600 at 16 bits
        widthUnderTheWizard = GetSystemMetrics(SM_CXSCREEN);
        common::IniFile profile(ProfileFile(common::AsciiUpper(user)));
        profile.WriteInteger("Screen", "X", 800);
        profile.WriteInteger("Screen", "Y", 600);
        profile.WriteInteger("Screen", "Depth", 16);
    };
    CreateHost();
    StartUp();
    EXPECT_EQ(widthUnderTheWizard, 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    ASSERT_NE(host->Question(), nullptr);
    SendMessageA(host->Question()->Find("Button1").Handle(), BM_CLICK, 0, 0);  // "Keep settings"
    DEVMODEA registry{};
    registry.dmSize = sizeof(registry);
    ASSERT_TRUE(EnumDisplaySettingsA(nullptr, ENUM_REGISTRY_SETTINGS, &registry));
    EXPECT_EQ(registry.dmPelsWidth, 1280u);  // the user's mode never reaches the registry
    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    EXPECT_EQ(FileText(ProfileFile(common::AsciiUpper(user))),
              "[Screen]\r\noldX=1280\r\noldY=1024\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");

    DEVMODEA start = common::DisplayModeRecord(1024, 768, 32);
    EXPECT_EQ(ChangeDisplaySettingsA(&start, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);
}

// The administrator's mode for a user without a profile: no wizard, the screen switches at once and
// the profile keeps the mode as the user's own.
TEST_F(RealDisplay, TheAdministratorsModeIsAppliedToAUserWithoutAProfile) {
    const testsupport::ScratchRegistry registry;
    for (const auto& [name, value] : {std::pair{"Width", 1280}, {"Height", 1024}, {"Depth", 32}})
        registry.SetDword(true, common::kPolicyKey, name, value);
    std::string user;
    ASSERT_TRUE(common::Win32Services().GetUserNameA(user));
    CreateHost();
    StartUp();
    EXPECT_EQ(FakeWizard::shows, 0);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
    EXPECT_EQ(FileText(ProfileFile(common::AsciiUpper(user))),
              "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1280\r\nY=1024\r\nDepth=32\r\n");
    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
}

TEST_F(RealDisplay, AFirstModeFromTheWizardThatIsRevertedBringsTheWizardBackAtTheNextStart) {
    std::string user;
    ASSERT_TRUE(common::Win32Services().GetUserNameA(user));
    const std::string profile = ProfileFile(common::AsciiUpper(user));
    const std::string newUser = "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n";
    WriteProfile(common::AsciiUpper(user), newUser);
    FakeWizard::action = [&] {
        common::IniFile chosen(profile);
        chosen.WriteInteger("Screen", "X", 800);
        chosen.WriteInteger("Screen", "Y", 600);
        chosen.WriteInteger("Screen", "Depth", 16);
    };
    CreateHost();
    StartUp();
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 800);
    ASSERT_NE(host->Question(), nullptr);
    SendMessageA(host->Question()->Find("Button2").Handle(), BM_CLICK, 0, 0);  // "Revert"
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(FileText(profile), newUser);

    host->Find<ui::TMenuItem>("Exit1").Click();
    ui::App().Reset();
    FakeWizard::action = nullptr;
    CreateHost();
    StartUp();
    EXPECT_EQ(FakeWizard::shows, 1);
    host->Find<ui::TMenuItem>("Exit1").Click();
}

}  // namespace
}  // namespace traytest
