#include "ui/application.h"

#include "common/system_services.h"
#include "ui/dpi.h"
#include "ui/exception.h"
#include "ui/form.h"
#include "ui/screen.h"

#include <commctrl.h>

#include <cxxabi.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <typeinfo>

namespace ui {

namespace {

// The application title when none is set: the executable's name cut at its first full stop, every
// letter after the first in lower case ("FETCHWELL.EXE" -> "Fetchwell").
std::string DefaultTitle() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string name = path;
    const size_t slash = name.find_last_of("\\/:");
    if (slash != std::string::npos) name.erase(0, slash + 1);
    const size_t dot = name.find('.');
    if (dot != std::string::npos) name.erase(dot);
    for (size_t i = 1; i < name.size(); ++i)
        if (name[i] >= 'A' && name[i] <= 'Z') name[i] = static_cast<char>(name[i] - 'A' + 'a');
    return name;
}

}  // namespace

const char* ExceptionClassName(const std::exception& error) {
    if (auto* own = dynamic_cast<const Exception*>(&error)) return own->ClassName();
    if (dynamic_cast<const std::bad_alloc*>(&error)) return "EOutOfMemory";
    // Other modules' errors are named by their class, without the namespace.
    thread_local std::string name;
    int status = 0;
    char* demangled = abi::__cxa_demangle(typeid(error).name(), nullptr, nullptr, &status);
    name = status == 0 && demangled ? demangled : "Exception";
    std::free(demangled);
    const size_t colon = name.rfind("::");
    if (colon != std::string::npos) name.erase(0, colon + 2);
    return name.c_str();
}

std::string WithFullStop(const std::string& message) {
    if (message.empty() || message.back() == '.') return message;
    return message + ".";
}

Application& Application::Instance() {
    static Application application;
    return application;
}

Application::Application() : title_(DefaultTitle()), hintColor_(GetSysColor(COLOR_INFOBK)) {}

void Application::Initialize() {
    if (window_) return;
    DeclareDpiAware();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);

    HINSTANCE instance = GetModuleHandleA(nullptr);
    if (!icon_) {
        icon_ = LoadIconA(instance, "MAINICON");
        smallIcon_ = LoadIconAtSystemSize("MAINICON", true);
    }
    WNDCLASSA cls{};
    cls.lpfnWndProc = WindowProc;
    cls.hInstance = instance;
    cls.hIcon = icon_;
    cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    cls.lpszClassName = kWindowClass;
    RegisterClassA(&cls);
    // A zero-sized window in the middle of the screen: only its taskbar button is ever seen.
    const int x = GetSystemMetrics(SM_CXSCREEN) / 2;
    const int y = GetSystemMetrics(SM_CYSCREEN) / 2;
    window_.Reset(CreateWindowExA(0, kWindowClass, title_.c_str(),
                                  WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, x, y, 0, 0,
                                  nullptr, nullptr, instance, nullptr));
    if (icon_) SendMessageA(window_.Get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    if (smallIcon_) SendMessageA(window_.Get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_.Get()));
}

void Application::SetTitle(const std::string& title) {
    title_ = title;
    if (window_) SetWindowTextA(window_.Get(), title.c_str());
}

void Application::SetIcon(HICON icon) {
    common::Icon copy(icon ? CopyIcon(icon) : nullptr);
    common::Icon small = ui::IconAtSystemSize(icon, true);
    icon_ = copy.Get();
    std::vector<HWND> windows;
    if (window_) windows.push_back(window_.Get());
    for (Form* form : forms_)
        if (form->Design().icon && form->Handle()) windows.push_back(form->Handle());
    for (HWND window : windows) {
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small ? small.Get() : icon_));
    }
    ownIcon_ = std::move(copy);
    smallIcon_ = std::move(small);  // the old copy goes once nobody shows it any more
}

void Application::AdoptForm(std::unique_ptr<Form> form) {
    Initialize();
    Form* raw = form.get();
    if (!mainForm_) mainForm_ = raw;
    ownedForms_.push_back(std::move(form));
    raw->Load();
}

void Application::Run() {
    Initialize();
    // The main form is made visible; one already on screen stays where it is in the z-order.
    if (ShowMainForm && mainForm_ && !terminated_ && !mainForm_->Visible()) mainForm_->Show();
    while (!terminated_) {
        try {
            HandleMessage();
        } catch (...) {
            HandleException(std::current_exception());
        }
    }
}

