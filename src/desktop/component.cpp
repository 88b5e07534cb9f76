#include "desktop/component.h"

#include "ui/application.h"
#include "ui/exception.h"

namespace desktop {

namespace {
constexpr UINT_PTR kTimerId = 1;
}

std::string ExecutablePath() {
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, length);
}

TdskCustomTimer::TdskCustomTimer(ui::Form& owner, std::string name)
    : TdskComponent(owner, std::move(name)), window_([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
          result = WndProc(message, wParam, lParam);
          return true;
      }) {}

TdskCustomTimer::~TdskCustomTimer() {
    if (running_) KillTimer(window_.Handle(), kTimerId);
}

void TdskCustomTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    UpdateTimer();
}

void TdskCustomTimer::SetInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    UpdateTimer();
}

void TdskCustomTimer::SetOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    UpdateTimer();
}

void TdskCustomTimer::UpdateTimer() {
    if (running_) KillTimer(window_.Handle(), kTimerId);
    running_ = false;
    if (interval_ != 0 && enabled_ && onTimer_) {
        if (!SetTimer(window_.Handle(), kTimerId, static_cast<UINT>(interval_), nullptr))
            throw ui::OutOfResources("Not enough timers available");
        running_ = true;
    }
}

LRESULT TdskCustomTimer::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kTimerId) {
        Timer();
        return 0;
    }
    return DefWindowProcA(window_.Handle(), message, wParam, lParam);
}

void TdskCustomTimer::Timer() {
    try {
        if (onTimer_) onTimer_();
    } catch (...) {
        ui::App().HandleException(std::current_exception());
    }
}

}  // namespace desktop
