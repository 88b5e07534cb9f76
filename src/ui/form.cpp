#include "ui/form.h"

#include "common/system_services.h"
#include "ui/application.h"
#include "ui/exception.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <cmath>
#include <cstring>
#include <utility>
#include <optional>

namespace ui {

namespace {

constexpr const char* kContainerClass = "TQvContainer";
constexpr UINT kFirstControlId = 100;  // clear of IDOK and IDCANCEL, which dialog keys send

bool SameParent(const ControlSpec& a, const ControlSpec& b) {
    return a.parent == b.parent || (a.parent && b.parent && std::strcmp(a.parent, b.parent) == 0);
}

bool IsChildNotification(UINT message) {
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        return true;
    }
    return false;
}

// Paints the form's background (colour and pictures) behind `window`, the form or one of its containers.
LRESULT EraseBackground(Form& form, HWND window, HDC dc) {
    POINT origin{0, 0};
    MapWindowPoints(window, form.Handle(), &origin, 1);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, form.BackgroundBrush(dc, origin));
    return 1;
}

// Group boxes and notebook pages hand their children's notifications to the form and paint the
// form's background behind them.
bool ContainerMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    Control* control = Control::From(window);
    if (!control) return false;
    Form& form = control->Owner();
    if (IsChildNotification(message)) {
        bool handled = false;
        result = Guarded([&] {
            LRESULT r = 0;
            handled = form.ChildNotification(window, message, wParam, lParam, r);
            return r;
        });
        return handled;
    }
    if (message == WM_ERASEBKGND) {
        result = EraseBackground(form, window, reinterpret_cast<HDC>(wParam));
        return true;
    }
    return false;
}

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (ContainerMessage(window, message, wParam, lParam, result)) return result;
    return DefWindowProcA(window, message, wParam, lParam);
}

void RegisterContainerClass() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    if (GetClassInfoA(instance, kContainerClass, &cls)) return;
    cls.lpfnWndProc = ContainerProc;
    cls.hInstance = instance;
    cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    cls.lpszClassName = kContainerClass;
    RegisterClassA(&cls);
}

// A group box is a system button whose messages we see first.
class ContainerGroupBox : public TGroupBox {
public:
    using TGroupBox::TGroupBox;
    void Start() { Subclass(); }

protected:
    bool OwnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        return ContainerMessage(window_, message, wParam, lParam, result);
    }
};

// Turns a window's visual styles off (or back on): hint windows take the application's colour, and
// in High Contrast controls the system's colours, only without them. uxtheme may be missing.
void UseVisualStyles(HWND window, bool on) {
    // Loaded once for the process: every form comes here.
    static HMODULE uxtheme = LoadLibraryA("uxtheme.dll");
    if (!uxtheme) return;
    using SetThemeFn = HRESULT(WINAPI*)(HWND, LPCWSTR, LPCWSTR);
    auto setTheme = reinterpret_cast<SetThemeFn>(reinterpret_cast<void*>(GetProcAddress(uxtheme, "SetWindowTheme")));
    // A class list of one blank matches no style; an empty one does not reach Wine's uxtheme.
    if (setTheme) setTheme(window, on ? nullptr : L" ", on ? nullptr : L" ");
}

}  // namespace

Form::Form(Form* owner, const FormSpec& row, std::span<const ControlSpec> layout)
    : owner_(owner), spec_(row), layout_(layout) {}

Form::~Form() {
    if (OnDestroy) OnDestroy();
    while (!owned_.empty()) {
        std::unique_ptr<Form> form = std::move(owned_.back());
        owned_.pop_back();
    }
    hintWindow_.Reset();
    // A window still on screen hides first, so the activation moves on while the form is whole;
    // then the form stops seeing messages.
    if (window_) {
        if (Visible()) ShowWindow(window_.Get(), SW_HIDE);
        SetWindowLongPtrA(window_.Get(), GWLP_USERDATA, 0);
    }
    // Components go in reverse order of creation, controls before the window that holds them.
    while (!components_.empty()) components_.pop_back();
    window_.Reset();
    App().UnregisterForm(this);
    App().UpdateTaskbarButton();
}

DWORD Form::Style() const {
    DWORD style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    switch (spec_.border) {
    case BorderStyle::None:
        return style | WS_POPUP;
    case BorderStyle::Single:
        style |= WS_CAPTION | WS_BORDER;
        break;
    case BorderStyle::Sizeable:
        style |= WS_CAPTION | WS_THICKFRAME;
        break;
    }
    if (spec_.borderIcons & kSystemMenu) {
        style |= WS_SYSMENU;
        if (spec_.borderIcons & kMinimize) style |= WS_MINIMIZEBOX;
        if (spec_.borderIcons & kMaximize) style |= WS_MAXIMIZEBOX;
    }
    return style;
}

DWORD Form::ExStyle() const {
    DWORD ex = WS_EX_CONTROLPARENT;
    if (spec_.alpha < 255 || spec_.transparentColor) ex |= WS_EX_LAYERED;
    if (spec_.topmost) ex |= WS_EX_TOPMOST;
    return ex;
}

