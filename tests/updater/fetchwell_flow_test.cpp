// Fetchwell against a real HTTP server on loopback, in a private network namespace: the list and
// the package come over WinInet, progress and completion arrive through the worker hand-off.
#include "common/text.h"
#include "support/files.h"
#include "support/scripted_services.h"
#include "support/signing.h"
#include "support/ui_test_support.h"
#include "support/zip_writer.h"
#include "ui/application.h"
#include "updater/install.h"
#include "updater/update_form.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>

namespace {

using updater::Tupdate;

const std::string kServer = "http://updates.quorvex.test";
std::string Dir() { return common::ProgramDirectory(); }
std::string Served(const std::string& name) { return std::string(QV_FETCHWELL_SERVED) + name; }

using testsupport::FileText;
using testsupport::WriteFile;

const char kNotVerified[] = "Could not verify the update. Nothing was changed.";

// Publishes a list with its signature by `keyBlob` (the test key unless given).
void Publish(const std::string& list, const std::string& keyBlob = QV_TEST_KEY_BLOB) {
    WriteFile(Served("update.txt"), list);
    WriteFile(Served("update.txt.sig"), testsupport::Sign(list, FileText(keyBlob)));
}

std::string Package() {
    testsupport::ZipEntry folder{"docs/", ""};
    folder.externalAttributes = 0x10;
    testsupport::ZipEntry big{"docs/manual.txt", std::string(300000, 'm')};
    big.method = 8;
    return testsupport::BuildZip({{"readme.txt", "the new manual"}, folder, big, {"Quorvex.exe", "MZ new build"}});
}

class FetchwellFlow : public ::testing::Test {
protected:
    void SetUp() override {
        ui::App().Reset();
        WriteFile(Dir() + "version.txt", "[Quorvex]\r\nupdate=5\r\n");
        DeleteFileA((Dir() + "update.txt").c_str());
        DeleteFileA((Dir() + "update.zip").c_str());
        ui::App().CreateForm(form_);
        form_->Show();
    }
    void TearDown() override { ui::App().Reset(); }

    void Click(const char* button) { PostMessageA(form_->Find(button).Handle(), BM_CLICK, 0, 0); }
    void CheckList(const std::string& url) {
        form_->Find<updater::THTTPDownload>("getlist").URL = url;
        Click("Button1");
    }
    std::vector<std::string> Boxes() const {
        std::vector<std::string> texts;
        for (const auto& m : services.messages) texts.push_back(m.text);
        return texts;
    }

