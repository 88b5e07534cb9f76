// The Control Center: what its first activation shows, the slider and depth choice, "Apply
// settings", and the buttons that open other things.
#include "control_center_fixture.h"

#include "common/policies.h"
#include "support/scratch_registry.h"

#include <fstream>
#include <tuple>

namespace screenstest {
namespace {

struct Opening {
    const char* profileKeys;
    int position;
    const char* text;
    const char* depth;
};

TEST_F(ControlCenterTest, TheStoredModeSetsTheSliderAndTheDepth) {
    const Opening openings[] = {
        {"X=640\r\nY=480\r\nDepth=8\r\n", 1, "640x480", "b8"},
        {"X=800\r\nY=600\r\nDepth=16\r\n", 2, "800x600", "b16"},
        {"X=1024\r\nY=768\r\nDepth=32\r\n", 3, "1024x768", "b32"},
        {"X=1280\r\nY=1024\r\nDepth=32\r\n", 4, "1280x1024", "b32"},
        {"X=1600\r\nY=1200\r\nDepth=16\r\n", 5, "1600x1200", "b16"},
        {"X=1152\r\nY=864\r\nDepth=24\r\n", 3, "1024x768", "b16"},  // not the slider's own: the middle
        {"X=1280\r\nY=0\r\nDepth=64\r\n", 4, "1280x1024", "b16"},    // Y is never read
        {"", 3, "1024x768", "b16"},                                 // no mode stored
    };
    for (const Opening& o : openings) {
        SCOPED_TRACE(o.profileKeys);
        ui::App().Reset();
        auto& center = StartAndOpen(std::string(kModeProfile) + o.profileKeys);
        EXPECT_EQ(Slider(center), o.position);
        EXPECT_EQ(Text(center, "mainResolutionDesc"), o.text);
        EXPECT_EQ(CheckedDepth(center), o.depth);
    }
}

struct ListedOpening {
    const char* profileKeys;
    int position;
    const char* text;
    const char* depth;
    const char* enabled;  // of b8, b16, b32
};

TEST_F(ControlCenterTest, TheDisplaysOwnSizesAndDepthsAreOffered) {
    // Out of order, repeated, too small, or at a depth the screens do not offer, as drivers list them.
    const std::vector<DEVMODEA> listed = {
        Mode(1366, 768, 32, 60), Mode(640, 400, 32, 60), Mode(1024, 768, 32, 60), Mode(1920, 1080, 32, 60),
        Mode(1280, 1024, 24, 60), Mode(1024, 768, 8, 60),  Mode(1366, 768, 16, 60), Mode(800, 600, 32, 75),
        Mode(1024, 768, 16, 60),  Mode(320, 240, 8, 60),  Mode(1366, 768, 32, 75),
    };
    const ListedOpening openings[] = {
        {"X=1366\r\nY=768\r\nDepth=16\r\n", 3, "1366x768", "b16", "b16 b32"},
        {"X=1366\r\nY=768\r\nDepth=8\r\n", 3, "1366x768", "b32", "b16 b32"},    // 8 bits not offered: the highest
        {"X=1280\r\nY=1024\r\nDepth=32\r\n", 3, "1366x768", "b32", "b16 b32"},  // not listed: the nearest
        {"X=2560\r\nY=1440\r\nDepth=16\r\n", 4, "1920x1080", "b32", "b32"},
        {"X=640\r\nY=480\r\nDepth=8\r\n", 1, "800x600", "b32", "b32"},
        {"", 2, "1024x768", "b32", "b8 b16 b32"},  // no stored mode: the screen's own
    };
    for (const ListedOpening& o : openings) {
        SCOPED_TRACE(o.profileKeys);
        ui::App().Reset();
        services.displayModes = listed;
        services.currentMode = Mode(1024, 768, 32, 60);
        auto& center = StartAndOpen(std::string(kModeProfile) + o.profileKeys);
        EXPECT_EQ(SendMessageA(Control(center, "mainResolution"), TBM_GETRANGEMAX, 0, 0), 4);
        EXPECT_EQ(Text(center, "Label18"), "800x600");
        EXPECT_EQ(Text(center, "Label19"), "1920x1080");
        EXPECT_EQ(Slider(center), o.position);
        EXPECT_EQ(Text(center, "mainResolutionDesc"), o.text);
        EXPECT_EQ(CheckedDepth(center), o.depth);
        std::string enabled;
        for (const char* name : {"b8", "b16", "b32", "b64"})
            if (IsWindowEnabled(Control(center, name))) enabled += enabled.empty() ? name : std::string(" ") + name;
        EXPECT_EQ(enabled, o.enabled);
    }

    // Choosing 1366 x 768 at 16 bits keeps the screen's 60 Hz, which the display lists for it; the
    // profile keeps the size and the depth only.
    auto& center = Open();
    MoveSlider(center, 3);
    Press(center, "b16");
    services.displayCalls.clear();
    Press(center, "Button1");
    ASSERT_EQ(services.displayCalls.size(), 2u);
    for (const auto& call : services.displayCalls) {
        EXPECT_EQ(call.mode.dmPelsWidth, 1366u);
        EXPECT_EQ(call.mode.dmFields, static_cast<DWORD>(DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT |
                                                         DM_DISPLAYFREQUENCY));
        EXPECT_EQ(call.mode.dmDisplayFrequency, 60u);
    }
    EXPECT_EQ(FileText(ProfileFile("JOHN")), std::string(kModeProfile) + "X=1366\r\nY=768\r\nDepth=16\r\n");

    // 800 x 600 comes at 75 Hz only: the system chooses the rate. Its one depth is checked.
    auto& next = Open();
    MoveSlider(next, 1);
    EXPECT_EQ(CheckedDepth(next), "b32");
    services.displayCalls.clear();
    Press(next, "Button1");
    ASSERT_FALSE(services.displayCalls.empty());
    EXPECT_EQ(services.displayCalls.back().mode.dmPelsWidth, 800u);
    EXPECT_EQ(services.displayCalls.back().mode.dmFields, static_cast<DWORD>(DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT));
    EXPECT_EQ(services.displayCalls.back().mode.dmDisplayFrequency, 0u);
}

// A locked mode: the administrator's at the start, the user's own kept in the profile for when the
// lock goes, nothing to choose in the Control Center; updates off in the window and the tray menu.
TEST_F(ControlCenterTest, TheAdministratorsLockAndUpdateSwitch) {
    const testsupport::ScratchRegistry registry;
    for (const auto& [name, value] : {std::pair{"Width", 800}, {"Height", 600}, {"Depth", 16}})
        registry.SetDword(true, common::kPolicyKey, name, value);
    registry.SetDword(false, common::kPolicyKey, "LockMode", 1);
    registry.SetDword(false, common::kPolicyKey, "DisableUpdates", 1);
    const std::string profile = std::string(kModeProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n";
    auto& center = StartAndOpen(profile);
    ASSERT_EQ(services.displayCalls.size(), 2u);
    EXPECT_EQ(services.displayCalls[1].mode.dmPelsWidth, 800u);
    EXPECT_EQ(FileText(ProfileFile("JOHN")), profile);
    for (const char* name : {"mainResolution", "b8", "b16", "b32", "Button1", "Button5", "mainUpdates"})
        EXPECT_FALSE(IsWindowEnabled(Control(center, name))) << name;
    EXPECT_EQ(SendMessageA(Control(center, "mainUpdates"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    EXPECT_EQ(Text(center, "mainResolutionDesc"), "800x600");  // the locked mode, not the profile's
    EXPECT_EQ(CheckedDepth(center), "b16");
    EXPECT_EQ(Text(center, "Label21"), "Your administrator set this display mode.");
    RECT line{}, box{};  // the line sizes itself to its text: whole inside its group box
    GetWindowRect(Control(center, "Label21"), &line);
    GetWindowRect(Control(center, "GroupBox2"), &box);
    EXPECT_LT(line.right, box.right);
    const UINT updates = host->Find<ui::TMenuItem>("Searchforupdates1").Id();
    EXPECT_NE(GetMenuState(host->Find<ui::TPopupMenu>("popup").Handle(), updates, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

// Quorvex's own update checks are the person's choice, kept in the profile as soon as it changes.
TEST_F(ControlCenterTest, TheAutomaticUpdateBoxIsThePersonsOwnSetting) {
    const std::string profile = std::string(kModeProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n";
    auto& center = StartAndOpen(profile + "[Updates]\r\nAutomatic=0\r\n");
    HWND box = Control(center, "mainUpdates");
    EXPECT_TRUE(IsWindowEnabled(box));
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(box, BM_CLICK, 0, 0);
    EXPECT_EQ(FileText(ProfileFile("JOHN")), profile + "[Updates]\r\nAutomatic=1\r\n");
}

TEST_F(ControlCenterTest, TheFirstActivationShowsTheUserAndTheScreenAndLaterOnesChangeNothing) {
    // The display's own settings: physical pixels, and 32 bits where COLORRES says 24; the scaled
    // metrics of a program that is not DPI-aware are not shown.
    DEVMODEA screen{};
    screen.dmPelsWidth = 1280;
    screen.dmPelsHeight = 1024;
    screen.dmBitsPerPel = 32;
    services.currentMode = screen;
    services.metrics[SM_CXSCREEN] = 1024;
    services.metrics[SM_CYSCREEN] = 819;
    services.deviceCaps[COLORRES] = 24;
    WriteProfile("JOHN", std::string(kModeProfile) + "X=800\r\nY=600\r\nDepth=8\r\n");
    CreateHost();
    auto& first = *static_cast<screens::Tmain*>(factories.controlCenter(*host, *host));
    EXPECT_EQ(Text(first, "mainUser"), "Gathering information...");
    EXPECT_EQ(Text(first, "mainX"), "Gathering info...");
    EXPECT_EQ(Text(first, "mainResolutionDesc"), "None. Use slider.");
    StartUp();

    auto& center = Open();
    EXPECT_EQ(Text(center, "mainUser"), "JOHN");
    EXPECT_EQ(Text(center, "mainX"), "1280");
    EXPECT_EQ(Text(center, "mainY"), "1024");
    EXPECT_EQ(Text(center, "mainDepth"), "32");
    // The values stand at the right edge of their 95-pixel boxes.
    EXPECT_EQ(center.Find("mainX").BoundsRect().right, 215);

    // The user moves the slider and picks 32 bits; the screen changes meanwhile. A Control Center
    // opened now shows the screen as it is; the first one, activated again, keeps both the user's
    // choice and its first values.
    MoveSlider(center, 5);
    Press(center, "b32");
    services.currentMode->dmPelsWidth = 640;
    EXPECT_EQ(Text(Open(), "mainX"), "640");
    SetActiveWindow(center.Handle());
    ui::App().ProcessMessages();
    EXPECT_EQ(GetActiveWindow(), center.Handle());
    EXPECT_EQ(Text(center, "mainX"), "1280");
    EXPECT_EQ(Slider(center), 5);
    EXPECT_EQ(CheckedDepth(center), "b32");
}

TEST_F(ControlCenterTest, TheSliderNamesItsPosition) {
    auto& center = StartAndOpen(kModeProfile);
    const char* texts[] = {"640x480", "800x600", "1024x768", "1280x1024", "1600x1200"};
    for (int position : {5, 1, 4, 2, 3}) {
        MoveSlider(center, position);
        EXPECT_EQ(Text(center, "mainResolutionDesc"), texts[position - 1]);
    }
    MoveSlider(center, 9);  // the bar keeps to its range
    EXPECT_EQ(Slider(center), 5);
    EXPECT_EQ(Text(center, "mainResolutionDesc"), "1600x1200");

    // Should the bar ever reach past its range, the text says so and "Apply settings" falls back
    // to 1024 x 768.
    center.Find<ui::TTrackBar>("mainResolution").SetRange(0, 6);
    MoveSlider(center, 6);
    EXPECT_EQ(Text(center, "mainResolutionDesc"), "Error occured!");
    Press(center, "Button1");
    common::IniFile profile(ProfileFile("JOHN"));
    EXPECT_EQ(profile.ReadInteger("Screen", "X", 0), 1024);
    EXPECT_EQ(profile.ReadInteger("Screen", "Y", 0), 768);
}

TEST_F(ControlCenterTest, ApplySettingsStoresTheModeInOrderAppliesItAndCloses) {
    auto& center = StartAndOpen(kModeProfile);  // the wizard left no mode
    HWND window = center.Handle();
    MoveSlider(center, 2);
    Press(center, "b8");
    services.displayCalls.clear();
    Press(center, "Button1");

    EXPECT_EQ(FileText(ProfileFile("JOHN")), std::string(kModeProfile) + "X=800\r\nY=600\r\nDepth=8\r\n");
    ASSERT_EQ(services.displayCalls.size(), 2u);
    EXPECT_EQ(services.displayCalls[1].flags, 0u);
    EXPECT_EQ(services.displayCalls[1].mode.dmPelsWidth, 800u);
    EXPECT_EQ(services.displayCalls[1].mode.dmPelsHeight, 600u);
    EXPECT_EQ(services.displayCalls[1].mode.dmBitsPerPel, 8u);
    EXPECT_EQ(Popups().back(), "Screen resolution was changed successfully.");
    EXPECT_FALSE(IsWindowVisible(window));
    ui::App().ProcessMessages();
    EXPECT_FALSE(IsWindow(window));
}

// Keys sent as a user's: to the control with the focus, through the loop and its dialog manager.
void PressKey(UINT key) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, key, 0);
    PostMessageA(focus, WM_KEYUP, key, 0xC0000000);
    uitest::PumpUntil([] { return false; }, 100);
}

TEST_F(ControlCenterTest, AChangeIsAskedAboutAndEscapeOrAnotherChangeRevertsIt) {
    services.currentMode = Mode(800, 600, 16, 60);
    services.registryMode = Mode(1024, 768, 32, 60);
    const std::string before = std::string(kModeProfile) + "X=800\r\nY=600\r\nDepth=16\r\n";
    auto& center = StartAndOpen(before);
    MoveSlider(center, 3);  // 1024 x 768
    Press(center, "b32");
    Press(center, "Button1");
    tray::Tconfirm* question = host->Question();
    ASSERT_NE(question, nullptr);
    HWND window = question->Handle();
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(question->Caption(), "Quorvex");
    EXPECT_EQ(Text(*question, "Label1"), "Keep these display settings?");
    EXPECT_EQ(Text(*question, "countdown"), "Reverting in 15 seconds.");
    EXPECT_EQ(Text(*question, "Button1"), "Keep settings");
    EXPECT_EQ(Text(*question, "Button2"), "Revert");
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(GetFocus(), Control(*question, "Button1"));
    EXPECT_EQ(GetActiveWindow(), window);

    // Escape answers "Revert": the screen's mode, with its rate, and the profile's come back.
    services.displayCalls.clear();
    PressKey(VK_ESCAPE);
    EXPECT_EQ(host->Question(), nullptr);
    ASSERT_EQ(services.displayCalls.size(), 1u);
    const auto& back = services.displayCalls[0];
    EXPECT_EQ(back.flags, 0u);
    EXPECT_EQ(std::make_tuple(back.mode.dmPelsWidth, back.mode.dmPelsHeight, back.mode.dmBitsPerPel,
                              back.mode.dmDisplayFrequency),
              std::make_tuple(800u, 600u, 16u, 60u));
    EXPECT_EQ(FileText(ProfileFile("JOHN")), before);
    EXPECT_EQ(Popups().back(), "The new display settings were reverted: the previous ones are back.");

    // A second change while the first is asked about reverts the first before it starts; Enter
    // keeps the second.
    auto& first = Open();
    MoveSlider(first, 3);
    Press(first, "Button1");
    auto& second = Open();
    MoveSlider(second, 5);  // 1600 x 1200
    Press(second, "b32");
    services.displayCalls.clear();
    Press(second, "Button1");
    ASSERT_EQ(services.displayCalls.size(), 3u);
    EXPECT_EQ(services.displayCalls[0].mode.dmPelsWidth, 800u);
    EXPECT_EQ(services.displayCalls[2].mode.dmPelsWidth, 1600u);
    ASSERT_NE(host->Question(), nullptr);
    PressKey(VK_RETURN);
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_EQ(services.displayCalls.size(), 3u);
    EXPECT_EQ(FileText(ProfileFile("JOHN")), std::string(kModeProfile) + "X=1600\r\nY=1200\r\nDepth=32\r\n");
}

TEST_F(ControlCenterTest, ApplyingUnchangedSettingsWritesThemAgain) {
    auto& center = StartAndOpen(std::string(kModeProfile) + "X=1280\r\nY=1\r\nDepth=32\r\n");
    Press(center, "Button1");
    common::IniFile profile(ProfileFile("JOHN"));
    EXPECT_EQ(profile.ReadInteger("Screen", "X", 0), 1280);
    EXPECT_EQ(profile.ReadInteger("Screen", "Y", 0), 1024);
    EXPECT_EQ(profile.ReadInteger("Screen", "Depth", 0), 32);
}

TEST_F(ControlCenterTest, AFailedDisplayChangeKeepsTheNewModeAndClosesAllTheSame) {
    auto& center = StartAndOpen(std::string(kModeProfile) + "X=800\r\nY=600\r\nDepth=16\r\n");
    HWND window = center.Handle();
    MoveSlider(center, 5);
    services.displayAnswers = {DISP_CHANGE_BADMODE};
    Press(center, "Button1");
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Selected display mode is not supported on this machine."});
    EXPECT_EQ(common::IniFile(ProfileFile("JOHN")).ReadInteger("Screen", "X", 0), 1600);
    EXPECT_FALSE(IsWindowVisible(window));
}

TEST_F(ControlCenterTest, SixtyFourBitsCanNeverBeChosen) {
    auto& center = StartAndOpen(std::string(kModeProfile) + "X=800\r\nY=600\r\nDepth=32\r\n");
    HWND b64 = Control(center, "b64");
    EXPECT_FALSE(IsWindowEnabled(b64));
    EXPECT_EQ(Text(center, "b64"), "64 Bit");
    // A click on it and the arrow keys from its neighbour leave it unchecked.
    SetForegroundWindow(center.Handle());
    RECT rect;
    GetWindowRect(b64, &rect);
    SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    mouse_event(MOUSEEVENTF_LEFTDOWN, 0, 0, 0, 0);
    mouse_event(MOUSEEVENTF_LEFTUP, 0, 0, 0, 0);
    uitest::PumpUntil([] { return false; }, 200);
    EXPECT_EQ(CheckedDepth(center), "b32");
    SetFocus(Control(center, "b32"));
    for (int i = 0; i < 3; ++i) {
        keybd_event(VK_RIGHT, 0, 0, 0);
        keybd_event(VK_RIGHT, 0, KEYEVENTF_KEYUP, 0);
        uitest::PumpUntil([] { return false; }, 100);
        EXPECT_NE(GetFocus(), b64);
        EXPECT_FALSE(Checked(center, "b64"));
    }

    // Even checked by force it is never read: the depth stays at 16.
    for (const char* name : {"b8", "b16", "b32"}) SendMessageA(Control(center, name), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageA(b64, BM_SETCHECK, BST_CHECKED, 0);
    Press(center, "Button1");
    EXPECT_EQ(common::IniFile(ProfileFile("JOHN")).ReadInteger("Screen", "Depth", 0), 16);
}

TEST_F(ControlCenterTest, AUsersFolderThatCannotBeMadeStopsTheActivation) {
    CreateHost();
    StartUp();
    DeleteFileA(ProfileFile("JOHN").c_str());
    RemoveDirectoryA((Dir() + "Users").c_str());
    std::ofstream(Dir() + "Users") << "in the way";

    auto& center = Open();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"I/O error 183."});
    EXPECT_EQ(Text(center, "mainUser"), "JOHN");
    EXPECT_EQ(Text(center, "mainX"), "Gathering info...");
    EXPECT_EQ(Text(center, "mainResolutionDesc"), "None. Use slider.");

    // "Apply settings" meets the same error instead of storing the mode nowhere.
    services.displayCalls.clear();
    Press(center, "Button1");
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"I/O error 183.", "I/O error 183."}));
    EXPECT_TRUE(services.displayCalls.empty());
    EXPECT_TRUE(center.Visible());
}

// A closed Control Center is destroyed; the current one is then the newest still open, or none.
TEST_F(ControlCenterTest, EachWindowsCloseButtonsCloseThatWindowForGood) {
    auto& first = StartAndOpen(kModeProfile);
    HWND firstWindow = first.Handle();
    auto& second = Open();
    ASSERT_NE(&first, &second);
    Press(first, "Button2");
    EXPECT_FALSE(IsWindowVisible(firstWindow));
    ui::App().ProcessMessages();
    EXPECT_FALSE(IsWindow(firstWindow));
    EXPECT_EQ(host->ControlCenter(), &second);
    EXPECT_TRUE(second.Visible());

    auto& third = Open();
    HWND thirdWindow = third.Handle();
    Press(third, "Button1");
    ui::App().ProcessMessages();
    EXPECT_FALSE(IsWindow(thirdWindow));
    EXPECT_EQ(host->ControlCenter(), &second);
    EXPECT_EQ(host->ControlCenters(), std::vector<ui::Form*>{&second});

    Press(second, "Button2");
    ui::App().ProcessMessages();
    EXPECT_EQ(host->ControlCenter(), nullptr);
    EXPECT_TRUE(host->ControlCenters().empty());
    services.shellCalls.clear();
    host->Find<ui::TMenuItem>("Help1").Click();  // with none open the manual still opens
    ASSERT_EQ(services.shellCalls.size(), 1u);
    EXPECT_EQ(services.shellCalls[0].file, Dir() + "readme.txt");
}

TEST_F(ControlCenterTest, HelpOpensTheReadmeOwnedByThisWindow) {
    auto& center = StartAndOpen(kModeProfile);
    Press(center, "Button3");
    ASSERT_EQ(services.shellCalls.size(), 1u);
    const auto& call = services.shellCalls[0];
    EXPECT_EQ(call.owner, center.Handle());
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, Dir() + "readme.txt");
    EXPECT_EQ(call.parameters, "");
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    EXPECT_TRUE(center.Visible());
}

TEST_F(ControlCenterTest, AboutOpensANewAboutScreenOwnedByThisWindowEachTime) {
    auto& center = StartAndOpen(kModeProfile);
    Press(center, "Button4");
    ui::Form* first = host->About();
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(GetWindow(first->Handle(), GW_OWNER), center.Handle());
    EXPECT_EQ(first->Find("wersja").Text(), "2.0");
    Press(center, "Button4");
    ui::Form* second = host->About();
    EXPECT_NE(second, first);
    EXPECT_TRUE(first->Visible());
    EXPECT_TRUE(second->Visible());

    // The Control Center closes: its About screens stay open, now owned by the host form.
    Press(center, "Button2");
    ui::App().ProcessMessages();
    EXPECT_EQ(host->ControlCenter(), nullptr);
    EXPECT_EQ(host->About(), second);
    EXPECT_TRUE(first->Visible());
    EXPECT_EQ(GetWindow(second->Handle(), GW_OWNER), host->Handle());
    HWND secondWindow = second->Handle();
    Press(*second, "Button1");
    ui::App().ProcessMessages();
    EXPECT_FALSE(IsWindow(secondWindow));
    EXPECT_EQ(host->About(), first);
}

TEST_F(ControlCenterTest, CheckForUpdatesStartsFetchwellAndEndsInTheNaturalMode) {
    auto& center = StartAndOpen(std::string(kModeProfile) + "X=800\r\nY=600\r\nDepth=16\r\n");
    services.displayCalls.clear();
    Press(center, "Button5");
    ASSERT_EQ(services.shellCalls.size(), 1u);
    EXPECT_EQ(services.shellCalls[0].file, Dir() + "Fetchwell.exe");
    EXPECT_EQ(services.shellCalls[0].verb, "open");
    ASSERT_EQ(services.displayCalls.size(), 1u);
    EXPECT_FALSE(services.displayCalls[0].hasMode);  // back to the registry's mode
    EXPECT_TRUE(ui::App().Terminated());
}

struct Hint {
    const char* button;
    const char* text;
};

TEST_F(ControlCenterTest, TheButtonsHints) {
    auto& center = StartAndOpen(kModeProfile);
    HWND window = center.Handle();
    const Hint hints[] = {
        {"Button1", "Saves settings and changes display mode"},
        {"Button5", "Tries to download the most recent release from the internet"},
        {"Button3", "Displays readme.txt file"},
        {"Button4", ""},
        {"Button2", "Hides this screen"},
    };
    HWND tip = nullptr;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr));)
        if (GetWindow(w, GW_OWNER) == window) tip = w;
    ASSERT_NE(tip, nullptr);
    for (const Hint& h : hints) {
        SCOPED_TRACE(h.button);
        char text[128] = {};
        TTTOOLINFOA tool{};
        tool.cbSize = TTTOOLINFOA_V2_SIZE;
        tool.hwnd = window;
        tool.uId = reinterpret_cast<UINT_PTR>(Control(center, h.button));
        tool.lpszText = text;
        const bool known = SendMessageA(tip, TTM_GETTOOLINFOA, 0, reinterpret_cast<LPARAM>(&tool)) != 0;
        EXPECT_EQ(known, *h.text != 0);
        if (known) {
            SendMessageA(tip, TTM_GETTEXTA, sizeof(text), reinterpret_cast<LPARAM>(&tool));
            EXPECT_STREQ(text, h.text);
        }
    }
}

}  // namespace
}  // namespace screenstest
