// Quorvex program entry.
#include "screens/about.h"
#include "screens/control_center.h"
#include "screens/wizard.h"
#include "tray/host_form.h"
#include "tray/mode_command.h"
#include "tray/program_modes.h"
#include "tray/session_watch.h"
#include "ui/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    // A command line that asks for nothing Quorvex knows changes nothing: not even a start.
    const std::string arguments = commandLine ? commandLine : "";
    if (tray::ParseModeCommand(arguments).kind == tray::ModeCommand::Kind::Bad) return tray::kModeBadArgument;
    // A crash must not leave the user's mode to the next user or to the logon screen.
    tray::ReturnTheScreenOnCrash();

    tray::ScreenFactories screens;
    screens.controlCenter = [](ui::Form& owner, tray::Host& host) -> ui::Form* {
        return owner.CreateOwned<screens::Tmain>(host);
    };
    screens.wizard = [](ui::Form& owner, tray::Host& host) -> ui::Form* {
        return owner.CreateOwned<screens::Twizard>(host);
    };
    screens.about = [](ui::Form& owner, tray::Host& host) -> ui::Form* {
        return owner.CreateOwned<screens::Tabout>(host);
    };

    ui::Application& app = ui::App();
    app.Initialize();
    app.SetTitle("Quorvex");
    // Only the host form lives from the start: the other windows are made when a command or the
    // start-up sequence needs them, and go when they close.
    tray::Tresolution* host = nullptr;
    app.CreateForm(host, std::move(screens), arguments);
    app.Run();
    const int exitCode = host->ExitCode();
    const common::Handle program = host->ProgramToWaitFor();
    app.DestroyForms();
    if (!program) return exitCode;
    // Another copy looks for the running Quorvex by the application window's title: a copy that only
    // waits for a program takes itself out of that search.
    app.SetTitle("Quorvex: waiting for a program");
    return tray::WaitForProgram(program);
}
