#pragma once
// The hotkeys window, from the Control Center: a combination for "My mode" and one for "Natural
// mode", each in the standard hotkey control; empty is off.
#include "tray/host.h"
#include "ui/form.h"

namespace screens {

class Thotkeys : public ui::Form {
public:
    Thotkeys(ui::Form* owner, tray::Host& host);

    void FormCreate();
    void Button1Click();  // "OK"
    void Button2Click();  // "Cancel"

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

private:
    tray::Host& host_;
    ui::Bound<ui::THotKey> myModeKey{*this, "myModeKey"}, naturalModeKey{*this, "naturalModeKey"};
};

}  // namespace screens
