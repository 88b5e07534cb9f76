// The keep-or-revert question's window; the host form asks it and carries out its answer
// (display_mode.cpp).
#include "tray/keep_or_revert.h"

namespace tray {

const ui::FormSpec Tconfirm::kForm = {
    .className = "Tconfirm",
    .caption = "Quorvex",
    .clientWidth = 300,
    .clientHeight = 104,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .topmost = true,
    .onClose = ui::Do(&Tconfirm::FormClose),
};

const ui::ControlSpec Tconfirm::kLayout[] = {
    ui::Label("Label1", {16, 16}, "Keep these display settings?").Bold(),
    ui::Label("countdown", {16, 40, 268, 13}, "Reverting in 15 seconds.").FixedSize(),
    ui::Button("Button1", {112, 68, 97, 25}, "Keep settings").Default().OnClick(&Tconfirm::Button1Click),
    ui::Button("Button2", {216, 68, 75, 25}, "Revert").Cancel().OnClick(&Tconfirm::Button2Click),
    ui::Timer("Timer1").Interval(1000).Disabled().OnTimer(&Tconfirm::Timer1Timer),
};

Tconfirm::Tconfirm(ui::Form* owner, DisplayChange change, Settled settled)
    : ui::Form(owner, kForm, kLayout), change_(std::move(change)), settled_(std::move(settled)) {}

void Tconfirm::Ask() {
    ShowCountdown();
    Show();
    SetForegroundWindow(Handle());
    SetFocus(Button1->Handle());
    Timer1->SetEnabled(true);
}

void Tconfirm::ShowCountdown() {
    countdown->SetText("Reverting in " + std::to_string(secondsLeft_) +
                       (secondsLeft_ == 1 ? " second." : " seconds."));
}

void Tconfirm::Timer1Timer() {
    if (--secondsLeft_ > 0) {
        ShowCountdown();
        return;
    }
    Settle(Answer::TimeOut);
}

void Tconfirm::Button1Click() { Settle(Answer::Keep); }
void Tconfirm::Button2Click() { Settle(Answer::Revert); }

void Tconfirm::FormClose(ui::CloseAction&) { Settle(Answer::Revert); }

void Tconfirm::Settle(Answer answer) {
    if (answered_) return;
    answered_ = true;
    Timer1->SetEnabled(false);
    Hide();
    Release();
    settled_(this, change_, answer);
}

}  // namespace tray
