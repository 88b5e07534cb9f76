// What the four pages of the first configuration wizard look like in the Wine desktop. Runs alone,
// so that no other test program's window covers the wizard while the screen is copied.
#include "wizard_fixture.h"

namespace {

using wizardtest::WizardTest;

TEST_F(WizardTest, ScreenshotsOfTheFourPages) {
    services.displayModes.reset();  // the Wine desktop's own sizes on the slider
    OpenWizard();
    auto shoot = [&](const char* name) {
        RedrawWindow(wizard->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        uitest::PumpUntil([] { return false; }, 300);
        uitest::SaveScreenshot(wizard->Handle(), name);
    };
    shoot("wizard-1-default");
    Click("manual");
    Click("Button1");
    Slide(10);  // 1366 x 768
    Click("b32");
    shoot("wizard-2-manualna");
    Click("Button4");
    Click("auto");
    Click("Button1");
    shoot("wizard-3-automatyczna");
    services.displayAnswers = {DISP_CHANGE_BADMODE};
    Click("Button6");
    shoot("wizard-4-koniec");
    EXPECT_EQ(Text("konDepth"), "16 Bit");
}

}  // namespace
