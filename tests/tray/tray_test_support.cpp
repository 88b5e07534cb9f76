#include "tray_test_support.h"

#include "desktop/one_instance.h"
#include "screens/about.h"
#include "screens/control_center.h"

#include <windows.h>

#include <fstream>
#include <sstream>

namespace traytest {

std::function<void()> FakeWizard::action;
int FakeWizard::shows = 0;

const ui::FormSpec FakeWizard::kForm = {
    .className = "TFakeWizard",
    .caption = "Quorvex First Configuration Wizard",
    .width = 300,
    .height = 200,
    .onActivate = ui::Do(&FakeWizard::FormActivate),
};

FakeWizard::FakeWizard(ui::Form* owner) : ui::Form(owner, kForm, {}) {}

void FakeWizard::FormActivate() {
    if (++shows > 1) return;
    if (action) action();
    Close();
}

void HostFormTest::SetUp() {
    TakeInstanceMutex();
    ui::App().Reset();
    ui::App().SetTitle("Quorvex");
    services.userName = "john";
    // A display that lists no modes: the screens offer their five fixed sizes unless a test lists some.
    services.displayModes.emplace();
    FakeWizard::action = nullptr;
    FakeWizard::shows = 0;
    factories.wizard = [](ui::Form& owner, tray::Host&) -> ui::Form* {
        FakeWizard::shows = 0;
        return owner.CreateOwned<FakeWizard>();
    };
    factories.controlCenter = [](ui::Form& owner, tray::Host& host) -> ui::Form* {
        return owner.CreateOwned<screens::Tmain>(host);
    };
    factories.about = [](ui::Form& owner, tray::Host& host) -> ui::Form* {
        return owner.CreateOwned<screens::Tabout>(host);
    };
}

void HostFormTest::TearDown() {
    ui::App().Reset();
    desktop::ReleaseInstanceMutex();
    LeaveInstanceMutex();
    // Every host form renews the program's autorun entry, here named after the test program.
    HKEY run = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0, KEY_ALL_ACCESS,
                      &run) == ERROR_SUCCESS) {
        char path[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        const std::string name = std::string(path).substr(std::string(path).find_last_of('\\') + 1);
        RegDeleteValueA(run, name.c_str());
        RegCloseKey(run);
    }
}

void HostFormTest::TakeInstanceMutex() {
    if (instanceMutex_) return;
    instanceMutex_ = CreateMutexA(nullptr, FALSE, "Quorvex.OneInstance.Default");
    // WAIT_ABANDONED: a test program ended while it held the mutex; it is ours now all the same.
    ASSERT_NE(WaitForSingleObject(instanceMutex_, 100000), WAIT_TIMEOUT) << "another Quorvex runs";
}

void HostFormTest::LeaveInstanceMutex() {
    if (!instanceMutex_) return;
    ReleaseMutex(instanceMutex_);
    CloseHandle(instanceMutex_);
    instanceMutex_ = nullptr;
}

void HostFormTest::CreateHost() {
    ui::App().CreateForm(host, factories);
}

void HostFormTest::WriteProfile(const std::string& upperName, const std::string& text) {
    CreateDirectoryA((Dir() + "Users").c_str(), nullptr);
    std::ofstream(ProfileFile(upperName), std::ios::binary) << text;
}

std::string HostFormTest::FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> HostFormTest::Popups() const {
    std::vector<std::string> texts;
    for (HWND popup = nullptr; (popup = FindWindowExA(nullptr, popup, "Tagent", nullptr));) {
        if (!IsWindowVisible(popup) || GetWindowThreadProcessId(popup, nullptr) != GetCurrentThreadId()) continue;
        char text[256] = {};
        // The popup's label is its second child window (the check box comes after it).
        HWND label = FindWindowExA(popup, nullptr, "Static", nullptr);
        GetWindowTextA(label, text, sizeof(text));
        texts.insert(texts.begin(), text);  // top-level windows come newest first
    }
    return texts;
}

std::vector<std::string> HostFormTest::Boxes() const {
    std::vector<std::string> texts;
    for (const auto& call : services.messages) texts.push_back(call.text);
    return texts;
}

}  // namespace traytest
