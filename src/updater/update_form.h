#pragma once
// Fetchwell's window: reads the installed build, fetches the update list, downloads and unpacks
// the package, restarts Quorvex and records the new build.
#include "common/ini_file.h"
#include "ui/form.h"
#include "updater/http_download.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace updater {

// The update list's address, and the package's beside it.
extern const char* const kUpdateListUrl;
std::string PackageUrl(const std::string& listUrl);

// Whether a process snapshot's image name is `image`: its file-name part (after the last "\" or
// ":"), or else the whole name, compared in ASCII upper case.
bool ImageNameMatches(const std::string& imageName, const std::string& image);

class Tupdate : public ui::Form {
public:
    explicit Tupdate(ui::Form* owner);

    void FormActivate();
    void Button1Click();
    void getlistDoneFile(THTTPDownload* sender, const std::string& fileName, int32_t fileSize);
    void Button2Click();
    void getProgress(THTTPDownloadThread* sender, int32_t totalSize, int32_t readed);
    void getError(THTTPDownload* sender);
    void getDoneFile(THTTPDownload* sender, const std::string& fileName, int32_t fileSize);
    void Button3Click();

    int32_t InstalledBuild() const { return installedBuild_; }
    int32_t ListedBuild() const { return listedBuild_; }

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

private:
    void RunningProcessCheck(const std::string& image);
    void Restart();
    void StartQuorvex();

    int32_t installedBuild_ = 2000;
    int32_t listedBuild_ = 2000;
    std::unique_ptr<common::IniFile> versionFile_;
    std::unique_ptr<common::IniFile> updateList_;
};

}  // namespace updater
