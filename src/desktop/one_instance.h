#pragma once
// Keeps a second copy of the program from running beside the first one: the second copy shows a
// message, brings the first one forward and ends before its message loop starts.
#include "desktop/component.h"

#include <functional>
#include <string>

namespace desktop {

class TdskOneInstance : public TdskComponent {
public:
    using TdskComponent::TdskComponent;
    ~TdskOneInstance() override;

    void Loaded() override;

    bool ActivatePrevInstance = true;
    // Names the mutexes after the executable's path instead of the application title.
    bool ExeNameAsIdentifier = false;
    std::string Message;
    std::string Identifier;
    bool ShowMessage = false;
    // Replaces the message box; the handler may clear `terminate` to let this copy run.
    std::function<void(TdskOneInstance& sender, bool& terminate)> OnShowMessage;

    // Something for the running copy (a command line): a second copy that has it hands it over
    // instead of showing the message or bringing the running copy forward, and ends with the
    // running copy's answer. Empty: the message as usual.
    std::string ForwardText;
    // In the copy that runs: answers a text another copy handed over; `sender`: that copy's
    // application window.
    std::function<int(const std::string& text, HWND sender)> OnForwarded;
    // The running copy's answer to ForwardText; kNoAnswer when none was had.
    static constexpr int kNoAnswer = -1;
    int ForwardAnswer() const { return forwardAnswer_; }
    // Whether this copy handed ForwardText over (and is ending).
    bool Forwarded() const { return forwarded_; }

    // The common start of both mutex names, e.g. "Quorvex.OneInstance.".
    std::string MutexBaseName() const;

    // True when another copy holds the instance mutex, or when the check itself cannot be made.
    virtual bool IsAnotherInstanceRunning();
    virtual void CheckInstance();

protected:
    virtual void ActivatePreviousInstance();
    virtual void DoShowMessage();
    // Hands ForwardText to the running copy and waits for its answer.
    virtual int Forward();
    // The running copy's application window, or nullptr.
    HWND PreviousInstanceWindow() const;

private:
    void ListenForForwardedTexts();
    bool terminate_ = false;
    int forwardAnswer_ = kNoAnswer;
    bool forwarded_ = false;
    int hook_ = 0;
};

// The tag of the WM_COPYDATA records that carry a forwarded text.
constexpr ULONG_PTR kForwardedTextTag = 0x51564D43;  // "QVMC"
// A forwarded text longer than this is cut: nothing the running copy understands is that long.
constexpr size_t kForwardedTextLimit = 1024;

// Releases and closes the instance mutex this copy holds; runs by itself when the program ends.
void ReleaseInstanceMutex();

}  // namespace desktop
