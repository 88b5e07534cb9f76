#pragma once
// Programs started in a display mode of their own ("/run" on the command line): the display is
// switched for the program, and the mode it had before comes back when the program's process ends.
// Several programs at once go back step by step; a mode the person chose meanwhile stands.
#include "common/handles.h"
#include "common/profile.h"
#include "tray/display_switcher.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tray {

class ProgramModes {
public:
    explicit ProgramModes(DisplaySwitcher& switcher);
    ~ProgramModes();
    ProgramModes(const ProgramModes&) = delete;
    ProgramModes& operator=(const ProgramModes&) = delete;

    // The end of each program started is told to `window` as `message`, the program's number in
    // wParam, on the window's own thread; Ended then does the rest.
    void TellEndsTo(HWND window, UINT message);

    // Starts `program` (in its own folder, with `arguments`) in `mode` on `device` (empty: the
    // primary display). A program that cannot be started, or a mode the display refuses, is
    // reported and nothing is left running or changed: nullptr. Otherwise a handle of the program's
    // process for the caller.
    common::Handle Run(const common::StoredMode& mode, const std::string& device, const std::string& program,
                       const std::string& arguments);
    // The program numbered `id` (a wParam of the message) has ended.
    void Ended(WPARAM id);

    // The mode steps by themselves. Enter switches `device` to `mode` for a program and gives its
    // number; 0 when the display refused (reported). Leave gives the mode back when this program's
    // mode is still on and no later program on the same display changed it; a later program gets,
    // to give back in its turn, the mode this one found.
    uint32_t Enter(const common::StoredMode& mode, const std::string& device);
    void Leave(uint32_t id);
    size_t Running() const { return steps_.size(); }

private:
    struct Watch;
    struct Step {
        uint32_t id;
        std::string device;
        common::StoredMode mode;
        common::CurrentMode before;
        std::unique_ptr<Watch> watch;  // none while only the steps are used
    };
    static void CALLBACK ProcessEnded(void* context, BOOLEAN timedOut);

    DisplaySwitcher& switcher_;
    std::vector<Step> steps_;  // oldest first
    uint32_t lastId_ = 0;
    HWND window_ = nullptr;
    UINT message_ = 0;
};

// In the running copy: a handle of `process` made for the copy whose application window is `sender`
// (waitable, with its exit code), as the answer to the "/run" that copy handed over; kModeSwitched
// when none could be made.
int HandOverProgram(HANDLE process, HWND sender);
// In the copy that handed "/run" over: the program's process from the running copy's answer; none
// for an answer that is not a handle.
common::Handle HandedOverProgram(int answer);
// Waits for `process` to end; its exit code (kModeRefused when the system cannot tell).
int WaitForProgram(const common::Handle& process);

}  // namespace tray
