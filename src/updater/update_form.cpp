#include "updater/update_form.h"

#include "common/system_services.h"
#include "common/text.h"
#include "ui/application.h"
#include "updater/zip_component.h"

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
    .onActivate = ui::Do(&Tupdate::FormActivate),
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
    ui::ProgressBar("postep", {40, 272, 305, 17}).Range(0, 100).Position(0).TabOrder(2),
    ui::Button("Button3", {256, 328, 91, 25}, "Exit").TabOrder(3).OnClick(&Tupdate::Button3Click),
    ui::CheckBox("startup", {48, 320, 97, 17}, "startup").Checked().Hidden().TabOrder(4),
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
        get.Agent = "Fetchwell Downloader";
        get.BinaryData = false;
        get.WaitThread = false;
        get.OnProgress = [&form](THTTPDownloadThread* s, int32_t total, int32_t readed) { form.getProgress(s, total, readed); };
        get.OnDoneFile = [&form](THTTPDownload* s, const std::string& f, int32_t n) { form.getDoneFile(s, f, n); };
        get.OnError = [&form](THTTPDownload* s) { form.getError(s); };
    }),
    ui::Custom<THTTPDownload, Tupdate>("getlist", [](Tupdate& form, THTTPDownload& getlist) {
        getlist.Agent = "Fetchwell Downloader";
        getlist.BinaryData = false;
        getlist.WaitThread = false;
        getlist.URL = kUpdateListUrl;
        getlist.OnDoneFile = [&form](THTTPDownload* s, const std::string& f, int32_t n) { form.getlistDoneFile(s, f, n); };
    }),
};

Tupdate::Tupdate(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void Tupdate::FormActivate() {
    auto& startup = Find<ui::TCheckBox>("startup");
    if (!startup.Checked()) return;
    startup.SetChecked(false);

    versionFile_ = std::make_unique<common::IniFile>(common::ProgramDirectory() + "version.txt");
    installedBuild_ = versionFile_->ReadInteger("Quorvex", "update", 2000);
    if (installedBuild_ == 2000) {
        ui::ShowMessage(
            "Fetchwell was unable to determine version of Quorvex. Please make sure both programs are in the same "
            "directory.");
        Find("Button2").SetEnabled(false);
        Find("Button1").SetEnabled(false);
    } else {
        Find("Button1").SetEnabled(true);
    }
    RunningProcessCheck("Quorvex.exe");
}

void Tupdate::RunningProcessCheck(const std::string& image) {
    for (const std::string& name : common::Services().ProcessImageNames()) {
        if (!ImageNameMatches(name, image)) continue;
        ui::ShowMessage("Close Quorvex first!");
        Find("Button1").SetEnabled(false);
    }
}

void Tupdate::Button1Click() {
    auto& getlist = Find<THTTPDownload>("getlist");
    getlist.FileName = common::ProgramDirectory() + "update.txt";
    getlist.StartDownload();
}

void Tupdate::getlistDoneFile(THTTPDownload*, const std::string&, int32_t) {
    updateList_ = std::make_unique<common::IniFile>(common::ProgramDirectory() + "update.txt");
    listedBuild_ = updateList_->ReadInteger("quorvex", "update", 2000);
    if (listedBuild_ == 2000) {
        Find("Button1").SetEnabled(false);
        Find("Button2").SetEnabled(false);
        ui::ShowMessage("Could not download an update list.");
        return;
    }
    if (installedBuild_ < listedBuild_) {
        Find("wersja").SetText(updateList_->ReadString("quorvex", "wersja", "Error"));
        Find("release").SetText(updateList_->ReadString("quorvex", "release", "Error"));
        Find("rozmiar").SetText(updateList_->ReadString("quorvex", "rozmiar", "Error"));
        Find("Button2").SetEnabled(true);
        return;
    }
    ui::ShowMessage("Your version of Quorvex is up to date.");
    Restart();
}

void Tupdate::StartQuorvex() {
    const std::string quorvex = common::ProgramDirectory() + "Quorvex.exe";
    common::Services().ShellExecuteA(Handle(), "open", quorvex.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

void Tupdate::Restart() {
    StartQuorvex();
    ui::App().Terminate();
}

void Tupdate::Button2Click() {
    auto& get = Find<THTTPDownload>("get");
    get.FileName = common::ProgramDirectory() + "update.zip";
    get.URL = PackageUrl(Find<THTTPDownload>("getlist").URL);
    get.StartDownload();
}

void Tupdate::getProgress(THTTPDownloadThread*, int32_t totalSize, int32_t readed) {
    auto& bar = Find<ui::TProgressBar>("postep");
    bar.SetMax(totalSize);
    bar.SetPosition(readed);
}

void Tupdate::getError(THTTPDownload*) {
    ui::ShowMessage("Could not download this file!");
    ui::App().Terminate();
}

void Tupdate::getDoneFile(THTTPDownload*, const std::string&, int32_t) {
    archive::TZipArchiver& zip = Find<ZipComponent>("zip").archiver;
    zip.FileName = common::ProgramDirectory() + "update.zip";
    zip.OpenArchiveFile();
    zip.ExtractMatching("*.*", 63, "");
    zip.CloseArchiveFile();
    StartQuorvex();
    versionFile_->WriteInteger("quorvex", "update", listedBuild_);
    ui::App().Terminate();
}

void Tupdate::Button3Click() { ui::App().Terminate(); }

}  // namespace updater
