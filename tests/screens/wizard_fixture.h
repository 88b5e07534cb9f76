#pragma once
// Runs the first configuration wizard beside a host form, with scripted display answers, and drives
// it through its controls' window messages in this thread.
#include "screens/wizard.h"
#include "support/ui_test_support.h"
#include "tray_test_support.h"

#include <commctrl.h>
#include <windows.h>

#include <string>
#include <tuple>
#include <vector>

namespace wizardtest {

using Mode = std::tuple<DWORD, DWORD, DWORD>;  // width, height, depth

inline const char kPages[][16] = {"Default", "manualna", "automatyczna", "koniec"};

inline std::string TextOf(HWND window) {
    char text[512] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text));
    return text;
}

class WizardTest : public traytest::HostFormTest {
protected:
    // A wizard owned by the host form, shown (not modally) and activated as the host would.
    void OpenWizard() {
        CreateHost();
        host->QueryUserName();
        wizard = host->CreateOwned<screens::Twizard>(*host);
        wizard->Show();
        ASSERT_TRUE(uitest::PumpUntil([&] { return Enabled("Button1"); })) << "the wizard was not activated";
    }

    HWND Window(const char* name) const { return wizard->Find(name).Handle(); }
    bool Enabled(const char* name) const { return IsWindowEnabled(Window(name)) != FALSE; }
    bool Checked(const char* name) const { return SendMessageA(Window(name), BM_GETCHECK, 0, 0) == BST_CHECKED; }
    std::string Text(const char* name) const { return TextOf(Window(name)); }
    // Users click only what they see.
    void Click(const char* name) {
        ASSERT_TRUE(IsWindowVisible(Window(name))) << name << " is not on screen";
        SendMessageA(Window(name), BM_CLICK, 0, 0);
    }
    void Slide(int position) { SendMessageA(Window("slider"), TBM_SETPOS, TRUE, position); }
    std::string Page() const {
        std::string shown;
        for (const char* page : kPages)
            if (IsWindowVisible(Window(page))) shown += shown.empty() ? page : std::string("+") + page;
        return shown;
    }
    Mode Chosen() const {
        const auto& m = wizard->ChosenMode();
        return {static_cast<DWORD>(m.width), static_cast<DWORD>(m.height), static_cast<DWORD>(m.depth)};
    }
    // Every mode the wizard asked about; each call must be a test with the 156-byte record.
    std::vector<Mode> Tested() const {
        std::vector<Mode> modes;
        for (const auto& call : services.displayCalls) {
            EXPECT_TRUE(call.hasMode);
            EXPECT_EQ(call.flags, static_cast<DWORD>(CDS_TEST));
            EXPECT_EQ(call.mode.dmSize, 156);
            EXPECT_EQ(call.mode.dmDriverExtra, 0);
            EXPECT_EQ(call.mode.dmFields, static_cast<DWORD>(DM_BITSPERPEL | DM_PELSWIDTH | DM_PELSHEIGHT));
            EXPECT_EQ(call.mode.dmDisplayFrequency, 0u);
            modes.emplace_back(call.mode.dmPelsWidth, call.mode.dmPelsHeight, call.mode.dmBitsPerPel);
        }
        return modes;
    }
    void Forget() {
        services.displayCalls.clear();
        services.messages.clear();
    }

    screens::Twizard* wizard = nullptr;
};

}  // namespace wizardtest
