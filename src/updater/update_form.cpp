#include "updater/update_form.h"

#include "common/files.h"
#include "common/policies.h"
#include "common/system_services.h"
#include "common/text.h"
#include "ui/application.h"
#include "updater/install.h"
#include "updater/signature.h"

#include <shellapi.h>

#ifndef QUORVEX_UPDATE_URL
#define QUORVEX_UPDATE_URL "http://update.quorvex.example/quorvex/update.txt"
#endif

namespace updater {

const char* const kUpdateListUrl = QUORVEX_UPDATE_URL;

std::string PackageUrl(const std::string& listUrl) {
    return listUrl.substr(0, listUrl.rfind('/') + 1) + "quorvexupdate.zip";
}

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

// A downloaded file's bytes (the list and its signature are small); empty when it cannot be read.
std::string WholeFile(const std::string& path) { return common::ReadWholeFile(path, 1u << 20); }
// The settings the window's three downloads share.
void Downloader(THTTPDownload& download) {
    download.Agent = "Fetchwell Downloader";
    download.BinaryData = false;
    download.WaitThread = false;
}

const ui::Color kValueColor = ui::Rgb(0xFF, 0xF5, 0xBF);
const ui::Color kCreditColor = ui::Rgb(0xFF, 0xEA, 0x71);
}  // namespace

const ui::FormSpec Tupdate::kForm = {
    .className = "Tupdate",
    .caption = "Quorvex Fetchwell",
    .clientWidth = 384,
    .clientHeight = 415,
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
    ui::Label("Label12", {40, 256, 96, 13}, "Download progress:"),
    ui::Label("Label13", {8, 368, 368, 13}, "Quorvex and Fetchwell (c) 2004-2026 The Quorvex developers.").TextColor(kCreditColor),
    ui::Label("Label14", {8, 384, 190, 13}, "Unpacking uses zlib by J. Gailly and M. Adler.").TextColor(kCreditColor),
    ui::GroupBox("GroupBox1", {32, 112, 321, 137}, "Info about new version:").TabOrder(0),
    ui::Label("Label6", {8, 24, 80, 13}, "Version name:").In("GroupBox1").Bold(),
    ui::Label("Label7", {8, 48, 77, 13}, "Release date:").In("GroupBox1").Bold(),
    ui::Label("Label8", {8, 72, 47, 13}, "File size:").In("GroupBox1").Bold(),
    ui::Label("wersja", {112, 24, 158, 13}, kClickCheck).In("GroupBox1").Bold().TextColor(kValueColor),
    ui::Label("release", {112, 48, 158, 13}, kClickCheck).In("GroupBox1").Bold().TextColor(kValueColor),
    ui::Label("rozmiar", {112, 72, 158, 13}, kClickCheck).In("GroupBox1").Bold().TextColor(kValueColor),
    ui::Button("Button1", {232, 96, 75, 25}, "Check").In("GroupBox1").Disabled().TabOrder(0).OnClick(&Tupdate::Button1Click),
    ui::Button("Button2", {256, 296, 91, 25}, "Download").Disabled().TabOrder(1).OnClick(&Tupdate::Button2Click),
    ui::ProgressBar("postep", {40, 272, 305, 17}).Range(0, 100).Position(0).TabOrder(2).NamedBy("Label12"),
    ui::Button("Button3", {256, 328, 91, 25}, "Exit").TabOrder(3).Cancel().OnClick(&Tupdate::Button3Click),
    ui::StartMark("startup", {48, 320, 97, 17}).TabOrder(4),
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
    }),
    ui::Custom<THTTPDownload, Tupdate>("getsig", [](Tupdate& form, THTTPDownload& getsig) {
        Downloader(getsig);
        getsig.OnDoneFile = [&form](THTTPDownload* s, const std::string& f, int32_t n) { form.getsigDoneFile(s, f, n); };
        getsig.OnError = [&form](THTTPDownload* s) { form.getsigError(s); };
    }),
};

Tupdate::Tupdate(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

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

void Tupdate::getsigError(THTTPDownload*) { Refuse(); }

void Tupdate::getsigDoneFile(THTTPDownload*, const std::string&, int32_t) {
    if (SignatureMatches(WholeFile(ListFile()), WholeFile(SignatureFile()), BuiltInUpdateKey())) {
        EvaluateList();
        return;
    }
    // What is no list at all (an error page, an empty answer) is reported as before; it is acted
    // on no further than that.
    if (common::IniFile(ListFile()).ReadInteger("quorvex", "update", kUnknownBuild) == kUnknownBuild) {
        DisableButtons();
        ui::ShowMessage("Could not download an update list.");
        return;
    }
    Refuse();
}

void Tupdate::EvaluateList() {
    updateList_ = std::make_unique<common::IniFile>(ListFile());
    listedBuild_ = updateList_->ReadInteger("quorvex", "update", kUnknownBuild);
    if (listedBuild_ == kUnknownBuild) {
        DisableButtons();
        ui::ShowMessage("Could not download an update list.");
        return;
    }
    if (installedBuild_ < listedBuild_) {
        // The package is taken only with the size and digest the signed list gives for it.
        listedBytes_ = updateList_->ReadInteger("quorvex", "bytes", -1);
        listedDigest_ = updateList_->ReadString("quorvex", "sha256", "");
        for (char& c : listedDigest_) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        if (listedBytes_ < 0 || listedDigest_.size() != 64) {
            Refuse();
            return;
        }
        wersja->SetText(updateList_->ReadString("quorvex", "wersja", "Error"));
        release->SetText(updateList_->ReadString("quorvex", "release", "Error"));
        rozmiar->SetText(updateList_->ReadString("quorvex", "rozmiar", "Error"));
        Button2->SetEnabled(true);
        return;
    }
    ui::ShowMessage("Your version of Quorvex is up to date.");
    Finish();
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
    ui::ShowMessage("Could not download this file!");
    Finish();
}

bool Tupdate::PackageMatchesList() const {
    std::string digest;
    long long size = 0;
    return FileDigest(PackageFile(), digest, size) && size == listedBytes_ && digest == listedDigest_;
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
        versionFile_->WriteInteger("quorvex", "update", listedBuild_);
    } catch (const std::exception&) {
        // The new Quorvex stamps this same build when it starts.
    }
    Finish();
}

void Tupdate::Button3Click() { Finish(); }

}  // namespace updater
