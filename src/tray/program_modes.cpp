#include "tray/program_modes.h"

#include "common/exception.h"
#include "tray/mode_command.h"
#include "ui/application.h"

#include <algorithm>

namespace tray {

// The wait on one program's process: the system's thread pool tells the window when it ends, so
// nothing polls and no window is touched from another thread.
struct ProgramModes::Watch {
    common::Handle process;
    HANDLE wait = nullptr;
    HWND window = nullptr;
    UINT message = 0;
    uint32_t id = 0;

    ~Watch() {
        // Waits for a callback under way, so that it never sees this record freed.
        if (wait) UnregisterWaitEx(wait, INVALID_HANDLE_VALUE);
    }
};

void CALLBACK ProgramModes::ProcessEnded(void* context, BOOLEAN) {
    const auto* watch = static_cast<const Watch*>(context);
    PostMessageA(watch->window, watch->message, watch->id, 0);
}

ProgramModes::ProgramModes(DisplaySwitcher& switcher) : switcher_(switcher) {}
ProgramModes::~ProgramModes() = default;

void ProgramModes::TellEndsTo(HWND window, UINT message) {
    window_ = window;
    message_ = message;
}

uint32_t ProgramModes::Enter(const common::StoredMode& mode, const std::string& device) {
    const common::CurrentMode before = DisplaySwitcher::ModeNow(device);
    if (switcher_.Switch(mode, device) != DISP_CHANGE_SUCCESSFUL) return 0;
    steps_.push_back({++lastId_, device, mode, before, nullptr});
    return lastId_;
}

void ProgramModes::Leave(uint32_t id) {
    const auto step = std::find_if(steps_.begin(), steps_.end(), [id](const Step& s) { return s.id == id; });
    if (step == steps_.end()) return;
    const auto later = std::find_if(step + 1, steps_.end(), [&](const Step& s) { return s.device == step->device; });
    if (later != steps_.end()) {
        later->before = step->before;
    } else if (common::ScreenIsIn(step->mode.width, step->mode.height, step->mode.depth,
                                  step->device.empty() ? nullptr : step->device.c_str())) {
        switcher_.ChangeBack(step->before, step->device);
    }
    steps_.erase(step);
}

void ProgramModes::Ended(WPARAM id) { Leave(static_cast<uint32_t>(id)); }

common::Handle ProgramModes::Run(const common::StoredMode& mode, const std::string& device,
                                 const std::string& program, const std::string& arguments) {
    std::string commandLine = "\"" + program + "\"";
    if (!arguments.empty()) commandLine += " " + arguments;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    const size_t slash = program.find_last_of("\\/");
    const std::string folder = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    // Held until the mode is set, so that the program's first look at the screen finds it.
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &started)) {
        ui::ShowMessage("The program " + program + " could not be started: " +
                        common::IoErrorText(static_cast<int>(GetLastError())) + ".");
        return {};
    }
    common::Handle process(started.hProcess);
    const common::Handle thread(started.hThread);
    HANDLE copy = nullptr;
    DuplicateHandle(GetCurrentProcess(), process.Get(), GetCurrentProcess(), &copy, 0, FALSE, DUPLICATE_SAME_ACCESS);
    common::Handle forCaller(copy);
    // Without a handle for the caller (the system is out of them) nobody could wait for the program.
    const uint32_t id = forCaller ? Enter(mode, device) : 0;
    if (!id) {
        TerminateProcess(process.Get(), 1);
        return {};
    }
    auto watch = std::make_unique<Watch>();
    watch->window = window_;
    watch->message = message_;
    watch->id = id;
    if (RegisterWaitForSingleObject(&watch->wait, process.Get(), &ProgramModes::ProcessEnded, watch.get(), INFINITE,
                                    WT_EXECUTEONLYONCE))
        watch->process = std::move(process);
    else
        watch->wait = nullptr;
    steps_.back().watch = std::move(watch);
    ResumeThread(thread.Get());
    return forCaller;
}

int HandOverProgram(HANDLE process, HWND sender) {
    DWORD senderId = 0;
    GetWindowThreadProcessId(sender, &senderId);
    const common::Handle senderProcess(OpenProcess(PROCESS_DUP_HANDLE, FALSE, senderId));
    HANDLE theirs = nullptr;
    if (!senderProcess || !DuplicateHandle(GetCurrentProcess(), process, senderProcess.Get(), &theirs,
                                           SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, 0))
        return kModeSwitched;
    // Handle values are multiples of four: never one of the plain answers.
    return static_cast<int>(reinterpret_cast<intptr_t>(theirs));
}

common::Handle HandedOverProgram(int answer) {
    if (answer <= kModeBadArgument) return {};
    return common::Handle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(answer)));
}

int WaitForProgram(const common::Handle& process) {
    DWORD code = kModeRefused;
    if (WaitForSingleObject(process.Get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.Get(), &code))
        return kModeRefused;
    return static_cast<int>(code);
}

}  // namespace tray