    testsupport::ScriptedServices services;
    Tupdate* form_ = nullptr;
};

TEST_F(FetchwellFlow, CheckOffersTheNewBuildAndDownloadInstallsIt) {
    const std::string package = Package();
    Publish(testsupport::UpdateList(6, package, "wersja=Quorvex 2.1\r\nrelease=7 December 2026\r\nrozmiar=2 KB\r\n"));
    WriteFile(Served("quorvexupdate.zip"), package);

    CheckList(kServer + "/file/update.txt");
    ASSERT_TRUE(uitest::PumpUntil([&] { return form_->Find("Button2").Enabled(); }, 15000));
    EXPECT_EQ(form_->Find("wersja").Text(), "Quorvex 2.1");
    EXPECT_EQ(form_->Find("rozmiar").Text(), "2 KB");
    EXPECT_EQ(FileText(Dir() + "update.txt").substr(0, 18), "[quorvex]\r\nupdate=");
    uitest::SaveScreenshot(form_->Handle(), "fetchwell-offer");

    Click("Button2");
    ASSERT_TRUE(uitest::PumpUntil([] { return ui::App().Terminated(); }, 30000));
    EXPECT_EQ(FileText(Dir() + "update.zip"), package);
    auto& bar = form_->Find<ui::TProgressBar>("postep");
    EXPECT_EQ(bar.Max(), static_cast<int>(package.size()));
    EXPECT_EQ(bar.Position(), static_cast<int>(package.size()));
    EXPECT_EQ(FileText(Dir() + "readme.txt"), "the new manual");
    EXPECT_EQ(FileText(Dir() + "docs\\manual.txt"), std::string(300000, 'm'));
    EXPECT_EQ(FileText(Dir() + "Quorvex.exe"), "MZ new build");
    ASSERT_EQ(services.shellCalls.size(), 1u);
    EXPECT_EQ(services.shellCalls[0].file, Dir() + "Quorvex.exe");
    EXPECT_EQ(FileText(Dir() + "version.txt"), "[Quorvex]\r\nupdate=6\r\n");
    EXPECT_TRUE(services.messages.empty());
    uitest::SaveScreenshot(form_->Handle(), "fetchwell-installed");
}

// A man in the middle changes what the server sends. Whatever he changes, nothing is installed,
// the stamp stays, the downloaded files go and Quorvex is started again.
TEST_F(FetchwellFlow, WhatTheVendorDidNotSignIsRefused) {
    const std::string package = Package();
    const std::string list = testsupport::UpdateList(6, package);
    std::string alteredList = list, alteredPackage = package;
    alteredList.replace(alteredList.find("update=6"), 8, "update=9");
    alteredPackage[alteredPackage.size() / 2] ^= 0x20;
    const std::string signature = testsupport::Sign(list, FileText(QV_TEST_KEY_BLOB));
    std::string alteredSignature = signature;
    alteredSignature[17] ^= 0x01;
    struct Attack {
        const char* name;
        std::string list, signature, package;  // signature "": the list signed by the test key; "-": none
        std::string message;
    } attacks[] = {
        {"a byte of the list", alteredList, signature, package, kNotVerified},
        {"a byte of the signature", list, alteredSignature, package, kNotVerified},
        {"a byte of the package", list, signature, alteredPackage, kNotVerified},
        {"the package cut short", list, signature, package.substr(0, package.size() - 1), kNotVerified},
        {"no signature", list, "-", package, kNotVerified},
        {"another key", list, testsupport::Sign(list, FileText(QV_OTHER_KEY_BLOB)), package, kNotVerified},
        {"an older signed list replayed", testsupport::UpdateList(4, package), "", package,
         "Your version of Quorvex is up to date."},
    };
    for (const Attack& attack : attacks) {
        SCOPED_TRACE(attack.name);
        TearDown();
        SetUp();
        services.messages.clear();
        services.shellCalls.clear();
        WriteFile(Dir() + "readme.txt", "old manual");
        WriteFile(Dir() + "Quorvex.exe", "MZ old");
        updater::RemoveTree(Dir() + "docs");
        WriteFile(Served("update.txt"), attack.list);
        DeleteFileA(Served("update.txt.sig").c_str());
        if (attack.signature.empty()) Publish(attack.list);
        else if (attack.signature != "-") WriteFile(Served("update.txt.sig"), attack.signature);
        WriteFile(Served("quorvexupdate.zip"), attack.package);

        CheckList(kServer + "/quorvex/update.txt");
        ASSERT_TRUE(uitest::PumpUntil([&] { return ui::App().Terminated() || form_->Find("Button2").Enabled(); }, 15000));
        if (!ui::App().Terminated()) {
            Click("Button2");
            ASSERT_TRUE(uitest::PumpUntil([] { return ui::App().Terminated(); }, 30000));
        }
        EXPECT_EQ(Boxes(), std::vector<std::string>{attack.message});
        EXPECT_EQ(FileText(Dir() + "readme.txt"), "old manual");
        EXPECT_EQ(FileText(Dir() + "Quorvex.exe"), "MZ old");
        EXPECT_EQ(GetFileAttributesA((Dir() + "docs").c_str()), INVALID_FILE_ATTRIBUTES);
        EXPECT_EQ(FileText(Dir() + "version.txt"), "[Quorvex]\r\nupdate=5\r\n");
        if (attack.message == kNotVerified) {
            for (const char* file : {"update.txt", "update.txt.sig", "update.zip"})
                EXPECT_EQ(GetFileAttributesA((Dir() + file).c_str()), INVALID_FILE_ATTRIBUTES) << file;
        }
        ASSERT_EQ(services.shellCalls.size(), 1u);
        EXPECT_EQ(services.shellCalls[0].file, Dir() + "Quorvex.exe");
    }
}

TEST_F(FetchwellFlow, AnUnreachableServerOrAnErrorPageIsAFailedList) {
    for (const std::string& url : {std::string("http://127.0.0.2/file/update.txt"), kServer + "/file/no-such-list.txt",
                                  std::string("http://nohost.quorvex.test/update.txt")}) {
        SCOPED_TRACE(url);
        TearDown();
        SetUp();
        services.messages.clear();
        CheckList(url);
        ASSERT_TRUE(uitest::PumpUntil([&] { return !services.messages.empty(); }, 30000));
        EXPECT_EQ(Boxes(), std::vector<std::string>{"Could not download an update list."});
        EXPECT_FALSE(form_->Find("Button1").Enabled());
        EXPECT_FALSE(form_->Find("Button2").Enabled());
    }
}

TEST_F(FetchwellFlow, AListTransferThatFailsLeavesCheckAvailable) {
    // No Content-Length: the transfer fails and the list downloader has no error handler.
    CheckList(kServer + "/body?size=40&length=none");
    ASSERT_TRUE(uitest::PumpUntil([&] { return !form_->Find<updater::THTTPDownload>("getlist").Busy(); }, 15000));
    uitest::PumpUntil([] { return false; }, 200);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(form_->Find("Button1").Enabled());
    EXPECT_FALSE(ui::App().Terminated());
}

// Behind the proxy of with_proxy.sh, which wants "tester" and "secret": the person is asked once
// per check and the list comes through with the right answer; a cancelled prompt says so and
// changes nothing.
TEST_F(FetchwellFlow, AProxyThatWantsAPasswordAsksThePerson) {
    Publish(testsupport::UpdateList(6, Package(), "wersja=Quorvex 2.1\r\n"));
    // The system's proxy setting (this namespace's copy of the prefix), for this test only.
    struct SystemProxy {
        HKEY key = nullptr;
        SystemProxy() {
            RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings", &key);
            const DWORD on = 1;
            RegSetValueExA(key, "ProxyEnable", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&on), sizeof(on));
            RegSetValueExA(key, "ProxyServer", 0, REG_SZ, reinterpret_cast<const BYTE*>("127.0.0.1:8080"), 15);
        }
        ~SystemProxy() {
            RegDeleteValueA(key, "ProxyEnable");
            RegDeleteValueA(key, "ProxyServer");
            RegCloseKey(key);
        }
    } proxy;

