// Quorvex on a computer with several displays: a mode per display at start, each display's own
// natural mode at exit, and the Control Center's list of displays, with scripted displays.
#include "control_center_fixture.h"

#include "common/displays.h"

#include <windows.h>

#include <string>
#include <vector>

namespace screenstest {
namespace {

using Display = testsupport::ScriptedServices::Display;
using Call = testsupport::ScriptedServices::DisplayCall;

const char kSecond[] = "\\\\.\\DISPLAY2";
const char kThird[] = "\\\\.\\DISPLAY3";
const char kSecondSection[] = "Display MONITOR\\Second";
const char kThirdSection[] = "Display \\\\.\\DISPLAY3";  // an adapter that lists no monitor

class SeveralDisplaysTest : public ControlCenterTest {
protected:
    // Primary 1600 x 1200 at 60 Hz; the second 1280 x 1024 at 75 Hz; the third (no monitor listed)
    // 1024 x 768, attached or not.
    void ScriptDisplays(bool thirdAttached, bool secondRefusesRates = false) {
        services.followChanges = true;
        services.currentMode = services.registryMode = Mode(1600, 1200, 32, 60);
        services.displayModes = {Mode(1024, 768, 32, 60), Mode(1600, 1200, 32, 60)};
        Display second{kSecond, "MONITOR\\Second", false, true,
                       {Mode(800, 600, 32, 75), Mode(1024, 768, 32, 75), Mode(1280, 1024, 32, 75)}};
        second.current = second.registry = Mode(1280, 1024, 32, 75);
        second.refusesRates = secondRefusesRates;
        Display third{kThird, "", false, thirdAttached, {Mode(640, 480, 16, 60), Mode(1024, 768, 16, 60)}};
        third.current = third.registry = Mode(1024, 768, 16, 60);
        services.displays = {{"\\\\.\\DISPLAY1", "MONITOR\\First", true, true}, second, third};
    }
    // The changes (tests aside) made with a device name, as "device WxH@Hz flags".
    std::vector<std::string> DeviceChanges() const {
        std::vector<std::string> seen;
        for (const Call& call : services.displayCalls) {
            if (!call.ex || (call.flags & CDS_TEST)) continue;
            std::string text = call.device + " ";
            text += call.hasMode ? std::to_string(call.mode.dmPelsWidth) + "x" + std::to_string(call.mode.dmPelsHeight)
                                   : "registry";
            if (call.hasMode && (call.mode.dmFields & DM_DISPLAYFREQUENCY))
                text += "@" + std::to_string(call.mode.dmDisplayFrequency);
            seen.push_back(text);
        }
        return seen;
    }
    const Display& Other(size_t index) const { return (*services.displays)[index]; }
};

// Each attached display gets its stored mode at start, a stored display that is not attached is
// passed over, and Exit gives every changed display its own natural mode (its own refresh rate;
// without one when the display refuses it), never a change of the primary display in its place.
TEST_F(SeveralDisplaysTest, StartAndExitGiveEachDisplayItsOwnModes) {
    struct Case {
        const char* name;
        bool thirdAttached, refusesRates;
        std::vector<std::string> atStart, atExit;
    };
    const std::string stored = std::string(kModeProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n[" + kSecondSection +
                               "]\r\nX=800\r\nY=600\r\nDepth=32\r\n[" + kThirdSection + "]\r\nX=640\r\nY=480\r\nDepth=16\r\n";
    const Case cases[] = {
        {"three attached", true, false, {"\\\\.\\DISPLAY2 800x600@75", "\\\\.\\DISPLAY3 640x480@60"},
         {"\\\\.\\DISPLAY2 1280x1024@75", "\\\\.\\DISPLAY3 1024x768@60"}},
        {"the third detached", false, false, {"\\\\.\\DISPLAY2 800x600@75"}, {"\\\\.\\DISPLAY2 1280x1024@75"}},
        {"rates refused", false, true, {"\\\\.\\DISPLAY2 800x600@75", "\\\\.\\DISPLAY2 800x600"},
         {"\\\\.\\DISPLAY2 1280x1024@75", "\\\\.\\DISPLAY2 1280x1024"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ui::App().Reset();
        ScriptDisplays(c.thirdAttached, c.refusesRates);
        services.displayCalls.clear();
        WriteProfile("JOHN", stored);
        CreateHost();
        StartUp();
        EXPECT_EQ(DeviceChanges(), c.atStart);
        EXPECT_EQ(services.currentMode->dmPelsWidth, 1024u);  // the primary's own stored mode
        EXPECT_EQ(Other(1).current->dmPelsWidth, 800u);
        EXPECT_EQ(Other(2).current->dmPelsWidth, c.thirdAttached ? 640u : 1024u);
        EXPECT_EQ(host->HeldOtherDisplays().size(), c.thirdAttached ? 2u : 1u);

        services.displayCalls.clear();
        host->Find<ui::TMenuItem>("Exit1").Click();
        EXPECT_EQ(DeviceChanges(), c.atExit);
        ASSERT_FALSE(services.displayCalls.empty());
        EXPECT_FALSE(services.displayCalls.back().hasMode);  // then the primary, as on one display
        EXPECT_EQ(Other(1).current->dmPelsWidth, 1280u);
        EXPECT_TRUE(services.messages.empty());
    }
}

// An old profile knows the primary display only: the other displays are left as they are, and
// each one's natural mode is recorded in a section of its own.
TEST_F(SeveralDisplaysTest, AnOldProfileChangesOnlyThePrimaryDisplay) {
    ScriptDisplays(true);
    WriteProfile("JOHN", std::string(kModeProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n");
    CreateHost();
    StartUp();
    EXPECT_EQ(DeviceChanges(), std::vector<std::string>{});
    EXPECT_EQ(FileText(ProfileFile("JOHN")),
              "[Screen]\r\noldX=1600\r\noldY=1200\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n[" +
                  std::string(kSecondSection) + "]\r\noldX=1280\r\noldY=1024\r\noldDepth=32\r\n[" + kThirdSection +
                  "]\r\noldX=1024\r\noldY=768\r\noldDepth=16\r\n");
}

// The list names the attached displays; the chosen one's modes, stored choice and current settings
// fill the window, and "Apply settings" stores and changes that display alone, with a question whose
// "Revert" puts back only that display.
TEST_F(SeveralDisplaysTest, TheControlCenterSetsTheChosenDisplayAlone) {
    ScriptDisplays(false);
    services.messageAnswers.clear();
    screens::Tmain& center = StartAndOpen(std::string(kModeProfile) + "X=1600\r\nY=1200\r\nDepth=32\r\n[" +
                                          kSecondSection + "]\r\nX=1024\r\nY=768\r\nDepth=32\r\n");
    auto& list = center.Find<ui::TComboBox>("mainDisplay");
    ASSERT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Item(0), "1. Primary - 1600 x 1200");
    EXPECT_EQ(list.Item(1), "2. 1024 x 768");  // its stored mode was applied at start
    EXPECT_EQ(Text(center, "mainX"), "1600");
    EXPECT_EQ(Text(center, "Label19"), "1600x1200");

    list.Choose(1);
    EXPECT_EQ(Text(center, "mainX"), "1024");
    EXPECT_EQ(Text(center, "Label18"), "800x600");
    EXPECT_EQ(Text(center, "Label19"), "1280x1024");
    EXPECT_EQ(Text(center, "mainResolutionDesc"), "1024x768");
    // For people to look at: the window with the second display chosen, and its list open.
    uitest::PumpUntil([] { return false; }, 300);
    uitest::SaveScreenshot(center.Handle(), "control_center_several_displays");
    SendMessageA(list.Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    uitest::PumpUntil([] { return false; }, 300);
    uitest::SaveScreenshot(GetDesktopWindow(), "control_center_several_displays-list");
    SendMessageA(list.Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    MoveSlider(center, 1);
    services.displayCalls.clear();
    Press(center, "Button1");
    EXPECT_EQ(DeviceChanges(), std::vector<std::string>{"\\\\.\\DISPLAY2 800x600@75"});
    EXPECT_EQ(services.currentMode->dmPelsWidth, 1600u);
    const std::string profile = FileText(ProfileFile("JOHN"));
    EXPECT_NE(profile.find("[Screen]\r\noldX=1600\r\noldY=1200\r\noldDepth=32\r\nX=1600\r\n"), std::string::npos);
    EXPECT_NE(profile.find(std::string(kSecondSection) + "]\r\nX=800\r\nY=600\r\nDepth=32\r\noldX=1280\r\n"),
              std::string::npos);

    ASSERT_NE(host->Question(), nullptr);
    services.displayCalls.clear();
    host->Question()->Settle(tray::Tconfirm::Answer::Revert);
    EXPECT_EQ(DeviceChanges(), std::vector<std::string>{"\\\\.\\DISPLAY2 1024x768@75"});
    EXPECT_EQ(Other(1).current->dmPelsWidth, 1024u);
    EXPECT_NE(FileText(ProfileFile("JOHN")).find("X=1024\r\nY=768\r\n"), std::string::npos);
}

// A display attached while Quorvex runs gets its stored mode once the desktop has settled; a display
// change that attaches none sets no timer.
TEST_F(SeveralDisplaysTest, ADisplayAttachedWhileRunningGetsItsStoredMode) {
    ScriptDisplays(false);
    WriteProfile("JOHN", std::string(kModeProfile) + "X=1600\r\nY=1200\r\nDepth=32\r\n[" + kThirdSection +
                             "]\r\nX=640\r\nY=480\r\nDepth=16\r\n");
    CreateHost();
    StartUp();
    services.displayCalls.clear();
    SendMessageA(host->Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1600, 1200));
    EXPECT_FALSE(KillTimer(host->Handle(), tray::Tresolution::kSettleTimer));
    (*services.displays)[2].attached = true;
    SendMessageA(host->Handle(), WM_DISPLAYCHANGE, 32, MAKELPARAM(1600, 1200));
    EXPECT_TRUE(DeviceChanges().empty());  // not before the desktop settled
    uitest::PumpUntil([&] { return !DeviceChanges().empty(); }, 4000);
    EXPECT_EQ(DeviceChanges(), std::vector<std::string>{"\\\\.\\DISPLAY3 640x480@60"});
    EXPECT_EQ(host->HeldOtherDisplays().count(kThird), 1u);
}

// "/mode WxH /display N" and the tray menu's submenu of each other display switch that display alone,
// for a while; a display that is not attached is no number.
TEST_F(SeveralDisplaysTest, TheCommandLineAndTheTrayMenuReachEachDisplay) {
    ScriptDisplays(false);
    WriteProfile("JOHN", std::string(kModeProfile) + "X=1600\r\nY=1200\r\nDepth=32\r\n");
    CreateHost();
    StartUp();
    services.displayCalls.clear();
    EXPECT_EQ(host->RunModeCommand(tray::ParseModeCommand("/mode 1024x768 /display 2")), tray::kModeSwitched);
    EXPECT_EQ(DeviceChanges(), std::vector<std::string>{"\\\\.\\DISPLAY2 1024x768@75"});
    EXPECT_EQ(services.currentMode->dmPelsWidth, 1600u);
    EXPECT_EQ(host->RunModeCommand(tray::ParseModeCommand("/mode 1024x768 /display 3")), tray::kModeBadArgument);
    EXPECT_EQ(host->RunModeCommand(tray::ParseModeCommand("/mode 1600x1200 /display 2")), tray::kModeBadArgument);

    host->Displaymode1Popup();
    auto& menu = host->Find<ui::TMenuItem>("Displaymode1");
    ASSERT_FALSE(menu.Items().empty());
    ui::TMenuItem& second = *menu.Items().back();
    EXPECT_EQ(second.Caption(), "Display 2 (1024 x 768)");
    std::vector<std::string> sizes;
    for (const auto& item : second.Items()) sizes.push_back(item->Caption());
    EXPECT_EQ(sizes, (std::vector<std::string>{"1280 x 1024", "1024 x 768", "800 x 600"}));
    services.displayCalls.clear();
    second.Items().back()->Click();
    EXPECT_EQ(DeviceChanges(), std::vector<std::string>{"\\\\.\\DISPLAY2 800x600@75"});
    ASSERT_NE(host->Question(), nullptr);
    services.displayCalls.clear();
    host->Question()->Settle(tray::Tconfirm::Answer::Revert);
    EXPECT_EQ(DeviceChanges(), std::vector<std::string>{"\\\\.\\DISPLAY2 1024x768@75"});
    EXPECT_EQ(services.currentMode->dmPelsWidth, 1600u);
}

}  // namespace
}  // namespace screenstest
