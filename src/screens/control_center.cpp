#include "screens/control_center.h"

#include "common/system_services.h"
#include "common/text.h"

#include <shellapi.h>

namespace screens {

const ui::FormSpec Tmain::kForm = {
    .className = "Tmain",
    .caption = "Quorvex Control Center",
    .clientWidth = 522,
    .clientHeight = 426,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .snapBuffer = 25,
};

const ui::ControlSpec Tmain::kLayout[] = {
    ui::Button("Button3", {8, 336, 113, 25}, "Help").Hint("Displays readme.txt file").OnClick(&Tmain::Button3Click),
};

Tmain::Tmain(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void Tmain::Button3Click() {
    const std::string readme = common::ProgramDirectory() + "readme.txt";
    common::Services().ShellExecuteA(Handle(), "open", readme.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}

}  // namespace screens
