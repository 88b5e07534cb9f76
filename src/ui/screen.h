#pragma once
// The screen: which form and control are active, with change events, and the fonts the system
// gives hints and icon titles. Also the program's mouse settings.
#include "common/handles.h"

#include <functional>

namespace ui {

class Form;

class Screen {
public:
    static Screen& Instance();

    // The program's form that is the active window, or nullptr.
    Form* ActiveForm() const;
    // The window with the keyboard focus when it belongs to the active form, or nullptr.
    HWND ActiveControl() const { return activeControl_; }
    std::function<void()> OnActiveFormChange, OnActiveControlChange;
    // Compares the active window and the focus with what it saw last and fires the change events;
    // the message loop calls this after every message.
    void CheckActive();

    const LOGFONTA& HintFont() const { return hintFont_; }
    void SetHintFont(const LOGFONTA& font);  // fires OnHintFontChange when the font differs
    HFONT HintFontHandle();
    const LOGFONTA& IconFont() const { return iconFont_; }
    void SetIconFont(const LOGFONTA& font);  // fires OnIconFontChange when the font differs
    std::function<void()> OnHintFontChange, OnIconFontChange;
    // Reads both fonts from the system settings again (after the settings changed).
    void RefreshFonts();

private:
    Screen();
    static bool SameFont(const LOGFONTA& a, const LOGFONTA& b);

    HWND activeWindow_ = nullptr;
    HWND activeControl_ = nullptr;
    LOGFONTA hintFont_{};
    LOGFONTA iconFont_{};
    common::GdiObject hintFontHandle_;
};

struct MouseSettings {
    bool DragImmediate = true;  // a drag starts as soon as the button goes down
    int DragThreshold = 5;      // else after the mouse moved this many pixels
};
MouseSettings& Mouse();

}  // namespace ui
