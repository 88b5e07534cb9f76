#pragma once
// Helpers for tests that run real windows: pumping the loop, finding boxes, screenshots.
#include <windows.h>

#include <functional>
#include <string>

namespace uitest {

// Handles messages (without idle) until `done` answers true or `ms` pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int ms = 3000);

// From another thread: waits for a message box captioned `caption`, then presses its OK button
// after `delayMs`. Returns false when no box appeared within `ms`.
bool CloseMessageBoxLater(const std::string& caption, int delayMs, int ms = 5000);

// Runs `body` on a new thread; the caller waits for and closes the handle.
HANDLE RunInThread(std::function<void()> body);

// Saves what the screen shows of `window` as a BMP in the screenshot folder; returns its path.
std::string SaveScreenshot(HWND window, const std::string& name);

}  // namespace uitest
