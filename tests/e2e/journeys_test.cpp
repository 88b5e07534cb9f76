// User journeys: the real Quorvex.exe and Fetchwell.exe in the Wine desktop, driven from outside.
// run_journeys.sh runs this program inside a private network namespace with its own desktop, and
// runs the second-user journey once more under another user name.
#include "driver.h"
#include "support/ui_test_support.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace e2e {
namespace {

const char kNewUserProfile[] = "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n";

std::string SharedDirectory() { return NewProgramDirectory("shared"); }

void Screenshot(const std::string& name) { uitest::SaveScreenshot(GetDesktopWindow(), name); }

// Closes Quorvex the way the session end does, and waits for it to go.
void EndThroughSessionEnd(Process& quorvex, HWND host) {
    SendMessageA(host, WM_QUERYENDSESSION, 0, 0);
    SendMessageA(host, WM_ENDSESSION, TRUE, 0);
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "TQvApplication", nullptr));) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == quorvex.Id()) SendMessageA(w, WM_ENDSESSION, TRUE, 0);
    }
    quorvex.WaitExit(10000);
}

std::string VersionLabel(HWND host) {
    // The only visible label of the splash.
    for (HWND label : Controls(host, "Static")) return Text(label);
    return "";
}

TEST(Journey, FirstStartOfANewUserThroughTheManualWizard) {
    ASSERT_EQ(ScreenWidth(), 1024);
    const std::string dir = SharedDirectory();
    Process quorvex(dir + "Quorvex.exe", dir);
    HWND host = WaitWindow("Tresolution", quorvex.Id());
    ASSERT_NE(host, nullptr);
    EXPECT_EQ(VersionLabel(host), "Loading...");

    HWND wizard = WaitWindow("Twizard", quorvex.Id());
    ASSERT_NE(wizard, nullptr);
    Screenshot("journey1-wizard-start");
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Manual configuration (you'll be able to enter your desired settings)"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return !Controls(wizard, "msctls_trackbar32").empty(); }, 5000));
    SendMessageA(Controls(wizard, "msctls_trackbar32")[0], TBM_SETPOS, TRUE, 2);  // 800 x 600
    ASSERT_TRUE(Click(wizard, "16 Bit - average number of colors"));
    ASSERT_TRUE(Click(wizard, "Test"));
    HWND box = WaitBox("Quorvex");
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(BoxText(box),
              "Selected display mode has passed the compatibility test. You can click on the \"Next\" button now.");
    PressOk(box);
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next Step"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return FindControl(wizard, "Button", "Finish") != nullptr; }, 5000));
    Screenshot("journey1-wizard-finish");
    ASSERT_TRUE(Click(wizard, "Finish"));

    // The screen really switches, the popup reports it, the version shows.
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800 && ScreenHeight() == 600; }, 10000));
    HWND popup = WaitWindow("Tagent", quorvex.Id(), 5000);
    ASSERT_NE(popup, nullptr);
    EXPECT_NE(FindControl(popup, "Static", "Screen resolution was changed successfully."), nullptr);
    EXPECT_TRUE(WaitFor([&] { return VersionLabel(host) == "2.0"; }, 5000));
    Screenshot("journey1-popup");

    // 3.5 s later the splash goes; the program lives on in the tray.
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(host); }, 8000));
    EXPECT_TRUE(quorvex.Running());
    EXPECT_EQ(FileText(dir + "Users\\" + UserName()),
              std::string(kNewUserProfile) + "X=800\r\nY=600\r\nDepth=16\r\n");
    EXPECT_EQ(FileText(dir + "version.txt"), "[Quorvex]\r\nupdate=1\r\n");

    EndThroughSessionEnd(quorvex, host);
    EXPECT_FALSE(quorvex.Running());
    EXPECT_EQ(ScreenWidth(), 1024);
}

// Run as another Windows user by run_journeys.sh, after the journey above.
TEST(Journey, SecondUserChoosesAutomaticMediumResolution) {
    if (UserName() == "ROOT") GTEST_SKIP() << "runs under another user name";
    const std::string dir = SharedDirectory();
    Process quorvex(dir + "Quorvex.exe", dir);
    HWND wizard = WaitWindow("Twizard", quorvex.Id());
    ASSERT_NE(wizard, nullptr);
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next"); }, 5000));  // automatic is the default
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Type 2 - medium resolution."); }, 5000));
    ASSERT_TRUE(Click(wizard, "Next"));
    ASSERT_TRUE(WaitFor([&] { return FindControl(wizard, "Button", "Finish") != nullptr; }, 5000));
    EXPECT_NE(FindControl(wizard, "Static", "800x600"), nullptr);
    EXPECT_NE(FindControl(wizard, "Static", "32 Bit"), nullptr);
    ASSERT_TRUE(Click(wizard, "Finish"));
    EXPECT_TRUE(WaitFor([] { return ScreenWidth() == 800; }, 10000));
    HWND host = WaitWindow("Tresolution", quorvex.Id(), 2000);
    EXPECT_EQ(FileText(dir + "Users\\" + UserName()), std::string(kNewUserProfile) + "X=800\r\nY=600\r\nDepth=32\r\n");
    // The first user's profile is untouched.
    EXPECT_EQ(FileText(dir + "Users\\ROOT"), std::string(kNewUserProfile) + "X=800\r\nY=600\r\nDepth=16\r\n");
    EndThroughSessionEnd(quorvex, host);
    EXPECT_EQ(ScreenWidth(), 1024);
}

}  // namespace
}  // namespace e2e
