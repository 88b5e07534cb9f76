#include "desktop/app_props.h"

#include "ui/form.h"
#include "ui/screen.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace desktop {

namespace {

// The live instances. The first one in saves the application's and the screen's event handlers
// and puts dispatchers in their place; the last one out puts the saved handlers back.
class PropertiesList {
public:
    static void Add(TdskApplicationProperties* instance) {
        if (!list) {
            list = std::make_unique<PropertiesList>();
            list->Install();
        }
        list->items_.push_back(instance);
    }

    static void Remove(TdskApplicationProperties* instance) {
        if (!list) return;
        auto& items = list->items_;
        items.erase(std::remove(items.begin(), items.end(), instance), items.end());
        if (items.empty()) {
            list->Uninstall();
            list.reset();
        }
    }

private:
    using Plain = std::function<void()>;
    using Instance = TdskApplicationProperties;

    // Runs `each` for the instances from the last added to the first (it answers whether the
    // instance had a handler), stopping after an instance that is not chained; when every instance
    // was passed, runs `saved` (which answers whether there was a saved handler). Returns whether
    // any handler ran.
    template <class Each, class Saved>
    bool Dispatch(Each each, Saved saved) {
        bool called = false;
        const std::vector<Instance*> items = items_;  // a handler may add or remove instances
        for (auto it = items.rbegin(); it != items.rend(); ++it) {
            called = each(**it) || called;
            if (!(*it)->Chained) return called;
        }
        return saved() || called;
    }

    // A dispatcher for an event without arguments: each instance's `field`, then `saved`.
    Plain PlainDispatcher(Plain Instance::*field, Plain& saved) {
        return [this, field, &saved] {
            Dispatch([&](Instance& i) { return (i.*field) ? ((i.*field)(), true) : false; },
                     [&] { return saved ? (saved(), true) : false; });
        };
    }

    // A dispatcher that calls an operation of every instance.
    Plain CallDispatcher(void (Instance::*operation)(), Plain& saved) {
        return [this, operation, &saved] {
            Dispatch([&](Instance& i) { return (i.*operation)(), true; },
                     [&] { return saved ? (saved(), true) : false; });
        };
    }

    void Install() {
        ui::Application& app = ui::App();
        ui::Screen& screen = ui::Screen::Instance();
        idle_ = app.OnIdle;
        exception_ = app.OnException;
        message_ = app.OnMessage;
        activate_ = app.OnActivate;
        deactivate_ = app.OnDeactivate;
        minimize_ = app.OnMinimize;
        restore_ = app.OnRestore;
        hint_ = app.OnHint;
        activeControl_ = screen.OnActiveControlChange;
        activeForm_ = screen.OnActiveFormChange;
        hintFont_ = screen.OnHintFontChange;
        iconFont_ = screen.OnIconFontChange;

        app.OnIdle = [this](bool& done) {
            Dispatch([&](Instance& i) { return i.OnIdle ? (i.OnIdle(done), true) : false; },
                     [&] { return idle_ ? (idle_(done), true) : false; });
        };
        app.OnException = [this](const std::exception& error) {
            const bool called =
                Dispatch([&](Instance& i) { return i.OnException ? (i.OnException(error), true) : false; },
                         [&] { return exception_ ? (exception_(error), true) : false; });
            if (!called) ui::App().ShowException(error);
        };
        app.OnMessage = [this](MSG& msg, bool& handled) {
            Dispatch([&](Instance& i) { return i.OnMessage ? (i.OnMessage(msg, handled), true) : false; },
                     [&] { return message_ ? (message_(msg, handled), true) : false; });
        };
        app.OnActivate = PlainDispatcher(&Instance::OnActivate, activate_);
        app.OnDeactivate = PlainDispatcher(&Instance::OnDeactivate, deactivate_);
        app.OnMinimize = PlainDispatcher(&Instance::OnMinimize, minimize_);
        app.OnRestore = PlainDispatcher(&Instance::OnRestore, restore_);
        app.OnHint = PlainDispatcher(&Instance::OnHint, hint_);
        screen.OnActiveControlChange = PlainDispatcher(&Instance::OnActiveControlChange, activeControl_);
        screen.OnActiveFormChange = PlainDispatcher(&Instance::OnActiveFormChange, activeForm_);
        screen.OnHintFontChange = CallDispatcher(&Instance::HintFontChanged, hintFont_);
        screen.OnIconFontChange = CallDispatcher(&Instance::IconFontChanged, iconFont_);
    }

