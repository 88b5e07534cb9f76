// The single-instance guard within one process: other copies are stood in for by threads that hold
// the mutexes, since a mutex belongs to a thread.
#include "common/text.h"
#include "desktop/one_instance.h"
#include "desktop_test_support.h"
#include "support/ui_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace desktoptest {
namespace {

using desktop::TdskOneInstance;

// The mutexes are named after the title, and the other test programs running now have mutexes of
// their own: each program's title is its own.
const std::string kTitle = uitest::UniqueName("QvGuardTest");
const std::string kDefault = kTitle + ".OneInstance.Default";

class OneInstanceTest : public DesktopTest {
protected:
    void SetUp() override {
        DesktopTest::SetUp();
        ui::App().SetTitle(kTitle);
    }
    void TearDown() override {
        desktop::ReleaseInstanceMutex();
        DesktopTest::TearDown();
    }
};

TEST_F(OneInstanceTest, MutexNamesFollowTitleIdentifierOrExecutablePath) {
    TdskOneInstance once(*form, "once");
    EXPECT_EQ(once.MutexBaseName(), kTitle + ".OneInstance.");
    once.Identifier = "Beta\\2";
    EXPECT_EQ(once.MutexBaseName(), kTitle + "Beta/2.OneInstance.");
    once.Identifier.clear();
    once.ExeNameAsIdentifier = true;
    std::string path = common::AsciiUpper(desktop::ExecutablePath());
    std::replace(path.begin(), path.end(), '\\', '/');
    EXPECT_EQ(once.MutexBaseName(), path + ".OneInstance.");
    EXPECT_EQ(once.MutexBaseName().find('\\'), std::string::npos);
    ui::App().SetTitle("Quorvex");
    once.ExeNameAsIdentifier = false;
    EXPECT_EQ(once.MutexBaseName() + "Default", "Quorvex.OneInstance.Default");
}

TEST_F(OneInstanceTest, AnotherCopyIsSeenOnlyWhileItHoldsTheMutexOfTheSameTitle) {
    TdskOneInstance once(*form, "once");
    struct Case {
        const char* what;
        std::string held;  // the mutex another copy holds, if any
        bool abandoned;    // that copy ended without releasing it
        bool another;
    };
    const Case cases[] = {
        {"alone", "", false, false},
        {"a running copy", kDefault, false, true},
        {"a copy under another title", uitest::UniqueName("Other") + ".OneInstance.Default", false, false},
        {"a copy that died holding the mutex", kDefault, true, false},
        {"a copy inside its own check", kTitle + ".OneInstance.CriticalSection", false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MutexHolder holder(c.held.empty() ? kTitle + ".Unused" : c.held);
        if (c.abandoned) holder.Stop(false);
        EXPECT_EQ(once.IsAnotherInstanceRunning(), c.another);
        holder.Stop();
        desktop::ReleaseInstanceMutex();
    }
}

// What another thread gets when it tries the mutex without waiting (it lets go again at once).
DWORD TryFromAnotherThread(const char* name) {
    struct Probe {
        static DWORD WINAPI Body(void* param) {
            HANDLE mutex = CreateMutexA(nullptr, FALSE, static_cast<const char*>(param));
            const DWORD result = WaitForSingleObject(mutex, 0);
            if (result != WAIT_TIMEOUT) ReleaseMutex(mutex);
            CloseHandle(mutex);
            return result;
        }
    };
    HANDLE thread = CreateThread(nullptr, 0, Probe::Body, const_cast<char*>(name), 0, nullptr);
    WaitForSingleObject(thread, INFINITE);
    DWORD result = 0;
    GetExitCodeThread(thread, &result);
    CloseHandle(thread);
    return result;
}

TEST_F(OneInstanceTest, TheFirstCopyKeepsTheMutexUntilItEnds) {
    TdskOneInstance once(*form, "once");
    ASSERT_FALSE(once.IsAnotherInstanceRunning());
    EXPECT_EQ(TryFromAnotherThread(kDefault.c_str()), static_cast<DWORD>(WAIT_TIMEOUT));
    // The check lock exists only during a check.
    EXPECT_EQ(OpenMutexA(SYNCHRONIZE, FALSE, (kTitle + ".OneInstance.CriticalSection").c_str()), nullptr);
    // Checking again in the same copy does not make it its own second copy.
    EXPECT_FALSE(once.IsAnotherInstanceRunning());

    desktop::ReleaseInstanceMutex();
    EXPECT_EQ(TryFromAnotherThread(kDefault.c_str()), static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST_F(OneInstanceTest, ASecondCopyShowsItsMessageAndTerminates) {
    MutexHolder first(kDefault);
    TdskOneInstance once(*form, "once");
    once.ShowMessage = true;
    once.ActivatePrevInstance = false;
    once.CheckInstance();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Application \"" + kTitle + "\" is already running.");
    EXPECT_EQ(services.messages[0].caption, kTitle);
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(services.messages[0].owner, ui::App().Handle());
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_FALSE(ui::App().ShowMainForm);
}

TEST_F(OneInstanceTest, AMessageHandlerMayLetTheSecondCopyRun) {
    MutexHolder first(kDefault);
    TdskOneInstance once(*form, "once");
    once.ShowMessage = true;
    int asked = 0;
    once.OnShowMessage = [&](TdskOneInstance& sender, bool& terminate) {
        ++asked;
        EXPECT_EQ(&sender, &once);
        EXPECT_TRUE(terminate);
        EXPECT_FALSE(ui::App().ShowMainForm);
        terminate = false;
    };
    once.CheckInstance();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(services.messages.empty());
    EXPECT_FALSE(ui::App().Terminated());
    EXPECT_TRUE(ui::App().ShowMainForm);

    // Without a message the copy still ends.
    TdskOneInstance quiet(*form, "quiet");
    quiet.CheckInstance();
    EXPECT_TRUE(services.messages.empty());
    EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(OneInstanceTest, TheFirstCopysApplicationWindowIsRestored) {
    // The first copy's application window: same class, same title, another window.
    HWND previous = CreateWindowExA(0, ui::Application::kWindowClass, kTitle.c_str(),
                                    WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 100, 100, 200, 50, nullptr,
                                    nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(previous, nullptr);
    ShowWindow(previous, SW_SHOWMINNOACTIVE);
    ASSERT_TRUE(IsIconic(previous));
    MutexHolder first(kDefault);
    TdskOneInstance once(*form, "once");
    once.CheckInstance();
    EXPECT_FALSE(IsIconic(previous));
    EXPECT_FALSE(IsIconic(ui::App().Handle()));
    DestroyWindow(previous);
}

}  // namespace
}  // namespace desktoptest
