#pragma once
// The host form: Quorvex's splash window, the owner of the tray menu and of the one-time start-up
// sequence, the keeper of the configuration screens, and the place where the program ends.
#include "common/ini_file.h"
#include "common/profile.h"
#include "desktop/one_instance.h"
#include "desktop/tray_icon.h"
#include "tray/display_switcher.h"
#include "tray/host.h"
#include "tray/keep_or_revert.h"
#include "tray/session_watch.h"
#include "tray/mode_command.h"
#include "tray/program_modes.h"
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
    bool ModePossible(const common::StoredMode& mode) const override { return DisplaySwitcher::Possible(mode); }
    common::Hotkey Hotkey(HotkeyAction action) const override { return hotkeys_[static_cast<int>(action)]; }
    bool SetHotkey(HotkeyAction action, const common::Hotkey& hotkey) override;
    void StartUpdater(const std::string& arguments = {}) override;
    void ShowHelp(const ui::Form& window) override;
    void ShowAbout(ui::Form& owner) override;

    // The newest open window of each kind of screen, or nullptr.
    ui::Form* ControlCenter() const { return controlCenters_.empty() ? nullptr : controlCenters_.back(); }
    ui::Form* About() const { return abouts_.empty() ? nullptr : abouts_.back(); }
    ui::Form* Wizard() const { return wizard_; }
    const std::vector<ui::Form*>& ControlCenters() const { return controlCenters_; }

    // Display switching (display_mode.cpp; the switcher, display_switcher.h, makes every change). A
    // user's mode is a change for this session only: the registry keeps the computer's natural mode,
    // which a restart, a crash or another user gets back.
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
    const std::optional<common::StoredMode>& HeldMode() const { return switcher_.Held(); }
    // The other displays this program holds in a user's mode, by device name.
    const std::map<std::string, common::StoredMode>& HeldOtherDisplays() const { return switcher_.HeldOthers(); }
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
    // Carries out a command another copy handed over (`sender`: that copy's application window), or
    // this copy's own at start; a ModeCommandResult, or for a program started for another copy, a
    // handle of its process made for that copy (program_modes.h).
    int RunModeCommand(const ModeCommand& command, HWND sender = nullptr);
    // What the process ends with: the running copy's answer when the command line went to it, the
    // program's exit code after this copy's own "/run".
    int ExitCode() const;
    // A program of a "/run" this process is still to wait for before it ends (its exit code is then
    // the process's): the one the running copy started for it, or its own that outlived "Exit".
    // Each call makes a new handle; none when there is nothing to wait for.
    common::Handle ProgramToWaitFor() const;
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
    // A program started in a mode of its own has ended (wParam: its number).
    static constexpr UINT kProgramEnded = WM_APP + 0x51;

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
    // A screen left in another mode by a Quorvex that was killed or crashed goes back to the
    // computer's natural mode; then that mode is the profile's natural mode.
    void HealAndReadNaturalMode();
    // Each other display: one left in another mode goes back to its registry mode, and that mode is
    // its natural mode in the profile.
    void HealOtherDisplays(const std::vector<common::Display>& displays);
    // The stored modes of the attached displays other than the primary one (`only`: of these device
    // names alone); a display stored but not attached is passed over.
    void ApplyOtherDisplays(const std::vector<std::string>* only = nullptr);
    // WM_DISPLAYCHANGE: a display attached since the last look gets its stored mode once the
    // desktop has settled.
    void DisplaysChanged();
    void SettledAfterAttach();
    // Registers for session notifications; while the system refuses, a timer tries again.
    void WatchSessions();
    // Quick switching (quick_switch.cpp).
    // The mode "My mode" stands for; width 0 when none is stored.
    common::StoredMode MyMode() const;
    // An open question is dropped when it was about a mode for a while (the new choice replaces
    // it), and answered "Revert" when it was about a stored one.
    void SettleQuestionBeforeChoice();
    void TemporaryQuestionSettled(Tconfirm* question, const DisplayChange& change, Tconfirm::Answer answer);
    // "/run": the program in the mode, for this copy or for the copy that handed the command over.
    int RunInMode(const ModeCommand& command, const std::string& device, int32_t depth, HWND sender);
    void ProgramEnded(WPARAM id);
    // Hotkeys (hotkeys.cpp): those the profile keeps are registered at start, and all of them go at
    // the end.
    void RegisterHotkeys();
    void UnregisterHotkeys();
    void HotkeyPressed(WPARAM id);

    ui::Bound<ui::TLabel> luser{*this, "luser"}, info{*this, "info"}, wersja{*this, "wersja"};
    ui::Bound<ui::TTimer> Timer1{*this, "Timer1"};
    ui::Bound<desktop::TdskTrayIcon> trayIcon{*this, "tray"};
    ui::Bound<desktop::TdskOneInstance> once{*this, "once"};
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
    DisplaySwitcher switcher_{[this](const std::string& text) { ShowNotification(text); }};
    ProgramModes programs_{switcher_};
    common::Handle ownProgram_;         // the program this copy's own command line started
    std::optional<int> ownRunResult_;  // what this copy ends with after its own "/run"
    common::Hotkey hotkeys_[2];         // registered, by HotkeyAction
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
