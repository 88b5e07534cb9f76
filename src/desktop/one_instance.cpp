#include "desktop/one_instance.h"

#include "common/handles.h"
#include "common/system_services.h"
#include "common/text.h"
#include "ui/application.h"

#include <algorithm>
#include <utility>

namespace desktop {

namespace {

// The instance mutex, held by the GUI thread from the check until the program ends.
struct InstanceMutex {
    common::Handle handle;
    int owned = 0;  // successful waits, each to be released
    ~InstanceMutex() { Release(); }
    void Release() {
        for (; owned > 0; --owned) ReleaseMutex(handle.Get());
        handle.Reset();
    }
};
InstanceMutex instanceMutex;

}  // namespace

void ReleaseInstanceMutex() { instanceMutex.Release(); }

TdskOneInstance::~TdskOneInstance() {
    if (hook_) ui::App().UnhookMainWindow(hook_);
}

void TdskOneInstance::Loaded() {
    CheckInstance();
    if (!terminate_ && OnForwarded) ListenForForwardedTexts();
}

void TdskOneInstance::ListenForForwardedTexts() {
    hook_ = ui::App().HookMainWindow([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        if (message != WM_COPYDATA) return false;
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lParam);
        if (!data || data->dwData != kForwardedTextTag) return false;
        // Another program's bytes: only as many as it says it sent, and no more than the limit.
        const size_t size = data->lpData ? std::min<size_t>(data->cbData, kForwardedTextLimit) : 0;
        const std::string text(static_cast<const char*>(data->lpData), size);
        result = ui::Guarded([&]() -> LRESULT { return OnForwarded(text.substr(0, text.find('\0')), reinterpret_cast<HWND>(wParam)); }, kNoAnswer);
        return true;
    });
}

std::string TdskOneInstance::MutexBaseName() const {
    std::string name = ExeNameAsIdentifier ? common::AsciiUpper(ExecutablePath()) : ui::App().Title();
    name += Identifier + ".OneInstance.";
    std::replace(name.begin(), name.end(), '\\', '/');
    return name;
}

bool TdskOneInstance::IsAnotherInstanceRunning() {
    const std::string base = MutexBaseName();
    // Two copies starting together: the one that comes second to the check lock counts as the
    // second copy, as does a copy that cannot make the lock at all.
    SetLastError(ERROR_SUCCESS);
    common::Handle checkLock(CreateMutexA(nullptr, TRUE, (base + "CriticalSection").c_str()));
    if (!checkLock || GetLastError() != ERROR_SUCCESS) return true;

    common::Handle mutex(CreateMutexA(nullptr, FALSE, (base + "Default").c_str()));
    bool another = true;
    if (mutex) {
        // The same mutex, checked again: the handle we hold stays, the new one is closed.
        if (!instanceMutex.handle) instanceMutex.handle = std::move(mutex);
        // WAIT_ABANDONED: a copy ended without releasing it; ours now, like WAIT_OBJECT_0.
        const DWORD result = WaitForSingleObject(instanceMutex.handle.Get(), 0);
        another = result == WAIT_TIMEOUT;
        if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) ++instanceMutex.owned;
    }
    ReleaseMutex(checkLock.Get());
    return another;
}

void TdskOneInstance::CheckInstance() {
    if (!IsAnotherInstanceRunning()) return;
    terminate_ = true;
    ui::Application& app = ui::App();
    const bool showMainForm = app.ShowMainForm;
    app.ShowMainForm = false;
    if (!ForwardText.empty()) {
        forwarded_ = true;
        forwardAnswer_ = Forward();
        app.Terminate();
        return;
    }
    if (ShowMessage) DoShowMessage();
    if (ActivatePrevInstance) ActivatePreviousInstance();
    if (terminate_)
        app.Terminate();
    else
        app.ShowMainForm = showMainForm;
}

void TdskOneInstance::DoShowMessage() {
    if (OnShowMessage) {
        OnShowMessage(*this, terminate_);
        return;
    }
    ui::Application& app = ui::App();
    const std::string text = !Message.empty() ? Message : "Application \"" + app.Title() + "\" is already running.";
    common::Services().MessageBoxExA(app.Handle(), text, app.Title(), MB_OK | MB_ICONEXCLAMATION, 0);
}

HWND TdskOneInstance::PreviousInstanceWindow() const {
    ui::Application& app = ui::App();
    for (HWND window = nullptr;
         (window = FindWindowExA(nullptr, window, ui::Application::kWindowClass, app.Title().c_str()));)
        if (window != app.Handle()) return window;
    return nullptr;
}

int TdskOneInstance::Forward() {
    HWND running = PreviousInstanceWindow();
    if (!running) return kNoAnswer;
    const std::string text = ForwardText.substr(0, kForwardedTextLimit);
    COPYDATASTRUCT data{kForwardedTextTag, static_cast<DWORD>(text.size()), const_cast<char*>(text.data())};
    // The running copy answers once it has carried the text out; a copy that hangs does not hold
    // this one (and a script waiting for it) for ever. Messages sent to this copy meanwhile, such as
    // the display change, are still handled.
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(running, WM_COPYDATA, reinterpret_cast<WPARAM>(ui::App().Handle()),
                             reinterpret_cast<LPARAM>(&data), SMTO_NORMAL | SMTO_ABORTIFHUNG, 120000, &answer))
        return kNoAnswer;
    return static_cast<int>(static_cast<LRESULT>(answer));
}

void TdskOneInstance::ActivatePreviousInstance() {
    HWND found = PreviousInstanceWindow();
    if (!found || !IsWindow(found)) return;
    if (IsIconic(found))
        OpenIcon(found);
    else
        SetForegroundWindow(found);
}

}  // namespace desktop
