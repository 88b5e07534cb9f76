#pragma once
// Layout tables: a form's controls and components, one row each, in layout order.
//
//   const ui::ControlSpec Tabout::kLayout[] = {
//       ui::GroupBox("GroupBox1", {8, 80, 417, 97}, "Program Information:"),
//       ui::Label("wersja", {136, 48}, "Gathering info...").In("GroupBox1").Bold(),
//       ui::Button("Button1", {344, 312, 75, 25}, "I agree").OnClick(&Tabout::Button1Click),
//   };
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace ui {

class Form;
class Component;

// A colour: an RGB value, or a system colour (SysColor(COLOR_BTNFACE)) resolved when painting.
struct Color {
    DWORD value = 0;
    static constexpr DWORD kSystemFlag = 0x80000000u;
    constexpr Color() = default;
    constexpr Color(COLORREF rgb) : value(rgb) {}  // NOLINT: an RGB value is a colour
    COLORREF Resolve() const;
    bool operator==(const Color& other) const { return value == other.value; }
};
constexpr Color SysColor(int index) { return Color(Color::kSystemFlag | static_cast<DWORD>(index)); }
constexpr Color Rgb(int r, int g, int b) { return Color(RGB(r, g, b)); }

// A font as the layouts give it: name, height in pixels (negative: character height), bold, colour.
struct FontSpec {
    const char* name = "Tahoma";
    int height = -11;
    bool bold = false;
    Color color = SysColor(COLOR_WINDOWTEXT);
};

// Left, top and, when given, width and height; a label without a size sizes itself to its text.
struct Bounds {
    int left = 0, top = 0, width = -1, height = -1;
};

enum class Kind {
    Label, Button, CheckBox, RadioButton, GroupBox, TrackBar, ProgressBar, Picture, Notebook, Page,
    PopupMenu, MenuItem, Timer, Events, Manifest, ComboBox, HotKey, Memo, Custom
};
enum class Align { Left, Right, Center };
enum class PictureMode { Centered, TopLeft };

enum class CloseAction { None, Hide, Free, Minimize };

using Handler = void (Form::*)();
using IdleHandler = void (Form::*)(bool& done);
using CloseHandler = void (Form::*)(CloseAction& action);

// One row of a layout table. The builder functions below make rows; the member functions refine one.
struct ControlSpec {
    Kind kind = Kind::Label;
    const char* name = "";
    const char* parent = nullptr;  // a group box, notebook page or notebook; nullptr: the form
    const char* caption = "";
    Bounds bounds;
    bool visible = true;
    bool enabled = true;
    bool checked = false;
    int min = 0, max = 10, position = 0;
    int interval = 1000;
    Align align = Align::Left;
    bool autoSize = true;
    bool wordWrap = false;
    const char* fontName = nullptr;  // nullptr: the form's
    int fontHeight = 0;              // 0: the form's
    bool bold = false;
    std::optional<Color> fontColor;
    const char* hint = nullptr;
    const char* resource = nullptr;  // bitmap resource of a picture
    PictureMode pictureMode = PictureMode::Centered;
    bool isDefault = false;           // the menu's default item; the form's default button (Enter)
    bool isCancel = false;            // the form's cancel button (Escape)
    bool startMark = false;           // a check box the form's start clears (StartMark)
    UINT animation = 0;               // popup menu animation flags (TPM_*ANIMATION)
    int tabOrder = -1;                // -1: layout order
    // The label that names a control without a text of its own (a slider, a list) for screen
    // readers; nullptr: the label row right before it in the same container, if there is one.
    const char* namedBy = nullptr;
    Handler onClick = nullptr;        // click (buttons, menu items), change (track bars, combo boxes), timer
    IdleHandler onIdle = nullptr;     // application event sink
    Handler onFirstIdle = nullptr;    // the form's start, at the first idle moment after it loaded
    Handler onPopup = nullptr;        // a menu item's submenu is made: the menu that holds it opens
    std::function<std::unique_ptr<Component>(Form&)> create;  // custom components

    ControlSpec In(const char* parentName) const { return With([&](ControlSpec& s) { s.parent = parentName; }); }
    ControlSpec Hidden() const { return With([](ControlSpec& s) { s.visible = false; }); }
    ControlSpec Disabled() const { return With([](ControlSpec& s) { s.enabled = false; }); }
    ControlSpec Checked(bool on = true) const { return With([&](ControlSpec& s) { s.checked = on; }); }
    ControlSpec Bold() const { return With([](ControlSpec& s) { s.bold = true; }); }
    ControlSpec Font(const char* fontName, int height) const {
        return With([&](ControlSpec& s) { s.fontName = fontName, s.fontHeight = height; });
    }
    ControlSpec FontSize(int height) const { return With([&](ControlSpec& s) { s.fontHeight = height; }); }
    ControlSpec TextColor(Color color) const { return With([&](ControlSpec& s) { s.fontColor = color; }); }
    ControlSpec AlignRight() const { return With([](ControlSpec& s) { s.align = Align::Right; }); }
    ControlSpec AlignCenter() const { return With([](ControlSpec& s) { s.align = Align::Center; }); }
    ControlSpec FixedSize() const { return With([](ControlSpec& s) { s.autoSize = false; }); }
    ControlSpec WordWrap() const { return With([](ControlSpec& s) { s.wordWrap = true; }); }
    ControlSpec Hint(const char* text) const { return With([&](ControlSpec& s) { s.hint = text; }); }
    ControlSpec Range(int lo, int hi) const { return With([&](ControlSpec& s) { s.min = lo, s.max = hi; }); }
    ControlSpec Position(int pos) const { return With([&](ControlSpec& s) { s.position = pos; }); }
    ControlSpec Interval(int ms) const { return With([&](ControlSpec& s) { s.interval = ms; }); }
    ControlSpec TopLeft() const { return With([](ControlSpec& s) { s.pictureMode = PictureMode::TopLeft; }); }
    ControlSpec Default() const { return With([](ControlSpec& s) { s.isDefault = true; }); }
    ControlSpec Cancel() const { return With([](ControlSpec& s) { s.isCancel = true; }); }
    ControlSpec Animation(UINT flags) const { return With([&](ControlSpec& s) { s.animation = flags; }); }
    ControlSpec TabOrder(int order) const { return With([&](ControlSpec& s) { s.tabOrder = order; }); }
    ControlSpec NamedBy(const char* label) const { return With([&](ControlSpec& s) { s.namedBy = label; }); }

    // Click of a button, check box, radio button or menu item; change of a track bar; a timer's tick.
    template <class F>
    ControlSpec OnClick(void (F::*handler)()) const {
        return With([&](ControlSpec& s) { s.onClick = static_cast<Handler>(handler); });
    }
    template <class F>
    ControlSpec OnChange(void (F::*handler)()) const { return OnClick(handler); }
    template <class F>
    ControlSpec OnTimer(void (F::*handler)()) const { return OnClick(handler); }
    // A menu item with a submenu, made by the handler each time the menu opens (TMenuItem::OnPopup).
    template <class F>
    ControlSpec OnPopup(void (F::*handler)()) const {
        return With([&](ControlSpec& s) { s.onPopup = static_cast<Handler>(handler); });
    }
    template <class F>
    ControlSpec OnIdle(void (F::*handler)(bool&)) const {
        return With([&](ControlSpec& s) { s.onIdle = static_cast<IdleHandler>(handler); });
    }
    // The form's start (see FormSpec::onFirstActivate) at the application's first idle moment after
    // the form loaded: for a form that is never activated, such as a splash.
    template <class F>
    ControlSpec OnFirstIdle(void (F::*handler)()) const {
        return With([&](ControlSpec& s) { s.onFirstIdle = static_cast<Handler>(handler); });
    }

private:
    template <class Edit>
    ControlSpec With(Edit edit) const {
        ControlSpec copy = *this;
        edit(copy);
        return copy;
    }
};

ControlSpec Label(const char* name, Bounds bounds, const char* caption);
ControlSpec Button(const char* name, Bounds bounds, const char* caption);
ControlSpec CheckBox(const char* name, Bounds bounds, const char* caption);
ControlSpec RadioButton(const char* name, Bounds bounds, const char* caption);
ControlSpec GroupBox(const char* name, Bounds bounds, const char* caption);
ControlSpec TrackBar(const char* name, Bounds bounds);
// A drop-down list to choose from (no typing); its height is that of the closed box.
ControlSpec ComboBox(const char* name, Bounds bounds);
// The standard hotkey control: the person presses the combination it is to show.
ControlSpec HotKey(const char* name, Bounds bounds);
// Read-only text of several lines (CR LF between them) in a box that scrolls.
ControlSpec Memo(const char* name, Bounds bounds);
ControlSpec ProgressBar(const char* name, Bounds bounds);
ControlSpec Picture(const char* name, Bounds bounds, const char* bitmapResource);
ControlSpec Notebook(const char* name, Bounds bounds);
ControlSpec Page(const char* name, const char* notebook);  // pages in order; the first is shown
ControlSpec PopupMenu(const char* name);
ControlSpec MenuItem(const char* name, const char* caption, const char* menu);  // "-": a separator
ControlSpec Timer(const char* name);
ControlSpec Events(const char* name);  // the application's events, for this form
ControlSpec Manifest(const char* name);  // the common-controls manifest lives in the resources
// A hidden check box captioned with its name, checked until the form has started: whoever looks at
// the window from outside sees by it whether the form's start has run.
ControlSpec StartMark(const char* name, Bounds bounds);

// A component of another module, created and configured (as its stored properties would be) while
// the layout loads; its Loaded() runs at the end of loading, in layout order.
template <class C, class F>
ControlSpec Custom(const char* name, std::function<void(F&, C&)> configure = {}) {
    ControlSpec row;
    row.kind = Kind::Custom;
    row.name = name;
    row.create = [name, configure](Form& form) -> std::unique_ptr<Component> {
        auto component = std::make_unique<C>(form, name);
        if (configure) configure(static_cast<F&>(form), *component);
        return component;
    };
    return row;
}

enum class BorderStyle { None, Single, Sizeable };
enum class FormPosition { Designed, ScreenCenter };

// Border icons.
enum : unsigned { kSystemMenu = 1, kMinimize = 2, kMaximize = 4 };

// The form's own properties.
struct FormSpec {
    const char* className = "TQvForm";  // the window class, as other programs find the window
    const char* caption = "";
    int left = 0, top = 0;
    int width = 0, height = 0;  // outer size, when the client size is not given
    int clientWidth = 0, clientHeight = 0;
    BorderStyle border = BorderStyle::Sizeable;
    unsigned borderIcons = kSystemMenu | kMinimize | kMaximize;
    FormPosition position = FormPosition::Designed;
    Color color = SysColor(COLOR_BTNFACE);
    FontSpec font;
    bool icon = true;  // the program icon
    int alpha = 255;
    std::optional<Color> transparentColor;
    bool scaled = true;  // laid out for the screen's DPI (designed at 96)
    int snapBuffer = 0;   // snaps to the screen edges within this many pixels; 0: off
    bool topmost = false;  // stays above the windows that are not topmost
    bool visible = false;
    // Whether showing the form makes it the active window. A splash or a notification is shown
    // without taking the keyboard from the window the user is working in.
    bool showActivates = true;
    Handler onCreate = nullptr;
    // The form's start: runs once, at its first activation (a form whose showing does not activate
    // it: at its first show), before the activation event. A message box of the start activates the
    // form again without starting it twice. A form starts once, by this or by its events row's
    // OnFirstIdle.
    Handler onFirstActivate = nullptr;
    Handler onShow = nullptr;  // after the form has been shown
    Handler onActivate = nullptr;
    Handler onDeactivate = nullptr;
    CloseHandler onClose = nullptr;
};

// A form's event handler as FormSpec keeps it: .onActivate = ui::Do(&Tmain::FormActivate).
template <class F>
constexpr Handler Do(void (F::*handler)()) { return static_cast<Handler>(handler); }
template <class F>
constexpr CloseHandler Do(void (F::*handler)(CloseAction&)) { return static_cast<CloseHandler>(handler); }

}  // namespace ui
