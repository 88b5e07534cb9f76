#pragma once
// Fetchwell's window: reads the installed build, fetches the update list and its signature, acts on
// the list only when the signature verifies with the built-in key, downloads the package, checks
// it against the size and digest the list gives, installs it through a staging folder, records the
// new build and restarts Quorvex.
#include "common/ini_file.h"
#include "ui/form.h"
#include "updater/http_download.h"
#include "updater/update_list.h"
#include "updater/zip_component.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace updater {

// Whether a process snapshot's image name is `image`: its file-name part (after the last "\" or
// ":"), or else the whole name, compared in ASCII upper case.
bool ImageNameMatches(const std::string& imageName, const std::string& image);

class Tupdate : public ui::Form {
public:
    // `arguments`: the program's command line after its name.
    explicit Tupdate(ui::Form* owner, std::string arguments = {});

    void FormActivate();
    void Button1Click();
    void getlistDoneFile(THTTPDownload* sender, const std::string& fileName, int32_t fileSize);
    void getlistError(THTTPDownload* sender);
    void getsigDoneFile(THTTPDownload* sender, const std::string& fileName, int32_t fileSize);
    void getsigError(THTTPDownload* sender);
    void Button2Click();
    void getProgress(THTTPDownloadThread* sender, int32_t totalSize, int32_t readed);
    void getError(THTTPDownload* sender);
    void getDoneFile(THTTPDownload* sender, const std::string& fileName, int32_t fileSize);
    void Button3Click();
    void Button4Click();

    int32_t InstalledBuild() const { return installedBuild_; }
    int32_t ListedBuild() const { return listed_.build; }

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

    // How long the running-process check waits for a Quorvex that is closing, in milliseconds.
    static constexpr DWORD kClosingWait = 3000;

private:
    void RunningProcessCheck(const std::string& image);
    // Says so when `download` ended at a proxy prompt the person cancelled.
    bool ProxyCancelled(const THTTPDownload& download);
    void EvaluateList();
    // Every way out: Quorvex is started again unless it runs, then the program ends.
    void Finish();
    bool QuorvexRuns() const;
    // Nothing was changed: the message, the downloaded files removed, then Finish.
    void Refuse();
    bool PackageMatchesList() const;
    // The offer: the list's texts and notes shown, "Download" and "Skip this version" enabled.
    void ShowOffer();
    bool Install();

    // Nothing is acted on any further: neither "Check" nor "Download" can be pressed.
    void DisableButtons();

    ui::Bound<ui::TButton> Button1{*this, "Button1"}, Button2{*this, "Button2"}, Button4{*this, "Button4"};
    ui::Bound<ui::TMemo> notes{*this, "notes"};
    ui::Bound<ui::TLabel> wersja{*this, "wersja"}, release{*this, "release"}, rozmiar{*this, "rozmiar"};
    ui::Bound<ui::TProgressBar> postep{*this, "postep"};
    ui::Bound<ZipComponent> zip{*this, "zip"};
    ui::Bound<THTTPDownload> get{*this, "get"}, getlist{*this, "getlist"}, getsig{*this, "getsig"};
    int32_t installedBuild_ = kUnknownBuild;
    std::unique_ptr<common::IniFile> versionFile_;
    ListedUpdate listed_;
    std::string arguments_;
};

}  // namespace updater
