// The About screen: the version copied from the host form at every activation, and "I agree".
#include "control_center_fixture.h"

namespace screenstest {
namespace {

using AboutTest = ControlCenterTest;

TEST_F(AboutTest, TheVersionIsCopiedFromTheHostFormAtEveryActivation) {
    CreateHost();
    host->Find<ui::TMenuItem>("About1").Click();
    ui::Form& about = *tray::forms.about;
    EXPECT_EQ(GetWindow(about.Handle(), GW_OWNER), host->Handle());
    EXPECT_EQ(Text(about, "wersja"), "Loading...");

    StartUp();
    EXPECT_EQ(Text(about, "wersja"), "Loading...");  // until the window is activated again
    auto& center = Open();
    SetActiveWindow(about.Handle());
    ui::App().ProcessMessages();
    EXPECT_EQ(GetActiveWindow(), about.Handle());
    EXPECT_EQ(Text(about, "wersja"), "2.0");

    // One opened now shows it at once.
    Press(center, "Button4");
    EXPECT_EQ(Text(*tray::forms.about, "wersja"), "2.0");
}

TEST_F(AboutTest, ItHasNoCloseBoxAndIAgreeHidesThatWindow) {
    CreateHost();
    StartUp();
    host->Find<ui::TMenuItem>("About1").Click();
    ui::Form& first = *tray::forms.about;
    host->Find<ui::TMenuItem>("About1").Click();
    ui::Form& second = *tray::forms.about;
    ASSERT_NE(&first, &second);

    EXPECT_EQ(first.Caption(), "Quorvex About Screen");
    const RECT client = Client(first.Handle());
    EXPECT_EQ(client.right, 437);
    EXPECT_EQ(client.bottom, 346);
    const LONG style = GetWindowLongA(first.Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME));

    Press(first, "Button1");
    ui::App().ProcessMessages();
    EXPECT_EQ(tray::forms.about, &second);
    EXPECT_TRUE(second.Visible());
    HWND secondWindow = second.Handle();
    Press(second, "Button1");
    ui::App().ProcessMessages();
    EXPECT_FALSE(IsWindow(secondWindow));
    EXPECT_EQ(tray::forms.about, nullptr);
}

}  // namespace
}  // namespace screenstest
