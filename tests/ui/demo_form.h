#pragma once
// A form with one of each kind of control, built from a layout table, for the runtime's tests.
#include "ui/form.h"

#include <atomic>
#include <functional>

class Tdemo : public ui::Form {
public:
    explicit Tdemo(ui::Form* owner);

    void Button1Click();
    void Button2Click();
    void TrackBar1Change();
    void Timer1Timer();
    void Item1Click();
    void Item2Click();
    void r2Click();
    void eventsIdle(bool& done);
    void eventsFirstIdle();
    void FormActivate();
    void FormClose(ui::CloseAction& action);

    // What the handlers saw; tests put extra behaviour into the hooks.
    int clicks = 0, changes = 0, ticks = 0, activations = 0, closes = 0, item1 = 0, radioClicks = 0;
    std::atomic<int> idles = 0;  // read by a test's helper thread too
    std::function<void()> onClick, onIdleOnce, onTick;
    ui::CloseAction closeAction = ui::CloseAction::Hide;

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};
