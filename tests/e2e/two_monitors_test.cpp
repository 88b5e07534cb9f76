// Quorvex on two real monitors: an X server with the dummy driver gives Wine (without a virtual
// desktop) two outputs, 1600 x 1200 and 1280 x 1024. Started by run_two_monitors.sh, which sets the
// X server up; elsewhere these tests are skipped. Each mode is read from Wine and from xrandr.
#include "driver.h"
#include "support/ui_test_support.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <commctrl.h>
#include <cstdlib>
#include <utility>
#include <vector>
#include <string>

namespace e2e {
namespace {

const char kPrimary[] = "\\\\.\\DISPLAY1";
const char kSecond[] = "\\\\.\\DISPLAY2";

bool TwoMonitors() { return std::getenv("QV_TWO_MONITORS") != nullptr; }

struct MonitorOf {
    const char* device;
    std::string mode;
};

BOOL CALLBACK FindMonitorMode(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    auto* found = reinterpret_cast<MonitorOf*>(param);
    MONITORINFOEXA info{};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoA(monitor, &info) || lstrcmpiA(info.szDevice, found->device) != 0) return TRUE;
    const RECT& r = info.rcMonitor;
    found->mode = std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
    return FALSE;
}

// "WxH" of a display as the programs' desktop shows it now: its monitor's rectangle; "" when it is
// off. (32-bit Wine 8 keeps answering EnumDisplaySettingsA(ENUM_CURRENT_SETTINGS) in a process that
// is running with the mode it saw first, when another process changes it; the monitors follow.)
std::string WineMode(const char* device) {
    MonitorOf found{device, ""};
    EnumDisplayMonitors(nullptr, nullptr, FindMonitorMode, reinterpret_cast<LPARAM>(&found));
    return found.mode;
}

// The X side: the run script keeps QV_XRANDR_FILE up to date with `xrandr` whenever
// QV_XRANDR_ASK is touched; the size of output `name` ("DUMMY0") there, "" when it is off.
std::string XrandrMode(const std::string& name) {
    const std::string ask = std::getenv("QV_XRANDR_ASK"), answer = std::getenv("QV_XRANDR_FILE");
    DeleteFileA(answer.c_str());
    WriteFile(ask, "?");
    if (!WaitFor([&] { return GetFileAttributesA(answer.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000)) return "no answer";
    Sleep(100);
    const std::string text = FileText(answer);
    const size_t line = text.find(name + " connected");
    if (line == std::string::npos) return "";
    const size_t end = text.find('\n', line);
    const std::string head = text.substr(line, end - line);
    // "DUMMY1 connected 1280x1024+1600+0 (normal ...": the size before the position.
    const size_t plus = head.find('+');
    if (plus == std::string::npos) return "";
    const size_t start = head.rfind(' ', plus) + 1;
    return head.substr(start, plus - start);
}

std::string Identity(const char* device) {
    DISPLAY_DEVICEA monitor{};
    monitor.cb = sizeof(monitor);
    if (EnumDisplayDevicesA(device, 0, &monitor, 0) && monitor.DeviceID[0]) return monitor.DeviceID;
    return device;
}

bool ModesAre(const std::string& primary, const std::string& second, int ms = 15000) {
    return WaitFor([&] { return WineMode(kPrimary) == primary && WineMode(kSecond) == second; }, ms);
}

// Asked first by the run script: whether Wine sees both outputs as attached displays.
TEST(TwoMonitorsProbe, WineSeesTwoAttachedDisplays) {
    if (!TwoMonitors()) GTEST_SKIP() << "needs run_two_monitors.sh";
    int attached = 0;
    DISPLAY_DEVICEA device{};
    device.cb = sizeof(device);
    for (DWORD i = 0; EnumDisplayDevicesA(nullptr, i, &device, 0); ++i, device.cb = sizeof(device))
        if (device.StateFlags & DISPLAY_DEVICE_ATTACHED_TO_DESKTOP) ++attached;
    EXPECT_EQ(attached, 2) << "GetSystemMetrics(SM_CMONITORS) = " << GetSystemMetrics(SM_CMONITORS);
}

class TwoMonitorsTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!TwoMonitors()) GTEST_SKIP() << "needs run_two_monitors.sh";
        ASSERT_EQ(WineMode(kPrimary), "1600x1200");
    }
    void StartQuorvex(const std::string& name, const std::string& profile) {
        dir_ = NewProgramDirectory(name);
        CreateDirectoryA((dir_ + "Users").c_str(), nullptr);
        WriteFile(dir_ + "Users\\" + UserName(), profile);
        quorvex_ = Process(dir_ + "Quorvex.exe", dir_);
    }
    // Ends Quorvex as "Exit" does: its host form closes.
    void ExitQuorvex() {
        const std::vector<HWND> hosts = WindowsOf("Tresolution", quorvex_.Id());
        ASSERT_FALSE(hosts.empty());
        PostMessageA(hosts.front(), WM_CLOSE, 0, 0);
        EXPECT_EQ(quorvex_.WaitExit(15000), 0);
    }
    std::string dir_;
    Process quorvex_;
};

