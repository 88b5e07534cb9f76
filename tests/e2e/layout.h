#pragma once
// Reads the windows of a running program from outside (class, text, place, size, state, text
// colour) and compares them with an expected layout table.
#include <windows.h>

#include <string>
#include <vector>

namespace e2e {

// What a control looks like from outside.
struct SeenControl {
    HWND window = nullptr;
    std::string cls, text;
    std::string in;        // the text of the window it lies in; "" for the top window's client area
    RECT bounds{};         // relative to the client area of its parent
    bool visible = false;  // its own visibility, whatever its parents'
    bool enabled = false;
    int checked = -1;  // check boxes and radio buttons: 0 or 1
};

// Every child window of `top`, at any depth, in z-order within each parent.
std::vector<SeenControl> Walk(HWND top);

// Window classes as the controls report them.
constexpr const char* kLabel = "Static";
constexpr const char* kButton = "Button";  // push buttons, check boxes, radio buttons, group boxes
constexpr const char* kTrackBar = "msctls_trackbar32";
constexpr const char* kProgressBar = "msctls_progress32";
constexpr const char* kEdit = "Edit";
constexpr const char* kContainer = "TQvContainer";  // notebooks and their pages

// A width or height that follows the text: the text's extent in the control's font. A label
// whose font is not the expected one comes out in another size, so this checks the font too.
constexpr int kTextSize = -1;
// A colour that is not checked, and the window's default text colour.
constexpr COLORREF kAnyColor = 0xFF000000u;
constexpr COLORREF kFormColor = 0xFE000000u;
constexpr COLORREF kNoKey = kAnyColor;  // a layered window without a transparency key

enum ControlState : unsigned {
    kHidden = 1,
    kDisabled = 2,
    kChecked = 4,     // check boxes and radio buttons; the others must be unchecked
    kKeepsRight = 8,  // sized to its text, the right edge (left + width) staying where it was designed
};

// One row of a layout table: a control with a window, as designed.
struct ExpectedControl {
    const char* name;
    const char* cls;
    std::string text;
    const char* in = "";  // the row name of the group box, notebook or page it lies in
    int left = 0, top = 0, width = kTextSize, height = kTextSize;
    unsigned state = 0;
    int fontHeight = 0;  // 0: the window's font
    bool bold = false;
    COLORREF color = kFormColor;  // text colour of a label, checked on screen
};

enum Frame { kNoFrame, kFixedFrame, kSizeableFrame };
constexpr int kCentred = -10000;

struct ExpectedWindow {
    const char* cls;
    const char* caption;
    int width, height;  // of the client area, or of the whole window when `outerSize`
    Frame frame;
    bool captionBar, systemMenu, minimizeBox, maximizeBox;
    int left, top;   // outer position, or kCentred on the screen
    int alpha;       // 0: not layered
    COLORREF key;    // transparency key of a layered window, or kNoKey
    POINT background;  // a client point showing the window colour, or {-1, -1}
    COLORREF color;
    const char* fontFace;
    int fontHeight;
    COLORREF fontColor;
    std::vector<ExpectedControl> controls;
    bool outerSize = false;
};

// A change from the designed state that the program has made by the time of a look.
struct Change {
    const char* name;
    enum What { Text, Shown, Hidden, Enabled, Disabled, Checked, Unchecked } what;
    std::string text = {};
};

// Compares the running window with its table (after `changes`), reporting each difference as a
// test failure: missing and unexpected controls, class, text, place, size, visibility, enabled
// and checked states, the window itself, and what the screen shows of fonts and colours: a
// label's font through its size and its colour through its pixels, a button's caption font and
// colour through the width of its ink. (Another process cannot read a control's font under Wine.)
void ExpectLayout(HWND window, const ExpectedWindow& expected, const std::vector<Change>& changes = {});

}  // namespace e2e
