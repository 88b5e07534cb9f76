#pragma once
// The About screen: program name, version, author and licence terms.
#include "ui/form.h"

namespace screens {

class Tabout : public ui::Form {
public:
    explicit Tabout(ui::Form* owner);
    ~Tabout() override;

    void FormActivate();
    void FormClose(ui::CloseAction& action);
    void Button1Click();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};

}  // namespace screens
