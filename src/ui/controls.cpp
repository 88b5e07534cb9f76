#include "ui/controls.h"

#include "ui/application.h"
#include "ui/dpi.h"
#include "ui/form.h"

#include <commctrl.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ui {

namespace {
constexpr const char* kControlProperty = "QvControl";
}

COLORREF Color::Resolve() const {
    if (value & kSystemFlag) return GetSysColor(static_cast<int>(value & 0xFF));
    return value;
}

// ---- Control ----

Control::Control(Form& owner, const ControlSpec& row)
    : Component(owner, row.name), spec_(row), fontColor_(owner.ColorFor(row)), hint_(row.hint ? row.hint : "") {}

Control::~Control() {
    if (window_ && IsWindow(window_)) {
        if (original_) SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        RemovePropA(window_, kControlProperty);
        DestroyWindow(window_);
    }
}

void Control::Attach(HWND window) {
    window_ = window;
    SetPropA(window, kControlProperty, this);
}

Control* Control::From(HWND window) { return window ? static_cast<Control*>(GetPropA(window, kControlProperty)) : nullptr; }

void Control::Subclass() {
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::SubclassProc)));
}

LRESULT CALLBACK Control::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = From(window);
    if (!control) return DefWindowProcA(window, message, wParam, lParam);
    LRESULT result = 0;
    bool handled = false;
    Guarded([&] {
        handled = control->OwnMessage(message, wParam, lParam, result);
        return LRESULT{0};
    });
    return handled ? result : control->CallOriginal(message, wParam, lParam);
}

LRESULT Control::CallOriginal(UINT message, WPARAM wParam, LPARAM lParam) {
    return original_ ? CallWindowProcA(original_, window_, message, wParam, lParam)
                     : DefWindowProcA(window_, message, wParam, lParam);
}

void Control::RunHandler(Handler handler) { Owner().RunHandler(handler); }

