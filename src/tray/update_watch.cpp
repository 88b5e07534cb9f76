#include "tray/update_watch.h"

#include "common/display_modes.h"
#include "desktop/tray_icon.h"

#include <windows.h>

namespace tray {

namespace {

// Locked (or at the logon or screen-saver desktop): the input desktop is not the person's, and no
// program of theirs may open or switch to it.
bool SessionLocked() {
    HDESK input = OpenInputDesktop(0, FALSE, DESKTOP_SWITCHDESKTOP);
    if (!input) return true;
    const bool locked = !SwitchDesktop(input);
    CloseDesktop(input);
    return locked;
}

// A moment in the future counts as long ago: the clock was set back, and waiting for it to catch up
// could stop checks for years.
bool AtLeastAgo(const std::optional<common::UtcTime>& then, common::UtcTime now, common::UtcTime span) {
    return !then || *then > now || now - *then >= span;
}

}  // namespace

UpdateWatch::UpdateWatch(ui::Form& host, std::function<void()> startUpdater)
    : startUpdater_(std::move(startUpdater)),
      timer_(host, "updateTimer"),
      list_(host, "updateList"),
      signature_(host, "updateSignature") {
    timer_.SetEnabled(false);
    timer_.SetOnTimer([this] { Tick(); });
    for (updater::THTTPDownload* download : {&list_, &signature_}) {
        // Nothing without a length is taken, and a failure is an error, never an empty file.
        download->BinaryData = true;
        download->OnError = [](updater::THTTPDownload*) { RemoveDownloads(); };
    }
    list_.OnDoneFile = [this](updater::THTTPDownload*, const std::string&, int32_t) { ListArrived(); };
    signature_.OnDoneFile = [this](updater::THTTPDownload*, const std::string&, int32_t) { SignatureArrived(); };
}

std::string UpdateWatch::BalloonText(const std::string& versionName) {
    return versionName + " is available. Click here to install it.";
}

void UpdateWatch::Start(desktop::TdskTrayIcon& tray, const std::string& profilePath, const common::Policies& policies,
                        int32_t installedBuild) {
    tray_ = &tray;
    profilePath_ = profilePath;
    policies_ = policies;
    installedBuild_ = installedBuild;
    if (policies_.disableUpdates) return;
    tray.OnBalloonClick = [this] { BalloonClicked(); };
    timer_.SetInterval(kFirstLook);
    timer_.SetEnabled(true);
}

bool UpdateWatch::Allowed() const {
    if (policies_.disableUpdates || Checking()) return false;
    common::IniFile profile(profilePath_);
    if (!common::UpdateSettings(profile).Automatic()) return false;
    return !common::RemoteSession() && !SessionLocked();
}

void UpdateWatch::Tick() {
    timer_.SetInterval(kLookInterval);
    if (!Allowed()) return;
    common::IniFile profile(profilePath_);
    common::UpdateSettings settings(profile);
    const common::UtcTime now = common::UtcNow();
    if (!AtLeastAgo(settings.LastCheck(), now, kCheckEvery) || !AtLeastAgo(settings.LastAttempt(), now, kTryEvery))
        return;
    try {
        settings.SetLastAttempt(now);
    } catch (const std::exception&) {
        return;  // a profile that cannot be written cannot space the checks: none is made
    }
    list_.URL = policies_.updateUrl.empty() ? updater::kUpdateListUrl : policies_.updateUrl;
    list_.FileName = TemporaryFile("update.txt");
    list_.StartDownload();
}

void UpdateWatch::ListArrived() {
    signature_.URL = list_.URL + ".sig";
    signature_.FileName = TemporaryFile("update.txt.sig");
    signature_.StartDownload();
}

void UpdateWatch::SignatureArrived() {
    const updater::CheckedList checked = updater::CheckList(TemporaryFile("update.txt"), TemporaryFile("update.txt.sig"));
    RemoveDownloads();
    if (checked.verdict != updater::ListVerdict::Verified) return;
    common::IniFile profile(profilePath_);
    common::UpdateSettings settings(profile);
    try {
        settings.SetLastCheck(common::UtcNow());
    } catch (const std::exception&) {
        // The offer is still worth telling; the next check comes after a day, as after a failure.
    }
    if (updater::Offered(checked.update.build, installedBuild_, settings.SkippedBuild()) &&
        checked.update.PackageDescribed())
        Offer(checked.update);
}

// The icon's own balloon texts stay what they were for its other balloon.
void UpdateWatch::Offer(const updater::ListedUpdate& update) {
    desktop::TdskTrayIcon& tray = *tray_;
    const std::string text = tray.InfoText, title = tray.InfoTitle;
    const desktop::TdskTrayIconInfoType type = tray.InfoType;
    const UINT timeout = tray.InfoTimeout;
    tray.InfoText = BalloonText(update.versionName);
    tray.InfoTitle = kBalloonTitle;
    tray.InfoType = desktop::tiiInfo;
    tray.InfoTimeout = 30000;  // the longest the system shows one
    tray.ShowBalloon();
    offerBalloon_ = tray.BalloonsShown();
    tray.InfoText = text, tray.InfoTitle = title, tray.InfoType = type, tray.InfoTimeout = timeout;
}

void UpdateWatch::BalloonClicked() {
    if (offerBalloon_ == 0 || tray_->BalloonsShown() != offerBalloon_) return;  // another balloon
    offerBalloon_ = 0;
    startUpdater_();
}

std::string UpdateWatch::TemporaryFile(const char* name) {
    char folder[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(sizeof(folder), folder);
    return std::string(folder, length <= MAX_PATH ? length : 0) + "Quorvex-" + name;
}

void UpdateWatch::RemoveDownloads() {
    for (const char* name : {"update.txt", "update.txt.sig"}) DeleteFileA(TemporaryFile(name).c_str());
}

}  // namespace tray
