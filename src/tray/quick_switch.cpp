// Quick switching: a display mode for a while, chosen from the tray menu's "Display mode" or asked
// for on the command line. Such a mode is set without a registry update and never reaches the
// profile; it lasts until "My mode", "Exit", the end of the session or the next choice.
#include "common/display_modes.h"
#include "common/displays.h"
#include "common/system_services.h"
#include "tray/host_form.h"
#include "ui/application.h"

#include <algorithm>
#include <optional>

namespace tray {

namespace {

std::string SizeCaption(int32_t width, int32_t height) {
    return std::to_string(width) + " x " + std::to_string(height);
}

std::string ModeCaption(const char* name, int32_t width, int32_t height, int32_t depth) {
    return std::string(name) + " (" + SizeCaption(width, height) + ", " + std::to_string(depth) + " bits)";
}

// The sizes the display lists at `depth`, largest first; `device` nullptr: the primary display.
std::vector<common::ScreenSize> SizesAt(int32_t depth, const char* device = nullptr) {
    std::vector<common::ScreenSize> sizes = common::ListedScreenSizes(device);
    std::erase_if(sizes, [depth](const common::ScreenSize& size) { return !size.Offers(depth); });
    std::reverse(sizes.begin(), sizes.end());
    return sizes;
}

}  // namespace

common::StoredMode Tresolution::MyMode() const {
    // A mode the administrator locked is the user's, whatever the profile holds.
    if (policies_.lockMode) return {policies_.mode->width, policies_.mode->height, policies_.mode->depth};
    if (!profile_) return {};
    const common::StoredMode stored = common::StoredMode::Read(*profile_);
    return stored.Complete() ? stored : common::StoredMode{};
}

// Made each time the tray menu opens: the display's list can change with the monitor.
void Tresolution::Displaymode1Popup() {
    Displaymode1->Clear();
    const common::CurrentMode now = common::ScreenModeNow();
    // Nothing but the user's own mode under a lock, and nothing at all in a remote session.
    const bool locked = policies_.lockMode || common::RemoteSession();

    const common::StoredMode mine = MyMode();
    ui::TMenuItem& myMode = Displaymode1->Add(
        mine.width ? ModeCaption("My mode", mine.width, mine.height, mine.depth) : "My mode", [this] { ChooseMyMode(); });
    myMode.SetEnabled(mine.width > 0 && !common::RemoteSession());
    myMode.SetChecked(mine.width > 0 && common::ScreenIsIn(mine.width, mine.height, mine.depth));

    ui::TMenuItem& natural = Displaymode1->Add(ModeCaption("Natural mode", NaturalX, NaturalY, NaturalDepth),
                                               [this] { ChooseNaturalMode(); });
    // Before the start-up sequence has read it, there is no natural mode to go back to.
    natural.SetEnabled(!locked && NaturalX > 0);
    natural.SetChecked(common::ScreenIsIn(NaturalX, NaturalY, NaturalDepth));

    const std::vector<common::ScreenSize> sizes = SizesAt(now.depth);
    if (!sizes.empty()) Displaymode1->Add("-");
    for (const common::ScreenSize& size : sizes) {
        ui::TMenuItem& item = Displaymode1->Add(SizeCaption(size.width, size.height), [this, size, depth = now.depth] {
            SwitchTemporarily(size.width, size.height, depth, true);
        });
        item.SetEnabled(!locked);
        item.SetChecked(size.width == now.width && size.height == now.height);
    }
    for (const auto& item : Displaymode1->Items()) item->RadioItem = true;

    // With several displays, each other one has a submenu of its own sizes.
    const std::vector<common::Display> displays = common::AttachedDisplays();
    if (displays.size() < 2) return;
    Displaymode1->Add("-");
    for (size_t number = 1; number <= displays.size(); ++number) {
        const common::Display& display = displays[number - 1];
        if (display.primary) continue;
        const common::CurrentMode shown = common::ScreenModeNow(display.deviceName.c_str());
        ui::TMenuItem& submenu = Displaymode1->Add("Display " + std::to_string(number) + " (" +
                                                   SizeCaption(shown.width, shown.height) + ")");
        submenu.SetEnabled(!locked);
        for (const common::ScreenSize& size : SizesAt(shown.depth, display.deviceName.c_str())) {
            ui::TMenuItem& item = submenu.Add(SizeCaption(size.width, size.height), [this, size, display, shown] {
                SwitchTemporarily(size.width, size.height, shown.depth, true, &display);
            });
            item.SetEnabled(!locked);
            item.SetChecked(size.width == shown.width && size.height == shown.height);
            item.RadioItem = true;
        }
    }
}

void Tresolution::SettleQuestionBeforeChoice() {
    if (question_ && question_ == temporaryQuestion_)
        question_->Settle(Tconfirm::Answer::Abandon);
    else
        RevertUnconfirmedMode();
}

int Tresolution::SwitchTemporarily(int32_t width, int32_t height, int32_t depth, bool ask,
                                   const common::Display* display) {
    // The display of a remote session is not the computer's.
    if (common::RemoteSession()) return kModeRefused;
    SettleQuestionBeforeChoice();
    DisplayChange change;
    change.device = DeviceOf(display);
    change.previousScreen = DisplaySwitcher::ModeNow(change.device);
    if (switcher_.Switch({width, height, depth}, change.device, ask) != DISP_CHANGE_SUCCESSFUL) return kModeRefused;
    const common::CurrentMode& before = change.previousScreen;
    const bool changed = before.width != width || before.height != height || before.depth != depth;
    // A mode the driver accepts can still be one the monitor cannot show: unless a script asked for
    // it, it undoes itself when nobody confirms it.
    if (!ask || !changed || sessionEnding_) return kModeSwitched;
    question_ = temporaryQuestion_ = CreateOwned<Tconfirm>(
        std::move(change), [this](Tconfirm* question, const DisplayChange& settled, Tconfirm::Answer answer) {
            TemporaryQuestionSettled(question, settled, answer);
        });
    question_->Ask();
    return kModeSwitched;
}

// Only the screen goes back: the profile was never touched. When the program ends, its own switch
// to the natural mode follows.
void Tresolution::TemporaryQuestionSettled(Tconfirm* question, const DisplayChange& change, Tconfirm::Answer answer) {
    if (question == question_) question_ = nullptr;
    if (question == temporaryQuestion_) temporaryQuestion_ = nullptr;
    if (answer == Tconfirm::Answer::Keep) return;
    ScreenBackAfterQuestion(change, answer);
}

void Tresolution::ChooseMyMode() {
    const common::StoredMode mine = MyMode();
    if (!mine.width || common::RemoteSession()) return;
    SettleQuestionBeforeChoice();
    ApplyDisplayMode(mine.width, mine.height, mine.depth);
}

void Tresolution::ChooseNaturalMode() {
    if (policies_.lockMode || NaturalX <= 0) return;
    SettleQuestionBeforeChoice();
    RestoreNaturalMode();
}

int Tresolution::RunInMode(const ModeCommand& command, const std::string& device, int32_t depth, HWND sender) {
    if (common::RemoteSession()) return kModeRefused;
    SettleQuestionBeforeChoice();
    common::Handle process =
        programs_.Run({command.width, command.height, depth}, device, command.program, command.programArguments);
    if (!process) return kModeRefused;
    if (sender) return HandOverProgram(process.Get(), sender);
    ownProgram_ = std::move(process);
    return kModeSwitched;
}

void Tresolution::ProgramEnded(WPARAM id) {
    programs_.Ended(id);
    if (!ownProgram_ || WaitForSingleObject(ownProgram_.Get(), 0) != WAIT_OBJECT_0 || programs_.Running() > 0) return;
    // Other copies' programs may have come since: this copy ends when the last one has.
    DWORD code = 0;
    GetExitCodeProcess(ownProgram_.Get(), &code);
    ownRunResult_ = static_cast<int>(code);
    Close();
}

int Tresolution::RunModeCommand(const ModeCommand& command, HWND sender) {
    switch (command.kind) {
    case ModeCommand::Kind::Mode: {
        // "/display N": the N-th attached display, the primary one first.
        std::optional<common::Display> display;
        if (command.display > 0) {
            const std::vector<common::Display> displays = common::AttachedDisplays();
            if (static_cast<size_t>(command.display) > displays.size()) return kModeBadArgument;
            if (!displays[command.display - 1].primary) display = displays[command.display - 1];
        }
        const char* device = display ? display->deviceName.c_str() : nullptr;
        const int32_t depth = command.depth ? command.depth : common::ScreenModeNow(device).depth;
        const std::vector<common::ScreenSize> sizes = SizesAt(depth, device);
        const bool listed = std::any_of(sizes.begin(), sizes.end(), [&](const common::ScreenSize& size) {
            return size.width == command.width && size.height == command.height;
        });
        if (!listed) return kModeBadArgument;
        if (policies_.lockMode) return kModeRefused;
        if (!command.program.empty()) return RunInMode(command, DeviceOf(display ? &*display : nullptr), depth, sender);
        return SwitchTemporarily(command.width, command.height, depth, false, display ? &*display : nullptr);
    }
    case ModeCommand::Kind::MyMode: {
        const common::StoredMode mine = MyMode();
        if (!mine.width) return kModeBadArgument;
        ChooseMyMode();
        return common::ScreenIsIn(mine.width, mine.height, mine.depth) ? kModeSwitched : kModeRefused;
    }
    case ModeCommand::Kind::Natural:
        // A command that comes while this copy is still starting finds no natural mode read yet.
        if (policies_.lockMode || NaturalX <= 0) return kModeRefused;
        ChooseNaturalMode();
        return common::ScreenIsIn(NaturalX, NaturalY, NaturalDepth) ? kModeSwitched : kModeRefused;
    default:
        return kModeBadArgument;
    }
}

int Tresolution::ExitCode() const {
    if (!once->Forwarded()) return ownRunResult_.value_or(kModeSwitched);
    // A copy that handed its command over ends with the running copy's answer; without one, nothing
    // was switched.
    return once->ForwardAnswer() == desktop::TdskOneInstance::kNoAnswer ? kModeRefused : once->ForwardAnswer();
}

common::Handle Tresolution::ProgramToWaitFor() const {
    if (once->Forwarded()) return HandedOverProgram(once->ForwardAnswer());
    // Ended ("Exit") while the program of its own "/run" still runs: the process goes on waiting for
    // the program, as a copy that handed the command over does.
    HANDLE program = nullptr;
    if (ownRunResult_ || !ownProgram_ ||
        !DuplicateHandle(GetCurrentProcess(), ownProgram_.Get(), GetCurrentProcess(), &program, 0, FALSE,
                         DUPLICATE_SAME_ACCESS))
        return {};
    return common::Handle(program);
}

}  // namespace tray
