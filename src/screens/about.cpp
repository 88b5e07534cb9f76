#include "screens/about.h"

namespace screens {

const ui::FormSpec Tabout::kForm = {
    .className = "Tabout",
    .caption = "Quorvex About Screen",
    .clientWidth = 437,
    .clientHeight = 346,
    .border = ui::BorderStyle::Single,
    .borderIcons = 0,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x35, 0x38, 0x5E)},
};

const ui::ControlSpec Tabout::kLayout[] = {
    ui::Button("Button1", {344, 312, 75, 25}, "I agree").OnClick(&Tabout::Button1Click),
};

Tabout::Tabout(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void Tabout::Button1Click() { Close(); }

}  // namespace screens