    void Uninstall() {
        ui::Application& app = ui::App();
        ui::Screen& screen = ui::Screen::Instance();
        app.OnIdle = idle_;
        app.OnException = exception_;
        app.OnMessage = message_;
        app.OnActivate = activate_;
        app.OnDeactivate = deactivate_;
        app.OnMinimize = minimize_;
        app.OnRestore = restore_;
        app.OnHint = hint_;
        screen.OnActiveControlChange = activeControl_;
        screen.OnActiveFormChange = activeForm_;
        screen.OnHintFontChange = hintFont_;
        screen.OnIconFontChange = iconFont_;
    }

    static std::unique_ptr<PropertiesList> list;
    std::vector<Instance*> items_;
    std::function<void(bool&)> idle_;
    std::function<void(const std::exception&)> exception_;
    std::function<void(MSG&, bool&)> message_;
    Plain activate_, deactivate_, minimize_, restore_, hint_, activeControl_, activeForm_, hintFont_, iconFont_;
};

std::unique_ptr<PropertiesList> PropertiesList::list;

}  // namespace

TdskApplicationProperties::TdskApplicationProperties(ui::Form& owner, std::string name)
    : ui::TApplicationEvents(owner, std::move(name)) {
    ui::Application& app = ui::App();
    app.Initialize();
    title_ = app.Title();
    icon_ = app.Icon();
    helpFile_ = app.HelpFile;
    hookId_ = app.HookMainWindow([this](UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
        return MainWindowHook(message, wParam, lParam, result);
    });
    PropertiesList::Add(this);
}

TdskApplicationProperties::~TdskApplicationProperties() {
    ui::App().UnhookMainWindow(hookId_);
    PropertiesList::Remove(this);
}

void TdskApplicationProperties::Loaded() {
    ApplySettings();
    if (hidden_) UpdateTaskbarVisibility();
}

void TdskApplicationProperties::ApplySettings() {
    ui::Application& app = ui::App();
    app.SetHintColor(hintColor_.Resolve());
    app.SetHintHidePause(hintHidePause_);
    app.SetHintPause(hintPause_);
    app.SetHintShortPause(hintShortPause_);
    app.ShowMainForm = showMainForm_;
    app.SetShowHint(showHint_);
    app.UpdateFormatSettings = updateFormatSettings_;
    app.UpdateMetricSettings = updateMetricSettings_;
    app.HintShortCuts = hintShortCuts_;
    app.BiDiMode = biDiMode_;
    ui::Mouse().DragImmediate = mouseDragImmediate_;
    ui::Mouse().DragThreshold = mouseDragThreshold_;
    app.BiDiKeyboard = biDiKeyboard_;
    app.NonBiDiKeyboard = nonBiDiKeyboard_;
}

// ---- Properties ----

COLORREF TdskApplicationProperties::HintColor() const { return ui::App().HintColor(); }
void TdskApplicationProperties::SetHintColor(ui::Color color) {
    hintColor_ = color;
    ui::App().SetHintColor(color.Resolve());
}

int TdskApplicationProperties::HintHidePause() const { return ui::App().HintHidePause(); }
void TdskApplicationProperties::SetHintHidePause(int ms) {
    hintHidePause_ = ms;
    ui::App().SetHintHidePause(ms);
}

int TdskApplicationProperties::HintPause() const { return ui::App().HintPause(); }
void TdskApplicationProperties::SetHintPause(int ms) {
    hintPause_ = ms;
    ui::App().SetHintPause(ms);
}

int TdskApplicationProperties::HintShortPause() const { return ui::App().HintShortPause(); }
void TdskApplicationProperties::SetHintShortPause(int ms) {
    hintShortPause_ = ms;
    ui::App().SetHintShortPause(ms);
}

bool TdskApplicationProperties::ShowHint() const { return ui::App().ShowHint(); }
void TdskApplicationProperties::SetShowHint(bool show) {
    showHint_ = show;
    ui::App().SetShowHint(show);
}

bool TdskApplicationProperties::ShowMainForm() const { return ui::App().ShowMainForm; }
void TdskApplicationProperties::SetShowMainForm(bool show) { ui::App().ShowMainForm = showMainForm_ = show; }

bool TdskApplicationProperties::UpdateFormatSettings() const { return ui::App().UpdateFormatSettings; }
void TdskApplicationProperties::SetUpdateFormatSettings(bool update) {
    ui::App().UpdateFormatSettings = updateFormatSettings_ = update;
}