void Application::Terminate() {
    if (!terminated_) PostQuitMessage(0);
    terminated_ = true;
}

bool Application::ProcessMessage(MSG& msg) {
    if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
    if (msg.message == WM_QUIT) {
        terminated_ = true;
        return true;
    }
    bool handled = false;
    if (OnMessage) OnMessage(msg, handled);
    if (handled) return true;
    // Tab, arrow keys, Enter, Escape and mnemonics work in the active form as in a dialog.
    if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        HWND active = GetActiveWindow();
        if (Form* form = active ? FindForm(active) : nullptr; form && form->DialogKey(msg)) return true;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
    Screen::Instance().CheckActive();
    return true;
}

void Application::ProcessMessages() {
    MSG msg;
    while (ProcessMessage(msg)) {
    }
}

bool Application::Idle() {
    bool done = true;
    try {
        if (OnIdle) OnIdle(done);
    } catch (...) {
        HandleException(std::current_exception());
    }
    CheckSynchronize();
    return done;
}

void Application::HandleMessage() {
    MSG msg;
    if (!ProcessMessage(msg)) {
        if (terminated_) return;
        if (Idle() && !terminated_) WaitMessage();
    }
}

void Application::DestroyForms() {
    // The last created goes first, as components of one owner are destroyed.
    while (!ownedForms_.empty()) {
        std::unique_ptr<Form> form = std::move(ownedForms_.back());
        ownedForms_.pop_back();
        if (form.get() == mainForm_) mainForm_ = nullptr;
        form.reset();
    }
    mainForm_ = nullptr;
}

void Application::Reset() {
    DestroyForms();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    terminated_ = false;
    ShowMainForm = true;
}

void Application::ReleaseForm(Form* form) {
    for (auto it = ownedForms_.begin(); it != ownedForms_.end(); ++it)
        if (it->get() == form) {
            std::unique_ptr<Form> doomed = std::move(*it);
            ownedForms_.erase(it);
            return;
        }
}

void Application::HandleException(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::exception& e) {
        if (OnException) {
            try {
                OnException(e);
                return;
            } catch (...) {
                // A failing exception handler falls back to the default report below.
            }
        }
        ShowException(e);
    } catch (...) {
        ShowException(Exception("Unknown error"));
    }
}

void Application::ShowException(const std::exception& error) {
    if (handlingException_) return;  // an error inside the error box's own loop is not stacked
    handlingException_ = true;
    common::Services().MessageBoxA(window_.Get(), WithFullStop(error.what()), title_, MB_OK | MB_ICONSTOP);
    handlingException_ = false;
}

void Application::SetHint(const std::string& hint) {
    if (hint == hint_) return;
    hint_ = hint;
    if (OnHint) OnHint();
}

void Application::ApplyHintSettings() {
    for (Form* form : forms_) form->ApplyHintSettings();
}
void Application::SetHintColor(COLORREF color) {
    hintColor_ = color;
    ApplyHintSettings();
}
void Application::SetHintPause(int ms) {
    hintPause_ = ms;
    ApplyHintSettings();
}
void Application::SetHintHidePause(int ms) {
    hintHidePause_ = ms;
    ApplyHintSettings();
}
void Application::SetHintShortPause(int ms) {
    hintShortPause_ = ms;
    ApplyHintSettings();
}
void Application::SetShowHint(bool show) {
    showHint_ = show;
    ApplyHintSettings();
}

void Application::Minimize() {
    if (minimized_) return;
    minimized_ = true;
    hiddenByMinimize_.clear();
    for (Form* form : forms_)
        if (form->Visible()) {
            hiddenByMinimize_.push_back(form->Handle());
            ShowWindow(form->Handle(), SW_HIDE);
        }
    ShowWindow(window_.Get(), SW_MINIMIZE);
    if (OnMinimize) OnMinimize();
}

void Application::Restore() {
    if (!minimized_) return;
    minimized_ = false;
    ShowWindow(window_.Get(), SW_RESTORE);
    for (HWND window : hiddenByMinimize_)
        if (IsWindow(window)) ShowWindow(window, SW_SHOW);
    hiddenByMinimize_.clear();
    UpdateTaskbarButton();
    if (OnRestore) OnRestore();
}

