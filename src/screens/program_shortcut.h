#pragma once
// The "Program shortcut" window, from the Control Center: a program (the standard Open dialog) and a
// display mode from the display's list make a shortcut on the person's desktop that starts the
// program in that mode through Quorvex ("/mode WxHxD /run"), with the program's icon.
#include "ui/form.h"

#include <cstdint>
#include <string>
#include <vector>

namespace screens {

class Tshortcut : public ui::Form {
public:
    explicit Tshortcut(ui::Form* owner);

    void FormCreate();
    void Button1Click();  // "Choose..."
    void Button2Click();  // "Create shortcut"
    void Button3Click();  // "Close"

    // The program the shortcut is to start, as the Open dialog gives it.
    void ChooseProgram(const std::string& path);
    // The shortcut file made last; empty before.
    const std::string& Made() const { return made_; }

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

private:
    struct Mode {
        int32_t width, height, depth;
    };

    ui::Bound<ui::TLabel> programPath{*this, "programPath"}, result{*this, "result"};
    ui::Bound<ui::TComboBox> modeList{*this, "modeList"};
    ui::Bound<ui::TButton> createButton{*this, "Button2"};
    std::vector<Mode> modes_;  // as modeList lists them
    std::string program_, made_;
};

}  // namespace screens
