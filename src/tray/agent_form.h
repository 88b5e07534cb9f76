#pragma once
// The notification popup: a small self-closing window near the bottom right of the screen.
#include "ui/form.h"

#include <string>

namespace tray {

class Tagent : public ui::Form {
public:
    // The popup shows `text`.
    Tagent(ui::Form* owner, std::string text);

    void FormActivate();
    void Timer1Timer();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

private:
    ui::Bound<ui::TLabel> info{*this, "info"};
    ui::Bound<ui::TTimer> Timer1{*this, "Timer1"};
    std::string text_;
};

}  // namespace tray