void Application::UpdateTaskbarButton(bool showing) {
    if (!window_ || minimized_) return;
    const bool anyVisible = showing || std::any_of(forms_.begin(), forms_.end(), [](Form* f) { return f->Visible(); });
    const bool shown = IsWindowVisible(window_.Get()) != FALSE;
    if (anyVisible && !shown)
        ShowWindow(window_.Get(), SW_SHOWNOACTIVATE);
    else if (!anyVisible && shown)
        ShowWindow(window_.Get(), SW_HIDE);
}

void Application::RegisterForm(Form* form) { forms_.push_back(form); }

void Application::UnregisterForm(Form* form) {
    forms_.erase(std::remove(forms_.begin(), forms_.end(), form), forms_.end());
    if (form == mainForm_) mainForm_ = nullptr;
}

Form* Application::FindForm(HWND window) const {
    for (Form* form : forms_)
        if (form->Handle() == window) return form;
    return nullptr;
}

namespace {
struct DisableState {
    HWND except;
    std::vector<HWND>* disabled;
};
BOOL CALLBACK DisableOne(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<DisableState*>(param);
    if (window != state->except && IsWindowVisible(window) && IsWindowEnabled(window)) {
        state->disabled->push_back(window);
        EnableWindow(window, FALSE);
    }
    return TRUE;
}
}  // namespace

std::vector<HWND> Application::DisableTaskWindows(HWND except) {
    std::vector<HWND> disabled;
    DisableState state{except, &disabled};
    EnumThreadWindows(GetCurrentThreadId(), DisableOne, reinterpret_cast<LPARAM>(&state));
    return disabled;
}

void Application::EnableTaskWindows(const std::vector<HWND>& windows) {
    for (HWND window : windows)
        if (IsWindow(window)) EnableWindow(window, TRUE);
}

LRESULT CALLBACK Application::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Application& app = Instance();
    if (app.window_.Get() != window) return DefWindowProcA(window, message, wParam, lParam);
    return Guarded([&] { return app.HandleAppMessage(message, wParam, lParam); });
}

int Application::HookMainWindow(WindowHook hook) {
    hooks_.emplace_back(nextHookId_, std::move(hook));
    return nextHookId_++;
}

void Application::UnhookMainWindow(int id) {
    hooks_.erase(std::remove_if(hooks_.begin(), hooks_.end(), [id](const auto& h) { return h.first == id; }),
                 hooks_.end());
}

LRESULT Application::HandleAppMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_.Get();
    const auto hooks = hooks_;  // a hook may add or remove hooks
    for (const auto& hook : hooks) {
        LRESULT result = 0;
        if (hook.second(message, wParam, lParam, result)) return result;
    }
    switch (message) {
    case kSynchronizeMessage:
        CheckSynchronize();
        return 0;
    case WM_CLOSE:
        if (mainForm_) mainForm_->Close();
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_MINIMIZE:
            Minimize();
            return 0;
        case SC_RESTORE:
            Restore();
            return 0;
        case SC_CLOSE:
            if (mainForm_) mainForm_->Close();
            return 0;
        }
        break;
    case WM_ACTIVATEAPP:
        if (wParam) {
            if (OnActivate) OnActivate();
        } else if (OnDeactivate) {
            OnDeactivate();
        }
        break;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) Terminate();
        return 0;
    case WM_SETTINGCHANGE:
        if (UpdateMetricSettings) Screen::Instance().RefreshFonts();
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

namespace {

// While a message box of ours waits for the user, its own loop runs; each time that loop has
// emptied the queue the application has an idle moment, as in any other modal loop of the program.
LRESULT CALLBACK IdleInDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == MSGF_DIALOGBOX && HIWORD(GetQueueStatus(QS_ALLINPUT)) == 0) App().Idle();
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

void ShowMessage(const std::string& text) {
    Application& app = App();
    app.Initialize();
    const std::vector<HWND> disabled = app.DisableTaskWindows(app.Handle());
    HHOOK hook = SetWindowsHookExA(WH_MSGFILTER, IdleInDialogs, nullptr, GetCurrentThreadId());
    common::Services().MessageBoxA(app.Handle(), text, app.Title(), MB_OK);
    if (hook) UnhookWindowsHookEx(hook);
    app.EnableTaskWindows(disabled);
}

}  // namespace ui
