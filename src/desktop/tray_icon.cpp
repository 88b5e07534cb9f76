#include "desktop/tray_icon.h"

#include "common/system_services.h"
#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/form.h"

#include <algorithm>
#include <cstring>

namespace desktop {

namespace {

// The taskbar's re-creation broadcast comes from the shell, which runs unelevated: an elevated
// program gets it only after letting it through the message filter (Windows Vista and later; the
// function is looked up because Windows XP has neither the filter nor the function).
UINT RegisterTaskbarCreated() {
    const UINT message = RegisterWindowMessageA("TaskbarCreated");
    using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
    HMODULE user = GetModuleHandleA("user32.dll");
    auto filter = user ? reinterpret_cast<FilterFn>(
                             reinterpret_cast<void*>(GetProcAddress(user, "ChangeWindowMessageFilter")))
                       : nullptr;
    if (filter && message) filter(message, 1 /* MSGFLT_ADD */);
    return message;
}

// Both are fixed for the life of the process: read once at start.
const UINT taskbarCreated = RegisterTaskbarCreated();

// At logon the shell may not be ready, or too busy to answer in time, when the icon is added.
constexpr UINT_PTR kAddRetryTimer = 2;  // timer 1 is the timer base's
constexpr UINT kAddRetryInterval = 2000;
constexpr int kAddRetries = 60;  // two minutes

// The version of the shell's messages that tells the keyboard apart (shell 5, Windows 2000 on).
constexpr UINT kKeyboardAwareVersion = 3;  // NOTIFYICON_VERSION
constexpr LPARAM kKeySelect = WM_USER + 1;  // NIN_KEYSELECT: Enter or Space on the icon

bool ReadBalloonCapable() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) && BalloonCapableSystem(version);
}
bool balloonCapable = ReadBalloonCapable();

// Copies `text` into a fixed field, cut to `limit` characters and zero-terminated.
template <size_t N>
void CopyCut(char (&field)[N], const std::string& text, size_t limit) {
    const size_t length = std::min({text.size(), limit, N - 1});
    std::memcpy(field, text.data(), length);
    field[length] = '\0';
}

TShiftState KeyShiftState() {
    TShiftState shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) shift |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) shift |= ssAlt;
    return shift;
}

}  // namespace

UINT TaskbarCreatedMessage() { return taskbarCreated; }

bool BalloonCapableSystem(const OSVERSIONINFOA& version) {
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion != 3 && version.dwMajorVersion != 4;
}

bool& BalloonCapable() { return balloonCapable; }

TdskTrayIcon::TdskTrayIcon(ui::Form& owner, std::string name) : TdskCustomTimer(owner, std::move(name)) {
    UpdateCycling();
    ui::Application& app = ui::App();
    app.Initialize();
    hookId_ = app.HookMainWindow([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return ApplicationWindowHook(message, wParam, lParam, result);
    });
}

TdskTrayIcon::~TdskTrayIcon() {
    destroying_ = true;
    try {
        SetVisible(false);
    } catch (...) {
        // The icon goes with the process anyway; a destructor must not throw.
    }
    StopAddRetry();
    ui::App().UnhookMainWindow(hookId_);
}

void TdskTrayIcon::Loaded() {
    if (!popupMenuName_.empty()) SetPopupMenu(&Owner().Find<ui::TPopupMenu>(popupMenuName_));
    if (MinimizeOnStart) {
        ui::App().ShowMainForm = false;
        Minimize();
    }
    if (visible_) ShowIcon();
}

// ---- Properties ----

void TdskTrayIcon::SetHint(const std::string& hint) {
    hint_ = hint;
    UpdateIcon();
}

void TdskTrayIcon::SetIcon(HICON icon) {
    // The notification area shows small icons: the image of that size, not a larger one shrunk.
    icon_ = ui::IconAtSystemSize(icon, true);
    UpdateIcon();
}

void TdskTrayIcon::SetShowHint(bool show) {
    showHint_ = show;
    UpdateIcon();
}

