// Quorvex program entry.
#include "screens/about.h"
#include "screens/control_center.h"
#include "screens/wizard.h"
#include "tray/forms.h"
#include "tray/host_form.h"
#include "ui/application.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tray;
    screenFactories.controlCenter = [](ui::Form& owner) -> ui::Form* { return owner.CreateOwned<::screens::Tmain>(); };
    screenFactories.wizard = [](ui::Form& owner) -> ui::Form* { return owner.CreateOwned<::screens::Twizard>(); };
    screenFactories.about = [](ui::Form& owner) -> ui::Form* { return owner.CreateOwned<::screens::Tabout>(); };

    ui::Application& app = ui::App();
    app.Initialize();
    app.SetTitle("Quorvex");
    // Only the host form lives from the start: the other windows are made when a command or the
    // start-up sequence needs them, and go when they close.
    app.CreateForm(forms.resolution);
    app.Run();
    app.DestroyForms();
    return 0;
}
