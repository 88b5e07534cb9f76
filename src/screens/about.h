#pragma once
// The About screen: program name, version, author and licence terms.
#include "tray/host.h"
#include "ui/form.h"

namespace screens {

class Tabout : public ui::Form {
public:
    Tabout(ui::Form* owner, tray::Host& host);

    void FormActivate();
    void FormClose(ui::CloseAction& action);
    void Button1Click();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

private:
    tray::Host& host_;
    ui::Bound<ui::TLabel> wersja{*this, "wersja"};
};

}  // namespace screens