void TdskTrayIcon::SetVisible(bool visible) {
    if (visible == visible_) return;
    if (visible)
        ShowIcon();
    else
        HideIcon();
}

void TdskTrayIcon::SetPopupMenu(ui::TPopupMenu* menu) {
    popupMenu_ = menu;
    popupMenuName_.clear();
}

void TdskTrayIcon::SetPopupMenu(const std::string& name) {
    if (Owner().Has(name))
        SetPopupMenu(&Owner().Find<ui::TPopupMenu>(name));
    else
        popupMenuName_ = name;
}

void TdskTrayIcon::SetCycleIcons(bool cycle) {
    cycleIcons_ = cycle;
    UpdateCycling();
}

void TdskTrayIcon::SetCycleInterval(int ms) {
    cycleInterval_ = ms;
    UpdateCycling();
}

void TdskTrayIcon::UpdateCycling() {
    SetInterval(cycleInterval_);
    SetOnTimer(cycleIcons_ ? std::function<void()>([this] { CycleIconStep(); }) : nullptr);
}

// ---- The shell ----

void TdskTrayIcon::FillIconData() {
    const bool extended = BalloonCapable();
    data_ = {};
    data_.cbSize = extended ? NOTIFYICONDATAA_V2_SIZE : NOTIFYICONDATAA_V1_SIZE;
    data_.hWnd = WindowHandle();
    data_.uID = IconID;
    data_.uFlags = flags_;
    data_.uCallbackMessage = kTrayCallbackMessage;
    data_.hIcon = icon_.Get();
    if (showHint_) CopyCut(data_.szTip, hint_, extended ? 127 : 63);
}

bool TdskTrayIcon::Notify(DWORD message) { return common::Services().Shell_NotifyIconA(message, &data_) != FALSE; }

void TdskTrayIcon::InsertToTray() {
    bool added = false;
    try {
        FillIconData();
        added = Notify(NIM_ADD);
    } catch (...) {
        throw EdskTrayIcon(Name() + ".InsertToTray failed");
    }
    if (added) {
        StopAddRetry();
        AskForKeyboardMessages();
    } else {
        StartAddRetry();
    }
}

void TdskTrayIcon::AskForKeyboardMessages() {
    keyboardMessages_ = false;
    if (!BalloonCapable()) return;  // an older shell knows no versions
    FillIconData();
    data_.uVersion = kKeyboardAwareVersion;
    keyboardMessages_ = Notify(NIM_SETVERSION);
}

void TdskTrayIcon::StartAddRetry() {
    addRetriesLeft_ = kAddRetries;
    SetTimer(WindowHandle(), kAddRetryTimer, kAddRetryInterval, nullptr);
}

void TdskTrayIcon::StopAddRetry() {
    if (addRetriesLeft_ > 0) KillTimer(WindowHandle(), kAddRetryTimer);
    addRetriesLeft_ = 0;
}

// A refused or timed-out add may still have put the icon there: an icon the shell lets us modify
// is present, otherwise it is added again.
void TdskTrayIcon::RetryAdd() {
    if (!visible_) return StopAddRetry();
    FillIconData();
    bool present = Notify(NIM_MODIFY);
    if (!present) {
        FillIconData();
        present = Notify(NIM_ADD);
    }
    if (present) AskForKeyboardMessages();
    if (present || addRetriesLeft_ == 1)
        StopAddRetry();
    else
        --addRetriesLeft_;
}

void TdskTrayIcon::DeleteFromTray() {
    try {
        FillIconData();
        Notify(NIM_DELETE);
    } catch (...) {
        throw EdskTrayIcon(Name() + ".DeleteFromTray failed");
    }
}

void TdskTrayIcon::UpdateIcon() {
    FillIconData();
    Notify(NIM_MODIFY);
}

void TdskTrayIcon::ShowIcon() {
    flags_ |= NIF_ICON;
    InsertToTray();
    visible_ = true;
    if (OnShow) OnShow();
}