void Form::CreateWindowFromSpec() {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA cls{};
    if (!GetClassInfoA(instance, spec_.className, &cls)) {
        cls.lpfnWndProc = StaticWndProc;
        cls.hInstance = instance;
        cls.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
        cls.lpszClassName = spec_.className;
        cls.style = CS_DBLCLKS;
        RegisterClassA(&cls);
    }
    if (spec_.scaled) dpi_ = FittingDpi(SystemDpi());
    scale_ = dpi_ / 96.0;
    const RECT outer = WindowRectForDpi();
    HWND ownerWindow = owner_ ? owner_->Handle() : App().Handle();
    CreateWindowExA(ExStyle(), spec_.className, spec_.caption, Style(), outer.left, outer.top, outer.right - outer.left,
                    outer.bottom - outer.top, ownerWindow, nullptr, instance, this);
    if (!window_) throw Exception("Error creating window", "EOutOfResources");
    ApplyLayering();
    // An owned window does not always take the style from its creation: set it as its own z-order.
    if (spec_.topmost)
        SetWindowPos(window_.Get(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    if (spec_.icon && App().Icon()) {
        HICON small = App().SmallIcon() ? App().SmallIcon() : App().Icon();
        SendMessageA(window_.Get(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(App().Icon()));
        SendMessageA(window_.Get(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(small));
    }
}

// The window's place and outer size for the form's DPI: the designed position and the client (or
// outer) size of the layout, scaled.
RECT Form::WindowRectForDpi() const {
    RECT rect{0, 0, Scaled(spec_.width), Scaled(spec_.height)};
    if (spec_.clientWidth > 0) {
        rect = {0, 0, Scaled(spec_.clientWidth), Scaled(spec_.clientHeight)};
        AdjustWindowRectEx(&rect, Style(), FALSE, ExStyle());
    }
    OffsetRect(&rect, Scaled(spec_.left) - rect.left, Scaled(spec_.top) - rect.top);
    return rect;
}

HFONT Form::FontFor(const ControlSpec& row) {
    return FontOf(row.fontName ? row.fontName : spec_.font.name,
                  Scaled(row.fontHeight ? row.fontHeight : spec_.font.height), row.bold || spec_.font.bold);
}

HFONT Form::FontOf(const char* name, int height, bool bold) {
    const std::string key = std::string(name) + "/" + std::to_string(height) + (bold ? "/b" : "");
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
        LOGFONTA font{};
        font.lfHeight = height;
        font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        font.lfCharSet = DEFAULT_CHARSET;
        font.lfQuality = DEFAULT_QUALITY;
        lstrcpynA(font.lfFaceName, name, LF_FACESIZE);
        it = fonts_.emplace(key, common::GdiObject(CreateFontIndirectA(&font))).first;
    }
    return static_cast<HFONT>(it->second.Get());
}

Color Form::ColorFor(const ControlSpec& row) const { return row.fontColor ? *row.fontColor : spec_.font.color; }

namespace {
// The extent of `text` in `font`: one line, or lines broken to `width` when it is given.
RECT TextExtent(HWND window, HFONT font, const std::string& text, int width) {
    RECT need{0, 0, width, 0};
    const common::WindowDc dc = common::GetWindowDc(window);
    const common::Selection selected = common::Select(dc.Get(), reinterpret_cast<HGDIOBJ>(font));
    DrawTextA(dc.Get(), text.c_str(), -1, &need, DT_CALCRECT | DT_NOPREFIX | (width ? DT_WORDBREAK : DT_SINGLELINE));
    return need;
}
}  // namespace

void Form::FitText(Control& control) {
    if (dpi_ <= 96) return;  // the layouts are made for 96 DPI: there they stay as designed
    const ControlSpec& row = control.spec_;
    const bool check = row.kind == Kind::CheckBox || row.kind == Kind::RadioButton;
    const bool label = row.kind == Kind::Label;
    if (!check && row.kind != Kind::Button && !label) return;
    const std::string text = control.Text();
    if (text.empty()) return;
    const RECT now = control.BoundsRect();
    const int width = now.right - now.left, height = now.bottom - now.top;
    const HFONT font = reinterpret_cast<HFONT>(SendMessageA(control.Handle(), WM_GETFONT, 0, 0));
    const RECT need = TextExtent(control.Handle(), font, text, row.wordWrap ? width : 0);
    // Room besides the text: a check box's box and the gap after it; a push button's edges.
    const int besides = label ? 0 : check ? Scaled(13 + 6) : Scaled(10);
    int wantWidth = row.wordWrap ? width : std::max(width, static_cast<int>(need.right) + besides);
    int wantHeight = std::max(height, static_cast<int>(need.bottom));

    // The room up to the parent's edge, with as much margin as the control has on its left (8 at most),
    // and for a line of text up to the next control on its row, with a gap: "Selected:" does not
    // touch the value after it.
    RECT parent{};
    GetClientRect(GetParent(control.Handle()), &parent);
    int room = parent.right - now.left - std::min(static_cast<int>(now.left), Scaled(8));
    if (label && !row.wordWrap) {
        const auto lineHeight = [](const ControlSpec& r) { return r.bounds.height > 0 ? r.bounds.height : 13; };
        for (const ControlSpec& other : layout_) {
            const bool windowed = other.kind <= Kind::Notebook || other.kind == Kind::ComboBox || other.kind == Kind::HotKey;
            if (&other == &row || !SameParent(other, row) || !other.visible || !windowed || other.kind == Kind::Picture ||
                other.bounds.left <= row.bounds.left)
                continue;
            if (other.bounds.top >= row.bounds.top + lineHeight(row) || other.bounds.top + lineHeight(other) <= row.bounds.top)
                continue;
            room = std::min(room, Scaled(other.bounds.left) - static_cast<int>(now.left) - Scaled(4));
        }
    }
    if (!row.wordWrap && wantWidth > room && room > besides) {
        const int designed = std::abs(Scaled(row.fontHeight ? row.fontHeight : spec_.font.height));
        for (int size = designed - 1; size >= designed * 4 / 5; --size) {
            const HFONT smaller = FontOf(row.fontName ? row.fontName : spec_.font.name, -size, row.bold || spec_.font.bold);
            const RECT fits = TextExtent(control.Handle(), smaller, text, 0);
            if (fits.right + besides > room && size > designed * 4 / 5) continue;
            SendMessageA(control.Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(smaller), TRUE);
            wantWidth = std::min(room, std::max(width, static_cast<int>(fits.right) + besides));
            wantHeight = std::max(height, static_cast<int>(fits.bottom));
            break;
        }
    } else if (label && row.autoSize) {
        return;  // a label that sizes itself to its text has done so
    }
    if (wantWidth == width && wantHeight == height) return;
    int left = now.left;
    if (label && row.align == Align::Right) left = now.right - wantWidth;
    if (label && row.align == Align::Center) left = now.left - (wantWidth - width) / 2;
    control.SetBounds(left, now.top, wantWidth, wantHeight);
}

void Form::UnifyParagraphs() {
    if (dpi_ <= 96) return;
    std::vector<TLabel*> paragraph;
    const auto settle = [&] {
        HFONT smallest = nullptr;
        LONG smallestHeight = 0;
        for (TLabel* line : paragraph) {
            const HFONT font = reinterpret_cast<HFONT>(SendMessageA(line->Handle(), WM_GETFONT, 0, 0));
            LOGFONTA info{};
            GetObjectA(font, sizeof(info), &info);
            if (!smallest || std::abs(info.lfHeight) < smallestHeight) smallest = font, smallestHeight = std::abs(info.lfHeight);
        }
        for (TLabel* line : paragraph)
            if (reinterpret_cast<HFONT>(SendMessageA(line->Handle(), WM_GETFONT, 0, 0)) != smallest) {
                SendMessageA(line->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(smallest), TRUE);
                line->AdjustSize();
            }
        paragraph.clear();
    };
    const ControlSpec* last = nullptr;
    for (Component* component : order_) {
        auto* line = dynamic_cast<TLabel*>(component);
        const ControlSpec* row = line && !line->spec_.wordWrap ? &line->spec_ : nullptr;
        const bool continues = row && last && SameParent(*row, *last) && row->bounds.left == last->bounds.left &&
                               row->bounds.top == last->bounds.top + 16 && row->fontHeight == last->fontHeight &&
                               row->bold == last->bold && row->fontName == last->fontName;
        if (!continues) settle();
        if (row) paragraph.push_back(line);
        last = row;
    }
    settle();
}

void Form::KeepInWorkArea() {
    RECT rect;
    GetWindowRect(window_.Get(), &rect);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoA(MonitorFromWindow(window_.Get(), MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    int left = std::min(rect.left, work.right - (rect.right - rect.left));
    int top = std::min(rect.top, work.bottom - (rect.bottom - rect.top));
    left = std::max(left, static_cast<int>(work.left));
    top = std::max(top, static_cast<int>(work.top));
    if (left != rect.left || top != rect.top) SetPosition(left, top);
}

HWND Form::ParentWindow(const ControlSpec& row) const {
    if (!row.parent) return window_.Get();
    return Find<Control>(row.parent).ContainerHandle();
}

// ---- Layout rows: one creator per kind ----

struct Form::Rows {
    using Creator = std::unique_ptr<Component> (*)(Form& form, const ControlSpec& row, UINT id);
    // A windowed control's window class and styles besides WS_CHILD | WS_CLIPSIBLINGS.
    struct Window {
        const char* windowClass;
        DWORD style;
        DWORD exStyle = 0;
    };

    // Left, top, width, height at the form's DPI. The edges are scaled, so that controls that meet
    // at 96 DPI still meet; a label without a size sizes itself to its text.
    static RECT Place(const Form& form, const ControlSpec& row) {
        const Bounds& b = row.bounds;
        const int left = form.Scaled(b.left), top = form.Scaled(b.top);
        return {left, top, b.width < 0 ? 0 : form.Scaled(b.left + b.width) - left,
                b.height < 0 ? 0 : form.Scaled(b.top + b.height) - top};
    }
    // Makes the control's window in its parent, with the form's font and the row's enabled state;
    // `setup` completes the control before it is shown.
    template <class T, class Setup>
    static std::unique_ptr<T> Windowed(Form& form, const ControlSpec& row, UINT id, Window kind, Setup setup,
                                       std::optional<RECT> place = {}) {
        auto control = std::make_unique<T>(form, row);
        const RECT at = place ? *place : Place(form, row);
        HWND window = CreateWindowExA(kind.exStyle, kind.windowClass, row.caption, WS_CHILD | WS_CLIPSIBLINGS | kind.style,
                                      at.left, at.top, at.right, at.bottom, form.ParentWindow(row),
                                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), GetModuleHandleA(nullptr),
                                      nullptr);
        if (!window) throw Exception(std::string("Error creating window for ") + row.name, "EOutOfResources");
        control->Attach(window);
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(form.FontFor(row)), FALSE);
        if (!row.enabled) EnableWindow(window, FALSE);
        form.FitText(*control);
        if (setup(*control) && row.visible) ShowWindow(window, SW_SHOWNA);
        return control;
    }
    template <class T>
    static std::unique_ptr<T> Windowed(Form& form, const ControlSpec& row, UINT id, Window kind) {
        return Windowed<T>(form, row, id, kind, [](T&) { return true; });
    }
    template <class T>  // a check box or radio button
    static std::unique_ptr<Component> Check(Form& form, const ControlSpec& row, UINT id, DWORD style) {
        return Windowed<T>(form, row, id, {"BUTTON", style}, [&](T& box) {
            if (row.checked) SendMessageA(box.Handle(), BM_SETCHECK, BST_CHECKED, 0);
            return true;
        });
    }

    static std::unique_ptr<Component> Label(Form& form, const ControlSpec& row, UINT id) {
        DWORD style = SS_NOPREFIX | (row.align == Align::Right ? SS_RIGHT : row.align == Align::Center ? SS_CENTER : SS_LEFT);
        if (!row.wordWrap && row.align == Align::Left) style |= SS_LEFTNOWORDWRAP;
        auto label = Windowed<TLabel>(form, row, id, {"STATIC", style});
        label->AdjustSize();
        return label;
    }
    static std::unique_ptr<Component> Button(Form& form, const ControlSpec& row, UINT id) {
        const DWORD style = (row.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_TABSTOP;
        return Windowed<TButton>(form, row, id, {"BUTTON", style});
    }
    static std::unique_ptr<Component> CheckBox(Form& form, const ControlSpec& row, UINT id) {
        return Check<TCheckBox>(form, row, id, BS_AUTOCHECKBOX | WS_TABSTOP);
    }
    static std::unique_ptr<Component> RadioButton(Form& form, const ControlSpec& row, UINT id) {
        return Check<TRadioButton>(form, row, id, BS_AUTORADIOBUTTON);
    }
    static std::unique_ptr<Component> GroupBox(Form& form, const ControlSpec& row, UINT id) {
        return Windowed<ContainerGroupBox>(form, row, id, {"BUTTON", BS_GROUPBOX, WS_EX_CONTROLPARENT},
                                           [](ContainerGroupBox& box) { return box.Start(), true; });
    }
    static std::unique_ptr<Component> TrackBar(Form& form, const ControlSpec& row, UINT id) {
        const Window kind{TRACKBAR_CLASSA, TBS_HORZ | TBS_AUTOTICKS | WS_TABSTOP};
        return Windowed<TTrackBar>(form, row, id, kind, [&](TTrackBar& bar) {
            bar.Subclass();
            bar.SetRange(row.min, row.max);
            return bar.SetPosition(row.position), true;
        });
    }
    // The window's height includes the open list: room for eight items below the box.
    static std::unique_ptr<Component> ComboBox(Form& form, const ControlSpec& row, UINT id) {
        RECT at = Place(form, row);
        at.bottom += form.Scaled(8 * 16);
        return Windowed<TComboBox>(form, row, id, {"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP},
                                   [](TComboBox&) { return true; }, at);
    }
    static std::unique_ptr<Component> HotKey(Form& form, const ControlSpec& row, UINT id) {
        return Windowed<THotKey>(form, row, id, {HOTKEY_CLASSA, WS_TABSTOP, WS_EX_CLIENTEDGE});
    }
    static std::unique_ptr<Component> Memo(Form& form, const ControlSpec& row, UINT id) {
        const Window kind{"EDIT", ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        return Windowed<TMemo>(form, row, id, kind);
    }
    static std::unique_ptr<Component> ProgressBar(Form& form, const ControlSpec& row, UINT id) {
        return Windowed<TProgressBar>(form, row, id, {PROGRESS_CLASSA, 0}, [&](TProgressBar& bar) {
            bar.Subclass();
            bar.SetMax(row.max);
            return bar.SetPosition(row.position), true;
        });
    }
    static std::unique_ptr<Component> Notebook(Form& form, const ControlSpec& row, UINT id) {
        return Windowed<TNotebook>(form, row, id, {kContainerClass, 0, WS_EX_CONTROLPARENT});
    }
    // A page fills its notebook; the first one is shown.
    static std::unique_ptr<Component> Page(Form& form, const ControlSpec& row, UINT id) {
        RECT area;
        GetClientRect(form.ParentWindow(row), &area);
        auto& notebook = form.Find<TNotebook>(row.parent);
        const auto join = [&](TPage& page) {
            notebook.pages_.push_back(&page);
            if (notebook.pages_.size() == 1) notebook.active_ = row.name;
            return notebook.pages_.size() == 1;
        };
        return Windowed<TPage>(form, row, id, {kContainerClass, 0, WS_EX_CONTROLPARENT}, join, area);
    }
    static std::unique_ptr<Component> Picture(Form& form, const ControlSpec& row, UINT) {
        return std::make_unique<TImage>(form, row);
    }
    static std::unique_ptr<Component> PopupMenu(Form& form, const ControlSpec& row, UINT) {
        auto menu = std::make_unique<TPopupMenu>(form, row.name);
        menu->Animation = row.animation;
        return menu;
    }
    static std::unique_ptr<Component> MenuItem(Form& form, const ControlSpec& row, UINT id) {
        auto item = std::make_unique<TMenuItem>(form, row.name, row.caption, id);
        item->SetDefault(row.isDefault);
        if (row.onClick) item->OnClick = [&form, h = row.onClick] { form.RunHandler(h); };
        if (row.onPopup) item->OnPopup = [&form, h = row.onPopup] { form.RunHandler(h); };
        form.Find<TPopupMenu>(row.parent).Add(item.get());
        return item;
    }
    static std::unique_ptr<Component> Timer(Form& form, const ControlSpec& row, UINT) {
        auto timer = std::make_unique<TTimer>(form, row.name);
        timer->SetInterval(row.interval);
        timer->SetEnabled(row.enabled);
        if (row.onClick) timer->SetOnTimer([&form, h = row.onClick] { form.RunHandler(h); });
        return timer;
    }
    static std::unique_ptr<Component> Events(Form& form, const ControlSpec& row, UINT) {
        auto events = std::make_unique<TApplicationEvents>(form, row.name);
        if (row.onIdle || row.onFirstIdle)
            events->OnIdle = [&form, idle = row.onIdle, first = row.onFirstIdle](bool& done) {
                if (!form.loaded_) return;
                if (idle) (form.*idle)(done);
                form.Start(first);
            };
        return events;
    }
    static std::unique_ptr<Component> Manifest(Form& form, const ControlSpec& row, UINT) {
        return std::make_unique<TManifest>(form, row.name);
    }
    static std::unique_ptr<Component> Custom(Form& form, const ControlSpec& row, UINT) { return row.create(form); }

    static constexpr Creator kCreators[] = {  // in the order of ui::Kind
        &Label, &Button, &CheckBox, &RadioButton, &GroupBox, &TrackBar, &ProgressBar, &Picture,
        &Notebook, &Page, &PopupMenu, &MenuItem, &Timer, &Events, &Manifest, &ComboBox, &HotKey, &Memo, &Custom,
    };
    static_assert(std::size(kCreators) == static_cast<size_t>(Kind::Custom) + 1);
};

void Form::CreateRow(const ControlSpec& row, UINT id) {
    std::unique_ptr<Component> component = Rows::kCreators[static_cast<size_t>(row.kind)](*this, row, id);
    byName_[row.name] = component.get();
    order_.push_back(component.get());
    components_.push_back(std::move(component));
}

int Form::FittingDpi(int dpi) {
    if (dpi <= 96) return dpi;
    const POINT designed{ScaleToDpi(spec_.left, dpi), ScaleToDpi(spec_.top, dpi)};
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    HMONITOR on = window_ ? MonitorFromWindow(window_.Get(), MONITOR_DEFAULTTONEAREST)
                          : MonitorFromPoint(designed, MONITOR_DEFAULTTOPRIMARY);
    if (!GetMonitorInfoA(on, &monitor)) return dpi;
    const RECT& work = monitor.rcWork;
    const int kept = dpi_;
    for (; dpi > 96; --dpi) {
        dpi_ = dpi;
        const RECT outer = WindowRectForDpi();
        if (outer.right - outer.left <= work.right - work.left && outer.bottom - outer.top <= work.bottom - work.top) break;
    }
    dpi_ = kept;
    return dpi;
}

void Form::ApplyDpi(int dpi, const RECT* suggested) {
    if (spec_.scaled && dpi > 0) dpi = FittingDpi(dpi);
    if (!spec_.scaled || dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    scale_ = dpi_ / 96.0;
    // The controls keep their old fonts until they have the new ones.
    std::map<std::string, common::GdiObject> oldFonts;
    oldFonts.swap(fonts_);
    for (Component* component : order_) {
        auto* control = dynamic_cast<Control*>(component);
        if (!control) continue;
        const ControlSpec& row = control->spec_;
        RECT at = Rows::Place(*this, row);
        if (row.kind == Kind::Page) GetClientRect(GetParent(control->Handle()), &at);
        if (row.kind == Kind::ComboBox) at.bottom += Scaled(8 * 16);
        control->SetBounds(at.left, at.top, at.right, at.bottom);
        SendMessageA(control->Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(row)), FALSE);
        if (auto* label = dynamic_cast<TLabel*>(control)) label->AdjustSize();
        FitText(*control);
    }
    UnifyParagraphs();
    RECT outer = WindowRectForDpi();
    if (suggested) {
        outer = *suggested;
    } else {
        RECT now;
        GetWindowRect(window_.Get(), &now);
        OffsetRect(&outer, now.left - outer.left, now.top - outer.top);
    }
    SetWindowPos(window_.Get(), nullptr, outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (background_) RebuildBackground();
    RedrawWindow(window_.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form::Load() {
    App().Initialize();
    RegisterContainerClass();
    App().RegisterForm(this);
    highContrast_ = common::Services().HighContrast();
    CreateWindowFromSpec();

    UINT id = kFirstControlId;
    for (const ControlSpec& row : layout_) CreateRow(row, id++);
    UnifyParagraphs();
    for (const auto& bind : bindings_) bind();
    SetTabOrder();
    if (highContrast_) FollowHighContrastInControls();

    // A form that opened on a monitor of another DPI than the system's is laid out for that one.
    if (spec_.scaled) ApplyDpi(WindowDpi(window_.Get()), nullptr);

    CreateHintWindow();
    for (Component* component : order_) component->Loaded();
    ShowFocusCues();
    loaded_ = true;
    RunHandler(spec_.onCreate);
    if (spec_.visible) Show();
}

void Form::SetTabOrder() {
    // Tab order is the z-order of the windows among their siblings: layout order, except that rows
    // naming their place come first, in that order.
    std::vector<Control*> tabOrder;
    for (Component* component : order_)
        if (auto* control = dynamic_cast<Control*>(component)) tabOrder.push_back(control);
    auto key = [](const Control* c) { return c->spec_.tabOrder >= 0 ? c->spec_.tabOrder : 1 << 20; };
    std::stable_sort(tabOrder.begin(), tabOrder.end(), [&](Control* a, Control* b) { return key(a) < key(b); });
    for (Control* control : tabOrder)
        SetWindowPos(control->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // Labels lie beneath the other controls, as text painted on the container would: a button
    // overlapping a long label stays whole. Labels take no focus, so the tab order is unchanged.
    for (Control* control : tabOrder)
        if (dynamic_cast<TLabel*>(control))
            SetWindowPos(control->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    // A control without a text of its own is named by the label right before it in the window
    // order, where screen readers look for its name.
    const ControlSpec* previous = nullptr;
    for (const ControlSpec& row : layout_) {
        const ControlSpec* before = std::exchange(previous, &row);
        if (row.kind != Kind::TrackBar && row.kind != Kind::ComboBox && row.kind != Kind::HotKey &&
            row.kind != Kind::ProgressBar)
            continue;
        const bool labelBefore = before && before->kind == Kind::Label && SameParent(*before, row);
        const char* labelName = row.namedBy ? row.namedBy : labelBefore ? before->name : nullptr;
        if (!labelName) continue;
        HWND control = Find<Control>(row.name).Handle(), label = Find<Control>(labelName).Handle();
        HWND above = GetWindow(control, GW_HWNDPREV);
        if (above != label)
            SetWindowPos(label, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    // Each control that takes input ends the radio group before it, as a dialog's groups end.
    for (Control* control : tabOrder) {
        const LONG style = GetWindowLongA(control->Handle(), GWL_STYLE);
        if ((style & WS_TABSTOP) && !dynamic_cast<TRadioButton*>(control))
            SetWindowLongA(control->Handle(), GWL_STYLE, style | WS_GROUP);
    }
    // One radio group per container: the first radio button of each container starts a group.
    std::vector<HWND> containersSeen;
    for (Control* control : tabOrder) {
        if (!dynamic_cast<TRadioButton*>(control)) continue;
        HWND parent = GetParent(control->Handle());
        if (std::find(containersSeen.begin(), containersSeen.end(), parent) != containersSeen.end()) continue;
        containersSeen.push_back(parent);
        SetWindowLongA(control->Handle(), GWL_STYLE, GetWindowLongA(control->Handle(), GWL_STYLE) | WS_GROUP | WS_TABSTOP);
    }
}

void Form::CreateHintWindow() {
    bool any = false;
    for (Component* component : order_)
        if (auto* control = dynamic_cast<Control*>(component); control && !control->HintText().empty()) any = true;
    if (!any) return;
    hintWindow_.Reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_.Get(), nullptr,
                                      GetModuleHandleA(nullptr), nullptr));
    UseVisualStyles(hintWindow_.Get(), false);
    for (Component* component : order_)
        if (auto* control = dynamic_cast<Control*>(component); control && !control->HintText().empty())
            AddHint(*control);
    ApplyHintSettings();
}

void Form::AddHint(Control& control) {
    TTTOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_.Get();
    tool.uId = reinterpret_cast<UINT_PTR>(control.Handle());
    tool.lpszText = const_cast<char*>(control.HintText().c_str());
    SendMessageA(hintWindow_.Get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

void Form::ApplyHintSettings() {
    if (!hintWindow_) return;
    const Application& app = App();
    HWND tip = hintWindow_.Get();
    SendMessageA(tip, TTM_SETTIPBKCOLOR, highContrast_ ? GetSysColor(COLOR_INFOBK) : app.HintColor(), 0);
    SendMessageA(tip, TTM_SETTIPTEXTCOLOR, GetSysColor(COLOR_INFOTEXT), 0);
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(app.HintPause(), 0));
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(app.HintHidePause(), 0));
    SendMessageA(tip, TTM_SETDELAYTIME, TTDT_RESHOW, MAKELPARAM(app.HintShortPause(), 0));
    SendMessageA(tip, TTM_ACTIVATE, app.ShowHint() ? TRUE : FALSE, 0);
}

void Form::RunHandler(Handler handler) {
    if (handler && loaded_) (this->*handler)();
}

void Form::Start(Handler handler) {
    // The flag goes first: message boxes of the start activate the form again.
    if (!handler || !loaded_ || started_) return;
    started_ = true;
    for (Component* component : order_)
        if (auto* box = dynamic_cast<TCheckBox*>(component); box && box->spec_.startMark) box->SetChecked(false);
    (this->*handler)();
}

// A visual style draws with its own colours (a group box's caption, a push button's face), not with
// the High Contrast ones: the controls go without it while High Contrast is on.
void Form::FollowHighContrastInControls() {
    for (Component* component : order_)
        if (auto* control = dynamic_cast<Control*>(component)) UseVisualStyles(control->Handle(), !highContrast_);
}

void Form::ApplyLayering() {
    if (!(ExStyle() & WS_EX_LAYERED)) return;
    DWORD flags = LWA_ALPHA;
    const bool keyed = spec_.transparentColor && !highContrast_;
    if (keyed) flags |= LWA_COLORKEY;
    SetLayeredWindowAttributes(window_.Get(), keyed ? spec_.transparentColor->Resolve() : 0,
                               static_cast<BYTE>(spec_.alpha), flags);
}

void Form::ColorsChanged() {
    const bool was = highContrast_;
    highContrast_ = common::Services().HighContrast();
    if (was != highContrast_) FollowHighContrastInControls();
    background_.Reset();
    backgroundBitmap_.Reset();
    ApplyLayering();
    ApplyHintSettings();
    // Common controls keep the system's colours of their own: they are told as well.
    for (Component* component : order_)
        if (auto* control = dynamic_cast<Control*>(component)) SendMessageA(control->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(window_.Get(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void Form::RebuildBackground() {
    background_.Reset();
    backgroundBitmap_.Reset();
    if (highContrast_) return;  // the system's brush paints it
    RECT client;
    GetClientRect(window_.Get(), &client);
    std::vector<const TImage*> pictures;
    for (Component* component : order_)
        if (auto* picture = dynamic_cast<TImage*>(component)) pictures.push_back(picture);
    if (pictures.empty() || client.right <= 0 || client.bottom <= 0) {
        background_.Reset(CreateSolidBrush(spec_.color.Resolve()));
        return;
    }
    {
        const common::WindowDc screen = common::GetWindowDc(nullptr);
        const common::MemoryDc memory(CreateCompatibleDC(screen.Get()));
        backgroundBitmap_.Reset(CreateCompatibleBitmap(screen.Get(), client.right, client.bottom));
        const common::Selection drawing = common::Select(memory.Get(), backgroundBitmap_.Get());
        const common::GdiObject fill(CreateSolidBrush(spec_.color.Resolve()));
        FillRect(memory.Get(), &client, static_cast<HBRUSH>(fill.Get()));
        for (const TImage* picture : pictures) picture->Draw(memory.Get(), dpi_);
    }
    background_.Reset(CreatePatternBrush(static_cast<HBITMAP>(backgroundBitmap_.Get())));
}

HBRUSH Form::BackgroundBrush(HDC dc, POINT origin) {
    if (highContrast_) return GetSysColorBrush(COLOR_BTNFACE);
    if (!background_) RebuildBackground();
    // Brush origins are in device units. A themed control asks its parent to paint behind it on its
    // own DC with the viewport moved to the parent's origin: the picture follows the DC's origins.
    POINT viewport{}, windowOrigin{};
    GetViewportOrgEx(dc, &viewport);
    GetWindowOrgEx(dc, &windowOrigin);
    SetBrushOrgEx(dc, viewport.x - windowOrigin.x - origin.x, viewport.y - windowOrigin.y - origin.y, nullptr);
    return static_cast<HBRUSH>(background_.Get());
}

bool Form::ChildNotification(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case WM_COMMAND:
        if (Control* control = Control::From(reinterpret_cast<HWND>(lParam))) {
            control->Command(HIWORD(wParam));
            result = 0;
            return true;
        }
        return false;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (Control* control = Control::From(reinterpret_cast<HWND>(lParam))) {
            control->Scroll();
            result = 0;
            return true;
        }
        return false;
    case WM_NOTIFY: {
        auto* header = reinterpret_cast<NMHDR*>(lParam);
        if (hintWindow_ && header->hwndFrom == hintWindow_.Get()) {
            if (header->code == TTN_SHOW) {
                if (Control* control = Control::From(reinterpret_cast<HWND>(header->idFrom)))
                    App().SetHint(control->HintText());
            } else if (header->code == TTN_POP) {
                App().SetHint("");
            }
        }
        return false;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
        HDC dc = reinterpret_cast<HDC>(wParam);
        HWND child = reinterpret_cast<HWND>(lParam);
        Control* control = Control::From(child);
        if (control && control->spec_.kind == Kind::Memo) {
            // Text that scrolls needs a background of its own: the system's window colours.
            SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
            SetBkColor(dc, GetSysColor(COLOR_WINDOW));
            result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
            return true;
        }
        SetTextColor(dc, highContrast_ ? GetSysColor(COLOR_BTNTEXT)
                                       : (control ? control->FontColor() : spec_.font.color).Resolve());
        SetBkMode(dc, TRANSPARENT);
        POINT origin{0, 0};
        MapWindowPoints(child, window_.Get(), &origin, 1);
        result = reinterpret_cast<LRESULT>(BackgroundBrush(dc, origin));
        return true;
    }
    }
    return false;
}

LRESULT CALLBACK Form::StaticWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        form->window_.Reset(window);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!form) return DefWindowProcA(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        form->window_.Release();
        return DefWindowProcA(window, message, wParam, lParam);
    }
    return Guarded([&] { return form->WndProc(message, wParam, lParam); });
}

LRESULT Form::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    HWND window = window_.Get();
    if (IsChildNotification(message)) {
        LRESULT result = 0;
        if (ChildNotification(window, message, wParam, lParam, result)) return result;
    }
    switch (message) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_COMMAND:
        // Enter and Escape reach the form as IDOK and IDCANCEL from the dialog manager. Enter presses
        // the focused push button, else the default button; Escape the cancel button, else it closes
        // the form as its close box would.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            const bool enter = LOWORD(wParam) == IDOK;
            if (auto* focused = dynamic_cast<TButton*>(Control::From(GetFocus())); enter && focused && focused->Enabled()) {
                focused->Click();
                return 0;
            }
            for (Component* component : order_)
                if (auto* button = dynamic_cast<TButton*>(component);
                    button && (enter ? button->spec_.isDefault : button->spec_.isCancel) &&
                    IsWindowEnabled(button->Handle()) && IsWindowVisible(button->Handle())) {
                    button->Click();
                    return 0;
                }
            if (!enter) Close();
            return 0;
        }
        break;
    case WM_ACTIVATE: {
        const LRESULT result = DefWindowProcA(window, message, wParam, lParam);
        Activated(LOWORD(wParam) != WA_INACTIVE);
        return result;
    }
    case WM_ERASEBKGND:
        return EraseBackground(*this, window, reinterpret_cast<HDC>(wParam));
    case WM_SIZE:
        if (background_) {
            RebuildBackground();
            InvalidateRect(window, nullptr, TRUE);
        }
        break;
    case WM_SYSCOLORCHANGE:
    case WM_SETTINGCHANGE:
        ColorsChanged();
        break;
    case WM_DISPLAYCHANGE:
        // The background was made for the old screen's colour format: make it again and repaint.
        if (background_) RebuildBackground();
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
        break;
    case kDpiChangedMessage:
        ApplyDpi(LOWORD(wParam), reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_WINDOWPOSCHANGING:
        if (spec_.snapBuffer > 0) Snap(*reinterpret_cast<WINDOWPOS*>(lParam));
        break;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_MINIMIZE && this == App().MainForm()) {
            App().Minimize();
            return 0;
        }
        break;
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_ENDSESSION:
        if (wParam) App().Terminate();
        return 0;
    case kReleaseMessage:
        if (owner_) {
            HandOverOpenWindows(*owner_);
            owner_->ReleaseOwned(this);
        } else
            App().ReleaseForm(this);
        return 0;  // `this` is gone
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void Form::Activated(bool active) {
    HWND focus = GetFocus();
    const bool focusInside = focus && IsChild(window_.Get(), focus);
    if (!active) {
        if (focusInside) lastFocus_ = focus;
        RunHandler(spec_.onDeactivate);
        return;
    }
    // As in a dialog, the keyboard focus goes back to the control that had it, or to the first
    // control that takes input (the system has just given it to the form itself).
    if (!focusInside) {
        const bool lastUsable = lastFocus_ && IsChild(window_.Get(), lastFocus_) && IsWindowVisible(lastFocus_) &&
                                IsWindowEnabled(lastFocus_);
        HWND target = lastUsable ? lastFocus_ : FirstTabStop(window_.Get());
        if (target)
            FocusControl(target);
        else
            SetFocus(window_.Get());
    }
    ShowFocusCues();
    Start(spec_.onFirstActivate);
    RunHandler(spec_.onActivate);
}

namespace {
bool IsRadio(HWND window) { return dynamic_cast<TRadioButton*>(Control::From(window)) != nullptr; }
bool Usable(HWND window) { return IsWindowVisible(window) && IsWindowEnabled(window); }
bool IsChecked(HWND window) { return SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED; }
// The radio buttons of `radio`'s group (its container's), in window order.
std::vector<HWND> RadioGroup(HWND radio) {
    std::vector<HWND> group;
    for (HWND sibling = GetWindow(GetParent(radio), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT))
        if (IsRadio(sibling)) group.push_back(sibling);
    return group;
}
}  // namespace

HWND Form::FirstTabStop(HWND container) const {
    for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!Usable(child)) continue;
        if (GetWindowLongA(child, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
            if (HWND inside = FirstTabStop(child)) return inside;
        } else if (GetWindowLongA(child, GWL_STYLE) & WS_TABSTOP) {
            return child;
        }
    }
    return nullptr;
}

HWND Form::NextTabStop(HWND from, bool backwards) const {
    // A radio group is one stop: going back starts from its first button, so that its own tab
    // stop is not the one found.
    if (from && IsRadio(from) && backwards) from = RadioGroup(from).front();
    return GetNextDlgTabItem(window_.Get(), from, backwards ? TRUE : FALSE);
}

void Form::FocusControl(HWND control) {
    if (!control) return;
    // Focus on an unchecked radio button would check it: the group's checked button takes it.
    if (IsRadio(control) && !IsChecked(control))
        for (HWND radio : RadioGroup(control))
            if (Usable(radio) && IsChecked(radio)) control = radio;
    SetFocus(control);
}

void Form::MoveInRadioGroup(HWND from, bool backwards) {
    std::vector<HWND> group;
    for (HWND radio : RadioGroup(from))
        if (radio == from || Usable(radio)) group.push_back(radio);
    const auto at = std::find(group.begin(), group.end(), from);
    if (group.size() < 2 || at == group.end()) return;
    const size_t index = static_cast<size_t>(at - group.begin());
    HWND next = group[(index + (backwards ? group.size() - 1 : 1)) % group.size()];
    SetFocus(next);
    // Arrows choose as they go, as in every radio group of the system.
    if (!IsChecked(next)) SendMessageA(next, BM_CLICK, 0, 0);
}

void Form::ShowFocusCues() {
    SendMessageA(window_.Get(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);
}

bool Form::DialogKey(const MSG& msg) {
    if (msg.message == WM_KEYDOWN && GetKeyState(VK_CONTROL) >= 0 && GetKeyState(VK_MENU) >= 0) {
        HWND focus = GetFocus();
        const bool inside = focus && IsChild(window_.Get(), focus);
        const LRESULT wants = inside ? SendMessageA(focus, WM_GETDLGCODE, msg.wParam, reinterpret_cast<LPARAM>(&msg)) : 0;
        switch (msg.wParam) {
        case VK_TAB:
            if (wants & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) break;
            ShowFocusCues();
            FocusControl(NextTabStop(inside ? focus : nullptr, GetKeyState(VK_SHIFT) < 0));
            return true;
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
            if (!inside || !IsRadio(focus)) break;
            ShowFocusCues();
            MoveInRadioGroup(focus, msg.wParam == VK_LEFT || msg.wParam == VK_UP);
            return true;
        }
    }
    return IsDialogMessageA(window_.Get(), const_cast<MSG*>(&msg)) != FALSE;
}

void Form::Snap(WINDOWPOS& pos) const {
    if (pos.flags & SWP_NOMOVE) return;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT now;
    GetWindowRect(window_.Get(), &now);
    const int width = (pos.flags & SWP_NOSIZE) ? now.right - now.left : pos.cx;
    const int height = (pos.flags & SWP_NOSIZE) ? now.bottom - now.top : pos.cy;
    const int buffer = spec_.snapBuffer;
    if (std::abs(pos.x - work.left) < buffer) pos.x = work.left;
    else if (std::abs(work.right - (pos.x + width)) < buffer) pos.x = work.right - width;
    if (std::abs(pos.y - work.top) < buffer) pos.y = work.top;
    else if (std::abs(work.bottom - (pos.y + height)) < buffer) pos.y = work.bottom - height;
}

void Form::Show() {
    if (Visible()) {
        BringToFront();
        return;
    }
    if (!shownOnce_ && spec_.position == FormPosition::ScreenCenter) {
        RECT rect;
        GetWindowRect(window_.Get(), &rect);
        const int width = rect.right - rect.left, height = rect.bottom - rect.top;
        SetWindowPos(window_.Get(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                     (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        KeepInWorkArea();
    }
    // A form laid out above 96 DPI opens inside the work area, where its designed place would leave
    // part of it outside. (At 96 DPI the layouts keep their designed places.)
    if (!shownOnce_ && dpi_ > 96) KeepInWorkArea();
    shownOnce_ = true;
    App().UpdateTaskbarButton(true);
    ShowWindow(window_.Get(), spec_.showActivates ? SW_SHOW : SW_SHOWNA);
    // A window opened to be used takes the keyboard: the foreground, not only its thread's activation.
    if (spec_.showActivates) SetForegroundWindow(window_.Get());
    RunHandler(spec_.onShow);
    if (!spec_.showActivates) Start(spec_.onFirstActivate);
}

void Form::Hide() {
    if (!window_) return;
    ShowWindow(window_.Get(), SW_HIDE);
    App().UpdateTaskbarButton();
    // A hidden form keeps no pictures: they are made again when it next paints.
    background_.Reset();
    backgroundBitmap_.Reset();
    for (Component* component : order_)
        if (auto* picture = dynamic_cast<TImage*>(component)) picture->Unload();
}

bool Form::Visible() const { return window_ && (GetWindowLongA(window_.Get(), GWL_STYLE) & WS_VISIBLE) != 0; }

void Form::BringToFront() { SetWindowPos(window_.Get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

void Form::Close() {
    if (modal_) {
        // The modal loop sees the result and closes the form itself.
        if (modalResult_ == 0) modalResult_ = IDCANCEL;
        return;
    }
    CloseAction action = CloseAction::Hide;
    if (spec_.onClose && loaded_) (this->*spec_.onClose)(action);
    if (action == CloseAction::None) return;
    if (this == App().MainForm()) {
        App().Terminate();
        return;
    }
    switch (action) {
    case CloseAction::Hide:
        Hide();
        break;
    case CloseAction::Free:
        Hide();
        Release();
        break;
    case CloseAction::Minimize:
        ShowWindow(window_.Get(), SW_MINIMIZE);
        break;
    case CloseAction::None:
        break;
    }
}

int Form::ShowModal() {
    if (Visible() || modal_) throw Exception("Cannot make a visible window modal", "EInvalidOperation");
    Application& app = App();
    const std::vector<HWND> disabled = app.DisableTaskWindows(window_.Get());
    modal_ = true;
    modalResult_ = 0;
    Show();
    for (;;) {
        try {
            app.HandleMessage();
        } catch (...) {
            app.HandleException(std::current_exception());
        }
        if (app.Terminated() && modalResult_ == 0) modalResult_ = IDCANCEL;
        if (modalResult_ == 0) continue;
        CloseAction action = CloseAction::Hide;
        if (spec_.onClose) (this->*spec_.onClose)(action);
        if (action != CloseAction::None || app.Terminated()) break;
        modalResult_ = 0;
    }
    // The other windows come back before this one hides, so one of them takes the activation.
    app.EnableTaskWindows(disabled);
    modal_ = false;
    Hide();
    return modalResult_;
}

void Form::Release() {
    if (releasing_) return;
    releasing_ = true;
    PostMessageA(window_.Get(), kReleaseMessage, 0, 0);
}

void Form::HandOverOpenWindows(Form& heir) {
    for (auto it = owned_.begin(); it != owned_.end();) {
        Form& form = **it;
        if (!form.Visible()) {
            ++it;
            continue;
        }
        form.owner_ = &heir;
        SetWindowLongPtrA(form.Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(heir.Handle()));
        heir.owned_.push_back(std::move(*it));
        it = owned_.erase(it);
    }
}

void Form::ReleaseOwned(Form* form) {
    for (auto it = owned_.begin(); it != owned_.end(); ++it)
        if (it->get() == form) {
            std::unique_ptr<Form> doomed = std::move(*it);
            owned_.erase(it);
            return;
        }
}

void Form::SetCaption(const std::string& caption) { SetWindowTextA(window_.Get(), caption.c_str()); }

std::string Form::Caption() const {
    char text[512] = {};
    GetWindowTextA(window_.Get(), text, sizeof(text));
    return text;
}

int Form::Left() const {
    RECT rect;
    GetWindowRect(window_.Get(), &rect);
    return rect.left;
}

int Form::Top() const {
    RECT rect;
    GetWindowRect(window_.Get(), &rect);
    return rect.top;
}

void Form::SetPosition(int left, int top) {
    SetWindowPos(window_.Get(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace ui
