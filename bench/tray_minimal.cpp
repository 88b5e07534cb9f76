// The smallest tray program, for comparison with Quorvex's footprint: a hidden window, an icon in
// the notification area and a one-item menu ("Exit"). Built by footprint.sh with Quorvex's toolchain.
#include <windows.h>
#include <shellapi.h>

namespace {

constexpr UINT kCallback = WM_USER + 1;
HMENU menu = nullptr;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kCallback && lParam == WM_RBUTTONUP) {
        POINT at;
        GetCursorPos(&at);
        SetForegroundWindow(window);
        if (TrackPopupMenu(menu, TPM_RETURNCMD, at.x, at.y, 0, window, nullptr) == 1) DestroyWindow(window);
        return 0;
    }
    if (message == WM_CLOSE) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WNDCLASSA cls{};
    cls.lpfnWndProc = Proc;
    cls.hInstance = instance;
    cls.lpszClassName = "TrayMinimal";
    RegisterClassA(&cls);
    HWND window = CreateWindowA("TrayMinimal", "Tray minimal", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance,
                                nullptr);
    menu = CreatePopupMenu();
    AppendMenuA(menu, MF_STRING, 1, "Exit");
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V1_SIZE;
    icon.hWnd = window;
    icon.uID = 1;
    icon.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    icon.uCallbackMessage = kCallback;
    icon.hIcon = LoadIconA(nullptr, reinterpret_cast<LPCSTR>(IDI_APPLICATION));
    lstrcpyA(icon.szTip, "Tray minimal");
    Shell_NotifyIconA(NIM_ADD, &icon);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    Shell_NotifyIconA(NIM_DELETE, &icon);
    return 0;
}
