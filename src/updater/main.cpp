// Fetchwell program entry. The application title stays unset: it is the executable's name.
#include "ui/application.h"
#include "updater/update_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    ui::Application& app = ui::App();
    app.Initialize();
    updater::Tupdate* update = nullptr;
    app.CreateForm(update, std::string(commandLine ? commandLine : ""));
    app.Run();
    app.DestroyForms();
    return 0;
}
