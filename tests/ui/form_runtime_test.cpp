// The form runtime with real windows in the Wine desktop, driven through window messages.
#include "demo_form.h"
#include "support/files.h"
#include "support/scripted_services.h"
#include "ui/application.h"
#include "ui/exception.h"
#include "ui/thread.h"
#include "support/ui_test_support.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace {

using uitest::PumpUntil;

class FormRuntime : public ::testing::Test {
protected:
    void SetUp() override {
        ui::App().Reset();
        ui::App().SetTitle("Demo title");
    }
    void TearDown() override { ui::App().Reset(); }

    Tdemo* CreateDemo() {
        Tdemo* form = nullptr;
        ui::App().CreateForm(form);
        return form;
    }
    static HWND Control(ui::Form& form, const char* name) { return form.Find(name).Handle(); }
};

TEST_F(FormRuntime, IdleRunsWhenTheQueueEmptiesAndAgainAfterLaterMessages) {
    Tdemo* form = CreateDemo();
    int idlesAtTick[4] = {};
    form->onTick = [&] {
        idlesAtTick[form->ticks] = form->idles;
        if (form->ticks == 3) ui::App().Terminate();
    };
    // Ticks far enough apart that the queue empties between them, also on a busy machine.
    form->Find<ui::TTimer>("Timer1").SetInterval(200);
    form->Find<ui::TTimer>("Timer1").SetEnabled(true);
    ui::App().Run();

    EXPECT_EQ(form->ticks, 3);
    // Idle ran again between ticks...
    EXPECT_GT(idlesAtTick[2], idlesAtTick[1]);
    EXPECT_GT(idlesAtTick[3], idlesAtTick[2]);
    // ...but the loop waited between them instead of spinning through idle.
    EXPECT_LT(idlesAtTick[3], 60);
}

TEST_F(FormRuntime, RunOnceFlagSurvivesTheIdleOfANestedMessageBox) {
    Tdemo* form = CreateDemo();
    int onceRuns = 0, idlesBeforeBox = 0, idlesAfterBox = 0;
    form->onIdleOnce = [&] {
        ++onceRuns;
        idlesBeforeBox = form->idles;
        // The box is closed once its own loop has come back to the idle handler (much later under an
        // emulator than on a processor), or after 10 s.
        HANDLE closer = uitest::RunInThread([form, before = idlesBeforeBox] {
            for (int waited = 0; form->idles == before && waited < 10000; waited += 20) Sleep(20);
            uitest::CloseMessageBoxLater("Demo title", 0);
        });
        ui::ShowMessage("Nested box");
        idlesAfterBox = form->idles;
        WaitForSingleObject(closer, INFINITE);
        CloseHandle(closer);
        ui::App().Terminate();
    };
    ui::App().Run();

    EXPECT_EQ(onceRuns, 1);
    // The box's own loop came back to the idle handler, which found the flag cleared.
    EXPECT_GT(idlesAfterBox, idlesBeforeBox);
    EXPECT_FALSE(form->Find<ui::TCheckBox>("startup").Checked());
}

// A form whose one bound member takes the name it is given.
class Tbound : public ui::Form {
public:
    Tbound(ui::Form* owner, const char* name);
    ui::Bound<ui::TButton> button;
    static const ui::FormSpec kForm;
    static const ui::ControlSpec kLayout[];
};
const ui::FormSpec Tbound::kForm = {.className = "Tbound", .width = 200, .height = 100};
const ui::ControlSpec Tbound::kLayout[] = {
    ui::Label("Label1", {8, 8}, "Text"),
    ui::Button("Button1", {8, 32, 75, 25}, "Press"),
};
Tbound::Tbound(ui::Form* owner, const char* name) : ui::Form(owner, kForm, kLayout), button{*this, name} {}

