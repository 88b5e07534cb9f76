#pragma once
// The host form: Quorvex's splash window, the owner of the tray menu and of the one-time start-up
// sequence, and the place where the program ends.
#include "common/ini_file.h"
#include "tray/keep_or_revert.h"
#include "ui/form.h"

#include <cstdint>
#include <memory>
#include <string>

namespace tray {

class Tresolution : public ui::Form {
public:
    explicit Tresolution(ui::Form* owner);

    // What other windows use of the host form.
    const std::string& CurrentUser() const { return currentUser_; }
    std::string UserLabel() const { return Find("luser").Text(); }
    std::string VersionText() const { return Find("wersja").Text(); }
    // Switches to a display mode after asking the system whether it is possible; reports the
    // outcome itself. 0 when the mode was set and stored, -1 otherwise.
    int32_t ApplyDisplayMode(int32_t width, int32_t height, int32_t depth);
    // A mode the user has just chosen (and stored; `previousProfile` is what the profile at
    // `profilePath` held before): applies it and, when the screen changed, asks whether to keep it.
    // An open question is settled as "Revert" first.
    int32_t ApplyChosenDisplayMode(int32_t width, int32_t height, int32_t depth,
                                   const StoredProfileMode& previousProfile, const std::string& profilePath);
    // Settles an open keep-or-revert question as "Revert".
    void RevertUnconfirmedMode();
    // The open keep-or-revert question, or nullptr.
    Tconfirm* Question() const { return question_; }
    // Carries out an answer: the question calls this once, then goes.
    void QuestionSettled(Tconfirm* question, const DisplayChange& change, Tconfirm::Answer answer);
    // Switches back to the natural display mode; only a bad natural mode is reported, and not
    // while the session ends.
    void RestoreNaturalMode();
    // Shows `text` in a new notification popup.
    void ShowNotification(const std::string& text);
    // The user name as the system gives it; puts the upper-case name into `luser`.
    std::string QueryUserName();

    int32_t NaturalX = 0, NaturalY = 0, NaturalDepth = 0;
    std::string ProgramVersion, ProgramBuild;

    // Handlers.
    void eventsIdle(bool& done);
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

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void LoadProfile();

    std::string currentUser_;
    std::unique_ptr<common::IniFile> profile_;
    std::unique_ptr<common::IniFile> versionFile_;
    Tconfirm* question_ = nullptr;
    bool sessionEnding_ = false;  // from WM_QUERYENDSESSION until the session ends or is cancelled
};

}  // namespace tray
