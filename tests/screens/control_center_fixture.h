#pragma once
// Runs the host form with the real Control Center and About screen, driven through their windows
// as a user or another program would.
#include "screens/about.h"
#include "screens/control_center.h"
#include "support/ui_test_support.h"
#include "tray/tray_test_support.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

namespace screenstest {

class ControlCenterTest : public traytest::HostFormTest {
protected:
    // "Open Control Center" from the tray menu; returns the new window once its activation ran.
    screens::Tmain& Open() {
        host->Find<ui::TMenuItem>("Open1").Click();
        auto& center = *static_cast<screens::Tmain*>(host->ControlCenter());
        uitest::PumpUntil([&] { return !center.Find<ui::TCheckBox>("startup").Checked(); }, 2000);
        return center;
    }
    // Starts Quorvex for john with this profile text and opens a Control Center.
    screens::Tmain& StartAndOpen(const std::string& profile) {
        WriteProfile("JOHN", profile);
        CreateHost();
        StartUp();
        return Open();
    }

    static HWND Control(const ui::Form& form, const char* name) { return form.Find(name).Handle(); }
    static std::string Text(const ui::Form& form, const char* name) { return form.Find(name).Text(); }
    static void Press(const ui::Form& form, const char* name) { SendMessageA(Control(form, name), BM_CLICK, 0, 0); }
    static bool Checked(const ui::Form& form, const char* name) {
        return SendMessageA(Control(form, name), BM_GETCHECK, 0, 0) == BST_CHECKED;
    }
    static int Slider(const ui::Form& form) {
        return static_cast<int>(SendMessageA(Control(form, "mainResolution"), TBM_GETPOS, 0, 0));
    }
    static void MoveSlider(const ui::Form& form, int position) {
        SendMessageA(Control(form, "mainResolution"), TBM_SETPOS, TRUE, position);
    }
    // The checked one of the depth radio buttons, "" when none is.
    static std::string CheckedDepth(const ui::Form& form) {
        std::string checked;
        for (const char* name : {"b8", "b16", "b32", "b64"})
            if (Checked(form, name)) checked += name;
        return checked;
    }
    static RECT Client(HWND window) {
        RECT rect{};
        GetClientRect(window, &rect);
        return rect;
    }

    static DEVMODEA Mode(DWORD width, DWORD height, DWORD depth, DWORD hertz) {
        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT | DM_BITSPERPEL | DM_DISPLAYFREQUENCY;
        mode.dmPelsWidth = width, mode.dmPelsHeight = height, mode.dmBitsPerPel = depth;
        mode.dmDisplayFrequency = hertz;
        return mode;
    }

    static constexpr const char* kModeProfile = "[Screen]\r\noldX=1024\r\noldY=768\r\noldDepth=32\r\n";
};

}  // namespace screenstest