TEST_F(FormRuntime, ABoundMemberIsFoundAtLoadAndAWrongNameFailsTheLoad) {
    Tbound good(nullptr, "Button1");
    good.Load();
    EXPECT_EQ(good.button->Text(), "Press");
    EXPECT_EQ(&*good.button, &good.Find<ui::TButton>("Button1"));

    for (const char* name : {"Buton1", "Label1"}) {  // no such control; a label is no button
        SCOPED_TRACE(name);
        Tbound wrong(nullptr, name);
        try {
            wrong.Load();
            ADD_FAILURE() << "the load succeeded";
        } catch (const std::logic_error& error) {
            EXPECT_NE(std::string(error.what()).find(name), std::string::npos) << error.what();
        }
    }
}

TEST_F(FormRuntime, ExceptionInAClickHandlerGivesOneErrorBoxAndTheLoopGoesOn) {
    testsupport::ScriptedServices services;
    Tdemo* form = CreateDemo();
    form->Show();
    form->onClick = [&] {
        if (form->clicks == 1) throw ui::Exception("Boom");
        if (form->clicks == 2) throw std::runtime_error("Already ends with one.");
    };
    HWND button = Control(*form, "Button1");
    PostMessageA(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return services.messages.size() == 1; }));
    EXPECT_EQ(services.messages[0].text, "Boom.");
    EXPECT_EQ(services.messages[0].caption, "Demo title");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONERROR));

    PostMessageA(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return services.messages.size() == 2; }));
    EXPECT_EQ(services.messages[1].text, "Already ends with one.");

    PostMessageA(button, BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return form->clicks == 3; }));
    EXPECT_EQ(services.messages.size(), 2u);
    EXPECT_EQ(form->Find("status").Text(), "Pressed 3");
}

// In High Contrast a form paints with the system's brush and its texts in the system's text colour
// (the red one too), and it follows a switch of the theme while it is open.
TEST_F(FormRuntime, HighContrastPaintsInTheSystemsColoursAndFollowsASwitch) {
    testsupport::ScriptedServices services;
    services.highContrast = true;
    Tdemo* form = CreateDemo();
    form->Show();
    HWND red = Control(*form, "right");
    HBRUSH brush = nullptr;
    const auto textColor = [&] {
        HDC dc = GetDC(red);
        brush = reinterpret_cast<HBRUSH>(
            SendMessageA(form->Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(red)));
        const COLORREF color = GetTextColor(dc);
        ReleaseDC(red, dc);
        return color;
    };
    EXPECT_EQ(textColor(), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(form->Find("right").Text(), "right edge");

    services.highContrast = false;
    SendMessageA(form->Handle(), WM_SYSCOLORCHANGE, 0, 0);
    EXPECT_EQ(textColor(), RGB(0xD9, 0x2B, 0x11));
    EXPECT_NE(brush, GetSysColorBrush(COLOR_BTNFACE));

    services.highContrast = true;
    SendMessageA(form->Handle(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
    EXPECT_EQ(textColor(), GetSysColor(COLOR_BTNTEXT));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_BTNFACE));
}

TEST_F(FormRuntime, TerminateEndsTheLoopAfterTheCurrentHandler) {
    Tdemo* form = CreateDemo();
    form->Show();
    bool handlerFinished = false;
    form->onClick = [&] {
        ui::App().Terminate();
        handlerFinished = true;
    };
    PostMessageA(Control(*form, "Button1"), BM_CLICK, 0, 0);
    ui::App().Run();
    EXPECT_TRUE(handlerFinished);
    EXPECT_EQ(form->clicks, 1);
}

TEST_F(FormRuntime, ClosingAFormHidesItAndClosingTheMainFormEndsTheRun) {
    Tdemo* mainForm = CreateDemo();
    Tdemo* other = CreateDemo();
    EXPECT_EQ(ui::App().MainForm(), mainForm);
    mainForm->Show();
    other->Show();

    PostMessageA(other->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return other->closes == 1; }));
    EXPECT_FALSE(other->Visible());
    EXPECT_TRUE(IsWindow(other->Handle()));

    // The close event may refuse.
    mainForm->closeAction = ui::CloseAction::None;
    PostMessageA(mainForm->Handle(), WM_CLOSE, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return mainForm->closes == 1; }));
    EXPECT_FALSE(ui::App().Terminated());

    mainForm->closeAction = ui::CloseAction::Hide;
    PostMessageA(mainForm->Handle(), WM_CLOSE, 0, 0);
    ui::App().Run();
    EXPECT_EQ(mainForm->closes, 2);
}

