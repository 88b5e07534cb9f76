#pragma once
// What the host form needs of the system beyond its own windows: session notifications, which not
// every Windows version offers, and a last word when the program crashes.
#include "common/handles.h"

#include <windows.h>

namespace tray {

// Session notifications (WM_WTSSESSION_CHANGE) for one window of this session, where the system
// offers them; unregistered when this goes.
class SessionWatch {
public:
    SessionWatch() = default;
    SessionWatch(const SessionWatch&) = delete;
    SessionWatch& operator=(const SessionWatch&) = delete;
    ~SessionWatch();

    // False when the system has no session notifications, or refuses them for now (early at logon,
    // before Terminal Services has started); a later call tries again.
    bool Register(HWND window);
    bool Registered() const { return window_ != nullptr; }

private:
    common::Library wtsapi_;
    HWND window_ = nullptr;
};

// Makes an unhandled exception on any thread put the screen back into the computer's natural mode
// (the registry's) before the system's own crash handling, and the filter installed before, go on.
void ReturnTheScreenOnCrash();
// Tells the crash filter whether the screen is in a mode this program set.
void NoteScreenChanged(bool changed);

}  // namespace tray
