#pragma once
// The base of the desktop components, and a timer that owns a hidden window of its own whose
// messages go to a virtual handler.
#include "ui/component.h"

#include <functional>
#include <string>

namespace desktop {

// The full path of the running executable.
std::string ExecutablePath();

class TdskComponent : public ui::Component {
public:
    using ui::Component::Component;

    // Shown by property editors; it has no effect.
    std::string About = "Quorvex desktop components 2.0";
};

class TdskCustomTimer : public TdskComponent {
public:
    TdskCustomTimer(ui::Form& owner, std::string name);
    ~TdskCustomTimer() override;

    // The timer runs while it is enabled, its interval is not zero and OnTimer is assigned.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    const std::function<void()>& OnTimer() const { return onTimer_; }
    void SetOnTimer(std::function<void()> handler);

    // The hidden window whose messages reach WndProc.
    HWND WindowHandle() const { return window_.Handle(); }

protected:
    // The component window's procedure: WM_TIMER runs Timer, everything else goes to DefWindowProcA.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    // One tick: fires OnTimer; an error inside goes to the application's error report.
    virtual void Timer();

private:
    void UpdateTimer();

    ui::UtilityWindow window_;
    bool enabled_ = true;
    int interval_ = 1000;
    bool running_ = false;
    std::function<void()> onTimer_;
};

}  // namespace desktop
