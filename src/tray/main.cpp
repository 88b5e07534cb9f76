// Quorvex program entry.
#include "screens/about.h"
#include "screens/control_center.h"
#include "screens/wizard.h"
#include "tray/agent_form.h"
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
    app.CreateForm(forms.resolution);
    ::screens::Tmain* controlCenter = nullptr;
    app.CreateForm(controlCenter);
    forms.main = controlCenter;
    Tagent* agent = nullptr;
    app.CreateForm(agent);
    forms.agent = agent;
    ::screens::Twizard* wizard = nullptr;
    app.CreateForm(wizard);
    forms.wizard = wizard;
    ::screens::Tabout* about = nullptr;
    app.CreateForm(about);
    forms.about = about;
    app.Run();
    app.DestroyForms();
    return 0;
}
