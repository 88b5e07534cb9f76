#include "demo_form.h"

#include <commctrl.h>

#include <string>

const ui::FormSpec Tdemo::kForm = {
    .className = "Tdemo",
    .caption = "Quorvex Demo",
    .clientWidth = 390,
    .clientHeight = 350,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .snapBuffer = 25,
    .onActivate = ui::Do(&Tdemo::FormActivate),
    .onClose = ui::Do(&Tdemo::FormClose),
};

const ui::ControlSpec Tdemo::kLayout[] = {
    ui::Label("Label1", {8, 8}, "Form runtime demo").FontSize(-13).Bold(),
    ui::Label("status", {8, 32, 300, 13}, "Nothing yet").FixedSize(),
    ui::Label("right", {200, 56, 100, 13}, "right edge").AlignRight().TextColor(ui::Rgb(0xD9, 0x2B, 0x11)),
    ui::GroupBox("GroupBox1", {8, 80, 180, 90}, "First group"),
    ui::RadioButton("r1", {8, 20, 150, 17}, "Alpha").In("GroupBox1").Checked(),
    ui::RadioButton("r2", {8, 44, 150, 17}, "Beta").In("GroupBox1").OnClick(&Tdemo::r2Click),
    ui::GroupBox("GroupBox2", {200, 80, 180, 90}, "Second group"),
    ui::RadioButton("r3", {8, 20, 150, 17}, "Gamma").In("GroupBox2").Checked(),
    ui::RadioButton("r4", {8, 44, 150, 17}, "Delta").In("GroupBox2"),
    ui::TrackBar("TrackBar1", {8, 180, 225, 33}).Range(1, 5).Position(3).OnChange(&Tdemo::TrackBar1Change),
    ui::Label("trackText", {240, 188}, "3"),
    ui::ProgressBar("ProgressBar1", {8, 222, 370, 17}),
    ui::Notebook("Notebook1", {8, 248, 370, 56}),
    ui::Page("first", "Notebook1"),
    ui::Page("second", "Notebook1"),
    ui::Label("onFirst", {8, 8}, "This is page one").In("first"),
    ui::Label("onSecond", {8, 8}, "This is page two").In("second").Bold(),
    ui::Button("Button1", {8, 315, 100, 25}, "Press").Bold().Hint("Presses the button").OnClick(&Tdemo::Button1Click),
    ui::Button("Button2", {116, 315, 100, 25}, "Next page").OnClick(&Tdemo::Button2Click),
    ui::StartMark("startup", {300, 8, 60, 17}),
    ui::PopupMenu("popup").Animation(TPM_HORPOSANIMATION | TPM_HORNEGANIMATION | TPM_VERPOSANIMATION |
                                     TPM_VERNEGANIMATION),
    ui::MenuItem("Item1", "Open", "popup").Default().OnClick(&Tdemo::Item1Click),
    ui::MenuItem("N1", "-", "popup"),
    ui::MenuItem("Item2", "Exit", "popup").OnClick(&Tdemo::Item2Click),
    ui::Timer("Timer1").Interval(50).Disabled().OnTimer(&Tdemo::Timer1Timer),
    ui::Events("events").OnIdle(&Tdemo::eventsIdle).OnFirstIdle(&Tdemo::eventsFirstIdle),
    ui::Manifest("man"),
};

Tdemo::Tdemo(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

void Tdemo::Button1Click() {
    ++clicks;
    Find<ui::TLabel>("status").SetText("Pressed " + std::to_string(clicks));
    if (onClick) onClick();
}

void Tdemo::Button2Click() {
    auto& book = Find<ui::TNotebook>("Notebook1");
    book.SetActivePage(book.ActivePage() == "first" ? "second" : "first");
}

void Tdemo::TrackBar1Change() {
    ++changes;
    const int position = Find<ui::TTrackBar>("TrackBar1").Position();
    Find<ui::TLabel>("trackText").SetText(std::to_string(position));
    Find<ui::TProgressBar>("ProgressBar1").SetPosition(position * 20);
}

void Tdemo::Timer1Timer() {
    ++ticks;
    if (onTick) onTick();
}

void Tdemo::Item1Click() { ++item1; }

void Tdemo::Item2Click() { Close(); }

void Tdemo::r2Click() { ++radioClicks; }

void Tdemo::eventsIdle(bool&) { ++idles; }

void Tdemo::eventsFirstIdle() {
    if (onIdleOnce) onIdleOnce();
}

void Tdemo::FormActivate() { ++activations; }

void Tdemo::FormClose(ui::CloseAction& action) {
    ++closes;
    action = closeAction;
}
