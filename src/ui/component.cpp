#include "ui/component.h"

#include "ui/application.h"
#include "ui/exception.h"
#include "ui/form.h"

#include <algorithm>

namespace ui {

// ---- UtilityWindow ----

namespace {
constexpr const char* kUtilityClass = "TQvUtilWindow";
}

UtilityWindow::UtilityWindow(MessageHandler handler) : handler_(std::move(handler)) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    if (!GetClassInfoA(instance, kUtilityClass, &cls)) {
        cls.lpfnWndProc = WindowProc;
        cls.hInstance = instance;
        cls.lpszClassName = kUtilityClass;
        RegisterClassA(&cls);
    }
    window_.Reset(CreateWindowExA(WS_EX_TOOLWINDOW, kUtilityClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr));
    SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

LRESULT CALLBACK UtilityWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<UtilityWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (self && self->handler_) {
        LRESULT result = 0;
        bool handled = false;
        Guarded([&] {
            handled = self->handler_(message, wParam, lParam, result);
            return LRESULT{0};
        });
        if (handled) return result;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// ---- TTimer ----

TTimer::TTimer(Form& owner, std::string name)
    : Component(owner, std::move(name)),
      window_([this](UINT message, WPARAM wParam, LPARAM, LRESULT&) {
          if (message != WM_TIMER || wParam != 1) return false;
          if (onTimer_) onTimer_();
          return true;
      }) {}

TTimer::~TTimer() {
    if (running_) KillTimer(window_.Handle(), 1);
}

void TTimer::SetEnabled(bool enabled) {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    Update();
}

void TTimer::SetInterval(int ms) {
    if (ms == interval_) return;
    interval_ = ms;
    Update();
}

void TTimer::SetOnTimer(std::function<void()> handler) {
    onTimer_ = std::move(handler);
    Update();
}

void TTimer::Update() {
    if (running_) KillTimer(window_.Handle(), 1);
    running_ = false;
    if (enabled_ && interval_ > 0 && onTimer_) {
        if (!SetTimer(window_.Handle(), 1, static_cast<UINT>(interval_), nullptr))
            throw OutOfResources("Not enough timers available");
        running_ = true;
    }
}

// ---- Menus ----

namespace {
// Items made while a menu opens are numbered from here on each build, clear of the layout's rows.
constexpr UINT kFirstMadeItemId = 0x8000;
}  // namespace

TMenuItem::TMenuItem(Form& owner, std::string name, std::string caption, UINT id)
    : Component(owner, std::move(name)), caption_(std::move(caption)), id_(id) {}

void TMenuItem::Click() {
    if (OnClick) OnClick();
}

TPopupMenu::TPopupMenu(Form& owner, std::string name) : Component(owner, std::move(name)) {}

void TMenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
    if (menu_ && menu_->Handle())
        EnableMenuItem(menu_->Handle(), id_, MF_BYCOMMAND | (enabled ? MF_ENABLED : MF_GRAYED));
}

TMenuItem& TMenuItem::Add(std::string caption, std::function<void()> onClick) {
    auto item = std::make_unique<TMenuItem>(Owner(), Name(), std::move(caption), 0);
    item->menu_ = menu_;
    item->made_ = true;
    item->OnClick = std::move(onClick);
    items_.push_back(std::move(item));
    return *items_.back();
}

void TPopupMenu::Add(TMenuItem* item) {
    items_.push_back(item);
    item->menu_ = this;
}

void TPopupMenu::Loaded() { Build(); }

namespace {

void RunPopupHandlers(TMenuItem& item) {
    if (item.OnPopup) item.OnPopup();
    for (const auto& child : item.Items()) RunPopupHandlers(*child);
}

}  // namespace

// Appends `item` to `menu`; a submenu is made and filled on the way. Layout rows keep their
// numbers; items made while the menu opens are numbered anew.
void TPopupMenu::AppendItem(HMENU menu, TMenuItem& item, UINT& nextMadeId) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID;
    if (item.IsSeparator()) {
        info.fType = MFT_SEPARATOR;
    } else {
        info.fMask |= MIIM_STRING;
        info.fType = MFT_STRING | (item.RadioItem ? MFT_RADIOCHECK : 0);
        info.dwTypeData = const_cast<char*>(item.Caption().c_str());
        info.fState = (item.Enabled() ? MFS_ENABLED : MFS_GRAYED) | (item.Checked() ? MFS_CHECKED : 0) |
                      (item.IsDefault() ? MFS_DEFAULT : 0);
    }
    if (item.made_) item.id_ = nextMadeId++;
    info.wID = item.id_;
    if (item.HasSubmenu()) {
        // The submenu belongs to the menu from here on: destroying the menu destroys it too.
        HMENU submenu = CreatePopupMenu();
        for (const auto& child : item.Items()) AppendItem(submenu, *child, nextMadeId);
        info.fMask |= MIIM_SUBMENU;
        info.hSubMenu = submenu;
    }
    InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info);
}

void TPopupMenu::Refresh() {
    for (TMenuItem* item : items_) RunPopupHandlers(*item);
    Build();
}

void TPopupMenu::Build() {
    menu_.Reset(CreatePopupMenu());
    UINT nextMadeId = kFirstMadeItemId;
    for (TMenuItem* item : items_) AppendItem(menu_.Get(), *item, nextMadeId);
}

