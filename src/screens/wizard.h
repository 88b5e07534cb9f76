#pragma once
// The first configuration wizard, shown modally to a user without a stored display mode.
#include "ui/form.h"

namespace screens {

class Twizard : public ui::Form {
public:
    explicit Twizard(ui::Form* owner);

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};

}  // namespace screens
