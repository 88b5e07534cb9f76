#pragma once
// The program's icon in the notification area: mouse actions on it become events and the popup
// menu, it shows balloon tips, hides and shows the application's windows, and comes back when the
// taskbar is re-created.
#include "common/exception.h"
#include "desktop/component.h"

#include <shellapi.h>

#include <functional>
#include <string>
#include <vector>

namespace ui {
class TPopupMenu;
}

namespace desktop {

class EdskTrayIcon : public common::Exception {
public:
    explicit EdskTrayIcon(const std::string& message) : common::Exception(message, "EdskTrayIcon") {}
};

// Goes unchanged into the balloon's icon flags (NIIF_NONE, NIIF_INFO, NIIF_WARNING, NIIF_ERROR).
enum TdskTrayIconInfoType { tiiNone = 0, tiiInfo = 1, tiiWarning = 2, tiiError = 3 };

enum class TMouseButton { mbLeft, mbRight, mbMiddle };
using TShiftState = unsigned;
enum : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32 };

// The callback message of every record the component sends the shell.
constexpr UINT kTrayCallbackMessage = WM_USER + 211;  // 1235
// The message the shell broadcasts when the taskbar has been re-created.
UINT TaskbarCreatedMessage();
// Whether the shell shows balloon tips: Windows 2000 and later (the NT platform, except NT 3 and 4).
bool BalloonCapableSystem(const OSVERSIONINFOA& version);
// The program-wide flag, read from the system version at start; tests may change it.
bool& BalloonCapable();

class TdskTrayIcon : public TdskCustomTimer {
public:
    TdskTrayIcon(ui::Form& owner, std::string name);
    ~TdskTrayIcon() override;

    void Loaded() override;

    // Properties. Hint, Icon and ShowHint take effect in the shell at once.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);
    HICON Icon() const { return icon_.Get(); }
    void SetIcon(HICON icon);  // the component keeps its own copy
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);
    bool Visible() const { return visible_; }
    void SetVisible(bool visible);
    ui::TPopupMenu* PopupMenu() const { return popupMenu_; }
    void SetPopupMenu(ui::TPopupMenu* menu);
    // The menu named `name` on the owner form, found when loading ends if it comes later in the layout.
    void SetPopupMenu(const std::string& name);
    bool CycleIcons() const { return cycleIcons_; }
    void SetCycleIcons(bool cycle);
    int CycleInterval() const { return cycleInterval_; }
    void SetCycleInterval(int ms);

    bool MinimizeToTray = false;
    bool PopupByLeft = false;
    bool MinimizeOnStart = false;
    UINT IconID = 0;
    // Shown by the next ShowBalloon.
    std::string InfoText, InfoTitle;
    TdskTrayIconInfoType InfoType = tiiNone;
    UINT InfoTimeout = 10000;
    // The images icon cycling steps through (not owned).
    std::vector<HICON> CycleImages;

    // Events.
    std::function<void()> OnMinimize, OnClick, OnDblClick, OnPopupMenu, OnShow, OnHide, OnCycleIcons;
    std::function<void()> OnBalloonShow, OnBalloonTimeout, OnBalloonClick;
    std::function<void(TShiftState shift, int x, int y)> OnMouseMove;
    std::function<void(TMouseButton button, TShiftState shift, int x, int y)> OnMouseDown, OnMouseUp;

    // How many balloons ShowBalloon has shown: a click on a balloon belongs to the last one.
    unsigned BalloonsShown() const { return balloonsShown_; }
    // Whether the shell took the version that makes it tell keyboard use apart (Windows 2000 and
    // later): the menu then opens on WM_CONTEXTMENU, which the application key or Shift+F10 on the
    // icon sends as well as the right button, and the right button's release alone opens nothing.
    bool KeyboardMessages() const { return keyboardMessages_; }

    // The record the last shell call was given.
    const NOTIFYICONDATAA& IconData() const { return data_; }

    virtual LRESULT HandleTrayMessage(UINT message, WPARAM wParam, LPARAM lParam);
    virtual void FillIconData();
    // Sees the application window's messages first; true when it has handled one.
    virtual bool ApplicationWindowHook(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    virtual void UpdateIcon();
    virtual void ShowIcon();
    virtual void HideIcon();
    virtual void PopupAtCursor();
    // The menu at `at` (screen coordinates).
    void PopupAt(POINT at);
    virtual void ShowApplication();
    virtual void HideApplication();
    virtual void ShowBalloon();
    virtual void ShowBalloonHint();

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) final;

    virtual void CycleIconStep();
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void Click();
    virtual void DblClick();
    virtual void Minimize();

private:
    void InsertToTray();
    void DeleteFromTray();
    bool Notify(DWORD message);  // false when the shell refused
    // While the shell refuses the icon, it is tried again every 2 s for two minutes.
    // Asks the shell for the newer messages (NIM_SETVERSION) once the icon is there.
    void AskForKeyboardMessages();
    void StartAddRetry();
    void StopAddRetry();
    void RetryAdd();
    void UpdateCycling();

    std::string hint_;
    common::Icon icon_;
    bool showHint_ = true;
    bool visible_ = false;
    ui::TPopupMenu* popupMenu_ = nullptr;
    std::string popupMenuName_;
    bool cycleIcons_ = false;
    int cycleInterval_ = 200;
    size_t cycleIndex_ = 0;
    NOTIFYICONDATAA data_{};
    UINT flags_ = NIF_MESSAGE | NIF_TIP;
    bool clickPending_ = false;
    bool destroying_ = false;
    int hookId_ = 0;
    int addRetriesLeft_ = 0;
    unsigned balloonsShown_ = 0;
    bool keyboardMessages_ = false;
};

}  // namespace desktop