TMenuItem* TPopupMenu::DefaultItem() const {
    for (TMenuItem* item : items_)
        if (item->IsDefault()) return item;
    return nullptr;
}

namespace {
TMenuItem* FindById(TMenuItem& item, UINT id) {
    if (item.Id() == id && !item.IsSeparator() && !item.HasSubmenu()) return &item;
    for (const auto& child : item.Items())
        if (TMenuItem* found = FindById(*child, id)) return found;
    return nullptr;
}
}  // namespace

TMenuItem* TPopupMenu::ItemById(UINT id) const {
    if (id == 0) return nullptr;
    for (TMenuItem* item : items_)
        if (TMenuItem* found = FindById(*item, id)) return found;
    return nullptr;
}

void TPopupMenu::Popup(int x, int y) {
    Refresh();
    const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu_.Get(),
                                                         TPM_LEFTALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD | Animation,
                                                         x, y, 0, Owner().Handle(), nullptr));
    if (TMenuItem* item = ItemById(chosen)) item->Click();
}

// ---- Application events ----

// Joins the TApplicationEvents sinks into the application's event slots: installed with the first
// sink, it keeps the handlers it replaced and gives them the events after the sinks.
class EventMulticaster {
public:
    static EventMulticaster& Get() {
        static EventMulticaster instance;
        return instance;
    }

    void Add(TApplicationEvents* sink) {
        if (sinks_.empty()) Install();
        sinks_.push_back(sink);
    }
    void Remove(TApplicationEvents* sink) {
        sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
        if (sinks_.empty()) Uninstall();
    }
    void Cancel() { cancelled_ = true; }

private:
    struct Saved {
        std::function<void(bool&)> idle;
        std::function<void(const std::exception&)> exception;
        std::function<void(MSG&, bool&)> message;
        std::function<void()> activate, deactivate, minimize, restore, hint;
    };

    // Calls `each` for the sinks from the last created to the first until one cancels; then
    // `saved` when nobody cancelled. Returns whether any handler ran.
    template <class Each, class Last>
    bool Dispatch(Each each, Last saved) {
        const bool outer = cancelled_;
        cancelled_ = false;
        bool called = false;
        const std::vector<TApplicationEvents*> sinks = sinks_;  // a handler may add or remove sinks
        for (auto it = sinks.rbegin(); it != sinks.rend() && !cancelled_; ++it) called |= each(**it);
        if (!cancelled_) called |= saved();
        cancelled_ = outer;
        return called;
    }

    void Install() {
        Application& app = App();
        saved_ = {app.OnIdle, app.OnException, app.OnMessage, app.OnActivate, app.OnDeactivate,
                  app.OnMinimize, app.OnRestore, app.OnHint};
        app.OnIdle = [this](bool& done) {
            Dispatch([&](TApplicationEvents& s) { return s.OnIdle ? (s.OnIdle(done), true) : false; },
                     [&] { return saved_.idle ? (saved_.idle(done), true) : false; });
        };
        app.OnException = [this](const std::exception& error) {
            const bool called = Dispatch(
                [&](TApplicationEvents& s) { return s.OnException ? (s.OnException(error), true) : false; },
                [&] { return saved_.exception ? (saved_.exception(error), true) : false; });
            if (!called) App().ShowException(error);
        };
        app.OnMessage = [this](MSG& msg, bool& handled) {
            Dispatch([&](TApplicationEvents& s) { return s.OnMessage ? (s.OnMessage(msg, handled), true) : false; },
                     [&] { return saved_.message ? (saved_.message(msg, handled), true) : false; });
        };
        app.OnActivate = Plain(&TApplicationEvents::OnActivate, &Saved::activate);
        app.OnDeactivate = Plain(&TApplicationEvents::OnDeactivate, &Saved::deactivate);
        app.OnMinimize = Plain(&TApplicationEvents::OnMinimize, &Saved::minimize);
        app.OnRestore = Plain(&TApplicationEvents::OnRestore, &Saved::restore);
        app.OnHint = Plain(&TApplicationEvents::OnHint, &Saved::hint);
    }

    std::function<void()> Plain(std::function<void()> TApplicationEvents::*event, std::function<void()> Saved::*saved) {
        return [this, event, saved] {
            Dispatch([&](TApplicationEvents& s) { return (s.*event) ? ((s.*event)(), true) : false; },
                     [&] { return (saved_.*saved) ? ((saved_.*saved)(), true) : false; });
        };
    }

    void Uninstall() {
        Application& app = App();
        app.OnIdle = saved_.idle;
        app.OnException = saved_.exception;
        app.OnMessage = saved_.message;
        app.OnActivate = saved_.activate;
        app.OnDeactivate = saved_.deactivate;
        app.OnMinimize = saved_.minimize;
        app.OnRestore = saved_.restore;
        app.OnHint = saved_.hint;
        saved_ = {};
    }

    std::vector<TApplicationEvents*> sinks_;
    Saved saved_;
    bool cancelled_ = false;
};

TApplicationEvents::TApplicationEvents(Form& owner, std::string name) : Component(owner, std::move(name)) {
    EventMulticaster::Get().Add(this);
}

TApplicationEvents::~TApplicationEvents() { EventMulticaster::Get().Remove(this); }

void TApplicationEvents::CancelDispatch() { EventMulticaster::Get().Cancel(); }

}  // namespace ui
