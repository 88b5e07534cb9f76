// Real windows in the Wine desktop, driven through window messages as the later window tests are.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr int kButtonId = 100;

LRESULT CALLBACK ClickCounterProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED) {
        HWND label = GetDlgItem(window, kButtonId + 1);
        const int clicks = static_cast<int>(GetWindowLongPtrA(window, GWLP_USERDATA)) + 1;
        SetWindowLongPtrA(window, GWLP_USERDATA, clicks);
        SetWindowTextA(label, ("Clicked " + std::to_string(clicks)).c_str());
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

std::string TextOf(HWND window) {
    char buffer[256] = {};
    SendMessageA(window, WM_GETTEXT, sizeof(buffer), reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

TEST(WindowDriving, PostedClickReachesTheButtonAndTheLabelReadsBack) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = ClickCounterProc;
    cls.hInstance = GetModuleHandleA(nullptr);
    cls.lpszClassName = "QvClickCounter";
    ASSERT_TRUE(RegisterClassA(&cls));
    HWND form = CreateWindowExA(0, cls.lpszClassName, "Click counter", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100,
                                300, 150, nullptr, nullptr, cls.hInstance, nullptr);
    ASSERT_NE(form, nullptr);
    HWND button = CreateWindowExA(0, "BUTTON", "Press", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 10, 10, 80, 25, form,
                                  reinterpret_cast<HMENU>(kButtonId), cls.hInstance, nullptr);
    HWND label = CreateWindowExA(0, "STATIC", "Not yet", WS_CHILD | WS_VISIBLE, 10, 50, 200, 20, form,
                                 reinterpret_cast<HMENU>(kButtonId + 1), cls.hInstance, nullptr);
    ASSERT_NE(button, nullptr);
    ASSERT_NE(label, nullptr);
    PumpMessages();

    // Another program would find the controls by class and text, then post the click.
    EXPECT_EQ(FindWindowExA(form, nullptr, "BUTTON", "Press"), button);
    PostMessageA(button, BM_CLICK, 0, 0);
    EXPECT_EQ(TextOf(label), "Not yet");
    PumpMessages();
    EXPECT_EQ(TextOf(label), "Clicked 1");

    PostMessageA(button, BM_CLICK, 0, 0);
    PumpMessages();
    EXPECT_EQ(TextOf(label), "Clicked 2");

    DestroyWindow(form);
    UnregisterClassA(cls.lpszClassName, cls.hInstance);
}

}  // namespace
