// When Quorvex's own update watch starts a check: the profile's times and the person's and the
// administrator's settings, each row one look of the timer.
#include "common/text.h"
#include "common/update_settings.h"
#include "desktop/tray_icon.h"
#include "support/files.h"
#include "support/scripted_services.h"
#include "support/ui_test_support.h"
#include "tray/update_watch.h"
#include "ui/application.h"
#include "ui/form.h"

#include <gtest/gtest.h>

namespace {

class WatchHost : public ui::Form {
public:
    explicit WatchHost(ui::Form* owner);
    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};
const ui::FormSpec WatchHost::kForm = {.className = "TWatchHost", .caption = "watch"};
const ui::ControlSpec WatchHost::kLayout[] = {ui::Custom<desktop::TdskTrayIcon, WatchHost>("tray")};
WatchHost::WatchHost(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

std::string Ago(common::UtcTime span) { return common::IsoUtc(common::UtcNow() - span); }

TEST(UpdateWatch, ALookChecksOnlyWhenAWeekHasPassedADayAfterTheLastTryAndNothingForbidsIt) {
    const common::UtcTime hour = common::kUtcHour, day = common::kUtcDay;
    const struct {
        const char* name;
        std::string updates;  // the profile's [Updates] section
        bool disabled = false, remote = false;
        bool checks;
    } rows[] = {
        {"never checked", "", false, false, true},
        {"a week and a day ago", "LastCheck=" + Ago(8 * day), false, false, true},
        {"six days ago", "LastCheck=" + Ago(6 * day), false, false, false},
        {"tried an hour ago", "LastCheck=" + Ago(8 * day) + "\r\nLastAttempt=" + Ago(hour), false, false, false},
        {"tried 25 hours ago", "LastCheck=" + Ago(8 * day) + "\r\nLastAttempt=" + Ago(25 * hour), false, false, true},
        {"the clock was set back", "LastCheck=" + common::IsoUtc(common::UtcNow() + 30 * day), false, false, true},
        {"a time that is no time", "LastCheck=yesterday", false, false, true},
        {"turned off by the person", "Automatic=0", false, false, false},
        {"turned off by the administrator", "", true, false, false},
        {"a remote session", "", false, true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ui::App().Reset();
        testsupport::ScriptedServices services;
        services.metrics[SM_REMOTESESSION] = row.remote ? 1 : 0;
        const std::string profile = common::ProgramDirectory() + "watch-profile";
        testsupport::WriteFile(profile, "[Updates]\r\n" + row.updates + "\r\n");
        WatchHost* host = nullptr;
        ui::App().CreateForm(host);
        tray::UpdateWatch watch(*host, [] {});
        common::Policies policies;
        policies.disableUpdates = row.disabled;
        policies.updateUrl = "http://127.0.0.2/update.txt";  // nobody answers
        watch.Start(host->Find<desktop::TdskTrayIcon>("tray"), profile, policies, 1);
        watch.Tick();
        EXPECT_EQ(watch.Checking(), row.checks);
        // A check is a try: the next one comes a day later at the earliest.
        common::IniFile file(profile);
        const auto tried = common::UpdateSettings(file).LastAttempt();
        EXPECT_EQ(tried && *tried + common::kUtcHour > common::UtcNow(), row.checks);
        uitest::PumpUntil([&] { return !watch.Checking(); }, 10000);
        EXPECT_EQ(common::UpdateSettings(file).LastCheck().has_value(), row.updates.find("LastCheck=2") == 0);
    }
    ui::App().Reset();
}

}  // namespace
