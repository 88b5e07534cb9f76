// Fetchwell's window and update flow with scripted system answers; the downloads' completion
// handlers are called as the downloader would call them.
#include "common/text.h"
#include "common/policies.h"
#include "support/files.h"
#include "support/scratch_registry.h"
#include "support/scripted_services.h"
#include "support/signing.h"
#include "support/zip_writer.h"
#include "ui/application.h"
#include "updater/install.h"
#include "updater/update_form.h"

#include <windows.h>

#include <gtest/gtest.h>


namespace {

using updater::Tupdate;

using testsupport::FileText;
using testsupport::WriteFile;

std::string Dir() { return common::ProgramDirectory(); }

class UpdateForm : public ::testing::Test {
protected:
    void SetUp() override {
        ui::App().Reset();
        DeleteFileA((Dir() + "version.txt").c_str());
        DeleteFileA((Dir() + "update.txt").c_str());
    }
    void TearDown() override { ui::App().Reset(); }

    // Starts Fetchwell's window with `stamp` as version.txt (none when empty).
    Tupdate& Start(const std::string& stamp) {
        if (!stamp.empty()) WriteFile(Dir() + "version.txt", stamp);
        ui::App().CreateForm(form_);
        form_->Show();  // the first activation runs the start-up steps
        return *form_;
    }
    bool Enabled(const char* name) { return form_->Find(name).Enabled(); }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& m : services.messages) texts.push_back(m.text);
        return texts;
    }
    // The list and its signature (by the key the tests' Fetchwell trusts) arrive and the downloader
    // reports the signature done.
    void ListArrives(const std::string& text) {
        WriteFile(Dir() + "update.txt", text);
        WriteFile(Dir() + "update.txt.sig", testsupport::Sign(text, FileText(QV_TEST_KEY_BLOB)));
        form_->getsigDoneFile(nullptr, Dir() + "update.txt.sig", 384);
    }

    testsupport::ScriptedServices services;
    Tupdate* form_ = nullptr;
};

const char kNoVersion[] =
    "Fetchwell was unable to determine version of Quorvex. Please make sure both programs are in the same directory.";

TEST_F(UpdateForm, WithoutAUsableVersionStampBothButtonsEndDisabledAndTheProcessCheckStillRuns) {
    for (const char* stamp : {"", "[Quorvex]\r\nupdate=2000\r\n", "[Quorvex]\r\nupdate=one\r\n"}) {
        SCOPED_TRACE(stamp);
        SetUp();
        services.messages.clear();
        services.processes = {"Quorvex.exe"};
        Tupdate& form = Start(stamp);
        EXPECT_EQ(Boxes(), (std::vector<std::string>{kNoVersion, "Close Quorvex first!"}));
        // The title is never set: it is the executable's name ("Fetchwell" for Fetchwell.exe).
        EXPECT_EQ(services.messages[0].caption, "update_form_tests");
        EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK));
        EXPECT_FALSE(Enabled("Button1"));
        EXPECT_FALSE(Enabled("Button2"));
        EXPECT_TRUE(Enabled("Button3"));
        EXPECT_EQ(form.InstalledBuild(), 2000);
    }
}

TEST_F(UpdateForm, ARunningQuorvexIsFoundByItsImageNameOncePerProcess) {
    services.processes = {"explorer.exe", "Quorvex.exe", "C:\\Program Files\\Quorvex\\QUORVEX.EXE", "MyQuorvex.exe",
                          "Quorvex.exe.bak"};
    Start("[Quorvex]\r\nupdate=1\r\n");
    EXPECT_EQ(Boxes(), (std::vector<std::string>{"Close Quorvex first!", "Close Quorvex first!"}));
    EXPECT_FALSE(Enabled("Button1"));

    // Activating the window again repeats nothing.
    SendMessageA(form_->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_EQ(services.messages.size(), 2u);

    EXPECT_TRUE(updater::ImageNameMatches("D:quorvex.exe", "Quorvex.exe"));
    EXPECT_FALSE(updater::ImageNameMatches("C:\\MyQuorvex.exe", "Quorvex.exe"));
}

TEST_F(UpdateForm, AStampWithABuildMakesCheckAvailable) {
    Tupdate& form = Start("[quorvex]\r\nupdate=$10\r\n");
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form.InstalledBuild(), 16);
    EXPECT_TRUE(Enabled("Button1"));
    EXPECT_FALSE(Enabled("Button2"));
    EXPECT_EQ(form.Caption(), "Quorvex Fetchwell");
}

