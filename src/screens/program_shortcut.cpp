#include "screens/program_shortcut.h"

#include "common/display_modes.h"
#include "common/shortcut.h"
#include "common/text.h"
#include "ui/application.h"

#include <windows.h>
#include <commdlg.h>

namespace screens {

namespace {
std::string SizeText(int32_t width, int32_t height) { return std::to_string(width) + "x" + std::to_string(height); }
}  // namespace

const ui::FormSpec Tshortcut::kForm = {
    .className = "Tshortcut",
    .caption = "Quorvex Program Shortcut",
    .clientWidth = 360,
    .clientHeight = 164,
    .border = ui::BorderStyle::Single,
    .borderIcons = ui::kSystemMenu,
    .position = ui::FormPosition::ScreenCenter,
    .font = {"Tahoma", -11, false, ui::Rgb(0x34, 0x3C, 0x56)},
    .onCreate = ui::Do(&Tshortcut::FormCreate),
};

const ui::ControlSpec Tshortcut::kLayout[] = {
    ui::Label("Label1", {12, 12}, "A shortcut on your desktop starts the program in the display mode"),
    ui::Label("Label2", {12, 28}, "you choose here, and gives your own mode back when it ends."),
    ui::Label("Label3", {12, 60}, "Program:"),
    ui::Label("programPath", {88, 60, 176, 13}, "None chosen yet.").FixedSize().Bold(),
    ui::Button("Button1", {272, 55, 75, 23}, "Choose...").OnClick(&Tshortcut::Button1Click),
    ui::Label("Label4", {12, 92}, "Display mode:"),
    ui::ComboBox("modeList", {88, 88, 259, 21}),
    ui::Label("result", {12, 124, 150, 26}, "").FixedSize().WordWrap(),
    ui::Button("Button2", {168, 128, 97, 25}, "Create shortcut").Default().Disabled()
        .OnClick(&Tshortcut::Button2Click),
    ui::Button("Button3", {272, 128, 75, 25}, "Close").Cancel().OnClick(&Tshortcut::Button3Click),
};

Tshortcut::Tshortcut(ui::Form* owner) : ui::Form(owner, kForm, kLayout) {}

// Every size the display lists with each of its depths, largest first; the mode in force is chosen.
void Tshortcut::FormCreate() {
    const common::CurrentMode now = common::ScreenModeNow();
    const std::vector<common::ScreenSize> sizes = common::ListedScreenSizes();
    for (auto size = sizes.rbegin(); size != sizes.rend(); ++size)
        for (int32_t depth : {32, 16, 8})
            if (size->Offers(depth)) modes_.push_back({size->width, size->height, depth});
    if (modes_.empty()) modes_.push_back({now.width, now.height, now.depth});
    for (size_t i = 0; i < modes_.size(); ++i) {
        const Mode& mode = modes_[i];
        modeList->Add(std::to_string(mode.width) + " x " + std::to_string(mode.height) + ", " +
                      std::to_string(mode.depth) + " bits");
        if (mode.width == now.width && mode.height == now.height && mode.depth == now.depth)
            modeList->SetItemIndex(static_cast<int>(i));
    }
    if (modeList->ItemIndex() < 0) modeList->SetItemIndex(0);
}

void Tshortcut::Button1Click() {
    char path[MAX_PATH] = {};
    OPENFILENAMEA dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = Handle();
    dialog.lpstrFilter = "Programs (*.exe)\0*.exe\0All files (*.*)\0*.*\0";
    dialog.lpstrFile = path;
    dialog.nMaxFile = sizeof(path);
    dialog.lpstrTitle = "Choose the program";
    dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (GetOpenFileNameA(&dialog)) ChooseProgram(path);
}

void Tshortcut::ChooseProgram(const std::string& path) {
    program_ = path;
    programPath->SetText(path.substr(path.find_last_of("\\/") + 1));
    result->SetText("");
    createButton->SetEnabled(true);
}

void Tshortcut::Button2Click() {
    const int chosen = modeList->ItemIndex();
    if (program_.empty() || chosen < 0) return;
    const Mode& mode = modes_[static_cast<size_t>(chosen)];
    const size_t slash = program_.find_last_of("\\/");
    std::string name = program_.substr(slash + 1);
    if (const size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    const std::string title = name + " (" + SizeText(mode.width, mode.height) + ")";
    common::Shortcut shortcut;
    shortcut.target = common::ProgramDirectory() + "Quorvex.exe";
    shortcut.arguments = "/mode " + SizeText(mode.width, mode.height) + "x" + std::to_string(mode.depth) + " /run \"" +
                         program_ + "\"";
    shortcut.workingDirectory = slash == std::string::npos ? std::string() : program_.substr(0, slash);
    shortcut.iconPath = program_;
    shortcut.description = "Runs " + name + " in " + std::to_string(mode.width) + " x " + std::to_string(mode.height) +
                           " with Quorvex";
    const std::string desktop = common::DesktopFolder();
    if (desktop.empty() || !common::SaveShortcut(desktop + title + ".lnk", shortcut)) {
        ui::ShowMessage("The shortcut could not be put on your desktop.");
        return;
    }
    made_ = desktop + title + ".lnk";
    result->SetText("\"" + title + "\" is on your desktop.");
}

void Tshortcut::Button3Click() { Close(); }

}  // namespace screens