    CheckList(kServer + "/file/update.txt");
    ASSERT_TRUE(uitest::PumpUntil([&] { return !services.messages.empty(); }, 15000));
    EXPECT_EQ(Boxes(), std::vector<std::string>{"The proxy server asks for a user name and password, and none was "
                                                "given. Nothing was changed."});
    EXPECT_EQ(services.internetPrompts, 1);
    EXPECT_EQ(GetFileAttributesA((Dir() + "update.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(form_->Find("Button1").Enabled());
    EXPECT_FALSE(ui::App().Terminated());

    // What the real prompt does with the person's answer: it stores it on the request.
    services.messages.clear();
    services.onInternetPrompt = [](HINTERNET request) {
        InternetSetOptionA(request, INTERNET_OPTION_PROXY_USERNAME, const_cast<char*>("tester"), 6);
        InternetSetOptionA(request, INTERNET_OPTION_PROXY_PASSWORD, const_cast<char*>("secret"), 6);
        return static_cast<DWORD>(ERROR_INTERNET_FORCE_RETRY);
    };
    Click("Button1");
    ASSERT_TRUE(uitest::PumpUntil([&] { return form_->Find("Button2").Enabled() || !services.messages.empty(); }, 15000));
    EXPECT_TRUE(services.messages.empty());
    EXPECT_EQ(form_->Find("wersja").Text(), "Quorvex 2.1");
    EXPECT_EQ(services.internetPrompts, 2);  // the signature came through with the same answer
}

TEST_F(FetchwellFlow, ExitDuringAPackageDownloadEndsAtOnceAndStartsQuorvex) {
    auto& get = form_->Find<updater::THTTPDownload>("get");
    get.FileName = Dir() + "update.zip";
    get.URL = kServer + "/body?size=2000000&chunk=4000&delay=20";
    get.StartDownload();
    ASSERT_TRUE(uitest::PumpUntil([&] { return form_->Find<ui::TProgressBar>("postep").Position() > 0; }, 15000));
    Click("Button3");
    ASSERT_TRUE(uitest::PumpUntil([] { return ui::App().Terminated(); }, 5000));
    ui::App().Reset();  // the window and its downloaders go while the transfer runs
    uitest::PumpUntil([] { return false; }, 300);
    ASSERT_EQ(services.shellCalls.size(), 1u);  // Quorvex, closed for the update, starts again
}

// Run in a child process by the test below: a package the list vouches for that is no archive.
TEST_F(FetchwellFlow, DISABLED_CutShortPackageChild) {
    services.onMessage = [](const testsupport::ScriptedServices::MessageCall& call) {
        std::ofstream(Dir() + "child-report.txt") << call.caption << "|" << call.text;
    };
    const std::string cut = Package().substr(0, 100);
    Publish(testsupport::UpdateList(6, cut, "wersja=2.1\r\nrelease=x\r\nrozmiar=y\r\n"));
    WriteFile(Served("quorvexupdate.zip"), cut);
    CheckList(kServer + "/file/update.txt");
    uitest::PumpUntil([&] { return form_->Find("Button2").Enabled(); }, 15000);
    Click("Button2");
    uitest::PumpUntil([] { return ui::App().Terminated(); }, 30000);
}

TEST(FetchwellFailure, APackageCutShortIsAFailedInstallNotAnApplicationError) {
    DeleteFileA((Dir() + "child-report.txt").c_str());
    WriteFile(Dir() + "version.txt", "[Quorvex]\r\nupdate=5\r\n");
    const DWORD code = testsupport::RunChildTest("FetchwellFlow.DISABLED_CutShortPackageChild");
    EXPECT_EQ(code, 0u);
    const std::string report = FileText(Dir() + "child-report.txt");
    EXPECT_EQ(report, "fetchwell_flow_tests|Could not install the update. The installed version is unchanged.");
    EXPECT_EQ(FileText(Dir() + "version.txt"), "[Quorvex]\r\nupdate=5\r\n");
}

}  // namespace
