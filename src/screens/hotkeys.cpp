#include "screens/hotkeys.h"

namespace screens {

const ui::FormSpec Thotkeys::kForm = {
    .className = "Thotkeys",
    .caption = "Quorvex Hotkeys",
    .clientWidth = 300,
    .clientHeight = 146,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .onCreate = ui::Do(&Thotkeys::FormCreate),
};

const ui::ControlSpec Thotkeys::kLayout[] = {
    ui::Label("Label1", {12, 12}, "Click a box and press the keys, for example Ctrl+Alt+M."),
    ui::Label("Label2", {12, 28}, "Backspace leaves a hotkey off."),
    ui::Label("Label3", {12, 56}, "My mode:"),
    ui::HotKey("myModeKey", {96, 52, 192, 21}),
    ui::Label("Label4", {12, 84}, "Natural mode:"),
    ui::HotKey("naturalModeKey", {96, 80, 192, 21}),
    ui::Button("Button1", {132, 112, 75, 25}, "OK").Default().OnClick(&Thotkeys::Button1Click),
    ui::Button("Button2", {213, 112, 75, 25}, "Cancel").Cancel().OnClick(&Thotkeys::Button2Click),
};

Thotkeys::Thotkeys(ui::Form* owner, tray::Host& host) : ui::Form(owner, kForm, kLayout), host_(host) {}

void Thotkeys::FormCreate() {
    myModeKey->SetValue(host_.Hotkey(tray::Host::HotkeyAction::MyMode).ControlValue());
    naturalModeKey->SetValue(host_.Hotkey(tray::Host::HotkeyAction::NaturalMode).ControlValue());
}

// A combination another program holds is reported by the host and the window stays open.
void Thotkeys::Button1Click() {
    const bool myMode =
        host_.SetHotkey(tray::Host::HotkeyAction::MyMode, common::Hotkey::FromControl(myModeKey->Value()));
    const bool natural = host_.SetHotkey(tray::Host::HotkeyAction::NaturalMode,
                                         common::Hotkey::FromControl(naturalModeKey->Value()));
    if (myMode && natural) Close();
}

void Thotkeys::Button2Click() { Close(); }

}  // namespace screens
