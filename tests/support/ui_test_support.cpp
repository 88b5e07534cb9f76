#include "support/ui_test_support.h"

#include "ui/application.h"

#include <cstdio>
#include <vector>

namespace uitest {

bool PumpUntil(const std::function<bool()>& done, int ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
        ui::App().ProcessMessages();
        Sleep(5);
    }
    return true;
}

HWND FindOwnWindow(const char* cls, const char* title, bool visible) {
    for (HWND window = nullptr; (window = FindWindowExA(nullptr, window, cls, title));) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId() && (!visible || IsWindowVisible(window))) return window;
    }
    return nullptr;
}

std::string UniqueName(const std::string& base) { return base + std::to_string(GetCurrentProcessId()); }

bool CloseMessageBoxLater(const std::string& caption, int delayMs, int ms) {
    const DWORD start = GetTickCount();
    HWND box = nullptr;
    while (!(box = FindOwnWindow("#32770", caption.c_str()))) {
        if (GetTickCount() - start > static_cast<DWORD>(ms)) return false;
        Sleep(10);
    }
    Sleep(static_cast<DWORD>(delayMs));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    return true;
}

namespace {
DWORD WINAPI ThreadBody(void* param) {
    auto* body = static_cast<std::function<void()>*>(param);
    (*body)();
    delete body;
    return 0;
}
}  // namespace

HANDLE RunInThread(std::function<void()> body) {
    return CreateThread(nullptr, 0, ThreadBody, new std::function<void()>(std::move(body)), 0, nullptr);
}

std::string SaveScreenshot(HWND window, const std::string& name) {
    RECT rect;
    GetWindowRect(window, &rect);
    return SaveScreenshot(rect, name);
}

std::string SaveScreenshot(const RECT& rect, const std::string& name) {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    GdiFlush();
    const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) & ~3u);
    const DWORD size = stride * static_cast<DWORD>(height);

    // A name may hold one folder level ("journey1/popup").
    const std::string path = std::string(QV_SCREENSHOT_DIR) + name + ".bmp";
    CreateDirectoryA(QV_SCREENSHOT_DIR, nullptr);
    const size_t slash = name.find('/');
    if (slash != std::string::npos) CreateDirectoryA((QV_SCREENSHOT_DIR + name.substr(0, slash)).c_str(), nullptr);
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        BITMAPFILEHEADER header{};
        header.bfType = 0x4D42;
        header.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
        header.bfSize = header.bfOffBits + size;
        std::fwrite(&header, sizeof(header), 1, file);
        std::fwrite(&info.bmiHeader, sizeof(info.bmiHeader), 1, file);
        std::fwrite(bits, 1, size, file);
        std::fclose(file);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return path;
}

}  // namespace uitest
