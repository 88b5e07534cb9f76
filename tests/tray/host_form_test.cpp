// Quorvex's host form: the start-up sequence, the profile files, the display-mode outcomes, the menu
// commands and the end of the program, with scripted system answers.
#include "tray_test_support.h"

#include "common/display_modes.h"
#include "common/policies.h"
#include "support/scratch_registry.h"
#include "support/ui_test_support.h"

#include <windows.h>

#include <fstream>
#include <optional>
#include <tuple>

namespace traytest {
namespace {

const char kSuccess[] = "Screen resolution was changed successfully.";

TEST_F(HostFormTest, FirstStartSeedsTheProfileRunsTheWizardAndStampsTheVersion) {
    FakeWizard::action = [this] {
        // The user finishes the wizard with 1024 x 768 at 32 bits.
        EXPECT_EQ(host->UserLabel(), "JOHN");
        common::IniFile profile(ProfileFile(host->UserLabel()));
        profile.WriteInteger("Screen", "X", 1024);
        profile.WriteInteger("Screen", "Y", 768);
        profile.WriteInteger("Screen", "Depth", 32);
    };
    CreateHost();
    EXPECT_EQ(host->VersionText(), "Loading...");
    StartUp();

    EXPECT_EQ(FakeWizard::shows, 1);
    EXPECT_EQ(FileText(ProfileFile("JOHN")),
              "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1024\r\nY=768\r\nDepth=32\r\n");
    EXPECT_EQ(host->CurrentUser(), "JOHN");
    EXPECT_EQ(host->NaturalX, 1024);
    EXPECT_EQ(host->NaturalDepth, 32);
    ASSERT_EQ(services.displayCalls.size(), 2u);
    const DEVMODEA& mode = services.displayCalls[0].mode;
    EXPECT_EQ(mode.dmSize, 156);
    EXPECT_EQ(mode.dmDriverExtra, 0);
    EXPECT_EQ(mode.dmFields, 0x001C0000u);
    EXPECT_EQ(mode.dmPelsWidth, 1024u);
    EXPECT_EQ(mode.dmPelsHeight, 768u);
    EXPECT_EQ(mode.dmBitsPerPel, 32u);
    EXPECT_EQ(mode.dmDisplayFrequency, 0u);
    EXPECT_EQ(services.displayCalls[0].flags, static_cast<DWORD>(CDS_TEST));
    EXPECT_EQ(services.displayCalls[1].flags, 0u);  // the registry keeps the natural mode
    EXPECT_EQ(Popups(), std::vector<std::string>{kSuccess});
    EXPECT_EQ(host->VersionText(), "2.0");
    EXPECT_EQ(FileText(Dir() + "version.txt"), "[Quorvex]\r\nupdate=1\r\n");
    EXPECT_TRUE(host->Find<ui::TTimer>("Timer1").Enabled());
    EXPECT_TRUE(services.messages.empty());
}

DEVMODEA Mode(DWORD width, DWORD height, DWORD depth) {
    DEVMODEA mode{};
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = depth;
    return mode;
}

// The natural mode is the computer's (the registry's), whatever another user's Quorvex left on the
// screen or wrote into a profile: a screen left changed goes back to it first, the profile records
// it, and "Exit" returns to it. 1024 x 768 at 32 bits only when the system cannot tell.
TEST_F(HostFormTest, TheNaturalModeIsTheComputersAndExitReturnsToIt) {
    struct Case {
        std::optional<DEVMODEA> registry, screen;
        const char* profileBefore;
        const char* seeded;
        bool healed;
    };
    const char* kComputers = "[Screen]\r\noldX=1280\r\noldY=1024\r\noldDepth=32\r\n";
    const Case cases[] = {
        {Mode(1280, 1024, 32), Mode(1280, 1024, 32), nullptr, kComputers, false},
        {Mode(1280, 1024, 32), Mode(800, 600, 16), nullptr, kComputers, true},  // a killed Quorvex's mode
        {Mode(1280, 1024, 32), Mode(1280, 1024, 32), "[Screen]\r\noldX=800\r\noldY=600\r\noldDepth=16\r\n",
         kComputers, false},
        {DEVMODEA{}, DEVMODEA{}, nullptr, "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.profileBefore ? c.profileBefore : "first start");
        ui::App().Reset();
        DeleteFileA(ProfileFile("JOHN").c_str());  // the wizard is left unfinished
        if (c.profileBefore) WriteProfile("JOHN", c.profileBefore);
        services.registryMode = c.registry;
        services.currentMode = c.screen;
        services.displayCalls.clear();
        CreateHost();
        StartUp();
        EXPECT_EQ(FileText(ProfileFile("JOHN")), std::string(c.seeded));
        ASSERT_EQ(services.displayCalls.size(), c.healed ? 1u : 0u);
        if (c.healed) {
            EXPECT_FALSE(services.displayCalls[0].hasMode);
        }
        host->Find<ui::TMenuItem>("Exit1").Click();
        ASSERT_FALSE(services.displayCalls.empty());
        EXPECT_FALSE(services.displayCalls.back().hasMode);
        EXPECT_EQ(services.displayCalls.back().flags, 0u);
    }
}

TEST_F(HostFormTest, ALaterStartAppliesTheStoredModeAndNamesDifferingInCaseShareAProfile) {
    services.userName = "John";
    services.currentMode = Mode(1280, 1024, 16);
    WriteProfile("JOHN", "[Screen]\r\noldX=1280\r\noldY=1024\r\noldDepth=16\r\nX=0x320\r\nY= 600\r\nDepth=16\r\n");
    CreateHost();
    StartUp();
    EXPECT_EQ(FakeWizard::shows, 0);
    ASSERT_EQ(services.displayCalls.size(), 2u);
    EXPECT_EQ(services.displayCalls[1].mode.dmPelsWidth, 800u);
    EXPECT_EQ(services.displayCalls[1].mode.dmPelsHeight, 600u);
    EXPECT_EQ(host->NaturalX, 1280);  // not seeded again
    EXPECT_EQ(host->UserLabel(), "JOHN");
    // Neither the splash nor the popup takes the keyboard from the window the user works in.
    ASSERT_EQ(Popups().size(), 1u);
    EXPECT_NE(GetActiveWindow(), host->Handle());
    EXPECT_NE(GetActiveWindow(), uitest::FindOwnWindow("Tagent"));
}

// The administrator's mode for a user who has none: no wizard, the mode applied and stored as if
// the user had chosen it; updates stay on.
TEST_F(HostFormTest, TheAdministratorsModeStandsInForTheWizard) {
    const testsupport::ScratchRegistry registry;
    for (const auto& [name, value] : {std::pair{"Width", 800}, {"Height", 600}, {"Depth", 16}})
        registry.SetDword(true, common::kPolicyKey, name, value);
    CreateHost();
    StartUp();
    EXPECT_EQ(FakeWizard::shows, 0);
    ASSERT_EQ(services.displayCalls.size(), 2u);
    EXPECT_EQ(services.displayCalls[1].mode.dmPelsWidth, 800u);
    EXPECT_EQ(services.displayCalls[1].mode.dmBitsPerPel, 16u);
    EXPECT_EQ(FileText(ProfileFile("JOHN")),
              "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    const UINT updates = host->Find<ui::TMenuItem>("Searchforupdates1").Id();
    EXPECT_EQ(GetMenuState(host->Find<ui::TPopupMenu>("popup").Handle(), updates, MF_BYCOMMAND) & MF_GRAYED, 0u);
}

TEST_F(HostFormTest, NonAsciiLettersOfTheUserNameStayAsTheyAre) {
    services.userName = "j\xf6rg";
    CreateHost();
    StartUp();
    EXPECT_EQ(host->CurrentUser(), "J\xf6RG");
    EXPECT_NE(GetFileAttributesA(ProfileFile("J\xf6RG").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(HostFormTest, AWizardClosedWithoutFinishingAppliesNothingAndTheSequenceGoesOn) {
    CreateHost();
    StartUp();
    EXPECT_EQ(FakeWizard::shows, 1);
    EXPECT_TRUE(services.displayCalls.empty());
    EXPECT_EQ(host->VersionText(), "2.0");
    EXPECT_EQ(host->Wizard(), nullptr);  // freed after its modal run
}

TEST_F(HostFormTest, AnIncompleteModeAfterTheWizardIsAppliedAsItIs) {
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\n");
    services.displayAnswers = {DISP_CHANGE_BADMODE};
    CreateHost();
    StartUp();
    EXPECT_EQ(FakeWizard::shows, 1);
    ASSERT_EQ(services.displayCalls.size(), 1u);
    EXPECT_EQ(services.displayCalls[0].mode.dmPelsHeight, 0u);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Selected display mode is not supported on this machine."});
}

TEST_F(HostFormTest, AWizardsModeStillUnconfirmedWhenTheSessionEndsIsNotKept) {
    services.currentMode = common::DisplayModeRecord(1024, 768, 32);
    FakeWizard::action = [this] {
        common::IniFile profile(ProfileFile("JOHN"));
        profile.WriteInteger("Screen", "X", 800);
        profile.WriteInteger("Screen", "Y", 600);
        profile.WriteInteger("Screen", "Depth", 16);
    };
    CreateHost();
    StartUp();
    ASSERT_NE(host->Question(), nullptr);
    services.displayCalls.clear();
    SendMessageA(host->Handle(), WM_QUERYENDSESSION, 0, 0);
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_EQ(FileText(ProfileFile("JOHN")), "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n");
    ASSERT_EQ(services.displayCalls.size(), 1u);  // the natural mode only
    EXPECT_EQ(Popups(), std::vector<std::string>{"Screen resolution was changed successfully."});
}

TEST_F(HostFormTest, TheStartUpSequenceRunsOnceAlthoughAMessageBoxIsOpenDuringIt) {
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=640\r\nY=480\r\nDepth=8\r\n");
    services.displayAnswers = {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_RESTART};
    services.onMessage = [](const testsupport::ScriptedServices::MessageCall&) { ui::App().Idle(); };
    CreateHost();
    StartUp();
    EXPECT_EQ(services.displayCalls.size(), 2u);
    EXPECT_EQ(services.messages.size(), 1u);
}

struct Outcome {
    LONG test, change;
    size_t calls;
    std::vector<std::string> boxes, popups;
    int32_t result;
};

TEST_F(HostFormTest, ApplyDisplayModeReportsEveryOutcome) {
    const std::string error1 =
        "Error 1: Your display driver is unable to change the screen resolution without system reboot.\r"
        "Please read the program manual.";
    const Outcome outcomes[] = {
        {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_SUCCESSFUL, 2, {}, {kSuccess}, 0},
        {DISP_CHANGE_BADMODE, 0, 1, {"Selected display mode is not supported on this machine."}, {"Display test failed."}, -1},
        {DISP_CHANGE_FAILED, DISP_CHANGE_SUCCESSFUL, 2, {}, {kSuccess}, 0},
        {DISP_CHANGE_RESTART, DISP_CHANGE_RESTART, 2, {error1}, {}, -1},
        {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_FAILED, 2, {"Error 2: Screen resolution could not be changed - unknown error occured."}, {}, -1},
        {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_BADMODE, 2, {"Error 3: Your machine does not support this display mode."}, {}, -1},
        {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_NOTUPDATED, 2, {},
         {"INFO: Screen resolution was changed successfully, but the registry settings could not be updated."}, -1},
        {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_BADFLAGS, 2, {}, {}, -1},
    };
    CreateHost();
    for (const Outcome& o : outcomes) {
        SCOPED_TRACE(testing::Message() << "test " << o.test << ", change " << o.change);
        services.displayCalls.clear();
        services.messages.clear();
        services.displayAnswers = {o.test, o.change};
        size_t popupsAtBox = 99;
        services.onMessage = [&](const auto&) { popupsAtBox = Popups().size(); };
        const size_t before = Popups().size();
        EXPECT_EQ(host->ApplyDisplayMode(800, 600, 16), o.result);
        EXPECT_EQ(services.displayCalls.size(), o.calls);
        EXPECT_EQ(Boxes(), o.boxes);
        std::vector<std::string> popups = Popups();
        popups.erase(popups.begin(), popups.begin() + static_cast<long>(before));
        EXPECT_EQ(popups, o.popups);
        if (!o.boxes.empty()) {
            EXPECT_EQ(popupsAtBox, before);  // the box comes before any popup
        }
    }
}

TEST_F(HostFormTest, MessageBoxesArePlainQuorvexBoxes) {
    CreateHost();
    services.displayAnswers = {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_FAILED};
    host->ApplyDisplayMode(1024, 768, 32);
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].caption, "Quorvex");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK));
}

TEST_F(HostFormTest, RestoreNaturalModeIsSilentExceptForABadMode) {
    CreateHost();
    host->NaturalX = 1024;
    host->NaturalY = 768;
    host->NaturalDepth = 32;
    for (LONG answer : {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_FAILED, DISP_CHANGE_RESTART, DISP_CHANGE_NOTUPDATED}) {
        services.displayAnswers = {answer};
        host->RestoreNaturalMode();
    }
    EXPECT_TRUE(services.messages.empty());
    ASSERT_EQ(services.displayCalls.size(), 4u);
    EXPECT_FALSE(services.displayCalls[0].hasMode);  // back to the registry's mode
    EXPECT_EQ(services.displayCalls[0].flags, 0u);
    services.displayAnswers = {DISP_CHANGE_BADMODE};
    host->RestoreNaturalMode();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Error 4: Natural screen settings are invalid. Please read the readme.txt file."});
    EXPECT_TRUE(Popups().empty());
}

// What the user sees when a step fails: the error box, and the host form stays with "Loading...".
TEST_F(HostFormTest, AFileInPlaceOfTheUsersFolderStopsTheSequence) {
    std::ofstream(Dir() + "Users") << "in the way";
    CreateHost();
    host->Show();
    StartUp();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "I/O error 183.");
    EXPECT_EQ(services.messages[0].caption, "Quorvex");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(host->VersionText(), "Loading...");
    EXPECT_FALSE(host->Find<ui::TTimer>("Timer1").Enabled());
    EXPECT_EQ(host->NaturalX, 0);
    StartUp();  // never resumes
    EXPECT_EQ(services.messages.size(), 1u);
}

// The tests run as root under Wine, where read-only attributes do not stop writes: a folder in
// place of the file refuses them instead.
TEST_F(HostFormTest, AnUnwritableProfileIsReportedWithItsPath) {
    CreateDirectoryA((Dir() + "Users").c_str(), nullptr);
    CreateDirectoryA(ProfileFile("JOHN").c_str(), nullptr);
    CreateHost();
    StartUp();
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Unable to write to " + ProfileFile("JOHN") + "."});
    EXPECT_EQ(host->NaturalX, 0);
    EXPECT_EQ(host->VersionText(), "Loading...");
    EXPECT_TRUE(services.displayCalls.empty());
}

TEST_F(HostFormTest, AnUnwritableVersionStampLeavesTheModeAppliedAndTheSplashUp) {
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    CreateDirectoryA((Dir() + "version.txt").c_str(), nullptr);
    CreateHost();
    host->Show();
    StartUp();
    EXPECT_EQ(services.displayCalls.size(), 2u);
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Unable to write to " + Dir() + "version.txt."});
    EXPECT_EQ(host->VersionText(), "2.0");
    EXPECT_FALSE(host->Find<ui::TTimer>("Timer1").Enabled());
    EXPECT_TRUE(host->Visible());
}

TEST_F(HostFormTest, WithoutAUserNameNothingIsWritten) {
    for (bool fails : {true, false}) {
        services.userNameFails = fails;
        services.userName = "";
        services.messages.clear();
        ui::App().Reset();
        CreateHost();
        StartUp();
        EXPECT_EQ(Boxes(), std::vector<std::string>{"Unable to determine the Windows user name."});
        EXPECT_EQ(GetFileAttributesA((Dir() + "Users").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_TRUE(services.displayCalls.empty());
    }
}

// Leaving the console gives the computer its natural mode and coming back sets the user's again,
// without a question; locking changes nothing. After sleep, only a screen that came back in another
// mode is set again.
TEST_F(HostFormTest, TheUsersModeLeavesWithTheConsoleAndComesBackWithItAndAfterSleep) {
    services.currentMode = Mode(1024, 768, 32);
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    services.registryMode = Mode(1024, 768, 32);
    CreateHost();
    StartUp();
    services.currentMode = Mode(800, 600, 16);
    const HWND window = host->Handle();
    const auto changesAfter = [&](UINT message, WPARAM event) {
        services.displayCalls.clear();
        SendMessageA(window, message, event, 0);
        return services.displayCalls;
    };
    EXPECT_TRUE(changesAfter(WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK).empty());
    EXPECT_TRUE(changesAfter(WM_WTSSESSION_CHANGE, WTS_SESSION_UNLOCK).empty());

    auto calls = changesAfter(WM_WTSSESSION_CHANGE, WTS_CONSOLE_DISCONNECT);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_FALSE(calls[0].hasMode);
    EXPECT_FALSE(host->HeldMode());
    services.currentMode = Mode(1024, 768, 32);
    calls = changesAfter(WM_WTSSESSION_CHANGE, WTS_CONSOLE_CONNECT);
    ASSERT_EQ(calls.size(), 2u);  // the test, then the change
    EXPECT_EQ(std::make_tuple(calls[1].mode.dmPelsWidth, calls[1].mode.dmBitsPerPel, calls[1].flags),
              std::make_tuple(800u, 16u, 0u));
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_TRUE(services.messages.empty());

    services.currentMode = Mode(800, 600, 16);
    EXPECT_TRUE(changesAfter(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC).empty());
    services.currentMode = Mode(640, 480, 16);  // the screen woke up in another mode
    calls = changesAfter(WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC);
    ASSERT_EQ(calls.size(), 2u);
    EXPECT_EQ(calls[1].mode.dmPelsWidth, 800u);
    EXPECT_EQ(host->Question(), nullptr);
}

// A remote session's display is not the computer's: nothing is changed at start, at "Apply
// settings" or at exit, and a choice is kept for the computer's own screen.
TEST_F(HostFormTest, InARemoteSessionNoModeIsChangedAndAChoiceWaitsForTheComputersScreen) {
    services.metrics[SM_REMOTESESSION] = 1;
    services.currentMode = Mode(1280, 1024, 32);
    services.registryMode = Mode(1024, 768, 32);
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    CreateHost();
    StartUp();
    EXPECT_TRUE(Popups().empty());
    const common::StoredModeText before = common::StoredModeText::Read(common::IniFile(ProfileFile("JOHN")));
    EXPECT_EQ(host->ApplyChosenDisplayMode({1024, 768, 32}, before, ProfileFile("JOHN")), 0);
    EXPECT_EQ(host->Question(), nullptr);
    EXPECT_EQ(Popups(), std::vector<std::string>{
                            "Your choice is saved. It will be applied when you log on at the computer's own screen."});
    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_TRUE(services.displayCalls.empty());
}

TEST_F(HostFormTest, TheSessionEndRestoresTheNaturalModeOnce) {
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    CreateHost();
    StartUp();
    services.displayCalls.clear();

    // Another program cancels the session end: the natural mode stays, the program runs on.
    EXPECT_EQ(SendMessageA(host->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    SendMessageA(host->Handle(), WM_ENDSESSION, FALSE, 0);
    ASSERT_EQ(services.displayCalls.size(), 1u);
    EXPECT_FALSE(services.displayCalls[0].hasMode);
    EXPECT_FALSE(ui::App().Terminated());

    // A bad natural mode is not reported while the session ends: no box may hold it up. Once
    // another program has cancelled the end, the box shows again.
    services.displayAnswers = {DISP_CHANGE_BADMODE, DISP_CHANGE_BADMODE};
    EXPECT_EQ(SendMessageA(host->Handle(), WM_QUERYENDSESSION, 0, 0), TRUE);
    EXPECT_TRUE(services.messages.empty());
    SendMessageA(host->Handle(), WM_ENDSESSION, FALSE, 0);
    host->RestoreNaturalMode();
    EXPECT_EQ(services.messages.size(), 1u);
    services.displayCalls.resize(1);

    SendMessageA(host->Handle(), WM_QUERYENDSESSION, 0, 0);
    SendMessageA(host->Handle(), WM_ENDSESSION, TRUE, 0);
    SendMessageA(ui::App().Handle(), WM_ENDSESSION, TRUE, 0);
    EXPECT_TRUE(ui::App().Terminated());
    ui::App().Run();  // ends at once
    EXPECT_EQ(services.displayCalls.size(), 2u);
}

TEST_F(HostFormTest, CheckForUpdatesStartsFetchwellRestoresTheModeAndEnds) {
    CreateHost();
    host->NaturalX = 1024;
    host->Find<ui::TMenuItem>("Searchforupdates1").Click();
    ASSERT_EQ(services.shellCalls.size(), 1u);
    const auto& call = services.shellCalls[0];
    EXPECT_EQ(call.owner, host->Handle());
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, Dir() + "Fetchwell.exe");
    EXPECT_EQ(call.parameters, "");
    EXPECT_FALSE(call.hasDirectory);
    EXPECT_EQ(call.show, SW_SHOWNORMAL);
    ASSERT_EQ(services.displayCalls.size(), 1u);
    EXPECT_FALSE(services.displayCalls[0].hasMode);
    EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(HostFormTest, MenuCommandsOpenWindowsAndHelpWorksBeforeAnyControlCenter) {
    CreateHost();
    EXPECT_EQ(host->ControlCenter(), nullptr);
    host->Find<ui::TMenuItem>("Help1").Click();
    ASSERT_EQ(services.shellCalls.size(), 1u);
    EXPECT_EQ(services.shellCalls[0].file, Dir() + "readme.txt");
    EXPECT_EQ(services.shellCalls[0].owner, host->Handle());

    host->Find<ui::TMenuItem>("Open1").Click();
    ui::Form* second = host->ControlCenter();
    host->Find<ui::TMenuItem>("Help1").Click();
    ASSERT_EQ(services.shellCalls.size(), 2u);
    EXPECT_EQ(services.shellCalls[1].owner, second->Handle());
    host->Find<ui::TMenuItem>("Open1").Click();
    EXPECT_NE(host->ControlCenter(), second);
    EXPECT_TRUE(second->Visible());
    EXPECT_TRUE(host->ControlCenter()->Visible());
    EXPECT_EQ(GetWindow(second->Handle(), GW_OWNER), host->Handle());

    host->Find<ui::TMenuItem>("About1").Click();
    EXPECT_TRUE(host->About()->Visible());
    // The menu as Windows shows it: items in order, separators, the default drawn bold.
    HMENU menu = host->Find<ui::TPopupMenu>("popup").Handle();
    std::vector<std::string> shown;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = {};
        GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof(text), MF_BYPOSITION);
        shown.push_back(GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & MF_SEPARATOR ? "-" : text);
    }
    EXPECT_EQ(shown, (std::vector<std::string>{"Open Control Center", "Display mode", "-", "Help",
                                               "What is this program for?", "-", "Check for updates", "-", "Exit",
                                               "About"}));
    EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 0u);

    host->Find<ui::TMenuItem>("Exit1").Click();
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_EQ(services.displayCalls.size(), 1u);  // the natural mode on the way out
}

TEST_F(HostFormTest, TheTimerHidesTheSplashAndTheTaskbarButton) {
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\nY=600\r\nDepth=16\r\n");
    CreateHost();
    host->Show();
    StartUp();
    ui::App().ProcessMessages();
    EXPECT_TRUE(IsWindowVisible(ui::App().Handle()));
    host->Timer1Timer();
    EXPECT_FALSE(host->Find<ui::TTimer>("Timer1").Enabled());
    EXPECT_FALSE(host->Visible());
    // The success popup is still up, so the program keeps its taskbar button until it goes.
    EXPECT_TRUE(IsWindowVisible(ui::App().Handle()));
}

}  // namespace
}  // namespace traytest
