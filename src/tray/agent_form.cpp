#include "tray/agent_form.h"

#include "common/system_services.h"
#include "tray/forms.h"
#include "tray/host_form.h"

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
    // Shown without taking the keyboard; what its first activation does happens on that show.
    .showActivates = false,
    .onShow = ui::Do(&Tagent::FormActivate),
    .onActivate = ui::Do(&Tagent::FormActivate),
};

const ui::ControlSpec Tagent::kLayout[] = {
    ui::Picture("tlo", {0, 0, 242, 89}, "AGENT").TopLeft(),
    ui::Label("info", {8, 32, 225, 49}, "Gathering info...").FixedSize().WordWrap(),
    ui::CheckBox("startup", {40, 8, 97, 17}, "startup").Checked().Hidden(),
    ui::Timer("Timer1").Interval(2500).Disabled().OnTimer(&Tagent::Timer1Timer),
};

Tagent::Tagent(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void Tagent::FormActivate() {
    auto& startup = Find<ui::TCheckBox>("startup");
    if (!startup.Checked()) return;
    startup.SetChecked(false);
    auto& services = common::Services();
    SetPosition(services.GetSystemMetrics(SM_CXSCREEN) - 280, services.GetSystemMetrics(SM_CYSCREEN) - 145);
    Find("info").SetText(forms.resolution->Find("info").Text());
    Find<ui::TTimer>("Timer1").SetEnabled(true);
}

void Tagent::Timer1Timer() {
    Find<ui::TTimer>("Timer1").SetEnabled(false);
    Release();
}

}  // namespace tray
