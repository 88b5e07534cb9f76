#pragma once
// Quorvex's own look for updates. About a minute after the start and then once an hour, one timer
// asks whether a check is due: the person has not turned checks off, the administrator has not, the
// session is neither locked nor remote, the last check that got a verified list is a week old and
// the last try a day old. A check fetches the list and its signature on the downloader's worker
// threads, without ever asking for a proxy's password, and checks them exactly as Fetchwell does
// (updater/update_list.h). A newer build the person has not skipped is told in a tray balloon; a
// click on it starts Fetchwell, which shows the offer. Nothing is downloaded beyond the list, and a
// check that fails says nothing: the next one is a day later.
#include "common/policies.h"
#include "common/update_settings.h"
#include "ui/component.h"
#include "updater/http_download.h"
#include "updater/update_list.h"

#include <cstdint>
#include <functional>
#include <string>

namespace desktop {
class TdskTrayIcon;
}

namespace tray {

class UpdateWatch {
public:
    // `host`: the form the timer and the downloads belong to; `startUpdater`: what a click on the
    // balloon does.
    UpdateWatch(ui::Form& host, std::function<void()> startUpdater);

    // From the start-up sequence, once the person and the administrator's settings are known. Under
    // the administrator's DisableUpdates no timer runs at all.
    void Start(desktop::TdskTrayIcon& tray, const std::string& profilePath, const common::Policies& policies,
               int32_t installedBuild);
    // The timer's work: starts a check when one is due and allowed.
    void Tick();
    bool Checking() const { return list_.Busy() || signature_.Busy(); }

    static constexpr int kFirstLook = 60 * 1000;        // after the start
    static constexpr int kLookInterval = 60 * 60 * 1000;  // the most the timer wakes Quorvex
    static constexpr common::UtcTime kCheckEvery = 7 * common::kUtcDay;
    static constexpr common::UtcTime kTryEvery = common::kUtcDay;
    static constexpr const char* kBalloonTitle = "Quorvex update";
    static std::string BalloonText(const std::string& versionName);

private:
    bool Allowed() const;
    void ListArrived();
    void SignatureArrived();
    void Offer(const updater::ListedUpdate& update);
    void BalloonClicked();
    // The downloaded list and signature, in the person's temporary folder.
    static std::string TemporaryFile(const char* name);
    static void RemoveDownloads();

    std::function<void()> startUpdater_;
    ui::TTimer timer_;
    updater::THTTPDownload list_, signature_;
    desktop::TdskTrayIcon* tray_ = nullptr;
    std::string profilePath_;
    common::Policies policies_;
    int32_t installedBuild_ = updater::kUnknownBuild;
    unsigned offerBalloon_ = 0;  // which of the icon's balloons is the offer; 0: none
};

}  // namespace tray
