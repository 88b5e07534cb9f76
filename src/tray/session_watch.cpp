#include "tray/session_watch.h"

#include <wtsapi32.h>

namespace tray {

namespace {
using RegisterFunction = BOOL(WINAPI*)(HWND, DWORD);
using UnregisterFunction = BOOL(WINAPI*)(HWND);

template <class F>
F Function(const common::Library& library, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library.Get(), name)));
}
}  // namespace

bool SessionWatch::Register(HWND window) {
    if (window_) return true;
    if (!wtsapi_) wtsapi_.Reset(LoadLibraryA("wtsapi32.dll"));
    if (!wtsapi_) return false;
    const auto registerWindow = Function<RegisterFunction>(wtsapi_, "WTSRegisterSessionNotification");
    if (!registerWindow || !registerWindow(window, NOTIFY_FOR_THIS_SESSION)) return false;
    window_ = window;
    return true;
}

SessionWatch::~SessionWatch() {
    if (!window_) return;
    if (const auto unregisterWindow = Function<UnregisterFunction>(wtsapi_, "WTSUnRegisterSessionNotification"))
        unregisterWindow(window_);
}

namespace {
volatile LONG screenChanged = 0;
LPTOP_LEVEL_EXCEPTION_FILTER filterBefore = nullptr;

// Runs in a process that is broken: no heap, no locks, no C++ runtime; one call to the system.
LONG WINAPI GiveTheScreenBack(EXCEPTION_POINTERS* exception) {
    if (InterlockedExchange(&screenChanged, 0)) ChangeDisplaySettingsA(nullptr, 0);
    return filterBefore ? filterBefore(exception) : EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

void ReturnTheScreenOnCrash() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    filterBefore = SetUnhandledExceptionFilter(GiveTheScreenBack);
}

void NoteScreenChanged(bool changed) { InterlockedExchange(&screenChanged, changed ? 1 : 0); }

}  // namespace tray
