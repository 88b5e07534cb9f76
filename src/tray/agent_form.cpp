#include "tray/agent_form.h"

#include "common/system_services.h"

namespace tray {

const ui::FormSpec Tagent::kForm = {
    .className = "Tagent",
    .caption = "Quorvex",
    .left = 497,
    .top = 396,
    .clientWidth = 242,
    .clientHeight = 89,
    .border = ui::BorderStyle::None,
    .borderIcons = 0,
    .position = ui::FormPosition::Designed,
    .color = ui::SysColor(COLOR_BTNFACE),
    .font = {"Tahoma", -11, false, ui::Rgb(50, 49, 79)},
    .alpha = 220,
    // Shown without taking the keyboard: it starts on that show.
    .showActivates = false,
    .onFirstActivate = ui::Do(&Tagent::FormActivate),
};

const ui::ControlSpec Tagent::kLayout[] = {
    ui::Picture("tlo", {0, 0, 242, 89}, "AGENT").TopLeft(),
    ui::Label("info", {8, 32, 225, 49}, "Gathering info...").FixedSize().WordWrap(),
    ui::StartMark("startup", {40, 8, 97, 17}),
    ui::Timer("Timer1").Interval(2500).Disabled().OnTimer(&Tagent::Timer1Timer),
};

Tagent::Tagent(ui::Form* owner, std::string text) : ui::Form(owner, kForm, kLayout), text_(std::move(text)) {}

void Tagent::FormActivate() {
    auto& services = common::Services();
    // Near the bottom right corner, as far from it as the window is scaled, and inside the work area.
    SetPosition(services.GetSystemMetrics(SM_CXSCREEN) - Scaled(280),
                services.GetSystemMetrics(SM_CYSCREEN) - Scaled(145));
    KeepInWorkArea();
    info->SetText(text_);
    Timer1->SetEnabled(true);
}

void Tagent::Timer1Timer() {
    Timer1->SetEnabled(false);
    Release();
}

}  // namespace tray
