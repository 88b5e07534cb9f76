// Fetchwell program entry. The application title stays unset: it is the executable's name.
#include "ui/application.h"
#include "updater/update_form.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    ui::Application& app = ui::App();
    app.Initialize();
    updater::Tupdate* update = nullptr;
    app.CreateForm(update);
    app.Run();
    app.DestroyForms();
    return 0;
}
