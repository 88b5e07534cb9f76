// Every window of both programs at the DPI the Wine prefix runs at (QV_LOG_PIXELS; ctest runs this
// at 96, 120, 144 and 192): each window has its layout's size scaled by DPI / 96, its controls sit
// at their scaled places, and every text fits the control that shows it.
#include "driver.h"
#include "layout.h"
#include "layouts.h"

#include <commctrl.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <map>

namespace e2e {
namespace {

int ScreenDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

// The DPI the window looked at is laid out for: the screen's, unless a window would not fit there.
int layoutDpi = 0;

int Scaled(int value) { return MulDiv(value, layoutDpi ? layoutDpi : ScreenDpi(), 96); }

// Another program's windows are seen in their real pixels only by a DPI-aware program.
void BeDpiAware() {
    using SetAwareFn = BOOL(WINAPI*)();
    auto setAware = reinterpret_cast<SetAwareFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SetProcessDPIAware")));
    if (setAware) setAware();
}

// The question after a change of the display mode (it has no row in the layout tables).
ExpectedWindow KeepOrRevert() {
    ExpectedWindow w{"Tconfirm", "Quorvex", 300, 104, kFixedFrame, true, true, false, false, kCentred, 0, 0, kNoKey,
                     {-1, -1}, kAnyColor, "Tahoma", -11, kAnyColor, {
        {.name = "Label1", .cls = kLabel, .text = "Keep these display settings?", .left = 16, .top = 16, .bold = true},
        {.name = "countdown", .cls = kLabel, .text = "", .left = 16, .top = 40, .width = 268, .height = 13},
        {.name = "Button1", .cls = kButton, .text = "Keep settings", .left = 112, .top = 68, .width = 97, .height = 25},
        {.name = "Button2", .cls = kButton, .text = "Revert", .left = 216, .top = 68, .width = 75, .height = 25},
    }};
    return w;
}

SIZE Extent(const std::string& text, const char* face, int height, bool bold, int wrapWidth) {
    HFONT font = CreateFontA(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    SIZE size{};
    if (wrapWidth > 0) {
        RECT r{0, 0, wrapWidth, 0};
        DrawTextA(dc, text.c_str(), -1, &r, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
        size = {r.right - r.left, r.bottom - r.top};
    } else {
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
    }
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    DeleteObject(font);
    return size;
}

// The window's size, and for every control with a text: its place is the row's scaled (which
// tells which row it is, and so its font), and the text in that font fits its client rectangle.
void ExpectScaled(HWND window, const ExpectedWindow& table) {
    ASSERT_NE(window, nullptr) << table.cls;
    SCOPED_TRACE(table.cls);
    RECT size;
    if (table.outerSize) {
        GetWindowRect(window, &size);
    } else {
        GetClientRect(window, &size);
    }
    // A window's outer size is limited to what the screen holds (the system's largest tracking size).
    const int maxWidth = table.outerSize ? GetSystemMetrics(SM_CXMAXTRACK) : INT_MAX;
    const int maxHeight = table.outerSize ? GetSystemMetrics(SM_CYMAXTRACK) : INT_MAX;
    EXPECT_NEAR(size.right - size.left, std::min(Scaled(table.width), maxWidth), 1) << "width";
    EXPECT_NEAR(size.bottom - size.top, std::min(Scaled(table.height), maxHeight), 1) << "height";

    std::map<std::string, std::string> containerText;
    for (const ExpectedControl& row : table.controls) containerText[row.name] = row.text;
    int texts = 0;
    for (const SeenControl& seen : Walk(window)) {
        if (seen.text.empty() || (seen.cls != kLabel && seen.cls != kButton)) continue;
        // The row designed nearest to where the control is, among those of its class and container.
        const ExpectedControl* row = nullptr;
        int distance = INT_MAX;
        for (const ExpectedControl& r : table.controls) {
            const std::string in = *r.in ? containerText[r.in] : "";
            if (seen.cls != r.cls || seen.in != in) continue;
            const int d = std::abs(Scaled(r.top) - seen.bounds.top) * 4 + std::abs(Scaled(r.left) - seen.bounds.left);
            if (d < distance) row = &r, distance = d;
        }
        const std::string who = seen.text;
        ASSERT_NE(row, nullptr) << who;
        EXPECT_LE(std::abs(Scaled(row->top) - seen.bounds.top), 1) << who << ": top";
        if (!(row->state & kKeepsRight)) {
            EXPECT_LE(std::abs(Scaled(row->left) - seen.bounds.left), 1) << who << ": left";
        }

        RECT client;
        GetClientRect(seen.window, &client);
        const LONG style = GetWindowLongA(seen.window, GWL_STYLE);
        const bool wraps = seen.cls == kLabel && (style & SS_TYPEMASK) != SS_LEFTNOWORDWRAP;
        // The designed font, or where its line would run past the window, the size down to 80 % of
        // it the program may set it in instead (another process's font cannot be asked for).
        const int height = Scaled(row->fontHeight ? row->fontHeight : table.fontHeight);
        SIZE text = Extent(seen.text, table.fontFace, height, row->bold, wraps ? client.right : 0);
        int besides = 0;  // what a button draws beside its caption
        if (seen.cls == kButton) {
            const LONG kind = style & BS_TYPEMASK;
            besides = kind == BS_GROUPBOX ? Scaled(16) : kind == BS_PUSHBUTTON || kind == BS_DEFPUSHBUTTON ? 4 : Scaled(13) + 3;
            // At 96 DPI the layouts stay as designed, and two designed radio buttons of the wizard
            // ("Manual configuration ...", "16 Bit - average ...") leave their texts no room beside
            // the box in Wine's fonts: there only the text itself must fit.
            if (ScreenDpi() == 96 && kind != BS_GROUPBOX && kind != BS_PUSHBUTTON && kind != BS_DEFPUSHBUTTON) besides = 0;
        }
        const int smallest = ScreenDpi() > 96 && !wraps ? std::abs(height) * 4 / 5 : std::abs(height);
        for (int smaller = std::abs(height) - 1; text.cx + besides > client.right && smaller >= smallest; --smaller)
            text = Extent(seen.text, table.fontFace, -smaller, row->bold, 0);
        EXPECT_LE(text.cx + besides, client.right) << who << ": text width " << text.cx << " in " << client.right;
        EXPECT_LE(text.cy, client.bottom) << who << ": text height " << text.cy << " in " << client.bottom;
        ++texts;
    }
    EXPECT_GT(texts, 0);
}

// A window lies inside the screen. (Wine 8 keeps the work area of the desktop's first size after a
// mode change, so the screen is what can be checked.)
void ExpectInWorkArea(HWND window) {
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}, rect;
    GetWindowRect(window, &rect);
    EXPECT_TRUE(rect.left >= work.left && rect.top >= work.top && rect.right <= work.right && rect.bottom <= work.bottom)
        << "window " << rect.left << "," << rect.top << "-" << rect.right << "," << rect.bottom << " work area "
        << work.right << "x" << work.bottom;
}

bool PageShown(HWND wizard, const char* page) {
    for (const SeenControl& c : Walk(wizard))
        if (c.cls == kContainer && c.text == page) return c.visible;
    return false;
}

// At 150 % and more, and in High Contrast (QV_HIGH_CONTRAST: the prefix copy has a High Contrast
// scheme's colours and the setting on), the windows are saved for people to look at.
void Shot(const std::string& name, int dpi) {
    if (std::getenv("QV_HIGH_CONTRAST"))
        Screenshot("high-contrast/" + name);
    else if (dpi >= 144)
        Screenshot("dpi/" + name + "-" + std::to_string(dpi));
}

TEST(Dpi, EveryWindowOfBothProgramsIsLaidOutForTheScreensDpi) {
    BeDpiAware();
    const char* wanted = std::getenv("QV_LOG_PIXELS");
    const int dpi = ScreenDpi();
    ASSERT_EQ(dpi, wanted ? std::atoi(wanted) : 96) << "the prefix's LogPixels";

    // The computer's own mode (the registry's, which Quorvex gives back at start) becomes 1600 x 1200:
    // room for the windows at 150 % and (but for the wizard's height) at 200 %. This runs in a copy
    // of the prefix of its own.
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    mode.dmPelsWidth = 1600;
    mode.dmPelsHeight = 1200;
    ASSERT_EQ(ChangeDisplaySettingsA(&mode, CDS_UPDATEREGISTRY), DISP_CHANGE_SUCCESSFUL);

    const std::string dir = NewProgramDirectory("dpi-quorvex");
    Process quorvex(dir + "Quorvex.exe", dir);
    HWND wizard = WaitWindow("Twizard", quorvex.Id());
    ASSERT_NE(wizard, nullptr);
    ExpectScaled(FindVisibleWindow("Tresolution", quorvex.Id()), HostForm());
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(FindControl(wizard, kButton, "Next")); }, 5000));
    // A window larger than the work area at the screen's DPI is laid out for the largest DPI at which
    // it fits, and opens inside the screen: the wizard at 200 % on 1600 x 1200.
    RECT outer, work;
    GetWindowRect(wizard, &outer);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    layoutDpi = dpi;
    while (layoutDpi > 96 && Scaled(Wizard().height) > outer.bottom - outer.top) --layoutDpi;
    if (layoutDpi < dpi) {
        EXPECT_GT(MulDiv(Wizard().height, dpi, 96), work.bottom - work.top) << "laid out smaller than needed";
    }
    ExpectInWorkArea(wizard);
    ExpectScaled(wizard, Wizard());  // every page: the hidden ones are laid out too
    layoutDpi = 0;
    Shot("wizard", dpi);
    ASSERT_TRUE(Click(wizard, "Manual configuration (you'll be able to enter your desired settings)"));
    ASSERT_TRUE(Click(wizard, "Next"));
    ASSERT_TRUE(WaitFor([&] { return PageShown(wizard, "manualna"); }, 5000));
    Shot("wizard-manual", dpi);
    ASSERT_TRUE(Click(wizard, "Back"));
    ASSERT_TRUE(WaitFor([&] { return PageShown(wizard, "Default"); }, 5000));
    ASSERT_TRUE(Click(wizard, "Automatic configuration (program will select the best settings for you)"));

