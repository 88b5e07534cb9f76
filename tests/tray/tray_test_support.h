#pragma once
// A fixture that runs Quorvex's host form in this process with scripted system answers, and a
// stand-in wizard that acts as the user would.
#include "common/ini_file.h"
#include "common/profile.h"
#include "common/text.h"
#include "support/scripted_services.h"
#include "tray/host.h"
#include "tray/host_form.h"
#include "ui/application.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace traytest {

// Shown modally by the start-up sequence; runs the test's action at its first activation, then closes.
class FakeWizard : public ui::Form {
public:
    explicit FakeWizard(ui::Form* owner);
    void FormActivate();
    static std::function<void()> action;
    static int shows;
    static const ui::FormSpec kForm;
};

class HostFormTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    void CreateHost();
    void StartUp() { ui::App().Idle(); }  // the first idle moment of the loop
    std::string Dir() const { return common::ProgramDirectory(); }
    std::string ProfileFile(const std::string& upperName) const { return common::ProfilePath(upperName); }
    void WriteProfile(const std::string& upperName, const std::string& text);
    static std::string FileText(const std::string& path);
    // The texts of the notification popups on screen, oldest first.
    std::vector<std::string> Popups() const;
    std::vector<std::string> Boxes() const;

    // The host form checks for another running Quorvex. Test programs run side by side in one
    // Wine session, so the fixture holds the instance mutex on this thread for the whole test:
    // programs with host forms wait here for each other instead of seeing a second copy.
    void TakeInstanceMutex();
    void LeaveInstanceMutex();

    testsupport::ScriptedServices services;
    tray::ScreenFactories factories;  // what the host form makes its screens with
    tray::Tresolution* host = nullptr;

private:
    HANDLE instanceMutex_ = nullptr;
};

}  // namespace traytest
