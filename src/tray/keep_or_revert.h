#pragma once
// The keep-or-revert question after the user's own change of the display mode: a mode the driver
// accepts can still be one the monitor cannot show, so the change undoes itself unless the user
// confirms it within 15 seconds.
#include "common/display_modes.h"
#include "common/profile.h"
#include "ui/form.h"

#include <functional>
#include <string>

namespace tray {

// What the question undoes: the screen's mode and the profile's mode from before the change.
struct DisplayChange {
    common::CurrentMode previousScreen{};
    common::StoredModeText previousProfile;
    std::string profilePath;
    std::string device;  // the display changed; empty for the primary one
};

class Tconfirm : public ui::Form {
public:
    enum class Answer {
        Keep,
        Revert,   // "Revert" or the close box
        TimeOut,  // no answer in time
        Abandon,  // the program ends: the profile goes back, the screen is left to the end's own switch
    };

    // Told the answer once, when the question is settled.
    using Settled = std::function<void(Tconfirm* question, const DisplayChange& change, Answer answer)>;

    Tconfirm(ui::Form* owner, DisplayChange change, Settled settled);

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

    ui::Bound<ui::TLabel> countdown{*this, "countdown"};
    ui::Bound<ui::TButton> Button1{*this, "Button1"};
    ui::Bound<ui::TTimer> Timer1{*this, "Timer1"};
    DisplayChange change_;
    Settled settled_;
    int secondsLeft_ = kSeconds;
    bool answered_ = false;
};

}  // namespace tray
