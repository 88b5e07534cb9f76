// The first configuration wizard: its pages driven through their controls with scripted display
// answers, and its modal run inside the host form's start-up sequence, driven from another thread.
#include "wizard_fixture.h"

#include <fstream>
#include <functional>

namespace {

using traytest::HostFormTest;
using uitest::PumpUntil;
using wizardtest::Mode;
using wizardtest::TextOf;
using wizardtest::WizardTest;

const char kPassed[] = "Selected display mode has passed the compatibility test. You can click on the \"Next\" button now.";
const char kUnsupported[] = "Selected display mode is not supported on this machine. Please try a different one.";
const char kLowFailed[] = "Could not set any low resolution display mode. Please select a higher-resolution mode.";

TEST_F(WizardTest, TheWindowAndItsPagesAreAsDesigned) {
    CreateHost();
    host->QueryUserName();
    wizard = host->CreateOwned<screens::Twizard>(*host);
    // Before its activation the wizard cannot be left: "Next" is disabled.
    EXPECT_FALSE(Enabled("Button1"));
    wizard->Show();
    PumpUntil([] { return false; }, 200);

    HWND window = wizard->Handle();
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ(outer.left, 196);
    EXPECT_EQ(outer.top, 114);
    EXPECT_EQ(outer.right - outer.left, 602);
    EXPECT_EQ(outer.bottom - outer.top, 640);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(style & WS_THICKFRAME);
    EXPECT_FALSE(style & WS_SYSMENU);
    EXPECT_EQ(wizard->Caption(), "Quorvex First Configuration Wizard");
    EXPECT_EQ(GetWindow(window, GW_OWNER), host->Handle());

    struct Place {
        const char* name;
        int left, top, width, height;  // in the parent's client area; -1: sized by its text
        const char* parent;            // nullptr: the window
    };
    // Controls of the pages are placed within their page, the rest within the window.
    const Place places[] = {
        {"silnik", 8, 184, 577, 369, nullptr},   {"Label12", 8, 576, -1, -1, nullptr},
        {"Button1", 488, 112, 75, 25, "Default"}, {"slider", 16, 184, 545, 33, "manualna"},
        {"Button6", 496, 336, 75, 25, "automatyczna"},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        EXPECT_EQ(GetParent(Window(p.name)), p.parent ? Window(p.parent) : window);
        const RECT r = wizard->Find(p.name).BoundsRect();
        EXPECT_EQ(r.left, p.left);
        EXPECT_EQ(r.top, p.top);
        if (p.width >= 0) {
            EXPECT_EQ(r.right - r.left, p.width);
            EXPECT_EQ(r.bottom - r.top, p.height);
        }
    }
    // The pages fill the notebook, one at a time, "Default" first.
    const RECT page = wizard->Find("koniec").BoundsRect();
    EXPECT_EQ(page.right - page.left, 577);
    EXPECT_EQ(page.bottom - page.top, 369);
    EXPECT_EQ(Page(), "Default");
    EXPECT_FALSE(IsWindowVisible(Window("startup")));
    EXPECT_FALSE(Enabled("Button3"));
    // "Test" overlaps the end of the long label in front of it, and must stay whole above it.
    bool buttonAbove = false;
    for (HWND w = GetWindow(Window("Button2"), GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
        buttonAbove |= w == Window("Label29");
    EXPECT_TRUE(buttonAbove);
}

TEST_F(WizardTest, ActivationOpensTheProfileOfTheHostsUserOnce) {
    OpenWizard();
    EXPECT_FALSE(Checked("startup"));
    EXPECT_NE(GetFileAttributesA((Dir() + "Users").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
    // Activation never runs again, so a later change of the host's label goes unseen.
    host->Find("luser").SetText("SOMEONE");
    SendMessageA(wizard->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    SendMessageA(wizard->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    Click("Button1");
    Click("Button6");
    Click("Button5");
    EXPECT_EQ(FileText(ProfileFile("JOHN")), "[Screen]\r\nX=1024\r\nY=768\r\nDepth=32\r\n");
    EXPECT_EQ(GetFileAttributesA(ProfileFile("SOMEONE").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(WizardTest, AUsersFolderThatCannotBeMadeIsReportedAndTheWizardCannotGoOn) {
    std::ofstream(Dir() + "Users") << "in the way";
    CreateHost();
    host->QueryUserName();
    wizard = host->CreateOwned<screens::Twizard>(*host);
    wizard->Show();
    ASSERT_TRUE(PumpUntil([&] { return !services.messages.empty(); }));
    EXPECT_EQ(services.messages[0].text, "I/O error 183.");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_FALSE(Enabled("Button1"));
}

TEST_F(WizardTest, ManualModeTestedThenFinishedIsWrittenAndSummarised) {
    OpenWizard();
    Click("manual");
    EXPECT_FALSE(Checked("auto"));
    Click("Button1");
    EXPECT_EQ(Page(), "manualna");

    // The settings as they come: 1024 x 768 at 16 bits.
    Click("Button2");
    EXPECT_EQ(Tested(), (std::vector<Mode>{{1024, 768, 16}}));
    EXPECT_EQ(Chosen(), Mode(1024, 768, 16));
    EXPECT_TRUE(Enabled("Button3"));

    Forget();
    Slide(4);
    Click("b32");
    EXPECT_FALSE(Checked("b16"));
    Click("Button2");
    EXPECT_EQ(Tested(), (std::vector<Mode>{{1280, 1024, 32}}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{kPassed});
    EXPECT_EQ(services.messages[0].caption, "Quorvex");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK));
    ASSERT_TRUE(Enabled("Button3"));

    Click("Button3");
    EXPECT_EQ(Page(), "koniec");
    EXPECT_EQ(Text("konResolution"), "1280x1024");
    EXPECT_EQ(Text("konDepth"), "32 Bit");
    // Nothing reaches the profile before "Finish".
    EXPECT_EQ(GetFileAttributesA(ProfileFile("JOHN").c_str()), INVALID_FILE_ATTRIBUTES);

    Click("Button5");
    EXPECT_EQ(FileText(ProfileFile("JOHN")), "[Screen]\r\nX=1280\r\nY=1024\r\nDepth=32\r\n");
    EXPECT_FALSE(wizard->Visible());
    EXPECT_EQ(Tested().size(), 1u);  // the wizard never changes the display
}

DEVMODEA Listed(DWORD width, DWORD height, DWORD depth) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = width, mode.dmPelsHeight = height, mode.dmBitsPerPel = depth;
    return mode;
}

struct Captions {
    std::vector<DEVMODEA> listed;
    const char* shown;  // the visible captions under the slider, left to right
};

TEST_F(WizardTest, TheDisplaysOwnSizesAreOfferedAndTheTypesMoveToTheNearest) {
    const Captions rows[] = {
        {{Listed(800, 600, 32), Listed(1366, 768, 16), Listed(1024, 768, 32)}, "800x600 1024x768 1366x768"},
        {{Listed(1024, 768, 32), Listed(1366, 768, 32)}, "1024x768 1366x768"},
        {{Listed(640, 480, 8), Listed(800, 600, 8), Listed(1024, 768, 8), Listed(1280, 720, 8), Listed(1366, 768, 8),
          Listed(1600, 900, 8), Listed(1920, 1080, 8), Listed(2560, 1440, 8), Listed(3840, 2160, 8)},
         "640x480 1024x768 1366x768 1920x1080 3840x2160"},
    };
    for (const Captions& row : rows) {
        SCOPED_TRACE(row.shown);
        ui::App().Reset();
        services.displayModes = row.listed;
        services.currentMode = Listed(1024, 768, 32);
        OpenWizard();
        std::string shown;
        for (const char* name : {"Label23", "Label24", "Label25", "Label26", "Label27"})
            if (GetWindowLongA(Window(name), GWL_STYLE) & WS_VISIBLE) shown += (shown.empty() ? "" : " ") + Text(name);
        EXPECT_EQ(shown, row.shown);
    }

    // The slider opens at the screen's size; the depths follow the size; "Test" takes both.
    Click("manual");
    Click("Button1");
    EXPECT_EQ(SendMessageA(Window("slider"), TBM_GETRANGEMAX, 0, 0), 9);
    EXPECT_EQ(SendMessageA(Window("slider"), TBM_GETPOS, 0, 0), 3);
    EXPECT_EQ(Text("sliderDesc"), "1024x768");
    EXPECT_TRUE(Checked("b8"));  // 16 bits are not offered: the highest that is
    EXPECT_FALSE(Enabled("b16"));
    EXPECT_FALSE(Enabled("b32"));
    Slide(5);
    EXPECT_EQ(Text("sliderDesc"), "1366x768");
    Click("Button2");
    EXPECT_EQ(Chosen(), Mode(1366, 768, 8));
    Click("Button3");
    EXPECT_EQ(Text("konResolution"), "1366x768");

    // Type 1's 640 x 480 is not listed: its search tries the listed size nearest to it.
    ui::App().Reset();
    services.displayModes = rows[1].listed;
    Forget();
    OpenWizard();
    Click("Button1");
    Click("typ1");
    Click("Button6");
    EXPECT_EQ(Tested(), (std::vector<Mode>{{1024, 768, 32}}));
    EXPECT_EQ(Text("konResolution"), "1024x768");
}

TEST_F(WizardTest, AFailedTestReplacesTheChosenModeButNextStepStaysDisabled) {
    OpenWizard();
    Click("manual");
    Click("Button1");
    Click("Button2");
    ASSERT_TRUE(Enabled("Button3"));

    Forget();
    Slide(5);
    Click("b8");
    services.displayAnswers = {DISP_CHANGE_BADMODE};
    Click("Button2");
    EXPECT_EQ(Tested(), (std::vector<Mode>{{1600, 1200, 8}}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{kUnsupported});
    EXPECT_EQ(Chosen(), Mode(1600, 1200, 8));
    EXPECT_FALSE(Enabled("Button3"));

    // A passed test first, then a failed one of the same settings: disabled again.
    Forget();
    services.displayAnswers = {DISP_CHANGE_SUCCESSFUL, DISP_CHANGE_BADMODE};
    Click("Button2");
    EXPECT_TRUE(Enabled("Button3"));
    Click("Button2");
    EXPECT_FALSE(Enabled("Button3"));
    EXPECT_EQ(Boxes(), (std::vector<std::string>{kPassed, kUnsupported}));

    // A press on the disabled button leads nowhere.
    Click("Button3");
    EXPECT_EQ(Page(), "manualna");
}

TEST_F(WizardTest, EverySliderMoveAndDepthClickAsksForANewTest) {
    OpenWizard();
    Click("manual");
    Click("Button1");
    struct Change {
        const char* what;
        std::function<void()> act;
    };
    const Change changes[] = {
        {"slider away and back", [&] { Slide(4), Slide(3); }},
        {"b8", [&] { Click("b8"); }},
        {"b16", [&] { Click("b16"); }},
        {"b32", [&] { Click("b32"); }},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.what);
        Click("Button2");
        ASSERT_TRUE(Enabled("Button3"));
        change.act();
        EXPECT_FALSE(Enabled("Button3"));
    }
    // A test of the settings now shown is what "Next Step" summarises.
    Click("Button2");
    Click("Button3");
    EXPECT_EQ(Text("konResolution"), "1024x768");
    EXPECT_EQ(Text("konDepth"), "32 Bit");
}

TEST_F(WizardTest, BackReturnsToTheFirstPageAndKeepsTheManualState) {
    OpenWizard();
    Click("manual");
    Click("Button1");
    Click("Button2");
    Click("Button4");
    EXPECT_EQ(Page(), "Default");
    Click("Button1");
    EXPECT_EQ(Page(), "manualna");
    EXPECT_TRUE(Enabled("Button3"));

    // The other way from there on.
    Click("Button4");
    Click("auto");
    Click("Button1");
    EXPECT_EQ(Page(), "automatyczna");
}

struct AutomaticCase {
    const char* type;
    std::vector<LONG> answers;
    std::vector<Mode> tried;
    std::string page, box, resolution, depth;
};

TEST_F(WizardTest, AutomaticConfigurationTakesTheFirstDepthNotRejected) {
    const LONG bad = DISP_CHANGE_BADMODE;
    const AutomaticCase cases[] = {
        {"typ3", {DISP_CHANGE_SUCCESSFUL}, {{1024, 768, 32}}, "koniec", "", "1024x768", "32 Bit"},
        {"typ3", {bad, DISP_CHANGE_SUCCESSFUL}, {{1024, 768, 32}, {1024, 768, 16}}, "koniec", "", "1024x768", "16 Bit"},
        {"typ2", {bad, bad, DISP_CHANGE_SUCCESSFUL}, {{800, 600, 32}, {800, 600, 16}, {800, 600, 8}}, "koniec", "",
         "800x600", "8 Bit"},
        // Only a bad mode counts as unsupported.
        {"typ1", {DISP_CHANGE_RESTART}, {{640, 480, 32}}, "koniec", "", "640x480", "32 Bit"},
        {"typ1", {DISP_CHANGE_FAILED}, {{640, 480, 32}}, "koniec", "", "640x480", "32 Bit"},
        {"typ2", {bad, bad, bad}, {{800, 600, 32}, {800, 600, 16}, {800, 600, 8}}, "automatyczna",
         "Could not set any medium resolution display mode. Please select a higher-resolution or lower-resolution "
         "mode.",
         "Gathering info...", "Gathering info..."},
        {"typ3", {bad, bad, bad}, {{1024, 768, 32}, {1024, 768, 16}, {1024, 768, 8}}, "automatyczna",
         "Could not set any high resolution display mode. Please select a lower-resolution mode.",
         "Gathering info...", "Gathering info..."},
    };
    for (const AutomaticCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.type << " answered " << c.answers[0] << ", ...");
        ui::App().Reset();
        Forget();
        OpenWizard();
        Click("Button1");
        Click(c.type);
        services.displayAnswers.assign(c.answers.begin(), c.answers.end());
        Click("Button6");
        EXPECT_EQ(Tested(), c.tried);
        EXPECT_EQ(Page(), c.page);
        EXPECT_EQ(Boxes(), c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box});
        EXPECT_EQ(Text("konResolution"), c.resolution);
        EXPECT_EQ(Text("konDepth"), c.depth);
        if (c.page == "automatyczna") {
            EXPECT_EQ(Chosen(), Mode(0, 0, 0));
        }
    }
}

TEST_F(WizardTest, ARejectedTypeLeavesTheChosenModeAndAnotherTypeSearchesAnew) {
    OpenWizard();
    // A manual test chose a mode before the user went the other way.
    Click("manual");
    Click("Button1");
    Click("Button2");
    Click("Button4");
    Click("auto");
    Click("Button1");

    Forget();
    Click("typ1");
    services.displayAnswers = {DISP_CHANGE_BADMODE, DISP_CHANGE_BADMODE, DISP_CHANGE_BADMODE};
    Click("Button6");
    EXPECT_EQ(Tested(), (std::vector<Mode>{{640, 480, 32}, {640, 480, 16}, {640, 480, 8}}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{kLowFailed});
    EXPECT_EQ(Page(), "automatyczna");
    EXPECT_EQ(Chosen(), Mode(1024, 768, 16));

    Forget();
    Click("typ2");
    EXPECT_FALSE(Checked("typ1"));
    Click("Button6");
    EXPECT_EQ(Tested(), (std::vector<Mode>{{800, 600, 32}}));
    EXPECT_EQ(Page(), "koniec");
    Click("Button5");
    EXPECT_EQ(FileText(ProfileFile("JOHN")), "[Screen]\r\nX=800\r\nY=600\r\nDepth=32\r\n");
}

// ---- The modal run inside the start-up sequence ----

// Drives the wizard from another thread as another program would: finds the visible controls by
// their class and text and posts clicks to them; it never touches the wizard's objects.
class Driver {
public:
    // Other test programs may show wizards in the same desktop at the same time.
    bool WaitForWizard() {
        return WaitUntil([&] {
            for (wizard_ = nullptr; (wizard_ = FindWindowExA(nullptr, wizard_, "Twizard", nullptr));) {
                DWORD process = 0;
                GetWindowThreadProcessId(wizard_, &process);
                if (process == GetCurrentProcessId() && IsWindowVisible(wizard_)) return true;
            }
            return false;
        });
    }
    HWND Find(const char* cls, const char* text) const {
        Query query{cls, text, nullptr};
        EnumChildWindows(wizard_, Match, reinterpret_cast<LPARAM>(&query));
        return query.found;
    }
    // Waits for the control to be on screen and enabled, then clicks it.
    bool Click(const char* text) {
        HWND button = nullptr;
        if (!WaitUntil([&] { return (button = Find("Button", text)) && IsWindowEnabled(button); })) return Fail(text);
        PostMessageA(button, BM_CLICK, 0, 0);
        return true;
    }
    bool Slide(int position) {
        HWND slider = nullptr;
        if (!WaitUntil([&] { return (slider = Find(TRACKBAR_CLASSA, nullptr)) != nullptr; })) return Fail("slider");
        PostMessageA(slider, TBM_SETPOS, TRUE, position);
        return true;
    }
    bool WaitFor(const char* text) { return WaitUntil([&] { return Find("Static", text) != nullptr; }) || Fail(text); }
    void Close() { PostMessageA(wizard_, WM_CLOSE, 0, 0); }

    std::string failure;

private:
    struct Query {
        const char* cls;
        const char* text;  // nullptr: any
        HWND found;
    };
    static BOOL CALLBACK Match(HWND child, LPARAM param) {
        auto* query = reinterpret_cast<Query*>(param);
        char cls[64] = {};
        GetClassNameA(child, cls, sizeof(cls));
        if (!IsWindowVisible(child) || lstrcmpiA(cls, query->cls) != 0) return TRUE;
        if (query->text && TextOf(child) != query->text) return TRUE;
        query->found = child;
        return FALSE;
    }
    static bool WaitUntil(const std::function<bool()>& done) {
        for (int i = 0; i < 500; ++i, Sleep(10))
            if (done()) return true;
        return false;
    }
    bool Fail(const char* what) {
        failure = std::string("not found: ") + what;
        Close();  // the modal run must end, or the test would hang
        return false;
    }
    HWND wizard_ = nullptr;
};

class StartUpWithWizard : public HostFormTest {
protected:
    void SetUp() override {
        HostFormTest::SetUp();
        factories.wizard = [this](ui::Form& owner, tray::Host& host) -> ui::Form* {
            ++wizardsMade;
            return owner.CreateOwned<screens::Twizard>(host);
        };
    }
    // One start of Quorvex while `user` works the wizard.
    void StartWith(std::function<void(Driver&)> user) {
        Driver driver;
        HANDLE thread = uitest::RunInThread([&] {
            if (driver.WaitForWizard()) user(driver);
        });
        CreateHost();
        StartUp();
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        EXPECT_EQ(driver.failure, "");
    }
    std::vector<Mode> Calls(DWORD flags) const {
        std::vector<Mode> modes;
        for (const auto& c : services.displayCalls)
            if (c.flags == flags) modes.emplace_back(c.mode.dmPelsWidth, c.mode.dmPelsHeight, c.mode.dmBitsPerPel);
        return modes;
    }

    int wizardsMade = 0;
};

TEST_F(StartUpWithWizard, AFinishedWizardsModeIsAppliedOnce) {
    StartWith([](Driver& user) {
        user.Click("Manual configuration (you'll be able to enter your desired settings)") && user.Click("Next") &&
            user.Slide(4) && user.Click("32 Bit - plenty of them") && user.Click("Test") && user.Click("Next Step") &&
            user.WaitFor("Configuration is now finished.") && user.Click("Finish");
    });
    EXPECT_EQ(wizardsMade, 1);
    EXPECT_EQ(host->Wizard(), nullptr);
    EXPECT_EQ(FileText(ProfileFile("JOHN")),
              "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=1280\r\nY=1024\r\nDepth=32\r\n");
    // The wizard's test, then the host's test and change.
    EXPECT_EQ(Calls(CDS_TEST), (std::vector<Mode>{{1280, 1024, 32}, {1280, 1024, 32}}));
    EXPECT_EQ(Calls(0), (std::vector<Mode>{{1280, 1024, 32}}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{kPassed});
    EXPECT_EQ(Popups(), std::vector<std::string>{"Screen resolution was changed successfully."});
    EXPECT_EQ(host->VersionText(), "2.0");
}

TEST_F(StartUpWithWizard, AWizardClosedOtherwiseAppliesNothingAndComesBackNextStart) {
    // A passed automatic search, then the window is closed instead of finished.
    StartWith([](Driver& user) {
        user.Click("Next") && user.WaitFor("Configuration step 2: Automatic configuration - type of user.") &&
            user.Click("Next") && user.WaitFor("Configuration is now finished.");
        user.Close();
    });
    EXPECT_EQ(Calls(CDS_TEST), (std::vector<Mode>{{1024, 768, 32}}));
    EXPECT_TRUE(Calls(0).empty());
    EXPECT_EQ(FileText(ProfileFile("JOHN")), "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n");
    EXPECT_EQ(host->VersionText(), "2.0");

    ui::App().Reset();
    services.displayCalls.clear();
    StartWith([](Driver& user) { user.Close(); });
    EXPECT_EQ(wizardsMade, 2);
    EXPECT_TRUE(services.displayCalls.empty());
}

TEST_F(StartUpWithWizard, AnIncompleteModeIsAppliedAsItIsWhenTheWizardIsNotFinished) {
    WriteProfile("JOHN", "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\nX=800\r\n");
    services.displayAnswers = {DISP_CHANGE_BADMODE};
    StartWith([](Driver& user) { user.Close(); });
    EXPECT_EQ(wizardsMade, 1);
    EXPECT_EQ(Calls(CDS_TEST), (std::vector<Mode>{{800, 0, 0}}));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Selected display mode is not supported on this machine."});
}

}  // namespace
