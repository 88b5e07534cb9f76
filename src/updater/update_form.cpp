#include "updater/update_form.h"

#include "common/files.h"
#include "common/policies.h"
#include "common/profile.h"
#include "common/update_settings.h"
#include "common/system_services.h"
#include "common/text.h"
#include "ui/application.h"
#include "updater/install.h"
#include "updater/signature.h"

#include <shellapi.h>

namespace updater {

bool ImageNameMatches(const std::string& imageName, const std::string& image) {
    const std::string wanted = common::AsciiUpper(image);
    const size_t separator = imageName.find_last_of("\\:");
    const std::string filePart = separator == std::string::npos ? imageName : imageName.substr(separator + 1);
    return common::AsciiUpper(filePart) == wanted || common::AsciiUpper(imageName) == wanted;
}

namespace {
constexpr const char* kClickCheck = "Click on the \"Check\" button!";
constexpr const char* kNotVerified = "Could not verify the update. Nothing was changed.";
constexpr const char* kUpdatesOff = "Updates are turned off by your administrator.";
constexpr const char* kNotInstalled = "Could not install the update. The installed version is unchanged.";
constexpr const char* kProxyCancelled =
    "The proxy server asks for a user name and password, and none was given. Nothing was changed.";

// How many processes run the program `image`.
int Running(const std::string& image) {
    int count = 0;
    for (const std::string& name : common::Services().ProcessImageNames()) count += ImageNameMatches(name, image);
    return count;
}

// The downloaded files, in the program directory.
std::string ListFile() { return common::ProgramDirectory() + "update.txt"; }
std::string SignatureFile() { return common::ProgramDirectory() + "update.txt.sig"; }
std::string PackageFile() { return common::ProgramDirectory() + "update.zip"; }

// The settings the window's three downloads share.
void Downloader(THTTPDownload& download) {
    download.Agent = "Fetchwell Downloader";
    download.BinaryData = false;
    download.WaitThread = false;
    // Behind a company proxy that wants a password, the person is asked for it (once).
    download.ProxyPrompt = true;
}

const ui::Color kValueColor = ui::Rgb(0xFF, 0xF5, 0xBF);
const ui::Color kCreditColor = ui::Rgb(0xFF, 0xEA, 0x71);
}  // namespace

const ui::FormSpec Tupdate::kForm = {
    .className = "Tupdate",
    .caption = "Quorvex Fetchwell",
    .clientWidth = 384,
    .clientHeight = 527,
    .border = ui::BorderStyle::Single,
    .borderIcons = 0,
    .position = ui::FormPosition::ScreenCenter,
    .color = ui::Rgb(0xFA, 0xA4, 0x30),
    .font = {"Tahoma", -11, false, ui::Rgb(0xFF, 0xFD, 0xF2)},
    .snapBuffer = 35,
    .onFirstActivate = ui::Do(&Tupdate::FormActivate),
};

const ui::ControlSpec Tupdate::kLayout[] = {
    ui::Label("Label1", {8, 8, 323, 23}, "Quorvex Fetchwell Center").Font("Tahoma", -19).Bold().TextColor(ui::Rgb(0x36, 0x5B, 0x98)),
    ui::Label("Label2", {8, 40, 357, 13}, "Welcome in Quorvex's update system. With this program you can easily"),
    ui::Label("Label3", {8, 56, 349, 13}, "download and install updates to this product. If an update is available on"),
    ui::Label("Label4", {8, 72, 363, 13}, "the server, it will be automatically downloaded and installed. Then, program"),
    ui::Label("Label5", {8, 88, 172, 13}, "will be restarted in the new version."),
    ui::Label("Label12", {40, 368, 96, 13}, "Download progress:"),
    ui::Label("Label13", {8, 480, 368, 13}, "Quorvex and Fetchwell (c) 2004-2026 The Quorvex developers.").TextColor(kCreditColor),
    ui::Label("Label14", {8, 496, 190, 13}, "Unpacking uses zlib by J. Gailly and M. Adler.").TextColor(kCreditColor),
    ui::GroupBox("GroupBox1", {32, 112, 321, 137}, "Info about new version:").TabOrder(0),
    ui::Label("Label6", {8, 24, 80, 13}, "Version name:").In("GroupBox1").Bold(),
    ui::Label("Label7", {8, 48, 77, 13}, "Release date:").In("GroupBox1").Bold(),
    ui::Label("Label8", {8, 72, 47, 13}, "File size:").In("GroupBox1").Bold(),
    ui::Label("wersja", {112, 24, 158, 13}, kClickCheck).In("GroupBox1").Bold().TextColor(kValueColor),
    ui::Label("release", {112, 48, 158, 13}, kClickCheck).In("GroupBox1").Bold().TextColor(kValueColor),
    ui::Label("rozmiar", {112, 72, 158, 13}, kClickCheck).In("GroupBox1").Bold().TextColor(kValueColor),
    ui::Button("Button1", {232, 96, 75, 25}, "Check").In("GroupBox1").Disabled().TabOrder(0).OnClick(&Tupdate::Button1Click),
    ui::Label("Label15", {40, 256, 78, 13}, "Release notes:"),
    ui::Memo("notes", {40, 272, 305, 89}),
    ui::Button("Button2", {256, 408, 91, 25}, "Download").Disabled().TabOrder(1).OnClick(&Tupdate::Button2Click),
    ui::Button("Button4", {144, 408, 105, 25}, "Skip this version").Disabled().OnClick(&Tupdate::Button4Click),
    ui::ProgressBar("postep", {40, 384, 305, 17}).Range(0, 100).Position(0).TabOrder(2).NamedBy("Label12"),
    ui::Button("Button3", {256, 440, 91, 25}, "Exit").TabOrder(3).Cancel().OnClick(&Tupdate::Button3Click),
    ui::StartMark("startup", {48, 432, 97, 17}).TabOrder(4),
    ui::Manifest("man"),
    ui::Custom<ZipComponent, Tupdate>("zip", [](Tupdate&, ZipComponent& zip) {
        archive::TZipArchiver& a = zip.archiver;
        a.ExtractCorruptedFiles = false;
        a.SetCompressionLevel(archive::clFastest);
        a.SetCompressionMode(1);
        a.SetSpanningMode(archive::smNone);
        a.Options.FlushBuffers = true;
        a.InMemory = false;
        a.SetZip64Mode(archive::zmDisabled);
        // The package belongs in the program directory, whatever directory Fetchwell runs in.
        a.BaseDir = common::ProgramDirectory();
    }),
    ui::Custom<THTTPDownload, Tupdate>("get", [](Tupdate& form, THTTPDownload& get) {
        Downloader(get);
        get.OnProgress = [&form](THTTPDownloadThread* s, int32_t total, int32_t readed) { form.getProgress(s, total, readed); };
        get.OnDoneFile = [&form](THTTPDownload* s, const std::string& f, int32_t n) { form.getDoneFile(s, f, n); };
        get.OnError = [&form](THTTPDownload* s) { form.getError(s); };
    }),
    ui::Custom<THTTPDownload, Tupdate>("getlist", [](Tupdate& form, THTTPDownload& getlist) {
        Downloader(getlist);
        getlist.URL = kUpdateListUrl;
        getlist.OnDoneFile = [&form](THTTPDownload* s, const std::string& f, int32_t n) { form.getlistDoneFile(s, f, n); };
        getlist.OnError = [&form](THTTPDownload* s) { form.getlistError(s); };
    }),
    ui::Custom<THTTPDownload, Tupdate>("getsig", [](Tupdate& form, THTTPDownload& getsig) {
        Downloader(getsig);
        getsig.OnDoneFile = [&form](THTTPDownload* s, const std::string& f, int32_t n) { form.getsigDoneFile(s, f, n); };
        getsig.OnError = [&form](THTTPDownload* s) { form.getsigError(s); };
    }),
};

Tupdate::Tupdate(ui::Form* owner, std::string arguments)
    : ui::Form(owner, kForm, kLayout), arguments_(std::move(arguments)) {}

void Tupdate::FormActivate() {
    RecoverInterruptedInstall(common::ProgramDirectory());
    const common::Policies policies = common::ReadPolicies();
    if (policies.disableUpdates) {
        DisableButtons();
        ui::ShowMessage(kUpdatesOff);
        Finish();
        return;
    }
    // A company mirror serves the same signed files: the signature check decides what is installed.
    if (!policies.updateUrl.empty()) getlist->URL = policies.updateUrl;
    versionFile_ = std::make_unique<common::IniFile>(common::ProgramDirectory() + "version.txt");
    installedBuild_ = versionFile_->ReadInteger("Quorvex", "update", kUnknownBuild);
    if (installedBuild_ == kUnknownBuild) {
        ui::ShowMessage(
            "Fetchwell was unable to determine version of Quorvex. Please make sure both programs are in the same "
            "directory.");
        Button2->SetEnabled(false);
        Button1->SetEnabled(false);
    } else {
        Button1->SetEnabled(true);
    }
    RunningProcessCheck("Quorvex.exe");
    // Started from Quorvex's update balloon: the offer the person clicked on is shown at once.
    if (Button1->Enabled() && common::AsciiUpper(arguments_).find(common::AsciiUpper(kCheckSwitch)) != std::string::npos)
        Button1Click();
}

void Tupdate::RunningProcessCheck(const std::string& image) {
    // "Check for updates" starts Fetchwell while Quorvex is still on its way out.
    int count = Running(image);
    for (DWORD waited = 0; count > 0 && waited < kClosingWait; waited += 250) {
        Sleep(250);
        count = Running(image);
    }
    for (int i = 0; i < count; ++i) {
        ui::ShowMessage("Close Quorvex first!");
        Button1->SetEnabled(false);
    }
}

bool Tupdate::QuorvexRuns() const { return Running("Quorvex.exe") > 0; }

void Tupdate::Button1Click() {
    getlist->FileName = ListFile();
    getlist->StartDownload();
}

void Tupdate::getlistDoneFile(THTTPDownload*, const std::string&, int32_t) {
    // Nothing of the list counts before its signature, which lies beside it, has verified it.
    getsig->FileName = SignatureFile();
    getsig->URL = getlist->URL + ".sig";
    getsig->StartDownload();
}

// A failed list transfer says nothing, unless the person cancelled the proxy's prompt: "Check"
// stays, for another try.
void Tupdate::getlistError(THTTPDownload*) { ProxyCancelled(*getlist); }

bool Tupdate::ProxyCancelled(const THTTPDownload& download) {
    if (!download.ProxyCancelled()) return false;
    ui::ShowMessage(kProxyCancelled);
    return true;
}

void Tupdate::getsigError(THTTPDownload*) {
    if (!ProxyCancelled(*getsig)) Refuse();
}

void Tupdate::getsigDoneFile(THTTPDownload*, const std::string&, int32_t) {
    const CheckedList checked = CheckList(ListFile(), SignatureFile());
    switch (checked.verdict) {
    case ListVerdict::NoList:
        // What is no list at all (an error page, an empty answer) is acted on no further than this.
        DisableButtons();
        ui::ShowMessage("Could not download an update list.");
        return;
    case ListVerdict::NotVerified:
        Refuse();
        return;
    case ListVerdict::Verified:
        listed_ = checked.update;
        EvaluateList();
        return;
    }
}

void Tupdate::EvaluateList() {
    // A build the person skipped is shown here all the same: this check was asked for.
    if (Offered(listed_.build, installedBuild_)) {
        // The package is taken only with the size and digest the signed list gives for it.
        if (!listed_.PackageDescribed()) {
            Refuse();
            return;
        }
        ShowOffer();
        return;
    }
    ui::ShowMessage("Your version of Quorvex is up to date.");
    Finish();
}

void Tupdate::ShowOffer() {
    wersja->SetText(listed_.versionName);
    release->SetText(listed_.release);
    rozmiar->SetText(listed_.size);
    notes->SetText(listed_.notes);
    Button2->SetEnabled(true);
    Button4->SetEnabled(true);
}

void Tupdate::Finish() {
    if (!QuorvexRuns()) {
        const std::string quorvex = common::ProgramDirectory() + "Quorvex.exe";
        common::Services().ShellExecuteA(Handle(), "open", quorvex.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    }
    ui::App().Terminate();
}

void Tupdate::DisableButtons() {
    Button1->SetEnabled(false);
    Button2->SetEnabled(false);
    Button4->SetEnabled(false);
}

void Tupdate::Refuse() {
    DisableButtons();
    ui::ShowMessage(kNotVerified);
    for (const std::string& file : {ListFile(), SignatureFile(), PackageFile()}) DeleteFileA(file.c_str());
    Finish();
}

void Tupdate::Button2Click() {
    get->FileName = PackageFile();
    get->URL = PackageUrl(getlist->URL);
    get->StartDownload();
}

void Tupdate::getProgress(THTTPDownloadThread*, int32_t totalSize, int32_t readed) {
    postep->SetMax(totalSize);
    postep->SetPosition(readed);
}

void Tupdate::getError(THTTPDownload*) {
    if (!ProxyCancelled(*get)) ui::ShowMessage("Could not download this file!");
    Finish();
}

bool Tupdate::PackageMatchesList() const {
    std::string digest;
    long long size = 0;
    return FileDigest(PackageFile(), digest, size) && size == listed_.bytes && digest == listed_.sha256;
}

bool Tupdate::Install() {
    const std::string dir = common::ProgramDirectory();
    InstallLock lock(dir);
    if (!lock.Held()) return false;
    const std::string staging = dir + kStagingFolder;
    RemoveTree(staging);
    if (!CreateDirectoryA(staging.c_str(), nullptr)) return false;

    // Every entry must arrive whole: any failure, a skipped entry or an error of the archive
    // itself stops the unpacking before a single file in the program directory has changed.
    archive::TZipArchiver& archiver = zip->archiver;
    bool whole = true;
    archiver.BaseDir = staging;
    archiver.OnProcessFileFailure = [&whole](archive::TZABaseArchiver*, const std::string&, archive::TZAProcessOperation, int,
                                        int, const std::string&, archive::TZAAction& action) {
        whole = false;
        action = archive::fxaAbort;
    };
    archiver.OnPassword = [&whole](archive::TZABaseArchiver*, const std::string&, std::string&, bool& skip) {
        whole = false;
        skip = true;
    };
    archiver.FileName = PackageFile();
    try {
        archiver.OpenArchiveFile();
        archiver.ExtractMatching("*.*", 63, "");
        whole = whole && archiver.ProcessedCount() == archiver.SelectedCount();
    } catch (...) {
        whole = false;
    }
    archiver.CloseArchiveFile();
    if (!whole) {
        RemoveTree(staging);
        return false;
    }
    return CommitStaged(dir);
}

void Tupdate::getDoneFile(THTTPDownload*, const std::string&, int32_t) {
    if (!PackageMatchesList()) {
        Refuse();
        return;
    }
    if (!Install()) {
        ui::ShowMessage(kNotInstalled);
        Finish();
        return;
    }
    try {
        versionFile_->WriteInteger("quorvex", "update", listed_.build);
    } catch (const std::exception&) {
        // The new Quorvex stamps this same build when it starts.
    }
    Finish();
}

void Tupdate::Button3Click() { Finish(); }

// "Skip this version": Quorvex's own checks keep quiet about this build from now on; the person's
// profile keeps it, beside the display modes.
void Tupdate::Button4Click() {
    std::string user;
    if (common::Services().GetUserNameA(user) && !user.empty()) {
        common::EnsureUsersDirectory();
        common::IniFile profile(common::ProfilePath(common::AsciiUpper(user)));
        common::UpdateSettings(profile).Skip(listed_.build);
    }
    Finish();
}

}  // namespace updater
