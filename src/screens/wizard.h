#pragma once
// The first configuration wizard, shown modally to a user without a stored display mode. It leads
// the user to a display mode (chosen by hand and tested, or found by user type) and writes it into
// the user's profile on "Finish"; it never changes the display mode itself.
#include "common/ini_file.h"
#include "common/profile.h"
#include "screens/resolutions.h"
#include "tray/host.h"
#include "ui/form.h"

#include <cstdint>
#include <memory>
#include <string>

namespace screens {

class Twizard : public ui::Form {
public:
    Twizard(ui::Form* owner, tray::Host& host);

    // What "Test" or the automatic "Next" chose last; "Finish" writes it.
    const common::StoredMode& ChosenMode() const { return chosen_; }

    // Handlers.
    void FormActivate();
    void Button1Click();  // "Next" on the first page
    void Button2Click();  // "Test"
    void Button3Click();  // "Next Step"
    void Button4Click();  // "Back"
    void Button5Click();  // "Finish"
    void Button6Click();  // "Next" on the automatic page
    void sliderChange();
    void DepthClick();  // b8, b16 and b32

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

private:
    // The display's own sizes on the slider, when it lists any; it opens at the screen's size.
    void OfferDisplaySizes();
    void ShowSummary();

    tray::Host& host_;
    ui::Bound<ui::TNotebook> silnik{*this, "silnik"};
    ui::Bound<ui::TRadioButton> manual{*this, "manual"}, autoType{*this, "auto"};
    ui::Bound<ui::TButton> Button1{*this, "Button1"}, Button3{*this, "Button3"};
    ui::Bound<ui::TTrackBar> slider{*this, "slider"};
    ui::Bound<ui::TLabel> sliderDesc{*this, "sliderDesc"}, konResolution{*this, "konResolution"},
        konDepth{*this, "konDepth"};
    // The captions under the slider, left to right.
    ui::Bound<ui::TLabel> captions_[5]{
        {*this, "Label23"}, {*this, "Label24"}, {*this, "Label25"}, {*this, "Label26"}, {*this, "Label27"}};
    ui::Bound<ui::TRadioButton> types_[3]{{*this, "typ1"}, {*this, "typ2"}, {*this, "typ3"}};
    DepthButtons depths_{*this};
    common::StoredMode chosen_;
    std::string userName_;
    std::unique_ptr<common::IniFile> profile_;
    OfferedSizes sizes_;  // the fixed ones until the activation reads the display's
};

}  // namespace screens
