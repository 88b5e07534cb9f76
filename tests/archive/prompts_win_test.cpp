// The default prompts on Windows: the failure and volume prompts go through the system-services
// message box; the overwrite and password prompts are dialogs of our own, driven here by window
// messages.
#include "archive/archiver.h"
#include "archive/os.h"
#include "support/scripted_services.h"
#include "support/ui_test_support.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

struct Click {
    const char* caption;
    const char* button;
    const char* typed;  // text for the edit field, or nullptr
    char seen[512];
};

// Waits for the dialog, reads its text, types into its edit field and clicks a button.
DWORD WINAPI ClickWhenShown(void* param) {
    auto* click = static_cast<Click*>(param);
    for (int i = 0; i < 500; ++i) {
        HWND dialog = uitest::FindOwnWindow("#32770", click->caption);
        HWND button = dialog ? FindWindowExA(dialog, nullptr, "Button", click->button) : nullptr;
        if (button) {
            GetDlgItemTextA(dialog, 101, click->seen, sizeof(click->seen));
            if (click->typed) SetDlgItemTextA(dialog, 102, click->typed);
            PostMessageA(button, BM_CLICK, 0, 0);
            return 0;
        }
        Sleep(10);
    }
    return 1;
}

TEST(WindowsPrompts, OverwriteDialogHasTheToAllButtons) {
    archive::os::SetPrompts(nullptr);
    const struct {
        const char* button;
        archive::os::OverwriteAnswer answer;
    } cases[] = {{"N&o to All", archive::os::OverwriteAnswer::NoToAll},
                 {"Yes to &All", archive::os::OverwriteAnswer::YesToAll},
                 {"&Yes", archive::os::OverwriteAnswer::Yes},
                 {"&No", archive::os::OverwriteAnswer::No}};
    for (const auto& c : cases) {
        Click click{"Confirm", c.button, nullptr, {}};
        HANDLE thread = CreateThread(nullptr, 0, ClickWhenShown, &click, 0, nullptr);
        const auto answer = archive::os::CurrentPrompts().ConfirmOverwrite(
            "Overwrite file \"C:\\out\\a.txt\" with \"a.txt\"", "Confirm");
        WaitForSingleObject(thread, 10000);
        CloseHandle(thread);
        EXPECT_EQ(answer, c.answer) << c.button;
        EXPECT_STREQ(click.seen, "Overwrite file \"C:\\out\\a.txt\" with \"a.txt\"");
    }
}

TEST(WindowsPrompts, PasswordDialogReturnsTheTypedText) {
    archive::os::SetPrompts(nullptr);
    Click ok{"Password for \"a.txt\"", "OK", "s3cret", {}};
    HANDLE thread = CreateThread(nullptr, 0, ClickWhenShown, &ok, 0, nullptr);
    std::string value;
    EXPECT_TRUE(archive::os::CurrentPrompts().InputPassword("Password for \"a.txt\"", "Enter password: ", value));
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    EXPECT_EQ(value, "s3cret");
    EXPECT_STREQ(ok.seen, "Enter password: ");

    Click cancel{"Password for \"a.txt\"", "Cancel", "ignored", {}};
    thread = CreateThread(nullptr, 0, ClickWhenShown, &cancel, 0, nullptr);
    value = "before";
    EXPECT_FALSE(archive::os::CurrentPrompts().InputPassword("Password for \"a.txt\"", "Enter password: ", value));
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    EXPECT_EQ(value, "before");
}

TEST(WindowsPrompts, FailurePromptGoesThroughSystemServices) {
    archive::os::SetPrompts(nullptr);
    testsupport::ScriptedServices services;
    services.messageAnswers = {IDRETRY, IDIGNORE, IDABORT, IDCANCEL};
    const archive::os::FailureAnswer expected[] = {archive::os::FailureAnswer::Retry, archive::os::FailureAnswer::Ignore,
                                                   archive::os::FailureAnswer::Abort, archive::os::FailureAnswer::Abort};
    for (auto e : expected) EXPECT_EQ(archive::os::CurrentPrompts().ProcessFailure("text", "Confirm"), e);
    ASSERT_EQ(services.messages.size(), 4u);
    EXPECT_EQ(services.messages[0].caption, "Confirm");
    EXPECT_EQ(services.messages[0].text, "text");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_ABORTRETRYIGNORE | MB_ICONQUESTION));

    // So does the volume prompt: OK goes on, anything else cancels.
    services.messageAnswers = {IDOK, IDCANCEL};
    EXPECT_TRUE(archive::os::CurrentPrompts().RequestVolume("Insert volume 2 of 3", "Confirm"));
    EXPECT_FALSE(archive::os::CurrentPrompts().RequestVolume("Insert volume 2 of 3", "Confirm"));
    ASSERT_EQ(services.messages.size(), 6u);
    EXPECT_EQ(services.messages[4].text, "Insert volume 2 of 3");
    EXPECT_EQ(services.messages[4].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONQUESTION));
}

}  // namespace
