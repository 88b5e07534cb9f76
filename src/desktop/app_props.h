#pragma once
// Application-wide settings from a form's layout: hint colour and timing, title, icon and a few
// switches of the application object. Its instances also take the application's and the screen's
// events and hand them on to the handlers that were there before them.
#include "ui/application.h"
#include "ui/component.h"
#include "ui/layout.h"

#include <functional>
#include <string>

namespace desktop {

class TdskApplicationProperties : public ui::TApplicationEvents {
public:
    TdskApplicationProperties(ui::Form& owner, std::string name);
    ~TdskApplicationProperties() override;

    // Writes every setting to the application once the layout is loaded.
    void Loaded() override;

    // false: the instances added before this one, and the handlers that were there before any
    // instance, do not see the events this one has seen.
    bool Chained = true;

    // Properties: the getters read the application object, the setters write it and keep a copy.
    COLORREF HintColor() const;
    void SetHintColor(ui::Color color);
    int HintHidePause() const;
    void SetHintHidePause(int ms);
    int HintPause() const;
    void SetHintPause(int ms);
    int HintShortPause() const;
    void SetHintShortPause(int ms);
    bool ShowHint() const;
    void SetShowHint(bool show);
    bool ShowMainForm() const;
    void SetShowMainForm(bool show);
    bool UpdateFormatSettings() const;
    void SetUpdateFormatSettings(bool update);
    bool UpdateMetricSettings() const;
    void SetUpdateMetricSettings(bool update);
    bool HintShortCuts() const;
    void SetHintShortCuts(bool show);
    ui::TBiDiMode BiDiMode() const;
    void SetBiDiMode(ui::TBiDiMode mode);
    std::string BiDiKeyboard() const;
    void SetBiDiKeyboard(const std::string& layout);
    std::string NonBiDiKeyboard() const;
    void SetNonBiDiKeyboard(const std::string& layout);
    std::string HelpFile() const;
    void SetHelpFile(const std::string& file);
    bool MouseDragImmediate() const;
    void SetMouseDragImmediate(bool immediate);
    int MouseDragThreshold() const;
    void SetMouseDragThreshold(int pixels);
    std::string Title() const;
    void SetTitle(const std::string& title);  // written only when it differs
    HICON Icon() const;
    void SetIcon(HICON icon);  // the application copies it, unless it already shows this icon
    bool Hidden() const { return hidden_; }
    void SetHidden(bool hidden);

    // The application's events as this instance sees them. They are handed out by the instances'
    // own dispatch (with its Chained rule), so they hide the framework sink's fields of the same
    // names, which stay empty.
    std::function<void(bool& done)> OnIdle;
    std::function<void(const std::exception& error)> OnException;
    std::function<void(MSG& msg, bool& handled)> OnMessage;
    std::function<void()> OnActivate, OnDeactivate, OnMinimize, OnRestore, OnHint;
    // The screen's events.
    std::function<void()> OnActiveControlChange, OnActiveFormChange;
    // Paints the minimised application window; `dc` is the painting context.
    std::function<void(HDC dc)> OnPaintIcon;
    std::function<void()> OnSettingsChanged;

    virtual void ApplySettings();
    virtual void UpdateTaskbarVisibility();
    virtual void IconFontChanged();
    // Gives the hint windows that exist the screen's hint font.
    virtual void HintFontChanged();
    virtual void PaintIcon();
    // Sees the application window's messages first; true when it has handled one.
    virtual bool MainWindowHook(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

protected:
    virtual void SettingsChanged();

private:
    ui::Color hintColor_ = ui::SysColor(COLOR_INFOBK);
    int hintHidePause_ = 2500;
    int hintPause_ = 500;
    int hintShortPause_ = 50;
    bool showHint_ = true;
    bool showMainForm_ = true;
    bool updateFormatSettings_ = true;
    bool updateMetricSettings_ = true;
    bool hintShortCuts_ = true;
    ui::TBiDiMode biDiMode_ = ui::TBiDiMode::bdLeftToRight;
    std::string biDiKeyboard_, nonBiDiKeyboard_, helpFile_;
    bool mouseDragImmediate_ = true;
    int mouseDragThreshold_ = 5;
    std::string title_;
    HICON icon_ = nullptr;
    bool hidden_ = false;
    int hookId_ = 0;
};

}  // namespace desktop