TEST_F(FormRuntime, ShowModalDisablesTheOtherWindowsAndReturnsWhenTheFormCloses) {
    Tdemo* mainForm = CreateDemo();
    mainForm->Show();
    Tdemo* modal = mainForm->CreateOwned<Tdemo>();
    EXPECT_EQ(GetWindow(modal->Handle(), GW_OWNER), mainForm->Handle());

    bool mainEnabledDuringModal = true;
    modal->onTick = [&] {
        mainEnabledDuringModal = IsWindowEnabled(mainForm->Handle()) != FALSE;
        modal->Close();
    };
    modal->Find<ui::TTimer>("Timer1").SetEnabled(true);
    EXPECT_EQ(modal->ShowModal(), IDCANCEL);
    EXPECT_EQ(modal->ticks, 1);
    EXPECT_EQ(modal->closes, 1);
    EXPECT_FALSE(mainEnabledDuringModal);
    EXPECT_TRUE(IsWindowEnabled(mainForm->Handle()));
    EXPECT_FALSE(modal->Visible());
}

TEST_F(FormRuntime, RadioButtonsFormOneGroupPerContainer) {
    Tdemo* form = CreateDemo();
    form->Show();
    auto& r1 = form->Find<ui::TRadioButton>("r1");
    auto& r2 = form->Find<ui::TRadioButton>("r2");
    auto& r3 = form->Find<ui::TRadioButton>("r3");
    auto& r4 = form->Find<ui::TRadioButton>("r4");

    PostMessageA(r2.Handle(), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return form->radioClicks == 1; }));
    EXPECT_FALSE(r1.Checked());
    EXPECT_TRUE(r2.Checked());
    EXPECT_TRUE(r3.Checked());  // the other group is untouched

    r4.SetChecked(true);
    EXPECT_FALSE(r3.Checked());
    EXPECT_TRUE(r2.Checked());
    r1.SetChecked(true);
    EXPECT_FALSE(r2.Checked());
    EXPECT_TRUE(r4.Checked());
}

TEST_F(FormRuntime, NotebookShowsOnePageAtATime) {
    Tdemo* form = CreateDemo();
    form->Show();
    auto& book = form->Find<ui::TNotebook>("Notebook1");
    EXPECT_EQ(book.ActivePage(), "first");
    EXPECT_TRUE(IsWindowVisible(Control(*form, "onFirst")));
    EXPECT_FALSE(IsWindowVisible(Control(*form, "onSecond")));

    PostMessageA(Control(*form, "Button2"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return book.ActivePage() == "second"; }));
    EXPECT_FALSE(IsWindowVisible(Control(*form, "onFirst")));
    EXPECT_TRUE(IsWindowVisible(Control(*form, "onSecond")));
    EXPECT_THROW(book.SetActivePage("third"), std::logic_error);
}

TEST_F(FormRuntime, TrackBarPositionFromOutsideFiresTheChange) {
    Tdemo* form = CreateDemo();
    form->Show();
    HWND bar = Control(*form, "TrackBar1");
    SendMessageA(bar, TBM_SETPOS, TRUE, 5);
    EXPECT_EQ(form->changes, 1);
    EXPECT_EQ(form->Find("trackText").Text(), "5");
    EXPECT_EQ(form->Find<ui::TProgressBar>("ProgressBar1").Position(), 100);
    SendMessageA(bar, TBM_SETPOS, TRUE, 5);  // no change, no event
    EXPECT_EQ(form->changes, 1);
}

