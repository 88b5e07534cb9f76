#pragma once
// A form: a top-level window built from a layout table, owning its controls and components.
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/layout.h"

#include <functional>
#include <map>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace ui {

class Form {
public:
    // `owner`: the form that created this one (its window owns ours, and it destroys us at its end);
    // nullptr: owned by the application.
    Form(Form* owner, const FormSpec& row, std::span<const ControlSpec> layout);
    virtual ~Form();
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;

    // Builds the window, its controls and components, completes their loading in layout order,
    // runs the create event and shows the form when the layout makes it visible.
    void Load();

    HWND Handle() const { return window_.Get(); }
    Form* OwnerForm() const { return owner_; }
    const FormSpec& Design() const { return spec_; }

    void Show();
    void Hide();
    bool Visible() const;
    void SetVisible(bool visible) { visible ? Show() : Hide(); }
    // Runs the close event; by default that hides the form. Closing the main form ends the program.
    void Close();
    // Shows the form modally (the program's other windows are disabled) and returns its modal result
    // once it closes.
    int ShowModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // Destroys the form once the current handler has returned; the windows it owns that are still
    // on screen pass to its owner.
    void Release();
    void BringToFront();

    void SetCaption(const std::string& caption);
    std::string Caption() const;
    int Left() const;
    int Top() const;
    void SetPosition(int left, int top);
    bool DoubleBuffered = false;

    // Creates a form owned by this one, loads it, and keeps it until this form goes.
    template <class T, class... Args>
    T* CreateOwned(Args&&... args) {
        auto form = std::make_unique<T>(this, std::forward<Args>(args)...);
        T* raw = form.get();
        owned_.push_back(std::move(form));
        raw->Load();
        return raw;
    }

    // A control or component by its layout name. A form's own handlers use bound members instead.
    template <class T = Control>
    T& Find(const std::string& name) const {
        auto it = byName_.find(name);
        if (it == byName_.end()) throw std::logic_error("no component named " + name);
        T* found = dynamic_cast<T*>(it->second);
        if (!found) throw std::logic_error("component " + name + " is of another kind");
        return *found;
    }
    bool Has(const std::string& name) const { return byName_.count(name) != 0; }
    const std::vector<Component*>& Components() const { return order_; }
    // The form's hint window (a tooltip control), or nullptr when no control has a hint.
    HWND HintWindow() const { return hintWindow_.Get(); }

