#pragma once
// The keep-or-revert question after the user's own change of the display mode: a mode the driver
// accepts can still be one the monitor cannot show, so the change undoes itself unless the user
// confirms it within 15 seconds.
#include "common/ini_file.h"
#include "ui/form.h"

#include <windows.h>

#include <optional>
#include <string>

namespace tray {

// The keys X, Y and Depth of a profile as they stood, each with its text or missing.
struct StoredProfileMode {
    std::optional<std::string> x, y, depth;

    static StoredProfileMode Read(const common::IniFile& profile);
    // Puts the keys back as they were read: a missing one is removed again.
    void Restore(common::IniFile& profile) const;
};

// What the question undoes: the screen's mode and the profile's mode from before the change.
struct DisplayChange {
    DEVMODEA previousScreen{};
    StoredProfileMode previousProfile;
    std::string profilePath;
};

class Tconfirm : public ui::Form {
public:
    enum class Answer {
        Keep,
        Revert,   // "Revert" or the close box
        TimeOut,  // no answer in time
        Abandon,  // the program ends: the profile goes back, the screen is left to the end's own switch
    };

    Tconfirm(ui::Form* owner, DisplayChange change);

    // Shows the question in front of every window and starts the countdown.
    void Ask();
    // Settles the question once (later calls do nothing) and lets the window go.
    void Settle(Answer answer);
    int SecondsLeft() const { return secondsLeft_; }

    // Handlers.
    void Button1Click();  // "Keep settings"
    void Button2Click();  // "Revert"
    void Timer1Timer();
    void FormClose(ui::CloseAction& action);

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
    static constexpr int kSeconds = 15;

private:
    void ShowCountdown();

    DisplayChange change_;
    int secondsLeft_ = kSeconds;
    bool settled_ = false;
};

}  // namespace tray