TEST_F(FormRuntime, AutoSizedLabelsFollowTheirTextAndRightAlignedOnesKeepTheirRightEdge) {
    Tdemo* form = CreateDemo();
    form->Show();
    auto& right = form->Find<ui::TLabel>("right");
    const RECT before = right.BoundsRect();
    EXPECT_EQ(before.right, 300);

    right.SetText("a much longer text than before");
    const RECT longer = right.BoundsRect();
    EXPECT_EQ(longer.right, 300);
    EXPECT_LT(longer.left, before.left);

    right.SetText("x");
    const RECT shorter = right.BoundsRect();
    EXPECT_EQ(shorter.right, 300);
    EXPECT_GT(shorter.left, before.left);

    // A fixed-size label keeps its box.
    auto& status = form->Find<ui::TLabel>("status");
    status.SetText("x");
    EXPECT_EQ(status.BoundsRect().right - status.BoundsRect().left, 300);
}

TEST_F(FormRuntime, PopupMenuHasItsDefaultItemAndRunsTheChosenOne) {
    Tdemo* form = CreateDemo();
    form->Show();
    auto& menu = form->Find<ui::TPopupMenu>("popup");
    ASSERT_NE(menu.DefaultItem(), nullptr);
    EXPECT_EQ(menu.DefaultItem()->Name(), "Item1");
    EXPECT_EQ(GetMenuDefaultItem(menu.Handle(), FALSE, 0), menu.DefaultItem()->Id());
    ASSERT_EQ(GetMenuItemCount(menu.Handle()), 3);
    EXPECT_EQ(GetMenuState(menu.Handle(), 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));

    // Choose the first item with the keyboard while the menu is open.
    HANDLE chooser = uitest::RunInThread([] {
        for (int i = 0; i < 300; ++i, Sleep(10))
            if (HWND popup = uitest::FindOwnWindow("#32768", nullptr, true)) {
                Sleep(100);
                PostMessageA(popup, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(popup, WM_KEYDOWN, VK_RETURN, 0);
                return;
            }
    });
    SetForegroundWindow(form->Handle());
    menu.Popup(100, 100);
    WaitForSingleObject(chooser, INFINITE);
    CloseHandle(chooser);
    EXPECT_EQ(form->item1, 1);
}

TEST_F(FormRuntime, TaskbarButtonIsThereExactlyWhileSomeFormIsVisible) {
    Tdemo* first = CreateDemo();
    Tdemo* second = CreateDemo();
    HWND application = ui::App().Handle();
    EXPECT_FALSE(IsWindowVisible(application));
    EXPECT_EQ(GetWindow(first->Handle(), GW_OWNER), application);

    first->Show();
    EXPECT_TRUE(IsWindowVisible(application));
    second->Show();
    first->Hide();
    EXPECT_TRUE(IsWindowVisible(application));
    second->Hide();
    EXPECT_FALSE(IsWindowVisible(application));

    char title[64] = {};
    GetWindowTextA(application, title, sizeof(title));
    EXPECT_STREQ(title, "Demo title");
    char cls[64] = {};
    GetClassNameA(application, cls, sizeof(cls));
    EXPECT_STREQ(cls, ui::Application::kWindowClass);
}

TEST_F(FormRuntime, HintWindowsTakeTheApplicationsHintSettings) {
    Tdemo* form = CreateDemo();
    ui::App().SetHintColor(RGB(249, 215, 81));
    ui::App().SetHintHidePause(6000);
    HWND tip = nullptr;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, TOOLTIPS_CLASSA, nullptr));)
        if (GetWindow(w, GW_OWNER) == form->Handle()) tip = w;
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(static_cast<COLORREF>(SendMessageA(tip, TTM_GETTIPBKCOLOR, 0, 0)), RGB(249, 215, 81));
    EXPECT_EQ(SendMessageA(tip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 6000);
    EXPECT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 1);
}

