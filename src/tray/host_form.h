#pragma once
// The host form: Quorvex's splash window, the owner of the tray menu and of the one-time start-up
// sequence, the keeper of the configuration screens, and the place where the program ends.
#include "common/ini_file.h"
#include "common/profile.h"
#include "desktop/tray_icon.h"
#include "tray/host.h"
#include "tray/keep_or_revert.h"
#include "tray/session_watch.h"
#include "tray/mode_command.h"
#include "tray/update_watch.h"
#include "ui/form.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tray {

class Tresolution : public ui::Form, public Host {
public:
    // `arguments`: the program's command line after its name (mode_command.h).
    Tresolution(ui::Form* owner, ScreenFactories screens, std::string arguments = {});
    ~Tresolution() override;

    // Host.
    const std::string& CurrentUser() const override { return currentUser_; }
    std::string UserLabel() const override { return luser->Text(); }
    std::string VersionText() const override { return wersja->Text(); }
    const common::Policies& Policies() const override { return policies_; }
    int32_t ApplyChosenDisplayMode(const common::StoredMode& mode, const common::StoredModeText& previousProfile,
                                   const std::string& profilePath, const common::Display* display = nullptr) override;
    void RevertUnconfirmedMode() override;
    void StartUpdater(const std::string& arguments = {}) override;
    void ShowHelp(const ui::Form& window) override;
    void ShowAbout(ui::Form& owner) override;

    // The newest open window of each kind of screen, or nullptr.
    ui::Form* ControlCenter() const { return controlCenters_.empty() ? nullptr : controlCenters_.back(); }
    ui::Form* About() const { return abouts_.empty() ? nullptr : abouts_.back(); }
    ui::Form* Wizard() const { return wizard_; }
    const std::vector<ui::Form*>& ControlCenters() const { return controlCenters_; }

    // Display switching (display_mode.cpp). A user's mode is a change for this session only: the
    // registry keeps the computer's natural mode, which a restart, a crash or another user gets back.
    // Switches to a display mode after asking the system whether it is possible; reports the
    // outcome itself. 0 when the mode was set, -1 otherwise. `display`: another display than the
    // primary one, changed alone; a failure never falls back to the primary display. `notify`: a
    // success shows the popup.
    int32_t ApplyDisplayMode(int32_t width, int32_t height, int32_t depth, const common::Display* display = nullptr,
                             bool notify = true);
    // The open keep-or-revert question, or nullptr.
    Tconfirm* Question() const { return question_; }
    // Switches back to the natural display mode; only a bad natural mode is reported, and not
    // while the session ends. Nothing happens in a remote session, whose display is not the computer's.
    void RestoreNaturalMode();
    // The mode this program holds the screen in, or nothing while it is in the natural mode.
    const std::optional<common::StoredMode>& HeldMode() const { return heldMode_; }
    // The other displays this program holds in a user's mode, by device name.
    const std::map<std::string, common::StoredMode>& HeldOtherDisplays() const { return heldOthers_; }
    // This session left the console (another user switched in, or it was disconnected): the
    // natural mode comes back. Back at the console, the user's mode is set again.
    void LeftTheConsole();
    void BackAtTheConsole();
    // The computer woke up: a screen that came back in another mode gets the user's again.
    void ReturnedFromSleep();
    // Shows `text` in a new notification popup.
    void ShowNotification(const std::string& text);

    // Quick switching (quick_switch.cpp): modes for a while, from the tray menu's "Display mode" and
    // from the command line; the profile does not change.
    // Switches to a size the display lists, without a registry update; `ask`: the keep-or-revert
    // question follows. kModeSwitched or kModeRefused.
    // `display`: another display than the primary one, switched alone.
    int SwitchTemporarily(int32_t width, int32_t height, int32_t depth, bool ask,
                          const common::Display* display = nullptr);
    // Back to the user's own mode, or to the natural mode; nothing is asked.
    void ChooseMyMode();
    void ChooseNaturalMode();
    // Carries out a command another copy handed over, or this copy's own at start; a ModeCommandResult.
    int RunModeCommand(const ModeCommand& command);
    // What the process ends with: the running copy's answer when the command line went to it.
    int ExitCode() const;
    void Displaymode1Popup();

    // The user name as the system gives it; puts the upper-case name into `luser`.
    std::string QueryUserName();

    int32_t NaturalX = 0, NaturalY = 0, NaturalDepth = 0;
    std::string ProgramVersion, ProgramBuild;

