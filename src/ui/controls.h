#pragma once
// Windowed controls. Each wraps one child window of its form, a group box or a notebook page;
// another program reads and drives them through ordinary window messages.
#include "ui/component.h"

#include <functional>
#include <initializer_list>
#include <string>

namespace ui {

class Control : public Component {
public:
    Control(Form& owner, const ControlSpec& row);
    ~Control() override;

    HWND Handle() const { return window_; }
    // The control's window, or for a group box or page the window its children live in.
    virtual HWND ContainerHandle() const { return window_; }

    std::string Text() const;
    virtual void SetText(const std::string& text);
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    RECT BoundsRect() const;  // in the parent's client coordinates
    void SetBounds(int left, int top, int width, int height);
    Color FontColor() const { return fontColor_; }
    void SetFontColor(Color color);
    const std::string& HintText() const { return hint_; }

    // WM_COMMAND and WM_HSCROLL notifications reach the control through its form.
    virtual void Command(WORD /*code*/) {}
    virtual void Scroll() {}

    // The control whose window this is, or nullptr.
    static Control* From(HWND window);

protected:
    // Called by the form once the window exists (after CreateWindow); may subclass it.
    void Attach(HWND window);
    void RunHandler(Handler handler);
    // Lets a control see its own messages first; call the original procedure for the rest.
    void Subclass();
    virtual bool OwnMessage(UINT /*message*/, WPARAM /*wParam*/, LPARAM /*lParam*/, LRESULT& /*result*/) {
        return false;
    }
    LRESULT CallOriginal(UINT message, WPARAM wParam, LPARAM lParam);

    const ControlSpec& spec_;
    HWND window_ = nullptr;

private:
    friend class Form;
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    WNDPROC original_ = nullptr;
    Color fontColor_;
    std::string hint_;
};

class TLabel : public Control {
public:
    using Control::Control;
    void SetText(const std::string& text) override;
    // Auto-sized labels follow their text; a right-aligned one keeps its right edge.
    void AdjustSize();
};

class TButton : public Control {
public:
    using Control::Control;
    // Runs the button's click handler, as a press does.
    void Click();
    void Command(WORD code) override;
};

class TCheckBox : public Control {
public:
    using Control::Control;
    bool Checked() const;
    void SetChecked(bool checked);
    void Command(WORD code) override;
};

class TRadioButton : public Control {
public:
    using Control::Control;
    bool Checked() const;
    // Checking one unchecks the other radio buttons of its container and fires its click.
    void SetChecked(bool checked);
    void Command(WORD code) override;
};

// One radio button of a group and the value it stands for.
struct Choice {
    const TRadioButton& button;
    int value;
};
// The value of the group's checked button (of several, the last); `none` when none is checked.
int CheckedValue(std::initializer_list<Choice> group, int none);

// A read-only edit control of several lines with a vertical scroll bar; the text can be selected and copied.
class TMemo : public Control {
public:
    using Control::Control;
};

class TGroupBox : public Control {
public:
    using Control::Control;
};

class TTrackBar : public Control {
public:
    using Control::Control;
    int Position() const;
    // Also a TBM_SETPOS from outside fires the change event when the position changes.
    void SetPosition(int position);
    void SetRange(int min, int max);
    void Scroll() override;

protected:
    bool OwnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend class Form;
    int last_ = 0;
};

// The standard hotkey control; its value as HKM_GETHOTKEY gives it (virtual key low, HOTKEYF_* high),
// 0 for none.
class THotKey : public Control {
public:
    using Control::Control;
    WORD Value() const;
    void SetValue(WORD value);
};

// A drop-down list. A choice made by the user (CBN_SELCHANGE) fires the change event; setting the
// index from code does not.
class TComboBox : public Control {
public:
    using Control::Control;
    void Clear();
    void Add(const std::string& item);
    int Count() const;
    std::string Item(int index) const;
    int ItemIndex() const;  // -1: nothing chosen
    void SetItemIndex(int index);
    // Chooses the item as a user does: the change event follows.
    void Choose(int index);
    void Command(WORD code) override;
};

class TProgressBar : public Control {
public:
    using Control::Control;
    int Position() const;
    // Cheap when the bar's picture stays the same: see controls.cpp.
    void SetPosition(int position);
    int Max() const;
    void SetMax(int max);

protected:
    bool OwnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    friend class Form;
    int Ask(UINT message, WPARAM wParam) const;
    int FillWidth(int position, int min, int max) const;
    void HandOver();
    int position_ = 0;
    bool held_ = false;  // position_ is newer than the control's own position
};

// A notebook: a stack of named pages, one visible at a time.
class TNotebook : public Control {
public:
    using Control::Control;
    const std::string& ActivePage() const { return active_; }
    void SetActivePage(const std::string& page);
    const std::vector<Control*>& Pages() const { return pages_; }

private:
    friend class Form;
    std::vector<Control*> pages_;
    std::string active_;
};

class TPage : public Control {
public:
    using Control::Control;
};

// A bitmap resource drawn into the form's background, centred or from the top-left corner and
// cut at the edges. It has no window of its own: labels above it stay transparent.
// A picture of the program's resources (packed by res/art/pack-bitmap.py) as a DIB section, or
// nullptr when there is none by that name or it is damaged. The caller deletes it.
HBITMAP LoadPicture(const char* resource);

// The picture is unpacked when the form first paints it and given up while the form is hidden.
class TImage : public Component {
public:
    TImage(Form& owner, const ControlSpec& row);
    // Draws the picture at `dpi`: above 96 DPI stretched smoothly (halftone) to the scaled size.
    void Draw(HDC dc, int dpi) const;
    HBITMAP Bitmap() const;
    void Unload() const { bitmap_.Reset(); }

private:
    const ControlSpec& spec_;
    mutable common::GdiObject bitmap_;
};

}  // namespace ui
