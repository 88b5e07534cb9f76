#include "screens/wizard.h"

namespace screens {

const ui::FormSpec Twizard::kForm = {
    .className = "Twizard",
    .caption = "Quorvex First Configuration Wizard",
    .left = 196,
    .top = 114,
    .width = 602,
    .height = 640,
    .border = ui::BorderStyle::Sizeable,
    .borderIcons = 0,
    .position = ui::FormPosition::Designed,
    .color = ui::Rgb(0x50, 0x70, 0xC5),
    .font = {"Tahoma", -11, false, ui::Rgb(0xF0, 0xFA, 0xFB)},
    .scaled = true,
};

const ui::ControlSpec Twizard::kLayout[] = {
    ui::CheckBox("startup", {8, 160, 97, 17}, "startup").Checked().Hidden(),
};

Twizard::Twizard(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

}  // namespace screens
