#pragma once
// A plain form with a tray menu for the desktop components, the fixture that makes it, and a
// thread that holds a named mutex as another copy of a program would.
#include "support/scripted_services.h"
#include "ui/application.h"
#include "ui/form.h"

#include <gtest/gtest.h>

#include <string>

namespace desktoptest {

class Tdesk : public ui::Form {
public:
    explicit Tdesk(ui::Form* owner);
    void Open1Click() { ++opened; }
    int opened = 0;

    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};

class DesktopTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    testsupport::ScriptedServices services;
    Tdesk* form = nullptr;
};

class MutexHolder {
public:
    // Takes the mutex on a thread of its own and keeps it until Stop.
    explicit MutexHolder(const std::string& name);
    ~MutexHolder() { Stop(); }
    // `release` false: the thread ends without releasing, leaving the mutex abandoned.
    void Stop(bool release = true);

private:
    static DWORD WINAPI Body(void* self);
    std::string name_;
    HANDLE taken_, stop_, thread_ = nullptr;
    bool release_ = true;
};

}  // namespace desktoptest
