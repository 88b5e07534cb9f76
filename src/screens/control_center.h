#pragma once
// The Control Center: the current display settings and the user's stored mode.
#include "ui/form.h"

namespace screens {

class Tmain : public ui::Form {
public:
    explicit Tmain(ui::Form* owner);

    void Button3Click();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};

}  // namespace screens
