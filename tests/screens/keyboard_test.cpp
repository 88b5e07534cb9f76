// Every window of Quorvex from the keyboard, in this process: the controls Tab visits (and Shift+Tab
// in reverse) in reading order from the one that has the focus when the window opens, each with the
// name a screen reader announces.
#include "control_center_fixture.h"
#include "screens/hotkeys.h"
#include "screens/program_shortcut.h"
#include "screens/wizard.h"
#include "tray/keep_or_revert.h"

#include <oleacc.h>

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace screenstest {
namespace {

std::string WindowText(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

// The accessible name through oleacc where the system answers (looked up at run time), else the
// standard rule oleacc follows: the control's own text, or the label right before it in window order.
// A drop-down list's text is its value, not its name: it is named by its label (Wine's oleacc
// answers the value).
std::string AccessibleName(HWND control) {
    char cls[32] = {};
    GetClassNameA(control, cls, sizeof(cls));
    const bool valueText = lstrcmpiA(cls, "ComboBox") == 0;
    static HMODULE oleacc = LoadLibraryA("oleacc.dll");
    static HMODULE oleaut = LoadLibraryA("oleaut32.dll");
    using FromWindowFn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    using FreeFn = void(WINAPI*)(BSTR);
    auto fromWindow = oleacc ? reinterpret_cast<FromWindowFn>(
                                   reinterpret_cast<void*>(GetProcAddress(oleacc, "AccessibleObjectFromWindow")))
                             : nullptr;
    auto freeString =
        oleaut ? reinterpret_cast<FreeFn>(reinterpret_cast<void*>(GetProcAddress(oleaut, "SysFreeString"))) : nullptr;
    static const IID kAccessible = {0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};
    IAccessible* object = nullptr;
    if (!valueText && fromWindow && freeString && SUCCEEDED(fromWindow(control, OBJID_CLIENT, kAccessible, reinterpret_cast<void**>(&object))) &&
        object) {
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        const HRESULT asked = object->get_accName(self, &name);
        object->Release();
        std::string text;
        if (asked == S_OK && name)
            for (const wchar_t* c = name; *c; ++c) text += static_cast<char>(*c);
        if (name) freeString(name);
        if (!text.empty()) return text;
    }
    std::string own = WindowText(control);
    if (!own.empty() && !valueText) return own;
    HWND before = GetWindow(control, GW_HWNDPREV);
    cls[0] = '\0';
    if (before) GetClassNameA(before, cls, sizeof(cls));
    return lstrcmpiA(cls, "Static") == 0 ? WindowText(before) : "";
}

class KeyboardTest : public ControlCenterTest {
protected:
    // One Tab (or Shift+Tab) through the application's loop, as a key press arrives.
    static void Tab(bool backwards) {
        BYTE keys[256] = {};
        GetKeyboardState(keys);
        keys[VK_SHIFT] = backwards ? 0x80 : 0;
        SetKeyboardState(keys);
        HWND focus = GetFocus();
        PostMessageA(focus, WM_KEYDOWN, VK_TAB, 0);
        uitest::PumpUntil([&] { return GetFocus() != focus; }, 1000);
        keys[VK_SHIFT] = 0;
        SetKeyboardState(keys);
    }

    // "name=accessible name" of each control Tab visits from the focused one, until it comes round.
    static std::vector<std::string> Visits(ui::Form& form, bool backwards) {
        std::vector<std::string> seen;
        HWND first = GetFocus();
        for (int i = 0; i < 20; ++i) {
            HWND focus = GetFocus();
            if (i > 0 && focus == first) break;
            const ui::Control* control = ui::Control::From(focus);
            seen.push_back((control ? control->Name() : "?") + "=" + AccessibleName(focus));
            if (!IsChild(form.Handle(), focus)) break;
            Tab(backwards);
        }
        return seen;
    }

    // Shows `form` active and checks where the focus starts and what Tab and Shift+Tab visit.
    static void ExpectVisits(ui::Form& form, std::vector<std::string> expected) {
        SCOPED_TRACE(form.Caption());
        if (!form.Visible()) form.Show();
        SetForegroundWindow(form.Handle());
        ASSERT_TRUE(uitest::PumpUntil([&] { return GetActiveWindow() == form.Handle(); }, 2000));
        EXPECT_EQ(Visits(form, false), expected);
        // Backwards: the same controls in reverse, from the one the focus came round to.
        std::vector<std::string> reverse(expected.rbegin(), expected.rend());
        reverse.insert(reverse.begin(), reverse.back());
        reverse.pop_back();
        EXPECT_EQ(Visits(form, true), reverse);
    }
};

TEST_F(KeyboardTest, TabVisitsEveryInputControlInReadingOrderAndEachHasAName) {
    screens::Tmain& center = StartAndOpen(std::string(kModeProfile) + "X=1024\r\nY=768\r\nDepth=32\r\n");
    ExpectVisits(center, {"mainResolution=Select your preferred screen resolution:", "b32=32 Bit",
                          "Button1=Apply settings", "Button5=Check for updates", "Button3=Help", "Button4=About",
                          "Button6=Hotkeys...", "Button7=Program shortcut...",
                          "mainUpdates=Check for updates automatically", "Button2=Close Control Center"});

    auto* hotkeys = center.CreateOwned<screens::Thotkeys>(*host);
    ExpectVisits(*hotkeys, {"myModeKey=My mode:", "naturalModeKey=Natural mode:", "Button1=OK", "Button2=Cancel"});
    hotkeys->Hide();
    auto* shortcut = center.CreateOwned<screens::Tshortcut>();
    ExpectVisits(*shortcut, {"Button1=Choose...", "modeList=Display mode:", "Button3=Close"});
    shortcut->Hide();

    Press(center, "Button4");
    ASSERT_NE(host->About(), nullptr);
    ExpectVisits(*host->About(), {"Button1=I agree"});
    host->About()->Hide();

    auto* question = host->CreateOwned<tray::Tconfirm>(tray::DisplayChange{}, [](auto*, auto&, auto) {});
    question->Ask();
    ExpectVisits(*question, {"Button1=Keep settings", "Button2=Revert"});
    question->Settle(tray::Tconfirm::Answer::Keep);

    // The wizard's pages, each where the keyboard is when it is shown.
    auto* wizard = host->CreateOwned<screens::Twizard>(*host);
    ExpectVisits(*wizard, {"auto=Automatic configuration (program will select the best settings for you)",
                           "Button1=Next"});
    SendMessageA(wizard->Find("manual").Handle(), BM_CLICK, 0, 0);
    SetFocus(wizard->Find("Button1").Handle());
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    ASSERT_TRUE(uitest::PumpUntil([&] { return IsWindowVisible(wizard->Find("manualna").Handle()); }, 2000));
    ExpectVisits(*wizard, {"slider=Use this slider to select desired screen resolution:",
                           "b16=16 Bit - average number of colors", "Button2=Test", "Button4=Back"});
}

}  // namespace
}  // namespace screenstest