void TdskTrayIcon::HideIcon() {
    StopAddRetry();
    flags_ &= ~static_cast<UINT>(NIF_ICON);
    DeleteFromTray();
    visible_ = false;
    if (OnHide) OnHide();
    // While the owner form goes, its windows are not brought back for the moment that is left.
    if (destroying_) return;
    if (MinimizeToTray) ShowApplication();
    if (!Owner().Visible()) Owner().Show();
}

void TdskTrayIcon::ShowBalloon() {
    if (!BalloonCapable()) return;
    FillIconData();
    data_.uFlags = NIF_INFO;
    data_.dwInfoFlags = static_cast<DWORD>(InfoType);
    data_.uTimeout = InfoTimeout;
    CopyCut(data_.szInfo, InfoText, 255);
    CopyCut(data_.szInfoTitle, InfoTitle, 63);
    Notify(NIM_MODIFY);
    ++balloonsShown_;
}

void TdskTrayIcon::ShowBalloonHint() { ShowBalloon(); }

// ---- The application's windows ----

void TdskTrayIcon::ShowApplication() {
    ui::Application& app = ui::App();
    if (app.Handle()) {
        ShowWindow(app.Handle(), SW_SHOWNORMAL);
        // The application no longer counts itself minimised: its taskbar button follows its forms again.
        if (app.Minimized()) app.Restore();
    }
    if (app.MainForm()) app.MainForm()->Show();
}

void TdskTrayIcon::HideApplication() {
    ui::Application& app = ui::App();
    if (app.Handle() && IsWindowVisible(app.Handle())) ShowWindow(app.Handle(), SW_HIDE);
    if (app.MainForm()) app.MainForm()->Hide();
}

bool TdskTrayIcon::ApplicationWindowHook(UINT message, WPARAM wParam, LPARAM, LRESULT&) {
    if (message == WM_SIZE && wParam == SIZE_MINIMIZED && MinimizeToTray) Minimize();
    return false;  // the application window handles every message as before
}

void TdskTrayIcon::Minimize() {
    HideApplication();
    SetVisible(true);
    if (OnMinimize) OnMinimize();
}

// ---- Mouse and menu ----

void TdskTrayIcon::PopupAtCursor() {
    if (!popupMenu_ || !popupMenu_->AutoPopup) return;
    POINT cursor{};
    GetCursorPos(&cursor);
    PopupAt(cursor);
}

void TdskTrayIcon::PopupAt(POINT at) {
    if (!popupMenu_ || !popupMenu_->AutoPopup) return;
    ui::App().ProcessMessages();
    // Without the foreground switch before and the posted message after, the menu would not close
    // when the user clicks elsewhere.
    SetForegroundWindow(Owner().Handle());
    popupMenu_->PopupComponent = this;
    popupMenu_->Popup(at.x, at.y);
    PostMessageA(Owner().Handle(), WM_NULL, 0, 0);
    if (OnPopupMenu) OnPopupMenu();
}

LRESULT TdskTrayIcon::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return HandleTrayMessage(message, wParam, lParam);
}

