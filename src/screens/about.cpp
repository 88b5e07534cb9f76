#include "screens/about.h"

namespace screens {

namespace {
const ui::Color kWarning = ui::Rgb(0xC6, 0x23, 0x06);
}

const ui::FormSpec Tabout::kForm = {
    .className = "Tabout",
    .caption = "Quorvex About Screen",
    .clientWidth = 437,
    .clientHeight = 346,
    .border = ui::BorderStyle::Single,
    .borderIcons = 0,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x35, 0x38, 0x5E)},
    .onActivate = ui::Do(&Tabout::FormActivate),
    .onClose = ui::Do(&Tabout::FormClose),
};

const ui::ControlSpec Tabout::kLayout[] = {
    ui::Picture("Image1", {0, 0, 437, 346}, "ABOUTBG"),
    ui::Label("Label12", {8, 320}, "Copyright (c) 2004-2026 The Quorvex team."),
    ui::GroupBox("GroupBox1", {8, 80, 417, 97}, "Program Information:"),
    ui::Label("Label1", {8, 24}, "Program name:").In("GroupBox1"),
    ui::Label("Label2", {8, 48}, "Program version:").In("GroupBox1"),
    ui::Label("Label3", {8, 72}, "Program author:").In("GroupBox1"),
    ui::Label("Label4", {136, 24}, "Quorvex").In("GroupBox1").Bold(),
    ui::Label("wersja", {136, 48}, "Gathering info...").In("GroupBox1").Bold(),
    ui::Label("Label6", {136, 72}, "The Quorvex team, help@quorvex.example").In("GroupBox1").Bold(),
    ui::GroupBox("GroupBox2", {8, 184, 417, 121}, "License:"),
    ui::Label("Label7", {8, 24}, "").In("GroupBox2"),
    ui::Label("Label8", {8, 40}, "").In("GroupBox2"),
    ui::Label("Label9", {8, 64}, "ATTENTION: I do not take responsibility for any damage or data loss that this")
        .In("GroupBox2").TextColor(kWarning),
    ui::Label("Label10", {8, 80}, "software could possibly cause to your computer. USE THIS PROGRAM AT YOUR")
        .In("GroupBox2").TextColor(kWarning),
    ui::Label("Label11", {8, 96}, "OWN RISK!!!").In("GroupBox2").TextColor(kWarning),
    ui::Button("Button1", {344, 312, 75, 25}, "I agree").Default().OnClick(&Tabout::Button1Click),
};

Tabout::Tabout(ui::Form* owner, tray::Host& host) : ui::Form(owner, kForm, kLayout), host_(host) {}

// A closed About screen is gone: "About" makes a new one.
void Tabout::FormClose(ui::CloseAction& action) { action = ui::CloseAction::Free; }

// Every activation: the host form sets the version only once its start-up sequence has run.
void Tabout::FormActivate() { wersja->SetText(host_.VersionText()); }

void Tabout::Button1Click() { Close(); }

}  // namespace screens