TEST_F(FormRuntime, ApplicationEventSinksRunLastFirstAndCanCancelTheRest) {
    std::string order;
    ui::App().OnIdle = [&](bool&) { order += "saved;"; };
    Tdemo* form = CreateDemo();  // its sink chains in front of the handler that was there
    form->onIdleOnce = [&] { order += "form;"; };
    {
        ui::TApplicationEvents later(*form, "later");
        later.OnIdle = [&](bool&) { order += "later;"; };
        ui::App().Idle();
        EXPECT_EQ(order, "later;form;saved;");

        order.clear();
        later.OnIdle = [&](bool&) {
            order += "later;";
            later.CancelDispatch();
        };
        ui::App().Idle();
        EXPECT_EQ(order, "later;");
    }
    ui::App().Reset();  // the last sink goes with the form: the saved handler is back
    order.clear();
    ui::App().Idle();
    EXPECT_EQ(order, "saved;");
    ui::App().OnIdle = nullptr;
}

// A worker that waits for the GUI thread while a message box is open there.
class HandOff : public ui::Thread {
public:
    DWORD ranOn = 0;
    bool boxWasOpen = false;

protected:
    void Execute() override {
        for (DWORD start = GetTickCount(); !uitest::FindOwnWindow("#32770", "Demo title", true);) {
            if (GetTickCount() - start > 5000) return;
            Sleep(10);
        }
        Synchronize([this] {
            ranOn = GetCurrentThreadId();
            boxWasOpen = uitest::FindOwnWindow("#32770", "Demo title") != nullptr;
        });
        uitest::CloseMessageBoxLater("Demo title", 0);
    }
};

TEST_F(FormRuntime, WorkerHandOffRunsOnTheGuiThreadWhileAModalBoxIsOpen) {
    HandOff worker;
    worker.Start();
    ui::ShowMessage("Waiting for the worker");
    worker.WaitFor();
    EXPECT_EQ(worker.ranOn, GetCurrentThreadId());
    EXPECT_TRUE(worker.boxWasOpen);
}

class FailingWorker : public ui::Thread {
protected:
    void Execute() override { throw ui::Exception("Cannot go on", "EWorkerFailure"); }
};

// Run in a child process by the test below.
TEST(WorkerFailure, DISABLED_Child) {
    testsupport::ScriptedServices services;
    services.onMessage = [](const testsupport::ScriptedServices::MessageCall& call) {
        std::ofstream out(getenv("QV_WORKER_REPORT"));
        out << call.caption << "|" << call.text << "|" << ((call.type & MB_TASKMODAL) ? "taskmodal" : "-");
    };
    FailingWorker worker;
    worker.Start();
    worker.WaitFor();
}

TEST(WorkerFailure, AnExceptionInAWorkerEndsTheProcessWithCode1) {
    char report[MAX_PATH];
    GetTempPathA(MAX_PATH, report);
    lstrcatA(report, "qv-worker-report.txt");
    DeleteFileA(report);
    SetEnvironmentVariableA("QV_WORKER_REPORT", report);
    const DWORD code = testsupport::RunChildTest("WorkerFailure.DISABLED_Child", 30000);
    EXPECT_EQ(code, 1u);

    EXPECT_EQ(testsupport::FileText(report), "Application Error|EWorkerFailure: Cannot go on.|taskmodal");
}

TEST_F(FormRuntime, DemoFormDrivenThroughMessages) {
    Tdemo* form = CreateDemo();
    form->Show();
    SendMessageA(Control(*form, "TrackBar1"), TBM_SETPOS, TRUE, 4);
    PostMessageA(Control(*form, "Button1"), BM_CLICK, 0, 0);
    PostMessageA(Control(*form, "r2"), BM_CLICK, 0, 0);
    PostMessageA(Control(*form, "r4"), BM_CLICK, 0, 0);
    ASSERT_TRUE(PumpUntil([&] { return form->clicks == 1 && form->radioClicks == 1; }));
    PumpUntil([] { return false; }, 300);  // let everything paint
    EXPECT_EQ(form->Find("status").Text(), "Pressed 1");
    EXPECT_EQ(form->Find("trackText").Text(), "4");
    uitest::SaveScreenshot(form->Handle(), "ui-demo-form");
}

}  // namespace