TEST_F(UpdateForm, TheAdministratorPointsAtAMirrorOrTurnsUpdatesOff) {
    const testsupport::ScratchRegistry registry;
    registry.SetText(true, common::kPolicyKey, "UpdateURL", "http://mirror.example/q/update.txt");
    Tupdate& mirrored = Start("[quorvex]\r\nupdate=3\r\n");
    EXPECT_EQ(mirrored.Find<updater::THTTPDownload>("getlist").URL, "http://mirror.example/q/update.txt");
    EXPECT_TRUE(Enabled("Button1"));
    EXPECT_TRUE(services.shellCalls.empty());

    ui::App().Reset();
    registry.SetDword(false, common::kPolicyKey, "DisableUpdates", 1);
    Start("[quorvex]\r\nupdate=3\r\n");
    EXPECT_EQ(Boxes(), std::vector<std::string>{"Updates are turned off by your administrator."});
    EXPECT_FALSE(Enabled("Button1"));
    ASSERT_EQ(services.shellCalls.size(), 1u);
    EXPECT_EQ(services.shellCalls[0].file, Dir() + "Quorvex.exe");
    EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(UpdateForm, AListWithoutABuildIsAFailedList) {
    const std::string lists[] = {
        "[quorvex]\r\nupdate=2000\r\nwersja=2.1\r\nrelease=today\r\nrozmiar=1 MB\r\n",
        "[quorvex]\r\nupdate=abc\r\n",
        "[quorvex]\r\nupdate=\r\n",
        "",
        "<html><head><title>404 Not Found</title></head><body>Not Found</body></html>",
        "[other]\r\nupdate=7\r\n",
    };
    for (const std::string& list : lists) {
        SCOPED_TRACE(list);
        SetUp();
        services.messages.clear();
        Start("[Quorvex]\r\nupdate=5\r\n");
        ListArrives(list);
        EXPECT_EQ(Boxes(), std::vector<std::string>{"Could not download an update list."});
        EXPECT_FALSE(Enabled("Button1"));
        EXPECT_FALSE(Enabled("Button2"));
        EXPECT_FALSE(ui::App().Terminated());
    }
}

const std::string kPackageFacts = "bytes=1000\r\nsha256=" + std::string(64, 'a') + "\r\n";

TEST_F(UpdateForm, AHigherListedBuildIsOffered) {
    Start("[Quorvex]\r\nupdate=5\r\n");
    ListArrives("[QUORVEX]\r\nupdate=0x10\r\nwersja=Quorvex 2.1\r\nrelease=7 December 2026\r\n" + kPackageFacts);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form_->ListedBuild(), 16);
    EXPECT_EQ(form_->Find("wersja").Text(), "Quorvex 2.1");
    EXPECT_EQ(form_->Find("release").Text(), "7 December 2026");
    EXPECT_EQ(form_->Find("rozmiar").Text(), "Error");
    EXPECT_TRUE(Enabled("Button1"));
    EXPECT_TRUE(Enabled("Button2"));

    EXPECT_EQ(form_->Find("notes").Text(), "");

    // "Check" again evaluates the new list, with its notes: longer than other values may be, cut
    // after 4,000 characters.
    const std::string long_(3990, 'x');
    ListArrives("[quorvex]\r\nupdate=17\r\nwersja=Quorvex 2.2\r\nrelease=8 December 2026\r\nrozmiar=700 KB\r\n" +
                kPackageFacts + "notes=Fixes:\\n- a \\\\ b\\n" + long_ + "yz\r\n");
    EXPECT_EQ(form_->ListedBuild(), 17);
    EXPECT_EQ(form_->Find("rozmiar").Text(), "700 KB");
    EXPECT_EQ(form_->Find("notes").Text(), "Fixes:\r\n- a \\ b\r\n" + long_.substr(0, 4000 - 18));
    EXPECT_TRUE(Enabled("Button4"));

    // "Skip this version": the person's profile keeps the build, and Quorvex starts again.
    form_->Button4Click();
    EXPECT_EQ(FileText(Dir() + "Users\\TESTER"), "[Updates]\r\nSkip=17\r\n");
    ASSERT_EQ(services.shellCalls.size(), 1u);
    EXPECT_EQ(services.shellCalls[0].file, Dir() + "Quorvex.exe");
    EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(UpdateForm, AnEqualOrLowerListedBuildRestartsQuorvexAndEnds) {
    for (const char* listed : {"5", "3", "-1"}) {
        SCOPED_TRACE(listed);
        SetUp();
        services.messages.clear();
        services.shellCalls.clear();
        Start("[Quorvex]\r\nupdate=5\r\n");
        ListArrives(std::string("[quorvex]\r\nupdate=") + listed + "\r\n");
        EXPECT_EQ(Boxes(), std::vector<std::string>{"Your version of Quorvex is up to date."});
        ASSERT_EQ(services.shellCalls.size(), 1u);
        const auto& call = services.shellCalls[0];
        EXPECT_EQ(call.owner, form_->Handle());
        EXPECT_EQ(call.verb, "open");
        EXPECT_EQ(call.file, Dir() + "Quorvex.exe");
        EXPECT_EQ(call.parameters, "");
        EXPECT_FALSE(call.hasDirectory);
        EXPECT_EQ(call.show, SW_SHOWNORMAL);
        EXPECT_TRUE(ui::App().Terminated());
    }
}

TEST_F(UpdateForm, DownloadTakesThePackageBesideTheListAndProgressMovesTheBar) {
    Start("[Quorvex]\r\nupdate=5\r\n");
    EXPECT_EQ(updater::PackageUrl("http://updates.quorvex.test/quorvex/update.txt"),
              "http://updates.quorvex.test/quorvex/quorvexupdate.zip");
    EXPECT_EQ(updater::PackageUrl(updater::kUpdateListUrl).substr(0, 7), "http://");
    form_->getProgress(nullptr, 2000, 500);
    auto& bar = form_->Find<ui::TProgressBar>("postep");
    EXPECT_EQ(bar.Max(), 2000);
    EXPECT_EQ(bar.Position(), 500);
    form_->getProgress(nullptr, 0, 1025);  // no announced length
    EXPECT_EQ(bar.Max(), 0);
}

TEST_F(UpdateForm, EveryWayOutStartsQuorvexAgainUnlessItRuns) {
    const char kNotVerified[] = "Could not verify the update. Nothing was changed.";
    struct Road {
        const char* name;
        std::function<void(Tupdate&)> leave;
        std::vector<std::string> boxes;
    } roads[] = {
        {"exit", [](Tupdate& form) { form.Button3Click(); }, {}},
        {"failed download", [](Tupdate& form) { form.getError(nullptr); }, {"Could not download this file!"}},
        {"no signature", [](Tupdate& form) { form.getsigError(nullptr); }, {kNotVerified}},
        {"signed list without the package's size and digest",
         [this](Tupdate&) { ListArrives("[quorvex]\r\nupdate=9\r\nwersja=2.1\r\n"); }, {kNotVerified}},
    };
    for (const Road& road : roads) {
        for (bool running : {false, true}) {
            SCOPED_TRACE(std::string(road.name) + (running ? ", Quorvex running" : ""));
            SetUp();
            services.messages.clear();
            services.shellCalls.clear();
            services.processes.clear();
            Tupdate& form = Start("[Quorvex]\r\nupdate=5\r\n");
            WriteFile(Dir() + "update.zip", "downloaded");
            if (running) services.processes = {"Quorvex.exe"};
            road.leave(form);
            EXPECT_EQ(Boxes(), road.boxes);
            EXPECT_EQ(services.shellCalls.size(), running ? 0u : 1u);
            if (!services.shellCalls.empty()) {
                EXPECT_EQ(services.shellCalls[0].file, Dir() + "Quorvex.exe");
            }
            EXPECT_TRUE(ui::App().Terminated());
            // A refusal leaves none of the downloaded files behind.
            EXPECT_EQ(FileText(Dir() + "update.zip").empty(), road.boxes == std::vector<std::string>{kNotVerified});
        }
    }
}

TEST_F(UpdateForm, TheRunningProcessCheckWaitsForAQuorvexThatIsClosing) {
    int snapshots = 0;
    services.processes = {"Quorvex.exe"};
    services.onProcessSnapshot = [&] {
        if (++snapshots == 3) services.processes.clear();
    };
    Start("[Quorvex]\r\nupdate=5\r\n");
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(Enabled("Button1"));
}

class InstallFromElsewhere : public UpdateForm {
protected:
    void SetUp() override {
        UpdateForm::SetUp();
        // Fetchwell inherits Quorvex's current directory, which is seldom the program directory.
        elsewhere_ = Dir() + "elsewhere";
        CreateDirectoryA(elsewhere_.c_str(), nullptr);
        SetCurrentDirectoryA(elsewhere_.c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(Dir().c_str());
        UpdateForm::TearDown();
    }
    std::string elsewhere_;
};

TEST_F(InstallFromElsewhere, ThePackageLandsInTheProgramDirectoryThenQuorvexStartsAndTheBuildIsRecorded) {
    WriteFile(Dir() + "readme.txt", "old manual");
    testsupport::ZipEntry folder{"docs/", ""};
    folder.externalAttributes = 0x10;
    testsupport::ZipEntry moved{"docs/new.txt", "in a folder"};
    moved.method = 8;
    const std::string package =
        testsupport::BuildZip({{"readme.txt", "new manual"}, folder, moved, {"Quorvex.exe", "MZ new"}});
    WriteFile(Dir() + "update.zip", package);
    Start("[Quorvex]\r\nupdate=5\r\n");
    ListArrives(testsupport::UpdateList(6, package));
    services.onShellExecute = [this] {
        // The build is recorded once the install is complete, before Quorvex starts.
        EXPECT_EQ(FileText(Dir() + "version.txt"), "[Quorvex]\r\nupdate=6\r\n");
    };
    form_->getDoneFile(nullptr, Dir() + "update.zip", 0);

    EXPECT_EQ(FileText(Dir() + "readme.txt"), "new manual");
    EXPECT_EQ(FileText(Dir() + "docs\\new.txt"), "in a folder");
    EXPECT_EQ(FileText(Dir() + "Quorvex.exe"), "MZ new");
    EXPECT_EQ(GetFileAttributesA((elsewhere_ + "\\readme.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_EQ(services.shellCalls.size(), 1u);
    EXPECT_EQ(services.shellCalls[0].file, Dir() + "Quorvex.exe");
    EXPECT_EQ(FileText(Dir() + "version.txt"), "[Quorvex]\r\nupdate=6\r\n");
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_EQ(Boxes(), std::vector<std::string>{});
    EXPECT_EQ(GetFileAttributesA((Dir() + updater::kStagingFolder).c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((Dir() + updater::kBackupFolder).c_str()), INVALID_FILE_ATTRIBUTES);
}

// A package the list vouches for that still cannot be installed: no file changes, the stamp stays,
// Quorvex starts again, and the next check offers the update again.
TEST_F(InstallFromElsewhere, AnInstallThatCannotCompleteChangesNothing) {
    testsupport::ZipEntry bad{"Quorvex.exe", "MZ new"};
    bad.crc = 0x12345678;
    const std::string whole = testsupport::BuildZip({{"readme.txt", "new manual"}, {"Quorvex.exe", "MZ new"}});
    struct Case {
        const char* name;
        std::string package;
        bool holdReadme;  // another program has readme.txt open
    } cases[] = {
        {"empty", "", false},
        {"no archive", std::string("PK\x03\x04 cut", 9), false},
        {"cut short", whole.substr(0, 30), false},
        {"wrong CRC", testsupport::BuildZip({{"readme.txt", "new manual"}, bad}), false},
        {"a target held open", whole, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        services.messages.clear();
        services.shellCalls.clear();
        WriteFile(Dir() + "readme.txt", "old manual");
        WriteFile(Dir() + "Quorvex.exe", "MZ old");
        WriteFile(Dir() + "update.zip", c.package);
        Start("[Quorvex]\r\nupdate=5\r\n");
        ListArrives(testsupport::UpdateList(6, c.package));
        HANDLE held = c.holdReadme ? CreateFileA((Dir() + "readme.txt").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                                 OPEN_EXISTING, 0, nullptr)
                                   : INVALID_HANDLE_VALUE;
        form_->getDoneFile(nullptr, Dir() + "update.zip", 0);
        if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
        EXPECT_EQ(Boxes(), std::vector<std::string>{"Could not install the update. The installed version is unchanged."});
        EXPECT_EQ(FileText(Dir() + "readme.txt"), "old manual");
        EXPECT_EQ(FileText(Dir() + "Quorvex.exe"), "MZ old");
        EXPECT_EQ(FileText(Dir() + "version.txt"), "[Quorvex]\r\nupdate=5\r\n");
        EXPECT_EQ(services.shellCalls.size(), 1u);
        EXPECT_EQ(GetFileAttributesA((Dir() + updater::kStagingFolder).c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(GetFileAttributesA((Dir() + updater::kBackupFolder).c_str()), INVALID_FILE_ATTRIBUTES);
    }
}

// An install cut off half-way (the journal says which steps were taken) is undone at the next start.
TEST_F(UpdateForm, AnInterruptedInstallIsUndoneAtTheNextStart) {
    const std::string backup = Dir() + updater::kBackupFolder + "\\";
    CreateDirectoryA((Dir() + "extras").c_str(), nullptr);
    CreateDirectoryA((Dir() + updater::kStagingFolder).c_str(), nullptr);
    WriteFile(Dir() + updater::kStagingFolder + "\\readme.txt", "new manual");
    CreateDirectoryA(backup.c_str(), nullptr);
    // Quorvex.exe replaced, extras\ and extras\notes.txt added, readme.txt noted but not yet moved.
    WriteFile(backup + "install.log", "= Quorvex.exe\r\nd extras\\\r\n+ extras\\notes.txt\r\n= readme.txt\r\n");
    WriteFile(backup + "Quorvex.exe", "MZ old");
    WriteFile(Dir() + "Quorvex.exe", "MZ new");
    WriteFile(Dir() + "extras\\notes.txt", "new notes");
    WriteFile(Dir() + "readme.txt", "old manual");
    Start("[Quorvex]\r\nupdate=5\r\n");
    EXPECT_EQ(FileText(Dir() + "Quorvex.exe"), "MZ old");
    EXPECT_EQ(FileText(Dir() + "readme.txt"), "old manual");
    EXPECT_EQ(GetFileAttributesA((Dir() + "extras").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA(backup.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((Dir() + updater::kStagingFolder).c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
