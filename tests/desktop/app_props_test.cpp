// Application properties: settings written to the application object, and the dispatch of the
// application's and the screen's events through the live instances.
#include "desktop/app_props.h"
#include "desktop_test_support.h"
#include "ui/exception.h"
#include "ui/screen.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace desktoptest {
namespace {

using desktop::TdskApplicationProperties;

class AppPropsTest : public DesktopTest {};

TEST_F(AppPropsTest, SettersWriteTheApplicationAndLoadingWritesEverySettingAgain) {
    ui::Application& app = ui::App();
    const HICON icon = app.Icon();
    TdskApplicationProperties props(*form, "props");
    props.Loaded();  // the defaults change nothing
    EXPECT_EQ(app.HintColor(), GetSysColor(COLOR_INFOBK));
    EXPECT_EQ(app.HintHidePause(), 2500);
    EXPECT_EQ(app.Icon(), icon);

    props.SetHintColor(ui::Rgb(249, 215, 81));
    props.SetHintPause(0);
    props.SetMouseDragThreshold(9);
    props.SetTitle("Renamed");
    EXPECT_EQ(props.HintColor(), 5363705u);
    EXPECT_EQ(app.HintPause(), 0);
    EXPECT_EQ(ui::Mouse().DragThreshold, 9);
    char title[64] = {};
    GetWindowTextA(app.Handle(), title, sizeof(title));
    EXPECT_STREQ(title, "Renamed");

    // The application shows its own copy of another icon; its own icon is not copied again.
    HICON warning = LoadIconA(nullptr, IDI_WARNING);
    props.SetIcon(warning);
    EXPECT_NE(app.Icon(), nullptr);
    EXPECT_NE(app.Icon(), warning);
    const HICON copy = app.Icon();
    props.SetIcon(copy);
    EXPECT_EQ(app.Icon(), copy);

    // The end of loading puts every stored setting back over what others wrote meanwhile, as the
    // single-instance guard does with the main-form switch.
    app.ShowMainForm = false;
    app.SetHintHidePause(100);
    props.Loaded();
    EXPECT_TRUE(app.ShowMainForm);
    EXPECT_EQ(app.HintHidePause(), 2500);
    EXPECT_EQ(app.HintPause(), 0);
}

// Each event as the application or the screen raises it.
struct Event {
    const char* name;
    std::function<void(TdskApplicationProperties&, std::string&, const char*)> listen;
    std::function<void()> raise;
    std::function<void(std::string&)> installBefore;  // the handler that was there first
};

TEST_F(AppPropsTest, EventsReachTheInstancesLastAddedFirstAndStopAfterAnUnchainedOne) {
    ui::Application& app = ui::App();
    ui::Screen& screen = ui::Screen::Instance();
    const Event events[] = {
        {"idle", [](auto& p, auto& log, auto tag) { p.OnIdle = [&log, tag](bool&) { log += tag; }; },
         [] { ui::App().Idle(); }, [](std::string& log) { ui::App().OnIdle = [&log](bool&) { log += "saved;"; }; }},
        {"activate", [](auto& p, auto& log, auto tag) { p.OnActivate = [&log, tag] { log += tag; }; },
         [] { SendMessageA(ui::App().Handle(), WM_ACTIVATEAPP, TRUE, 0); },
         [](std::string& log) { ui::App().OnActivate = [&log] { log += "saved;"; }; }},
        {"hint", [](auto& p, auto& log, auto tag) { p.OnHint = [&log, tag] { log += tag; }; },
         [] { ui::App().SetHint(ui::App().Hint() + "x"); },
         [](std::string& log) { ui::App().OnHint = [&log] { log += "saved;"; }; }},
        {"active form", [](auto& p, auto& log, auto tag) { p.OnActiveFormChange = [&log, tag] { log += tag; }; },
         [] { ui::Screen::Instance().OnActiveFormChange(); },
         [](std::string& log) { ui::Screen::Instance().OnActiveFormChange = [&log] { log += "saved;"; }; }},
        {"message", [](auto& p, auto& log, auto tag) { p.OnMessage = [&log, tag](MSG&, bool&) { log += tag; }; },
         [] {
             PostMessageA(nullptr, WM_NULL, 0, 0);
             ui::App().ProcessMessages();
         },
         [](std::string& log) { ui::App().OnMessage = [&log](MSG&, bool&) { log += "saved;"; }; }},
    };
    for (const Event& event : events) {
        SCOPED_TRACE(event.name);
        std::string log;
        event.installBefore(log);
        {
            auto first = std::make_unique<TdskApplicationProperties>(*form, "first");
            auto second = std::make_unique<TdskApplicationProperties>(*form, "second");
            event.listen(*first, log, "first;");
            event.listen(*second, log, "second;");
            event.raise();
            EXPECT_EQ(log, "second;first;saved;");

            log.clear();
            second->Chained = false;
            event.raise();
            EXPECT_EQ(log, "second;");

            log.clear();
            second->Chained = true;
            first->Chained = false;
            event.raise();
            EXPECT_EQ(log, "second;first;");

            // An instance without a handler passes the event on, unless it is unchained.
            log.clear();
            first->Chained = true;
            auto third = std::make_unique<TdskApplicationProperties>(*form, "third");
            event.raise();
            EXPECT_EQ(log, "second;first;saved;");
            third->Chained = false;
            log.clear();
            event.raise();
            EXPECT_EQ(log, "");
        }
        // The last instance gone, the handler from before is back in its place.
        log.clear();
        event.raise();
        EXPECT_EQ(log, "saved;");
        app.OnIdle = nullptr;
        app.OnActivate = nullptr;
        app.OnHint = nullptr;
        app.OnMessage = nullptr;
        screen.OnActiveFormChange = nullptr;
    }
}

TEST_F(AppPropsTest, AnExceptionNobodyHandlesGetsTheErrorBox) {
    TdskApplicationProperties props(*form, "props");
    const auto raise = [] { ui::App().HandleException(std::make_exception_ptr(ui::Exception("Broken"))); };
    raise();
    ASSERT_EQ(services.messages.size(), 1u);
    EXPECT_EQ(services.messages[0].text, "Broken.");
    EXPECT_EQ(services.messages[0].type, static_cast<UINT>(MB_OK | MB_ICONSTOP));

    std::string seen;
    props.OnException = [&](const std::exception& error) { seen = error.what(); };
    props.Chained = false;
    raise();
    EXPECT_EQ(seen, "Broken");
    EXPECT_EQ(services.messages.size(), 1u);
}

TEST_F(AppPropsTest, HintFontChangesReachTheHintWindows) {
    TdskApplicationProperties props(*form, "props");
    ui::Screen& screen = ui::Screen::Instance();
    LOGFONTA font = screen.HintFont();
    font.lfHeight = font.lfHeight == -20 ? -21 : -20;
    screen.SetHintFont(font);
    ASSERT_NE(form->HintWindow(), nullptr);
    // The hint window keeps a font of its own made from the one it is given.
    LOGFONTA used{};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(form->HintWindow(), WM_GETFONT, 0, 0)), sizeof(used), &used);
    EXPECT_EQ(used.lfHeight, font.lfHeight);
    EXPECT_STREQ(used.lfFaceName, font.lfFaceName);
    screen.RefreshFonts();  // back to the system's
}

TEST_F(AppPropsTest, SettingChangesAndPaintingWhileMinimisedReachTheirEvents) {
    TdskApplicationProperties props(*form, "props");
    int changed = 0, painted = 0;
    props.OnSettingsChanged = [&] { ++changed; };
    props.OnPaintIcon = [&](HDC dc) {
        EXPECT_NE(dc, nullptr);
        ++painted;
    };
    SendMessageA(ui::App().Handle(), WM_SETTINGCHANGE, 0, 0);
    EXPECT_EQ(changed, 1);
    form->Show();
    ui::App().Minimize();
    ASSERT_TRUE(IsIconic(ui::App().Handle()));
    SendMessageA(ui::App().Handle(), WM_PAINT, 0, 0);
    EXPECT_EQ(painted, 1);
    ui::App().Restore();
    SendMessageA(ui::App().Handle(), WM_PAINT, 0, 0);
    EXPECT_EQ(painted, 1);
}

}  // namespace
}  // namespace desktoptest