    ASSERT_TRUE(Click(wizard, "Next"));
    ASSERT_TRUE(WaitFor([&] { return PageShown(wizard, "automatyczna"); }, 5000));
    ASSERT_TRUE(Click(wizard, "Next"));  // Type 3: 1024 x 768
    ASSERT_TRUE(WaitFor([&] { return FindControl(wizard, kButton, "Finish"); }, 5000));
    Shot("wizard-finish", dpi);
    ASSERT_TRUE(Click(wizard, "Finish"));
    HWND popup = WaitWindow("Tagent", quorvex.Id());
    ExpectScaled(popup, Popup());
    ExpectInWorkArea(popup);
    Shot("popup", dpi);
    HWND host = FindVisibleWindow("Tresolution", quorvex.Id());
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(host); }, 15000));

    // 1600 x 1200, the largest mode the Wine desktop switches to, so that the windows have room at
    // 200 %; kept. The slider's position for it is where the selected size reads "1600x1200".
    ASSERT_TRUE(ChooseFromTrayMenu(1));
    HWND center = WaitWindow("Tmain", quorvex.Id());
    ASSERT_NE(center, nullptr);
    HWND slider = Controls(center, kTrackBar)[0];
    const auto shown1600 = [&] {
        int n = 0;
        for (const SeenControl& c : Walk(center)) n += c.cls == kLabel && c.text == "1600x1200";
        return n;
    };
    SendMessageA(slider, TBM_SETPOS, TRUE, 0);
    const int captions = shown1600();
    for (LRESULT pos = SendMessageA(slider, TBM_GETRANGEMAX, 0, 0); pos > 0 && shown1600() <= captions; --pos)
        SendMessageA(slider, TBM_SETPOS, TRUE, pos);
    ASSERT_GT(shown1600(), captions);
    ASSERT_TRUE(Click(center, "Apply settings"));
    // Scaling the pictures for 192 DPI makes the change slow on a busy machine.
    HWND question = WaitWindow("Tconfirm", quorvex.Id(), 30000);
    ExpectScaled(question, KeepOrRevert());
    ExpectInWorkArea(question);
    Shot("keep-or-revert", dpi);
    // The answer matters little here: the windows that follow are checked at whatever mode results.
    WaitFor([&] { return !IsWindow(question) || Click(question, "Keep settings"); }, 5000);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(center); }, 5000));

    ASSERT_TRUE(ChooseFromTrayMenu(1));
    center = WaitWindow("Tmain", quorvex.Id());
    ExpectScaled(center, ControlCenter());
    ExpectInWorkArea(center);
    Shot("control-center", dpi);
    ASSERT_TRUE(Click(center, "About"));
    HWND about = WaitWindow("Tabout", quorvex.Id());
    ExpectScaled(about, About());
    ExpectInWorkArea(about);
    Shot("about", dpi);
    ASSERT_TRUE(Click(about, "I agree"));
    ASSERT_TRUE(Click(center, "Close Control Center"));

    // Fetchwell while Quorvex still runs: its exit gives the screen back its natural mode.
    Process fetchwell(dir + "Fetchwell.exe", dir);
    HWND update = WaitWindow("Tupdate", fetchwell.Id());
    ExpectScaled(update, UpdateWindow());
    ExpectInWorkArea(update);
    Shot("fetchwell", dpi);
    fetchwell.Kill();
    ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
    EXPECT_EQ(quorvex.WaitExit(10000), 0);
}

}  // namespace
}  // namespace e2e
