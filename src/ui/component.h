#pragma once
// Components: everything a layout row makes. Controls have a window; the rest do not.
#include "common/handles.h"
#include "ui/layout.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Form;

class Component {
public:
    Component(Form& owner, std::string name) : owner_(owner), name_(std::move(name)) {}
    virtual ~Component() = default;
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    const std::string& Name() const { return name_; }
    Form& Owner() const { return owner_; }

    // The layout has been read completely; runs for every component in layout order.
    virtual void Loaded() {}

private:
    Form& owner_;
    std::string name_;
};

// A hidden top-level window whose messages go to `handler`. Not message-only, so that broadcasts
// such as "TaskbarCreated" reach it. Messages it leaves (returns false) go to DefWindowProcA.
class UtilityWindow {
public:
    using MessageHandler = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    explicit UtilityWindow(MessageHandler handler);
    HWND Handle() const { return window_.Get(); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    MessageHandler handler_;
    common::Window window_;
};

// One Win32 timer on a hidden window; it runs while enabled, with a non-zero interval and a handler.
class TTimer : public Component {
public:
    TTimer(Form& owner, std::string name);
    ~TTimer() override;

    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled);
    int Interval() const { return interval_; }
    void SetInterval(int ms);
    void SetOnTimer(std::function<void()> handler);

private:
    void Update();
    UtilityWindow window_;
    bool enabled_ = true;
    int interval_ = 1000;
    bool running_ = false;
    std::function<void()> onTimer_;
};

class TPopupMenu;

class TMenuItem : public Component {
public:
    TMenuItem(Form& owner, std::string name, std::string caption, UINT id);
    const std::string& Caption() const { return caption_; }
    bool IsSeparator() const { return caption_ == "-"; }
    bool IsDefault() const { return default_; }
    // An item of a submenu made while the menu opens gets its number when the menu is built.
    UINT Id() const { return id_; }
    void SetDefault(bool on) { default_ = on; }
    bool Enabled() const { return enabled_; }
    // A disabled item shows grey and cannot be chosen.
    void SetEnabled(bool enabled);
    bool Checked() const { return checked_; }
    // A checked item shows a mark: a round one when the item is one of a radio group.
    void SetChecked(bool checked) { checked_ = checked; }
    bool RadioItem = false;
    // Runs the item's handler, as choosing it does.
    void Click();
    std::function<void()> OnClick;

    // Submenus. An item with items of its own opens them instead of being chosen. OnPopup runs each
    // time the menu that holds the item opens, before it is shown: a submenu whose items change with
    // the system is made there (Clear, then Add).
    std::function<void()> OnPopup;
    TMenuItem& Add(std::string caption, std::function<void()> onClick = {});  // "-": a separator
    void Clear() { items_.clear(); }
    const std::vector<std::unique_ptr<TMenuItem>>& Items() const { return items_; }
    bool HasSubmenu() const { return !items_.empty() || OnPopup; }

private:
    friend class TPopupMenu;
    std::string caption_;
    UINT id_;
    bool default_ = false;
    bool enabled_ = true;
    bool checked_ = false;
    bool made_ = false;  // by Add, not by a layout row
    TPopupMenu* menu_ = nullptr;  // the menu that holds the item
    std::vector<std::unique_ptr<TMenuItem>> items_;
};

class TPopupMenu : public Component {
public:
    TPopupMenu(Form& owner, std::string name);
    void Add(TMenuItem* item);
    void Loaded() override;

    const std::vector<TMenuItem*>& Items() const { return items_; }
    TMenuItem* DefaultItem() const;
    HMENU Handle() const { return menu_.Get(); }
    // The item of this menu or of one of its submenus with this number, or nullptr.
    TMenuItem* ItemById(UINT id) const;

    bool AutoPopup = true;
    UINT Animation = 0;
    // The component that opened the menu last (a tray icon sets itself).
    Component* PopupComponent = nullptr;

    // Shows the menu at a screen point and returns when it closes; the chosen item is clicked.
    void Popup(int x, int y);
    // What opening the menu does before it shows: the items' OnPopup handlers run and the menu is
    // built anew.
    void Refresh();

private:
    void Build();
    static void AppendItem(HMENU menu, TMenuItem& item, UINT& nextMadeId);
    std::vector<TMenuItem*> items_;
    common::Menu menu_;
};

// The application's events, as one form listens to them. Several sinks may exist: each event goes to
// the sinks from the last created to the first, until one cancels the dispatch; then to whatever
// handler the application had before the first sink was created.
class TApplicationEvents : public Component {
public:
    TApplicationEvents(Form& owner, std::string name);
    ~TApplicationEvents() override;

    std::function<void(bool& done)> OnIdle;
    std::function<void(const std::exception& error)> OnException;
    std::function<void(MSG& msg, bool& handled)> OnMessage;
    std::function<void()> OnActivate, OnDeactivate, OnMinimize, OnRestore, OnHint;

    // From inside a handler: the sinks created before this one do not get the current event.
    void CancelDispatch();

private:
    friend class EventMulticaster;
};

// Stands in a layout for the manifest in the program's resources; nothing happens at run time.
class TManifest : public Component {
public:
    using Component::Component;
};

}  // namespace ui