    // Handlers.
    void eventsIdle();  // the start-up sequence, at the first idle moment
    void Timer1Timer();
    void Open1Click();
    void Exit1Click();
    void Whatisthisprogramfor1Click();
    void FormCreate();
    void About1Click();
    void Help1Click();
    void FormClose(ui::CloseAction& action);
    void Searchforupdates1Click();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
    // The one-shot timer that lets the desktop settle after a display was attached, and its delay.
    static constexpr UINT_PTR kSettleTimer = 0x5E77;
    static constexpr UINT kSettleDelay = 2000;

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadProfile();
    // The first configuration, modally; then the mode it stored is applied.
    void RunWizard();
    // Keeps `window` in `open` while it exists.
    void Track(ui::Form* window, std::vector<ui::Form*>& open);
    // Carries out an answer to the keep-or-revert question (display_mode.cpp).
    void QuestionSettled(Tconfirm* question, const DisplayChange& change, Tconfirm::Answer answer);
    // After "Revert" or a timeout the screen (the display that changed) goes back to where it was;
    // abandoned, it stays for the moment, and the previous mode is the one to come back to.
    void ScreenBackAfterQuestion(const DisplayChange& change, Tconfirm::Answer answer);
    // Notes the mode the screen was put in; the computer's natural mode is none of this program's.
    void Holding(const common::StoredMode& mode);
    // A screen left in another mode by a Quorvex that was killed or crashed goes back to the
    // computer's natural mode; then that mode is the profile's natural mode.
    void HealAndReadNaturalMode();
    // Each other display: one left in another mode goes back to its registry mode, and that mode is
    // its natural mode in the profile.
    void HealOtherDisplays(const std::vector<common::Display>& displays);
    // The stored modes of the attached displays other than the primary one (`only`: of these device
    // names alone); a display stored but not attached is passed over.
    void ApplyOtherDisplays(const std::vector<std::string>* only = nullptr);
    // Back to its registry mode, with its own refresh rate, and once more without a rate when the
    // system refuses that; the system's answer.
    LONG RestoreNaturalModeOf(const std::string& device);
    void HoldingOther(const std::string& device, const common::StoredMode& mode);
    // WM_DISPLAYCHANGE: a display attached since the last look gets its stored mode once the
    // desktop has settled.
    void DisplaysChanged();
    void SettledAfterAttach();
    // Displays that are not in the mode held for them get it again, without a question (the console
    // came back, the computer woke up): the primary with `primary`, the others by device name.
    void Reapply(const std::optional<common::StoredMode>& primary,
                 const std::map<std::string, common::StoredMode>& others);
    // Registers for session notifications; while the system refuses, a timer tries again.
    void WatchSessions();
    // Quick switching (quick_switch.cpp).
    // The mode "My mode" stands for; width 0 when none is stored.
    common::StoredMode MyMode() const;
    // An open question is dropped when it was about a mode for a while (the new choice replaces
    // it), and answered "Revert" when it was about a stored one.
    void SettleQuestionBeforeChoice();
    void TemporaryQuestionSettled(Tconfirm* question, const DisplayChange& change, Tconfirm::Answer answer);

    ui::Bound<ui::TLabel> luser{*this, "luser"}, info{*this, "info"}, wersja{*this, "wersja"};
    ui::Bound<ui::TTimer> Timer1{*this, "Timer1"};
    ui::Bound<desktop::TdskTrayIcon> trayIcon{*this, "tray"};
    ui::Bound<ui::TMenuItem> Searchforupdates1{*this, "Searchforupdates1"};
    ui::Bound<ui::TMenuItem> Displaymode1{*this, "Displaymode1"};

    ScreenFactories screens_;
    std::vector<ui::Form*> controlCenters_, abouts_;  // oldest first
    ui::Form* wizard_ = nullptr;                      // while it runs
    std::string currentUser_;
    common::Policies policies_;
    std::unique_ptr<common::IniFile> profile_;
    std::unique_ptr<common::IniFile> versionFile_;
    Tconfirm* question_ = nullptr;
    std::optional<common::StoredMode> heldMode_;
    std::map<std::string, common::StoredMode> heldOthers_;
    std::vector<std::string> attachedDisplays_;  // device names, as seen at start and at each change
    std::vector<std::string> newlyAttached_;     // waiting for the desktop to settle
    std::optional<common::StoredMode> modeAwayFromConsole_;  // held when the session left the console
    std::map<std::string, common::StoredMode> othersAwayFromConsole_;
    SessionWatch sessions_;
    int32_t sessionRetries_ = 0;
    bool sessionEnding_ = false;  // from WM_QUERYENDSESSION until the session ends or is cancelled
    std::string arguments_;
    Tconfirm* temporaryQuestion_ = nullptr;  // the open question, when it is about a mode for a while
    UpdateWatch updates_{*this, [this] { StartUpdater(updater::kCheckSwitch); }};
};

}  // namespace tray
