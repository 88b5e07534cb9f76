#pragma once
// The notification popup: a small self-closing window near the bottom right of the screen.
#include "ui/form.h"

namespace tray {

class Tagent : public ui::Form {
public:
    explicit Tagent(ui::Form* owner);

    void FormActivate();
    void Timer1Timer();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};

}  // namespace tray
