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

    void Loaded() override;

    bool ActivatePrevInstance = true;
    // Names the mutexes after the executable's path instead of the application title.
    bool ExeNameAsIdentifier = false;
    std::string Message;
    std::string Identifier;
    bool ShowMessage = false;
    // Replaces the message box; the handler may clear `terminate` to let this copy run.
    std::function<void(TdskOneInstance& sender, bool& terminate)> OnShowMessage;

    // The common start of both mutex names, e.g. "Quorvex.OneInstance.".
    std::string MutexBaseName() const;

    // True when another copy holds the instance mutex, or when the check itself cannot be made.
    virtual bool IsAnotherInstanceRunning();
    virtual void CheckInstance();

protected:
    virtual void ActivatePreviousInstance();
    virtual void DoShowMessage();

private:
    bool terminate_ = false;
};

// Releases and closes the instance mutex this copy holds; runs by itself when the program ends.
void ReleaseInstanceMutex();

}  // namespace desktop