TEST_F(TwoMonitorsTest, EachDisplayGetsItsStoredModeAtStartAndItsNaturalOneAtExit) {
    ASSERT_EQ(WineMode(kSecond), "1280x1024");
    StartQuorvex("both", "[Screen]\r\nX=1024\r\nY=768\r\nDepth=32\r\n[Display " + Identity(kSecond) +
                             "]\r\nX=800\r\nY=600\r\nDepth=32\r\n");
    EXPECT_TRUE(ModesAre("1024x768", "800x600")) << WineMode(kPrimary) << " " << WineMode(kSecond);
    EXPECT_EQ(XrandrMode("DUMMY0"), "1024x768");
    EXPECT_EQ(XrandrMode("DUMMY1"), "800x600");
    ExitQuorvex();
    EXPECT_TRUE(ModesAre("1600x1200", "1280x1024")) << WineMode(kPrimary) << " " << WineMode(kSecond);
    EXPECT_EQ(XrandrMode("DUMMY0"), "1600x1200");
    EXPECT_EQ(XrandrMode("DUMMY1"), "1280x1024");
}

// The slider position of width x height among the sizes the display lists, as the Control Center
// orders them (by width, then height).
int SliderPosition(const char* device, DWORD width, DWORD height) {
    std::vector<std::pair<DWORD, DWORD>> sizes;
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    for (DWORD i = 0; EnumDisplaySettingsA(device, i, &mode); ++i) {
        const DWORD depth = mode.dmBitsPerPel;
        if (mode.dmPelsWidth < 640 || mode.dmPelsHeight < 480 || (depth != 8 && depth != 16 && depth != 32)) continue;
        const std::pair<DWORD, DWORD> size{mode.dmPelsWidth, mode.dmPelsHeight};
        if (std::find(sizes.begin(), sizes.end(), size) == sizes.end()) sizes.push_back(size);
    }
    std::sort(sizes.begin(), sizes.end());
    const auto at = std::find(sizes.begin(), sizes.end(), std::pair<DWORD, DWORD>{width, height});
    return at == sizes.end() ? 0 : static_cast<int>(at - sizes.begin()) + 1;
}