LRESULT TdskTrayIcon::HandleTrayMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kTrayCallbackMessage) {
        if (!Enabled()) return 0;
        POINT at{};
        GetCursorPos(&at);
        const TShiftState keys = KeyShiftState();
        switch (lParam) {
        case WM_MOUSEMOVE:
            MouseMove(keys, at.x, at.y);
            return 0;
        case WM_LBUTTONDOWN:
            MouseDown(TMouseButton::mbLeft, keys | ssLeft, at.x, at.y);
            clickPending_ = true;
            return 0;
        case WM_LBUTTONUP:
            MouseUp(TMouseButton::mbLeft, keys | ssLeft, at.x, at.y);
            if (clickPending_) Click();
            if (PopupByLeft) PopupAtCursor();
            clickPending_ = false;
            return 0;
        case WM_LBUTTONDBLCLK:
            DblClick();
            return 0;
        case WM_RBUTTONDOWN:
            MouseDown(TMouseButton::mbRight, keys | ssRight, at.x, at.y);
            return 0;
        case WM_RBUTTONUP:
            MouseUp(TMouseButton::mbRight, keys | ssRight, at.x, at.y);
            if (!keyboardMessages_) PopupAtCursor();  // else WM_CONTEXTMENU follows
            return 0;
        case WM_CONTEXTMENU:
            PopupAtCursor();
            return 0;
        case kKeySelect: {
            // From the keyboard the pointer may be anywhere: the menu opens at the notification area.
            POINT place = at;
            RECT area{};
            HWND tray = FindWindowExA(FindWindowA("Shell_TrayWnd", nullptr), nullptr, "TrayNotifyWnd", nullptr);
            if (tray && GetWindowRect(tray, &area)) place = {area.left, area.top};
            PopupAt(place);
            return 0;
        }
        case WM_MBUTTONDOWN:
            MouseDown(TMouseButton::mbMiddle, keys | ssMiddle, at.x, at.y);
            return 0;
        case WM_MBUTTONUP:
            MouseUp(TMouseButton::mbMiddle, keys | ssMiddle, at.x, at.y);
            return 0;
        case NIN_BALLOONSHOW:
            if (OnBalloonShow) OnBalloonShow();
            return 0;
        case NIN_BALLOONTIMEOUT:
            if (OnBalloonTimeout) OnBalloonTimeout();
            return 0;
        case NIN_BALLOONUSERCLICK:
            if (OnBalloonClick) OnBalloonClick();
            return 0;
        }
        return TdskCustomTimer::WndProc(message, wParam, lParam);
    }
    if (message == WM_QUERYENDSESSION) return 1;
    if (message == WM_TIMER && wParam == kAddRetryTimer) {
        try {
            RetryAdd();
        } catch (...) {
            StopAddRetry();
            ui::App().HandleException(std::current_exception());
        }
        return 0;
    }
    if (message == TaskbarCreatedMessage()) {
        // The new taskbar has no icons: add ours again.
        if (visible_) {
            HideIcon();
            ShowIcon();
        }
    }
    return TdskCustomTimer::WndProc(message, wParam, lParam);
}

void TdskTrayIcon::CycleIconStep() {
    if (!CycleImages.empty()) {
        cycleIndex_ = (cycleIndex_ + 1) % CycleImages.size();
        SetIcon(CycleImages[cycleIndex_]);
    }
    if (OnCycleIcons) OnCycleIcons();
}

void TdskTrayIcon::MouseMove(TShiftState shift, int x, int y) {
    if (OnMouseMove) OnMouseMove(shift, x, y);
}

void TdskTrayIcon::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    if (OnMouseDown) OnMouseDown(button, shift, x, y);
}

void TdskTrayIcon::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
    // The program comes to the foreground, unless one of its windows already is there: the window
    // a double click has just opened keeps the keyboard.
    if (GetWindowThreadProcessId(GetForegroundWindow(), nullptr) != GetCurrentThreadId())
        SetForegroundWindow(Owner().Handle());
    if (OnMouseUp) OnMouseUp(button, shift, x, y);
}

void TdskTrayIcon::Click() {
    if (OnClick) OnClick();
}

void TdskTrayIcon::DblClick() {
    if (popupMenu_ && popupMenu_->AutoPopup && !PopupByLeft) {
        for (ui::TMenuItem* item : popupMenu_->Items())
            if (item->IsDefault()) {
                // The program takes the foreground first, so that a window the item opens keeps it
                // and has the keyboard.
                SetForegroundWindow(Owner().Handle());
                item->Click();
                if (OnDblClick) OnDblClick();
                return;
            }
    }
    if (MinimizeToTray) {
        if (Owner().Visible())
            HideApplication();
        else
            ShowApplication();
    }
    if (OnDblClick) OnDblClick();
}

}  // namespace desktop