    // Whether a High Contrast theme is on: the form then draws in the system's colours (button face,
    // button text, the system's hint colours) and leaves out its pictures; texts stay as they are.
    bool HighContrast() const { return highContrast_; }
    // The brush that paints the form's background (colour and pictures), aligned for a window at
    // `origin` in the form's client coordinates; in High Contrast the system's button face brush.
    HBRUSH BackgroundBrush(HDC dc, POINT origin);
    // Handles the notifications that child windows send their parent; containers forward theirs.
    bool ChildNotification(HWND from, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Tells the form a control's text or size changed so the parent's background is repainted.
    double Scale() const { return scale_; }
    // The DPI the form is laid out for, and a length of its 96-DPI layout at that DPI.
    int Dpi() const { return dpi_; }
    int Scaled(int value) const { return ScaleToDpi(value, dpi_); }
    // Above 96 DPI, grows a button, check box, radio button or fixed-size label whose text no longer
    // fits its scaled size (text does not grow exactly in proportion) by what is missing. A line that
    // would then run past its parent's edge is set a little smaller instead (down to 80 %).
    void FitText(Control& control);
    // Above 96 DPI the lines of a paragraph (labels of one container at one left edge, in one font,
    // 16 pixels apart) are set in one size: the smallest FitText gave one of them.
    void UnifyParagraphs();
    // Moves the window, when it sticks out, inside the work area of its monitor.
    void KeepInWorkArea();
    // Keyboard use as in a dialog: Tab and Shift+Tab move through the controls that take input (a
    // radio group is one stop, its checked button), the arrow keys move within a radio group,
    // Enter presses the focused push button or else the default one, Escape the cancel button or
    // else closes the form. True when `msg` was such a key and has been handled.
    bool DialogKey(const MSG& msg);
    // Gives `control` the keyboard focus; for a radio button, the checked button of its group.
    void FocusControl(HWND control);
    // The first control inside `container` (the form or one of its containers) that takes input,
    // or nullptr: where the focus goes when the form opens or a notebook page is shown.
    HWND FirstTabStop(HWND container) const;
    HFONT FontFor(const ControlSpec& row);
    HFONT FontOf(const char* name, int height, bool bold);
    Color ColorFor(const ControlSpec& row) const;
    void RunHandler(Handler handler);
    void ReleaseOwned(Form* form);
    // The windows this form owns that are on screen go to `heir`, so they outlive this form.
    void HandOverOpenWindows(Form& heir);
    // Runs when the form is destroyed, for whoever keeps track of it.
    std::function<void()> OnDestroy;
    // Runs `bind` when the form loads, once its controls exist (see Bound).
    void Bind(std::function<void()> bind) { bindings_.push_back(std::move(bind)); }

protected:
    // The window procedure; a form that needs to see messages first overrides it and calls this
    // for the standard processing.
    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);

private:
    friend class Application;
    struct Rows;  // the creators of the layout rows, one per kind
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void CreateWindowFromSpec();
    void CreateRow(const ControlSpec& row, UINT id);
    void SetTabOrder();
    // Runs the form's start once (FormSpec::onFirstActivate, ControlSpec::OnFirstIdle).
    void Start(Handler handler);
    HWND ParentWindow(const ControlSpec& row) const;
    void RebuildBackground();
    // Opacity and transparency key of a layered form; no key in High Contrast, whose colours may
    // be the key's.
    void ApplyLayering();
    // The system's colours or its High Contrast setting changed: everything is painted again in
    // the colours now in force.
    void ColorsChanged();
    void FollowHighContrastInControls();
    void CreateHintWindow();
    void AddHint(Control& control);
    void ApplyHintSettings();
    void Snap(WINDOWPOS& pos) const;
    // Lays the form out again for `dpi` (a move to a monitor of another DPI), in `suggested` when the
    // system gives the new window rectangle.
    void ApplyDpi(int dpi, const RECT* suggested);
    RECT WindowRectForDpi() const;
    // `dpi`, or where the form laid out for it would be wider or taller than its monitor's work
    // area, the largest DPI at which it fits (never below 96): its table laid out for the room there is.
    int FittingDpi(int dpi);
    void Activated(bool active);
    // The next control Tab (or Shift+Tab) gives the focus to.
    HWND NextTabStop(HWND from, bool backwards) const;
    void MoveInRadioGroup(HWND from, bool backwards);
    // Focus rectangles show from the start, not only after the first key press.
    void ShowFocusCues();
    DWORD Style() const;
    DWORD ExStyle() const;

    Form* owner_;
    const FormSpec& spec_;
    std::span<const ControlSpec> layout_;
    common::Window window_;
    common::Window hintWindow_;
    std::vector<std::unique_ptr<Component>> components_;
    std::vector<Component*> order_;
    std::map<std::string, Component*> byName_;
    std::vector<std::function<void()>> bindings_;
    std::vector<std::unique_ptr<Form>> owned_;
    std::map<std::string, common::GdiObject> fonts_;
    common::GdiObject background_;
    common::GdiObject backgroundBitmap_;
    double scale_ = 1.0;
    int dpi_ = 96;
    HWND lastFocus_ = nullptr;
    bool highContrast_ = false;  // the control that had the focus when the form was deactivated
    int modalResult_ = 0;
    bool modal_ = false;
    bool shownOnce_ = false;
    bool releasing_ = false;
    bool loaded_ = false;
    bool started_ = false;
};

// Whether every layout of a form has the control a bound member names, or only some of them.
enum class Presence { Always, IfInLayout };
inline constexpr Presence kIfInLayout = Presence::IfInLayout;

// A member such as `ui::Bound<ui::TButton> Button1{*this, "Button1"};`: the form's control of that
// name, found once when the form loads. A name the layout lacks, or of another kind, fails the load,
// unless the member is `kIfInLayout`: then it stays empty (false) in a layout without that name.
template <class T>
class Bound {
public:
    Bound(Form& form, const char* name, Presence presence = Presence::Always) {
        form.Bind([this, &form, name, presence] {
            item_ = presence == Presence::IfInLayout && !form.Has(name) ? nullptr : &form.Find<T>(name);
        });
    }
    Bound(const Bound&) = delete;
    Bound& operator=(const Bound&) = delete;
    T* operator->() const { return item_; }
    T& operator*() const { return *item_; }
    operator T&() const { return *item_; }  // NOLINT: stands for the control
    explicit operator bool() const { return item_ != nullptr; }

private:
    T* item_ = nullptr;
};

}  // namespace ui