bool TdskApplicationProperties::UpdateMetricSettings() const { return ui::App().UpdateMetricSettings; }
void TdskApplicationProperties::SetUpdateMetricSettings(bool update) {
    ui::App().UpdateMetricSettings = updateMetricSettings_ = update;
}

bool TdskApplicationProperties::HintShortCuts() const { return ui::App().HintShortCuts; }
void TdskApplicationProperties::SetHintShortCuts(bool show) { ui::App().HintShortCuts = hintShortCuts_ = show; }

ui::TBiDiMode TdskApplicationProperties::BiDiMode() const { return ui::App().BiDiMode; }
void TdskApplicationProperties::SetBiDiMode(ui::TBiDiMode mode) { ui::App().BiDiMode = biDiMode_ = mode; }

std::string TdskApplicationProperties::BiDiKeyboard() const { return ui::App().BiDiKeyboard; }
void TdskApplicationProperties::SetBiDiKeyboard(const std::string& layout) {
    ui::App().BiDiKeyboard = biDiKeyboard_ = layout;
}

std::string TdskApplicationProperties::NonBiDiKeyboard() const { return ui::App().NonBiDiKeyboard; }
void TdskApplicationProperties::SetNonBiDiKeyboard(const std::string& layout) {
    ui::App().NonBiDiKeyboard = nonBiDiKeyboard_ = layout;
}

std::string TdskApplicationProperties::HelpFile() const { return ui::App().HelpFile; }
void TdskApplicationProperties::SetHelpFile(const std::string& file) { ui::App().HelpFile = helpFile_ = file; }

bool TdskApplicationProperties::MouseDragImmediate() const { return ui::Mouse().DragImmediate; }
void TdskApplicationProperties::SetMouseDragImmediate(bool immediate) {
    ui::Mouse().DragImmediate = mouseDragImmediate_ = immediate;
}

int TdskApplicationProperties::MouseDragThreshold() const { return ui::Mouse().DragThreshold; }
void TdskApplicationProperties::SetMouseDragThreshold(int pixels) {
    ui::Mouse().DragThreshold = mouseDragThreshold_ = pixels;
}

std::string TdskApplicationProperties::Title() const { return ui::App().Title(); }
void TdskApplicationProperties::SetTitle(const std::string& title) {
    title_ = title;
    if (ui::App().Title() != title) ui::App().SetTitle(title);
}

HICON TdskApplicationProperties::Icon() const { return ui::App().Icon(); }
void TdskApplicationProperties::SetIcon(HICON icon) {
    icon_ = icon;
    if (ui::App().Icon() != icon) ui::App().SetIcon(icon);
}

void TdskApplicationProperties::SetHidden(bool hidden) {
    hidden_ = hidden;
    UpdateTaskbarVisibility();
}

// ---- The application window ----

void TdskApplicationProperties::UpdateTaskbarVisibility() {
    HWND window = ui::App().Handle();
    if (!window) return;
    const LONG style = GetWindowLongA(window, GWL_EXSTYLE);
    if (hidden_) {
        // A tool window has no taskbar button.
        ShowWindow(window, SW_HIDE);
        SetWindowLongA(window, GWL_EXSTYLE, (style & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
    } else {
        SetWindowLongA(window, GWL_EXSTYLE, (style & ~WS_EX_TOOLWINDOW) | WS_EX_APPWINDOW);
        ShowWindow(window, SW_SHOWNOACTIVATE);
    }
}

bool TdskApplicationProperties::MainWindowHook(UINT message, WPARAM, LPARAM, LRESULT& result) {
    switch (message) {
    case WM_PAINT:
        if (OnPaintIcon && IsIconic(ui::App().Handle())) {
            PaintIcon();
            result = 0;
            return true;
        }
        break;
    case WM_SETTINGCHANGE:
        SettingsChanged();
        break;
    }
    return false;
}

void TdskApplicationProperties::PaintIcon() {
    HWND window = ui::App().Handle();
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    if (paint.fErase) FillRect(dc, &paint.rcPaint, GetSysColorBrush(COLOR_DESKTOP));
    if (OnPaintIcon) OnPaintIcon(dc);
    EndPaint(window, &paint);
}

void TdskApplicationProperties::SettingsChanged() {
    if (OnSettingsChanged) OnSettingsChanged();
}

void TdskApplicationProperties::IconFontChanged() {}

void TdskApplicationProperties::HintFontChanged() {
    HFONT font = ui::Screen::Instance().HintFontHandle();
    for (ui::Form* form : ui::App().Forms())
        if (HWND tip = form->HintWindow()) SendMessageA(tip, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

}  // namespace desktop