std::string Control::Text() const {
    const int length = GetWindowTextLengthA(window_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    text.resize(static_cast<size_t>(GetWindowTextA(window_, text.data(), length + 1)));
    return text;
}

void Control::SetText(const std::string& text) { SetWindowTextA(window_, text.c_str()); }

bool Control::Visible() const { return (GetWindowLongA(window_, GWL_STYLE) & WS_VISIBLE) != 0; }

void Control::SetVisible(bool visible) { ShowWindow(window_, visible ? SW_SHOWNA : SW_HIDE); }

bool Control::Enabled() const { return IsWindowEnabled(window_) != FALSE; }

void Control::SetEnabled(bool enabled) { EnableWindow(window_, enabled ? TRUE : FALSE); }

RECT Control::BoundsRect() const {
    RECT rect{};
    GetWindowRect(window_, &rect);
    MapWindowPoints(nullptr, GetParent(window_), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void Control::SetBounds(int left, int top, int width, int height) {
    SetWindowPos(window_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Control::SetFontColor(Color color) {
    fontColor_ = color;
    InvalidateRect(window_, nullptr, TRUE);
}

// ---- TLabel ----

void TLabel::SetText(const std::string& text) {
    if (text == Text()) return;
    Control::SetText(text);
    AdjustSize();
    if (!spec_.autoSize) Owner().FitText(*this);
}

void TLabel::AdjustSize() {
    if (!spec_.autoSize) return;
    const RECT old = BoundsRect();
    const std::string current = Text();
    const char* text = current.empty() ? " " : current.c_str();  // an empty label keeps a line's height
    RECT size{0, 0, spec_.wordWrap ? old.right - old.left : 0, 0};
    {
        const common::WindowDc dc = common::GetWindowDc(window_);
        const common::Selection font =
            common::Select(dc.Get(), reinterpret_cast<HGDIOBJ>(SendMessageA(window_, WM_GETFONT, 0, 0)));
        const UINT format = DT_CALCRECT | DT_NOPREFIX | (spec_.wordWrap ? DT_WORDBREAK : DT_SINGLELINE);
        DrawTextA(dc.Get(), text, -1, &size, format);
    }

    const int width = size.right - size.left;
    const int height = size.bottom - size.top;
    int left = old.left;
    if (spec_.align == Align::Right) left = old.right - width;
    if (spec_.align == Align::Center) left = old.left + (old.right - old.left - width) / 2;
    if (left == old.left && width == old.right - old.left && height == old.bottom - old.top) return;
    SetBounds(left, old.top, width, height);
    // The parent shows again where the label was.
    InvalidateRect(GetParent(window_), &old, TRUE);
}

// ---- Buttons ----

void TButton::Click() { RunHandler(spec_.onClick); }

void TButton::Command(WORD code) {
    // A disabled button sends no click on Windows; Wine's BM_CLICK sends one all the same.
    if (code == BN_CLICKED && Enabled()) Click();
}

bool TCheckBox::Checked() const { return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void TCheckBox::SetChecked(bool checked) {
    if (checked == Checked()) return;
    SendMessageA(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    RunHandler(spec_.onClick);
}

void TCheckBox::Command(WORD code) {
    if (code == BN_CLICKED) RunHandler(spec_.onClick);
}

bool TRadioButton::Checked() const { return SendMessageA(window_, BM_GETCHECK, 0, 0) == BST_CHECKED; }

namespace {
// Radio buttons form one group per container: checking one unchecks the others beside it.
void UncheckSiblings(HWND self) {
    for (HWND sibling = GetWindow(GetParent(self), GW_CHILD); sibling; sibling = GetWindow(sibling, GW_HWNDNEXT)) {
        if (sibling == self || !dynamic_cast<TRadioButton*>(Control::From(sibling))) continue;
        SendMessageA(sibling, BM_SETCHECK, BST_UNCHECKED, 0);
    }
}
}  // namespace

void TRadioButton::SetChecked(bool checked) {
    const bool was = Checked();
    if (checked) UncheckSiblings(window_);
    SendMessageA(window_, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    if (checked && !was) RunHandler(spec_.onClick);
}

void TRadioButton::Command(WORD code) {
    if (code != BN_CLICKED) return;
    UncheckSiblings(window_);
    SendMessageA(window_, BM_SETCHECK, BST_CHECKED, 0);
    RunHandler(spec_.onClick);
}

int CheckedValue(std::initializer_list<Choice> group, int none) {
    int value = none;
    for (const Choice& choice : group)
        if (choice.button.Checked()) value = choice.value;
    return value;
}

// ---- Combo box ----

void TComboBox::Clear() { SendMessageA(window_, CB_RESETCONTENT, 0, 0); }

void TComboBox::Add(const std::string& item) {
    SendMessageA(window_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

int TComboBox::Count() const { return static_cast<int>(SendMessageA(window_, CB_GETCOUNT, 0, 0)); }

std::string TComboBox::Item(int index) const {
    const LRESULT length = SendMessageA(window_, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::string text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(window_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

int TComboBox::ItemIndex() const { return static_cast<int>(SendMessageA(window_, CB_GETCURSEL, 0, 0)); }

void TComboBox::SetItemIndex(int index) { SendMessageA(window_, CB_SETCURSEL, index, 0); }

void TComboBox::Choose(int index) {
    SetItemIndex(index);
    RunHandler(spec_.onClick);
}

void TComboBox::Command(WORD code) {
    if (code == CBN_SELCHANGE) RunHandler(spec_.onClick);
}

// ---- Track bar and progress bar ----

WORD THotKey::Value() const { return LOWORD(SendMessageA(window_, HKM_GETHOTKEY, 0, 0)); }

void THotKey::SetValue(WORD value) { SendMessageA(window_, HKM_SETHOTKEY, value, 0); }

int TTrackBar::Position() const { return static_cast<int>(SendMessageA(window_, TBM_GETPOS, 0, 0)); }

void TTrackBar::SetPosition(int position) { SendMessageA(window_, TBM_SETPOS, TRUE, position); }

void TTrackBar::SetRange(int min, int max) {
    SendMessageA(window_, TBM_SETRANGEMIN, FALSE, min);
    SendMessageA(window_, TBM_SETRANGEMAX, TRUE, max);
    last_ = Position();
}

void TTrackBar::Scroll() {
    const int now = Position();
    if (now == last_) return;
    last_ = now;
    RunHandler(spec_.onClick);
}

bool TTrackBar::OwnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message != TBM_SETPOS) return false;
    result = CallOriginal(message, wParam, lParam);
    Scroll();
    return true;
}

// The control repaints itself at once for every new position, even when the filled part keeps its
// width; with a position per received block that paint costs far more than the block. So a
// position that leaves the picture as it is stays here, and the control gets it only when the
// filled width changes, when its range or size changes, or when someone else sets it; until then
// the control answers PBM_GETPOS with it.

// The control is asked directly, past the subclass procedure, whose look-up of the control costs a
// round trip to the window server under Wine.
int TProgressBar::Ask(UINT message, WPARAM wParam) const {
    return static_cast<int>(const_cast<TProgressBar*>(this)->CallOriginal(message, wParam, 0));
}

int TProgressBar::Position() const { return held_ ? position_ : Ask(PBM_GETPOS, 0); }

int TProgressBar::FillWidth(int position, int min, int max) const {
    if (max <= min) return 0;
    RECT client;
    GetClientRect(window_, &client);
    return MulDiv(client.right - client.left, position - min, max - min);
}

void TProgressBar::SetPosition(int position) {
    const int min = Ask(PBM_GETRANGE, TRUE);
    const int max = Max();
    position = position < min ? min : position > max ? max : position;  // as the control keeps it
    const int drawn = Ask(PBM_GETPOS, 0);
    if (FillWidth(position, min, max) == FillWidth(drawn, min, max)) {
        held_ = position != drawn;
        position_ = position;
        return;
    }
    held_ = false;
    CallOriginal(PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TProgressBar::HandOver() {
    if (!held_) return;
    held_ = false;
    CallOriginal(PBM_SETPOS, static_cast<WPARAM>(position_), 0);
}

bool TProgressBar::OwnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
    case PBM_GETPOS:
        if (!held_) return false;
        result = position_;
        return true;
    case PBM_SETPOS:
    case PBM_DELTAPOS:
    case PBM_STEPIT:
    case PBM_SETRANGE:
    case PBM_SETRANGE32:
        HandOver();
        return false;
    case WM_SIZE:
        result = CallOriginal(message, wParam, lParam);
        HandOver();
        return true;
    default:
        return false;
    }
}

int TProgressBar::Max() const { return Ask(PBM_GETRANGE, FALSE); }

void TProgressBar::SetMax(int max) {
    // A new range repaints the whole bar: only when it really changes.
    if (max != Max()) SendMessageA(window_, PBM_SETRANGE32, 0, max);
}

// ---- TNotebook ----

void TNotebook::SetActivePage(const std::string& page) {
    Control* shown = nullptr;
    for (Control* each : pages_)
        if (each->Name() == page) shown = each;
    if (!shown) throw std::logic_error("no notebook page named " + page);
    active_ = page;
    HWND focus = GetFocus();
    const bool focusInside = focus && IsChild(window_, focus);
    for (Control* each : pages_)
        if (each != shown) each->SetVisible(false);
    shown->SetVisible(true);
    // The keyboard goes on in the page now shown, where the hidden page had it.
    if (focusInside) Owner().FocusControl(Owner().FirstTabStop(shown->Handle()));
}

// ---- TImage ----

HBITMAP LoadPicture(const char* resource) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, resource, MAKEINTRESOURCEA(10));  // RT_RCDATA
    if (!found) return nullptr;
    const DWORD size = SizeofResource(module, found);
    const auto* packed = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    if (!packed || size < 4) return nullptr;
    const uint32_t length = packed[0] | packed[1] << 8 | packed[2] << 16 | static_cast<uint32_t>(packed[3]) << 24;
    if (length < sizeof(BITMAPINFOHEADER) || length > (64u << 20)) return nullptr;

    // The header and palette are unpacked first, the pixels straight into the bitmap: no copy
    // of the whole picture is left behind in the heap.
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return nullptr;
    struct Finish {
        z_stream& stream;
        ~Finish() { inflateEnd(&stream); }
    } finish{stream};
    stream.next_in = const_cast<Bytef*>(packed + 4);
    stream.avail_in = size - 4;
    auto unpack = [&stream](void* out, size_t count) {
        if (count == 0) return true;
        stream.next_out = static_cast<Bytef*>(out);
        stream.avail_out = static_cast<uInt>(count);
        const int result = inflate(&stream, Z_SYNC_FLUSH);
        return stream.avail_out == 0 && (result == Z_OK || result == Z_STREAM_END);
    };
    BITMAPINFOHEADER header;
    if (!unpack(&header, sizeof(header))) return nullptr;
    if (header.biSize < sizeof(header) || header.biSize > length || header.biCompression != BI_RGB ||
        header.biWidth <= 0 || header.biHeight == 0 || header.biWidth > 16384 || std::abs(header.biHeight) > 16384)
        return nullptr;
    const size_t colours = header.biClrUsed ? header.biClrUsed : header.biBitCount <= 8 ? 1u << header.biBitCount : 0;
    const size_t offset = header.biSize + colours * sizeof(RGBQUAD);
    const size_t stride = (static_cast<size_t>(header.biWidth) * header.biBitCount + 31) / 32 * 4;
    const size_t bitsSize = stride * static_cast<size_t>(std::abs(header.biHeight));
    if (colours > 256 || offset + bitsSize > length) return nullptr;
    std::vector<unsigned char> info(offset);
    std::memcpy(info.data(), &header, sizeof(header));
    if (!unpack(info.data() + sizeof(header), offset - sizeof(header))) return nullptr;
    void* bits = nullptr;
    common::GdiObject bitmap(CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                              &bits, nullptr, 0));
    if (!bitmap || !unpack(bits, bitsSize)) return nullptr;
    return static_cast<HBITMAP>(bitmap.Release());
}

TImage::TImage(Form& owner, const ControlSpec& row) : Component(owner, row.name), spec_(row) {}

HBITMAP TImage::Bitmap() const {
    if (!bitmap_ && spec_.resource) bitmap_.Reset(LoadPicture(spec_.resource));
    return static_cast<HBITMAP>(bitmap_.Get());
}

void TImage::Draw(HDC dc, int dpi) const {
    if (!Bitmap()) return;
    BITMAP info{};
    GetObjectA(bitmap_.Get(), sizeof(info), &info);
    const Bounds& b = spec_.bounds;
    const int left = ScaleToDpi(b.left, dpi), top = ScaleToDpi(b.top, dpi);
    const int width = ScaleToDpi(b.left + b.width, dpi) - left, height = ScaleToDpi(b.top + b.height, dpi) - top;
    const int pictureWidth = ScaleToDpi(info.bmWidth, dpi), pictureHeight = ScaleToDpi(info.bmHeight, dpi);
    int x = left, y = top;
    if (spec_.pictureMode == PictureMode::Centered) {
        x += (width - pictureWidth) / 2;
        y += (height - pictureHeight) / 2;
    }
    const common::MemoryDc source(CreateCompatibleDC(dc));
    const common::Selection picture = common::Select(source.Get(), bitmap_.Get());
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, left, top, left + width, top + height);
    if (pictureWidth == info.bmWidth && pictureHeight == info.bmHeight) {
        BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source.Get(), 0, 0, SRCCOPY);
    } else {
        SetStretchBltMode(dc, HALFTONE);
        SetBrushOrgEx(dc, 0, 0, nullptr);  // as HALFTONE requires
        StretchBlt(dc, x, y, pictureWidth, pictureHeight, source.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    }
    RestoreDC(dc, saved);
}

}  // namespace ui
