#pragma once
// The first configuration wizard, shown modally to a user without a stored display mode. It leads
// the user to a display mode (chosen by hand and tested, or found by user type) and writes it into
// the user's profile on "Finish"; it never changes the display mode itself.
#include "common/ini_file.h"
#include "screens/resolutions.h"
#include "ui/form.h"

#include <cstdint>
#include <memory>
#include <string>

namespace screens {

class Twizard : public ui::Form {
public:
    explicit Twizard(ui::Form* owner);

    struct Mode {
        int32_t width = 0, height = 0, depth = 0;
    };
    // What "Test" or the automatic "Next" chose last; "Finish" writes it.
    const Mode& ChosenMode() const { return chosen_; }

    // Handlers.
    void FormActivate();
    void Button1Click();  // "Next" on the first page
    void Button2Click();  // "Test"
    void Button3Click();  // "Next Step"
    void Button4Click();  // "Back"
    void Button5Click();  // "Finish"
    void Button6Click();  // "Next" on the automatic page
    void sliderChange();
    void b8Click();
    void b16Click();
    void b32Click();

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];

private:
    // The display's own sizes on the slider, when it lists any; it opens at the screen's size.
    void OfferDisplaySizes();
    void ShowSummary();

    Mode chosen_;
    std::string userName_;
    std::unique_ptr<common::IniFile> profile_;
    OfferedSizes sizes_;  // the fixed ones until the activation reads the display's
};

// Whether the system could set the mode: one ChangeDisplaySettingsA call with CDS_TEST, and only
// DISP_CHANGE_BADMODE counts as unsupported.
bool PassesCompatibilityTest(int32_t width, int32_t height, int32_t depth);

}  // namespace screens
