#include "ui/dpi.h"

namespace ui {

namespace {

template <class Fn>
Fn SystemFunction(const char* dll, const char* name) {
    HMODULE module = GetModuleHandleA(dll);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

int SystemDpi() {
    const common::WindowDc screen = common::GetWindowDc(nullptr);
    const int dpi = GetDeviceCaps(screen.Get(), LOGPIXELSY);
    return dpi > 0 ? dpi : 96;
}

int WindowDpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = SystemFunction<GetDpiForWindowFn>("user32.dll", "GetDpiForWindow");
    if (getDpiForWindow && window)
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    return SystemDpi();
}

void DeclareDpiAware() {
    // DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 (Windows 10 1703 and on); SetProcessDPIAware from Vista.
    using SetContextFn = BOOL(WINAPI*)(HANDLE);
    using SetAwareFn = BOOL(WINAPI*)();
    if (auto setContext = SystemFunction<SetContextFn>("user32.dll", "SetProcessDpiAwarenessContext"))
        if (setContext(reinterpret_cast<HANDLE>(static_cast<INT_PTR>(-4))) || GetLastError() == ERROR_ACCESS_DENIED)
            return;  // set now, or already by the manifest
    if (auto setAware = SystemFunction<SetAwareFn>("user32.dll", "SetProcessDPIAware")) setAware();
}

common::Icon LoadIconAtSystemSize(const char* name, bool small) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    using LoadIconMetricFn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
    static const auto loadIconMetric = SystemFunction<LoadIconMetricFn>("comctl32.dll", "LoadIconMetric");
    if (loadIconMetric) {
        wchar_t wide[64] = {};
        MultiByteToWideChar(CP_ACP, 0, name, -1, wide, 64);
        HICON icon = nullptr;
        if (SUCCEEDED(loadIconMetric(instance, wide, small ? 0 : 1, &icon)) && icon) return common::Icon(icon);
    }
    return common::Icon(static_cast<HICON>(LoadImageA(instance, name, IMAGE_ICON,
                                                      GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON),
                                                      GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON), 0)));
}

common::Icon IconAtSystemSize(HICON icon, bool small) {
    if (!icon) return common::Icon();
    const int width = GetSystemMetrics(small ? SM_CXSMICON : SM_CXICON);
    const int height = GetSystemMetrics(small ? SM_CYSMICON : SM_CYICON);
    if (HANDLE sized = CopyImage(icon, IMAGE_ICON, width, height, LR_COPYFROMRESOURCE))
        return common::Icon(static_cast<HICON>(sized));
    return common::Icon(CopyIcon(icon));
}

}  // namespace ui