TEST_F(TwoMonitorsTest, TheControlCenterChangesOnlyTheChosenDisplay) {
    StartQuorvex("center", "[Screen]\r\nX=1600\r\nY=1200\r\nDepth=32\r\n");
    ASSERT_TRUE(ModesAre("1600x1200", "1280x1024"));
    // "Open Control Center": the tray menu as a right click on the icon opens it, then its first item.
    // A shell that took the icon's version sends WM_CONTEXTMENU after the button's release, and only
    // that opens the menu; an older one sends the release alone.
    ASSERT_TRUE(WaitFor([&] { return !WindowsOf("TQvUtilWindow", quorvex_.Id()).empty(); }, 10000));
    Sleep(1000);
    HWND menu = nullptr;
    const auto menuOpen = [&] { return (menu = FindWindowA("#32768", nullptr)) && IsWindowVisible(menu); };
    for (const LPARAM event : {WM_RBUTTONUP, WM_CONTEXTMENU}) {
        for (HWND window : WindowsOf("TQvUtilWindow", quorvex_.Id())) PostMessageA(window, WM_USER + 211, 0, event);
        if (WaitFor(menuOpen, 2500)) break;
    }
    ASSERT_TRUE(menuOpen());
    Sleep(150);
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    HWND center = WaitWindow("Tmain", quorvex_.Id());
    ASSERT_NE(center, nullptr);
    const std::vector<HWND> lists = Controls(center, "ComboBox");
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(SendMessageA(lists[0], CB_GETCOUNT, 0, 0), 2);
    SendMessageA(lists[0], CB_SHOWDROPDOWN, TRUE, 0);
    Screenshot("two_monitors/control_center_display_list");
    SendMessageA(lists[0], CB_SHOWDROPDOWN, FALSE, 0);

    SendMessageA(lists[0], CB_SETCURSEL, 1, 0);
    SendMessageA(GetParent(lists[0]), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(lists[0]), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(lists[0]));
    const int position = SliderPosition(kSecond, 1024, 768);
    ASSERT_GT(position, 0);
    const std::vector<HWND> sliders = Controls(center, "msctls_trackbar32");
    ASSERT_EQ(sliders.size(), 1u);
    SendMessageA(sliders[0], TBM_SETPOS, TRUE, position);
    EXPECT_TRUE(FindControl(center, "Static", "1024x768"));
    Screenshot("two_monitors/control_center_second_display");
    ASSERT_TRUE(Click(center, "Apply settings"));
    HWND question = WaitWindow("Tconfirm", quorvex_.Id());
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(ModesAre("1600x1200", "1024x768")) << WineMode(kPrimary) << " " << WineMode(kSecond);
    ASSERT_TRUE(Click(question, "Keep settings"));
    Sleep(1000);
    EXPECT_EQ(WineMode(kPrimary), "1600x1200");
    EXPECT_EQ(WineMode(kSecond), "1024x768");
    EXPECT_EQ(XrandrMode("DUMMY0"), "1600x1200");
    EXPECT_EQ(XrandrMode("DUMMY1"), "1024x768");
    const std::string profile = FileText(dir_ + "Users\\" + UserName());
    EXPECT_NE(profile.find("[Display " + Identity(kSecond) + "]"), std::string::npos) << profile;
    ExitQuorvex();
    EXPECT_TRUE(ModesAre("1600x1200", "1280x1024"));
}

// Run last: the second output is switched off by the run script when QV_SECOND_OFF is asked for.
TEST_F(TwoMonitorsTest, WithTheSecondOutputOffOnlyThePrimaryModeIsApplied) {
    const std::string off = std::getenv("QV_XRANDR_OFF");
    WriteFile(off, "?");
    ASSERT_TRUE(WaitFor([&] { return WineMode(kSecond).empty(); }, 15000)) << WineMode(kSecond);
    StartQuorvex("single", "[Screen]\r\nX=1024\r\nY=768\r\nDepth=32\r\n[Display " + Identity(kSecond) +
                               "]\r\nX=800\r\nY=600\r\nDepth=32\r\n");
    EXPECT_TRUE(WaitFor([&] { return WineMode(kPrimary) == "1024x768"; }, 15000)) << WineMode(kPrimary);
    EXPECT_EQ(XrandrMode("DUMMY0"), "1024x768");
    EXPECT_EQ(XrandrMode("DUMMY1"), "");
    // Started without a box: none of Quorvex's windows is a message box.
    Sleep(1500);
    EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);
    ExitQuorvex();
    EXPECT_TRUE(WaitFor([&] { return WineMode(kPrimary) == "1600x1200"; }, 15000));
}

}  // namespace
}  // namespace e2e
