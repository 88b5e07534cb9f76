// The desktop components as Quorvex's host form carries them, in this process with scripted
// system answers.
#include "desktop/one_instance.h"
#include "desktop/tray_icon.h"
#include "desktop_test_support.h"
#include "tray_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace traytest {
namespace {

using Call = testsupport::ScriptedServices::NotifyCall;
const char kTip[] = "Quorvex - display mode manager for WindowsXP";

desktop::TdskTrayIcon& Tray(tray::Tresolution& host) { return host.Find<desktop::TdskTrayIcon>("tray"); }

std::vector<DWORD> Messages(const std::vector<Call>& calls) {
    std::vector<DWORD> messages;
    for (const Call& call : calls) messages.push_back(call.message);
    return messages;
}

TEST_F(HostFormTest, TheIconIsAddedWhileTheHostFormLoadsAndLeavesWithIt) {
    CreateHost();
    // Hint and icon are set before Visible adds the icon; the end of loading adds it once more. Each
    // add asks for the keyboard's messages.
    EXPECT_EQ(Messages(services.notifyCalls),
              (std::vector<DWORD>{NIM_MODIFY, NIM_MODIFY, NIM_ADD, NIM_SETVERSION, NIM_ADD, NIM_SETVERSION}));
    const NOTIFYICONDATAA& added = services.notifyCalls[2].data;
    EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_STREQ(added.szTip, kTip);
    EXPECT_NE(added.hIcon, nullptr);
    EXPECT_EQ(added.hWnd, Tray(*host).WindowHandle());
    EXPECT_EQ(Tray(*host).PopupMenu(), &host->Find<ui::TPopupMenu>("popup"));

    services.notifyCalls.clear();
    ui::App().Reset();
    EXPECT_EQ(Messages(services.notifyCalls), std::vector<DWORD>{NIM_DELETE});
}

TEST_F(HostFormTest, WhatIsThisProgramForShowsTheBalloon) {
    CreateHost();
    host->Find<ui::TMenuItem>("Whatisthisprogramfor1").Click();
    const Call& balloon = services.notifyCalls.back();
    EXPECT_EQ(balloon.message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(balloon.data.uFlags, static_cast<UINT>(NIF_INFO));
    EXPECT_STREQ(balloon.data.szInfoTitle, "Tip:");
    EXPECT_STREQ(balloon.data.szInfo, "Quorvex personalizes your display settings.");
    EXPECT_EQ(balloon.data.dwInfoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(balloon.data.uTimeout, 10000u);
}

TEST_F(HostFormTest, ADoubleClickOnTheIconOpensAControlCenterAndLeavesTheSplashAsItIs) {
    CreateHost();
    host->Show();
    ui::Form* before = host->ControlCenter();
    HWND icon = Tray(*host).WindowHandle();
    for (LPARAM mouse : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        SendMessageA(icon, desktop::kTrayCallbackMessage, 0, mouse);
    EXPECT_NE(host->ControlCenter(), before);
    EXPECT_TRUE(host->ControlCenter()->Visible());
    EXPECT_TRUE(host->Visible());

    host->Timer1Timer();  // hidden, as 3.5 s after the start-up sequence
    ui::Form* second = host->ControlCenter();
    SendMessageA(icon, desktop::kTrayCallbackMessage, 0, WM_LBUTTONDBLCLK);
    EXPECT_NE(host->ControlCenter(), second);
    EXPECT_FALSE(host->Visible());
}

TEST_F(HostFormTest, ANewTaskbarGetsTheIconBackAndTheHostFormReturns) {
    CreateHost();
    host->Show();
    host->Timer1Timer();
    ASSERT_FALSE(host->Visible());
    ASSERT_FALSE(IsWindowVisible(ui::App().Handle()));
    services.notifyCalls.clear();

    SendMessageA(Tray(*host).WindowHandle(), desktop::TaskbarCreatedMessage(), 0, 0);
    EXPECT_EQ(Messages(services.notifyCalls), (std::vector<DWORD>{NIM_DELETE, NIM_ADD, NIM_SETVERSION}));
    EXPECT_STREQ(services.notifyCalls[1].data.szTip, kTip);
    EXPECT_EQ(services.notifyCalls[1].data.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
    EXPECT_TRUE(host->Visible());
    EXPECT_TRUE(IsWindowVisible(ui::App().Handle()));
    EXPECT_TRUE(Tray(*host).Visible());
}

TEST_F(HostFormTest, ASecondCopyEndsBeforeItsFirstIdleMomentWithoutTouchingAnything) {
    // The first copy's main thread holds the instance mutex.
    LeaveInstanceMutex();
    desktoptest::MutexHolder first("Quorvex.OneInstance.Default");
    size_t addsAtTheBox = 0;
    services.onMessage = [&](const auto&) {
        for (const Call& call : services.notifyCalls) addsAtTheBox += call.message == NIM_ADD;
    };
    CreateHost();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "You can not run this program twice.");
    EXPECT_EQ(services.messages[0].caption, "Quorvex");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(addsAtTheBox, 2u) << "the tray icon comes first in the layout and has finished loading";
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_TRUE(ui::App().ShowMainForm) << "the application properties come last and switch it back on";

    ui::App().Run();  // ends at once: no idle moment, no start-up sequence
    EXPECT_EQ(host->VersionText(), "Loading...");
    EXPECT_TRUE(services.displayCalls.empty());
    EXPECT_EQ(GetFileAttributesA((Dir() + "Users").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((Dir() + "version.txt").c_str()), INVALID_FILE_ATTRIBUTES);
    services.notifyCalls.clear();
    ui::App().Reset();
    EXPECT_EQ(Messages(services.notifyCalls), std::vector<DWORD>{NIM_DELETE});
    first.Stop();
}

TEST_F(HostFormTest, TheStartUpSequenceStillRunsOnceThroughTheApplicationProperties) {
    CreateHost();
    StartUp();
    EXPECT_EQ(host->VersionText(), "2.0");
    EXPECT_FALSE(host->Find<ui::TCheckBox>("startup").Checked());
    EXPECT_EQ(FakeWizard::shows, 1);
    StartUp();
    EXPECT_EQ(FakeWizard::shows, 1);
    EXPECT_EQ(ui::App().Title(), "Quorvex");
    EXPECT_TRUE(ui::App().ShowMainForm);
}

}  // namespace
}  // namespace traytest
