#pragma once
// The application object: title, icon, the hidden application window that owns the taskbar button,
// the message loop with idle events, application-wide events, hint settings and the error report.
#include "common/handles.h"

#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class Form;

enum class TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

// Private messages of the runtime.
enum : UINT {
    kReleaseMessage = WM_APP + 0x3F00,  // a form destroys itself (Form::Release)
    kSynchronizeMessage,                // a worker thread waits for a call on the GUI thread
};

class Application {
public:
    // Window class of the hidden application window; another copy finds it by this class and the title.
    static constexpr const char* kWindowClass = "TQvApplication";

    static Application& Instance();

    // Creates the application window; safe to call more than once.
    void Initialize();

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title);
    HICON Icon() const { return icon_; }
    // The icon at the small size the system asks for (title bars, the taskbar), or nullptr.
    HICON SmallIcon() const { return smallIcon_.Get(); }
    // The application keeps its own copy of `icon`; forms that show the program icon take it too.
    void SetIcon(HICON icon);
    HWND Handle() const { return window_.Get(); }

    // The first form created becomes the main form. `ref` receives the form before it loads, as a
    // program's form variable would.
    template <class T, class... Args>
    T* CreateForm(T*& ref, Args&&... args) {
        auto form = std::make_unique<T>(nullptr, std::forward<Args>(args)...);
        ref = form.get();
        AdoptForm(std::move(form));
        return ref;
    }
    Form* MainForm() const { return mainForm_; }

    bool ShowMainForm = true;

    // Settings the runtime keeps for the program without acting on them itself: it has no locale
    // formats, keyboard shortcuts in hints, right-to-left layouts or help system to apply them to.
    bool UpdateFormatSettings = true;
    bool HintShortCuts = true;
    TBiDiMode BiDiMode = TBiDiMode::bdLeftToRight;
    std::string BiDiKeyboard, NonBiDiKeyboard, HelpFile;
    // When set, a change of the system settings makes the screen read its fonts again.
    bool UpdateMetricSettings = true;

    // Handlers that see the application window's messages before the application does, in the
    // order they were added; one that returns true has handled the message and gives its result.
    using WindowHook = std::function<bool(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)>;
    int HookMainWindow(WindowHook hook);
    void UnhookMainWindow(int id);

    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Handles every pending message, without idle processing.
    void ProcessMessages();
    // One step of a message loop: a message, or the idle event and a wait.
    void HandleMessage();
    // Destroys every form (the loop has ended); called by the program entry after Run.
    void DestroyForms();
    // Forgets a finished run (its end and its main form) so that the same process can run another
    // loop, as a test program does.
    void Reset();
    // Destroys one form the application owns (Form::Release).
    void ReleaseForm(Form* form);

    // Application-wide events: one replaceable slot each. Several listeners join through
    // ApplicationEvents components, which chain themselves into these slots.
    std::function<void(bool& done)> OnIdle;
    std::function<void(const std::exception& error)> OnException;
    std::function<void(MSG& msg, bool& handled)> OnMessage;
    std::function<void()> OnActivate, OnDeactivate, OnMinimize, OnRestore, OnHint;

    // The error report for an exception escaping an event handler: OnException, else the error box.
    void HandleException(std::exception_ptr error);
    void ShowException(const std::exception& error);

    // The current hint text (the hint of the control under the mouse); setting it fires OnHint.
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint);

    // Hint colour and timing, applied to every form's hint window.
    COLORREF HintColor() const { return hintColor_; }
    void SetHintColor(COLORREF color);
    int HintPause() const { return hintPause_; }
    void SetHintPause(int ms);
    int HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(int ms);
    int HintShortPause() const { return hintShortPause_; }
    void SetHintShortPause(int ms);
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);

    void Minimize();
    void Restore();
    bool Minimized() const { return minimized_; }

    // The taskbar button is there exactly while some form of the program is visible.
    // `showing`: a form is about to appear; the button comes first, as the shell expects it.
    void UpdateTaskbarButton(bool showing = false);

    // Runs the calls worker threads queued for the GUI thread.
    void CheckSynchronize();

    // Forms register themselves while they have a window.
    void RegisterForm(Form* form);
    void UnregisterForm(Form* form);
    const std::vector<Form*>& Forms() const { return forms_; }
    Form* FindForm(HWND window) const;

    // Disables the program's other enabled top-level windows for a modal run; Restore puts them back.
    std::vector<HWND> DisableTaskWindows(HWND except);
    void EnableTaskWindows(const std::vector<HWND>& windows);

    // Called by the loops: runs the idle event; returns whether the loop may wait.
    bool Idle();

private:
    Application();
    void AdoptForm(std::unique_ptr<Form> form);
    bool ProcessMessage(MSG& msg);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleAppMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void ApplyHintSettings();

    std::string title_;
    HICON icon_ = nullptr;
    common::Icon ownIcon_;
    common::Icon smallIcon_;
    std::vector<std::pair<int, WindowHook>> hooks_;
    int nextHookId_ = 1;
    common::Window window_;
    Form* mainForm_ = nullptr;
    std::vector<std::unique_ptr<Form>> ownedForms_;
    std::vector<Form*> forms_;
    bool terminated_ = false;
    bool minimized_ = false;
    bool handlingException_ = false;
    std::vector<HWND> hiddenByMinimize_;
    std::string hint_;
    COLORREF hintColor_;
    int hintPause_ = 500;
    int hintHidePause_ = 2500;
    int hintShortPause_ = 50;
    bool showHint_ = true;
};

inline Application& App() { return Application::Instance(); }

// The plain message box: caption the application title, the text, one OK button, no icon.
void ShowMessage(const std::string& text);

// Runs `call`; an exception escaping it goes to the application's error report. Every window
// procedure of the runtime runs its handlers through this, since exceptions cannot cross Win32.
template <class F>
LRESULT Guarded(F&& call, LRESULT onError = 0) {
    try {
        return call();
    } catch (...) {
        App().HandleException(std::current_exception());
        return onError;
    }
}

}  // namespace ui
