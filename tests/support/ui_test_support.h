#pragma once
// Helpers for tests that run real windows: pumping the loop, finding boxes, screenshots.
#include <windows.h>

#include <functional>
#include <string>

namespace uitest {

// Handles messages (without idle) until `done` answers true or `ms` pass; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, int ms = 3000);

// The first top-level window of this process with the class and (unless nullptr) the title, visible
// ones only when `visible`. Test programs run side by side in one desktop: a plain FindWindow could
// answer another program's menu, box or popup.
HWND FindOwnWindow(const char* cls, const char* title = nullptr, bool visible = false);
// A name no other test program running now uses: `base` and this process's id.
std::string UniqueName(const std::string& base);

// From another thread: waits for a message box of this process captioned `caption`, then presses its OK button
// after `delayMs`. Returns false when no box appeared within `ms`.
bool CloseMessageBoxLater(const std::string& caption, int delayMs, int ms = 5000);

// Runs `body` on a new thread; the caller waits for and closes the handle.
HANDLE RunInThread(std::function<void()> body);

// Saves what the screen shows of `window` as a BMP in the screenshot folder; returns its path.
std::string SaveScreenshot(HWND window, const std::string& name);
// ... of a rectangle of the screen (in virtual-screen coordinates).
std::string SaveScreenshot(const RECT& rect, const std::string& name);

}  // namespace uitest
