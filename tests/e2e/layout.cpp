#include "layout.h"

#include "driver.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>

namespace e2e {

namespace {
struct WalkState {
    HWND top;
    std::vector<SeenControl>* seen;
};

BOOL CALLBACK Visit(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<WalkState*>(param);
    SeenControl c;
    c.window = window;
    char cls[128] = {};
    GetClassNameA(window, cls, sizeof(cls));
    c.cls = cls;
    c.text = Text(window);
    HWND parent = GetParent(window);
    if (parent != state->top) c.in = Text(parent);
    GetWindowRect(window, &c.bounds);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&c.bounds), 2);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    c.visible = (style & WS_VISIBLE) != 0;
    c.enabled = (style & WS_DISABLED) == 0;
    const LONG kind = style & BS_TYPEMASK;
    if (lstrcmpiA(cls, kButton) == 0 &&
        (kind == BS_AUTOCHECKBOX || kind == BS_CHECKBOX || kind == BS_AUTORADIOBUTTON || kind == BS_RADIOBUTTON))
        c.checked = SendMessageA(window, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
    state->seen->push_back(c);
    return TRUE;
}

HFONT ExpectedFont(const char* face, int height, bool bold) {
    return CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
}

// The size of a one-line text in a font, as a label sizing itself to its text gets it.
SIZE TextExtent(const std::string& text, const char* face, int height, bool bold) {
    HFONT font = ExpectedFont(face, height, bold);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, 0, 0};
    DrawTextA(dc, text.empty() ? " " : text.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return {r.right - r.left, r.bottom - r.top};
}

// A 32-bit bitmap to copy or draw into, read back as COLORREF values row by row.
class Canvas {
public:
    Canvas(int width, int height) : width_(width), height_(height) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = width;
        info.bmiHeader.biHeight = -height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas() {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    HDC Dc() const { return dc_; }
    std::vector<COLORREF> Pixels() const {
        GdiFlush();
        std::vector<COLORREF> pixels;
        const auto* p = static_cast<const DWORD*>(bits_);
        for (int i = 0; bits_ && i < width_ * height_; ++i)
            pixels.push_back(RGB((p[i] >> 16) & 0xFF, (p[i] >> 8) & 0xFF, p[i] & 0xFF));
        return pixels;
    }

private:
    int width_, height_;
    void* bits_ = nullptr;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

// The screen's pixels under a screen rectangle.
std::vector<COLORREF> ScreenPixels(const RECT& area) {
    const int w = area.right - area.left, h = area.bottom - area.top;
    if (w <= 0 || h <= 0) return {};
    Canvas canvas(w, h);
    HDC screen = GetDC(nullptr);
    BitBlt(canvas.Dc(), 0, 0, w, h, screen, area.left, area.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    return canvas.Pixels();
}

// The width of the columns holding pixels of `color` among a rectangle's pixels, first to last.
int InkWidth(const std::vector<COLORREF>& pixels, int width, COLORREF color) {
    int first = width, last = -1;
    for (size_t i = 0; i < pixels.size(); ++i) {
        if (pixels[i] != color) continue;
        const int x = static_cast<int>(i % static_cast<size_t>(width));
        first = std::min(first, x);
        last = std::max(last, x);
    }
    return last < first ? 0 : last - first + 1;
}

int InkWidth(const RECT& area, COLORREF color) { return InkWidth(ScreenPixels(area), area.right - area.left, color); }

// The ink width of a one-line text drawn in black in a font: what a caption in that font shows.
int InkWidth(const std::string& text, const char* face, int height, bool bold) {
    const int width = 1024, rows = 64;
    Canvas canvas(width, rows);
    HFONT font = ExpectedFont(face, height, bold);
    HGDIOBJ oldFont = SelectObject(canvas.Dc(), font);
    RECT all{0, 0, width, rows};
    FillRect(canvas.Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(canvas.Dc(), RGB(0, 0, 0));
    SetBkMode(canvas.Dc(), TRANSPARENT);
    TextOutA(canvas.Dc(), 8, 8, text.c_str(), static_cast<int>(text.size()));
    const int ink = InkWidth(canvas.Pixels(), width, RGB(0, 0, 0));
    SelectObject(canvas.Dc(), oldFont);
    DeleteObject(font);
    return ink;
}

bool HasFocus(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info) && info.hwndFocus == window;
}

bool IsPushButton(const SeenControl& c) {
    const LONG kind = GetWindowLongA(c.window, GWL_STYLE) & BS_TYPEMASK;
    return lstrcmpiA(c.cls.c_str(), kButton) == 0 && (kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON);
}

std::string Hex(COLORREF c) {
    char text[16];
    wsprintfA(text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

std::string Describe(const RECT& r) {
    std::ostringstream s;
    s << r.left << "," << r.top << " " << (r.right - r.left) << "x" << (r.bottom - r.top);
    return s.str();
}

void ApplyChanges(std::vector<ExpectedControl>& rows, const std::vector<Change>& changes) {
    for (const Change& change : changes) {
        auto row = std::find_if(rows.begin(), rows.end(),
                                [&](const ExpectedControl& r) { return std::string(r.name) == change.name; });
        if (row == rows.end()) {
            ADD_FAILURE() << "no row " << change.name << " to change";
            continue;
        }
        switch (change.what) {
        case Change::Text: row->text = change.text; break;
        case Change::Shown: row->state &= ~kHidden; break;
        case Change::Hidden: row->state |= kHidden; break;
        case Change::Enabled: row->state &= ~kDisabled; break;
        case Change::Disabled: row->state |= kDisabled; break;
        case Change::Checked: row->state |= kChecked; break;
        case Change::Unchecked: row->state &= ~kChecked; break;
        }
    }
}

void ExpectWindow(HWND window, const ExpectedWindow& expected) {
    const std::string who = expected.cls;
    char cls[128] = {};
    GetClassNameA(window, cls, sizeof(cls));
    EXPECT_STREQ(cls, expected.cls);
    EXPECT_EQ(Text(window), expected.caption) << who;
    RECT client, outer;
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    const RECT& measured = expected.outerSize ? RECT{0, 0, outer.right - outer.left, outer.bottom - outer.top} : client;
    EXPECT_EQ(measured.right, expected.width) << who << (expected.outerSize ? " width" : " client width");
    EXPECT_EQ(measured.bottom, expected.height) << who << (expected.outerSize ? " height" : " client height");

    const LONG style = GetWindowLongA(window, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    const bool sizeable = (style & WS_THICKFRAME) != 0;
    const bool bordered = (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) != 0;
    EXPECT_EQ(sizeable, expected.frame == kSizeableFrame) << who << " sizeable border";
    EXPECT_EQ(bordered, expected.frame != kNoFrame) << who << " border";
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, expected.captionBar) << who << " caption bar";
    EXPECT_EQ((style & WS_SYSMENU) != 0, expected.systemMenu) << who << " system menu";
    EXPECT_EQ((style & WS_MINIMIZEBOX) != 0, expected.minimizeBox) << who << " minimise box";
    EXPECT_EQ((style & WS_MAXIMIZEBOX) != 0, expected.maximizeBox) << who << " maximise box";

    if (expected.left == kCentred) {
        const int dx = (outer.left + outer.right) - ScreenWidth();
        const int dy = (outer.top + outer.bottom) - ScreenHeight();
        EXPECT_LE(std::abs(dx), 2) << who << " not centred across: " << Describe(outer);
        EXPECT_LE(std::abs(dy), 2) << who << " not centred down: " << Describe(outer);
    } else {
        EXPECT_EQ(outer.left, expected.left) << who << " left";
        EXPECT_EQ(outer.top, expected.top) << who << " top";
    }

    BYTE alpha = 0;
    COLORREF key = 0;
    DWORD flags = 0;
    const bool layered = (exStyle & WS_EX_LAYERED) != 0;
    EXPECT_EQ(layered, expected.alpha != 0) << who << " layered";
    if (layered && GetLayeredWindowAttributes(window, &key, &alpha, &flags)) {
        EXPECT_TRUE(flags & LWA_ALPHA) << who;
        EXPECT_EQ(alpha, expected.alpha) << who << " opacity";
        EXPECT_EQ((flags & LWA_COLORKEY) != 0, expected.key != kNoKey) << who << " transparency key";
        if (expected.key != kNoKey && (flags & LWA_COLORKEY)) {
            EXPECT_EQ(Hex(key), Hex(expected.key)) << who;
        }
    }
    if (expected.background.x >= 0 && !layered) {
        POINT at = expected.background;
        ClientToScreen(window, &at);
        const auto pixel = ScreenPixels({at.x, at.y, at.x + 1, at.y + 1});
        ASSERT_EQ(pixel.size(), 1u);
        EXPECT_EQ(Hex(pixel[0]), Hex(expected.color)) << who << " window colour";
    }
}

// The control for a row: same class, container and text; among equals the one designed at that top.
const SeenControl* Match(const std::vector<SeenControl>& seen, std::vector<bool>& used, const ExpectedControl& row,
                         const std::string& in) {
    const SeenControl* best = nullptr;
    for (size_t i = 0; i < seen.size(); ++i) {
        const SeenControl& c = seen[i];
        if (used[i] || lstrcmpiA(c.cls.c_str(), row.cls) != 0 || c.in != in || c.text != row.text) continue;
        if (!best || c.bounds.top == row.top) best = &c;
        if (c.bounds.top == row.top) break;
    }
    if (best) used[static_cast<size_t>(best - seen.data())] = true;
    return best;
}
}  // namespace

std::vector<SeenControl> Walk(HWND top) {
    std::vector<SeenControl> seen;
    WalkState state{top, &seen};
    EnumChildWindows(top, Visit, reinterpret_cast<LPARAM>(&state));
    return seen;
}

void ExpectLayout(HWND window, const ExpectedWindow& expected, const std::vector<Change>& changes) {
    ASSERT_NE(window, nullptr) << expected.cls;
    ExpectWindow(window, expected);
    const bool layered = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_LAYERED) != 0;

    std::vector<ExpectedControl> rows = expected.controls;
    ApplyChanges(rows, changes);
    std::map<std::string, std::string> containerText;
    for (const ExpectedControl& row : rows) containerText[row.name] = row.text;

    const std::vector<SeenControl> seen = Walk(window);
    std::vector<bool> used(seen.size(), false);
    for (const ExpectedControl& row : rows) {
        const std::string who = std::string(expected.cls) + "." + row.name;
        const std::string in = *row.in ? containerText[row.in] : "";
        const SeenControl* c = Match(seen, used, row, in);
        if (!c) {
            ADD_FAILURE() << who << ": no " << row.cls << " \"" << row.text << "\"" << (*row.in ? " in " : "")
                          << row.in;
            continue;
        }
        const int height = row.fontHeight ? row.fontHeight : expected.fontHeight;
        const SIZE text = TextExtent(row.text, expected.fontFace, height, row.bold);
        const int width = row.width == kTextSize || (row.state & kKeepsRight) ? text.cx : row.width;
        const int left = row.state & kKeepsRight ? row.left + row.width - width : row.left;
        const RECT want{left, row.top, left + width, row.top + (row.height == kTextSize ? text.cy : row.height)};
        EXPECT_EQ(Describe(c->bounds), Describe(want)) << who << " place and size";
        EXPECT_EQ(c->visible, !(row.state & kHidden)) << who << " visible";
        EXPECT_EQ(c->enabled, !(row.state & kDisabled)) << who << " enabled";
        if (c->checked >= 0) {
            EXPECT_EQ(c->checked, (row.state & kChecked) ? 1 : 0) << who << " checked";
        }

        const COLORREF color = row.color == kFormColor ? expected.fontColor : row.color;
        // A button draws its caption in one colour (push buttons in the system's, the others in the
        // window's); the ink is as wide as the caption drawn here in the expected font. Left out:
        // greyed captions, captions cut by a narrow button, the focused button's dotted frame.
        const int box = IsPushButton(*c) ? 8 : 18;
        const COLORREF captionColor = IsPushButton(*c) ? GetSysColor(COLOR_BTNTEXT) : color;
        if ((IsPushButton(*c) || c->checked >= 0) && IsWindowVisible(c->window) && c->enabled && !layered &&
            !HasFocus(c->window) && text.cx <= c->bounds.right - c->bounds.left - box && captionColor != kAnyColor) {
            RECT inside;
            GetWindowRect(c->window, &inside);
            InflateRect(&inside, -2, -2);
            int ink = 0;
            WaitFor([&] { return (ink = InkWidth(inside, captionColor)) > 0; }, 3000);
            EXPECT_NEAR(ink, InkWidth(row.text, expected.fontFace, height, row.bold), 1)
                << who << ": caption not drawn in " << Hex(captionColor) << " " << expected.fontFace << " " << height
                << (row.bold ? " bold" : "");
        }
        if (color != kAnyColor && !layered && lstrcmpiA(row.cls, kLabel) == 0 && IsWindowVisible(c->window) &&
            !row.text.empty()) {
            RECT onScreen;
            GetWindowRect(c->window, &onScreen);
            // A busy machine may paint late: the text has a while to appear.
            const bool painted = WaitFor(
                [&] {
                    const auto pixels = ScreenPixels(onScreen);
                    return std::find(pixels.begin(), pixels.end(), color) != pixels.end();
                },
                3000);
            EXPECT_TRUE(painted) << who << ": no text pixel of " << Hex(color);
        }
    }
    for (size_t i = 0; i < seen.size(); ++i)
        if (!used[i])
            ADD_FAILURE() << expected.cls << ": unexpected " << seen[i].cls << " \"" << seen[i].text << "\" at "
                          << Describe(seen[i].bounds) << (seen[i].in.empty() ? "" : " in ") << seen[i].in;
}

}  // namespace e2e
