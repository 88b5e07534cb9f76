// The display-mode engine on its own, without a window: what it asks the system, what it reports and
// what it holds, with a scripted primary display and a second one.
#include "support/scripted_services.h"
#include "tray/display_switcher.h"
#include "tray/program_modes.h"
#include "ui/application.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace traytest {
namespace {

using Call = testsupport::ScriptedServices::DisplayCall;
using Display = testsupport::ScriptedServices::Display;

const char kSecond[] = "\\\\.\\DISPLAY2";
const char kError2[] = "Error 2: Screen resolution could not be changed - unknown error occured.";
const char kError3[] = "Error 3: Your machine does not support this display mode.";
const char kSuccess[] = "Screen resolution was changed successfully.";

DEVMODEA Mode(DWORD width, DWORD height, DWORD depth, DWORD frequency) {
    DEVMODEA mode{};
    mode.dmSize = sizeof(mode);
    mode.dmPelsWidth = width;
    mode.dmPelsHeight = height;
    mode.dmBitsPerPel = depth;
    mode.dmDisplayFrequency = frequency;
    return mode;
}

// "[device ]WxHxD[@Hz][ test]", or "[device ]registry" for the call without a mode.
std::string Shown(const Call& call) {
    std::string text = call.device.empty() ? "" : call.device + " ";
    if (!call.hasMode) return text + "registry";
    text += std::to_string(call.mode.dmPelsWidth) + "x" + std::to_string(call.mode.dmPelsHeight) + "x" +
            std::to_string(call.mode.dmBitsPerPel);
    if (call.mode.dmFields & DM_DISPLAYFREQUENCY) text += "@" + std::to_string(call.mode.dmDisplayFrequency);
    if (call.flags & CDS_TEST) text += " test";
    return text;
}

std::string Held(const tray::DisplaySwitcher& switcher) {
    std::string text;
    const auto add = [&](const std::string& name, const common::StoredMode& mode) {
        text += (text.empty() ? "" : ", ") + name + " " + std::to_string(mode.width) + "x" +
                std::to_string(mode.height) + "x" + std::to_string(mode.depth);
    };
    if (switcher.Held()) add("primary", *switcher.Held());
    for (const auto& [device, mode] : switcher.HeldOthers()) add(device, mode);
    return text;
}

class DisplaySwitcherTest : public ::testing::Test {
protected:
    // The primary display: 1600 x 1200 at 60 Hz, its natural mode. The second: 1280 x 1024 at 75 Hz,
    // its natural mode; it refuses every change that names a refresh rate, as Wine's does at times.
    void SetUp() override {
        ui::App().SetTitle("Quorvex");
        services.followChanges = true;
        services.currentMode = services.registryMode = Mode(1600, 1200, 32, 60);
        services.displayModes = {Mode(800, 600, 16, 60), Mode(1024, 768, 32, 60), Mode(1600, 1200, 32, 60)};
        Display second{kSecond, "MONITOR\\Second", false, true, {Mode(1024, 768, 32, 75), Mode(1280, 1024, 32, 75)}};
        second.current = second.registry = Mode(1280, 1024, 32, 75);
        second.refusesRates = true;
        services.displays = {{"\\\\.\\DISPLAY1", "MONITOR\\First", true, true}, second};
    }

    testsupport::ScriptedServices services;
    std::vector<std::string> popups;
    tray::DisplaySwitcher switcher{[this](const std::string& text) { popups.push_back(text); }};
};

// Each row runs on a switcher that holds the primary display in 1024 x 768 and the second one in
// 1024 x 768 (put there by the row's `before`, when it has one).
TEST_F(DisplaySwitcherTest, EveryChangeAsksTheSystemOnceAndReportsOnce) {
    struct Row {
        const char* what;
        std::function<void(tray::DisplaySwitcher&)> before, act;
        std::deque<LONG> answers;
        std::vector<std::string> calls, boxes, popups;
        const char* held;
    } rows[] = {
        {"the user's mode: a test, then the change with the screen's rate", nullptr,
         [](auto& s) { EXPECT_EQ(s.Apply({1024, 768, 32}), 0); },
         {},
         {"1024x768x32@60 test", "1024x768x32@60"},
         {},
         {kSuccess},
         "primary 1024x768x32"},
        {"a mode the test refuses is not tried", nullptr,
         [](auto& s) { EXPECT_EQ(s.Apply({1024, 768, 32}), -1); },
         {DISP_CHANGE_BADMODE},
         {"1024x768x32@60 test"},
         {"Selected display mode is not supported on this machine."},
         {"Display test failed."},
         ""},
        {"another display refuses the rate: the same size once more without it", nullptr,
         [](auto& s) { EXPECT_EQ(s.Apply({1024, 768, 32}, kSecond, false), 0); },
         {},
         {"\\\\.\\DISPLAY2 1024x768x32@75 test", "\\\\.\\DISPLAY2 1024x768x32@75", "\\\\.\\DISPLAY2 1024x768x32"},
         {},
         {},
         "\\\\.\\DISPLAY2 1024x768x32"},
        {"a mode for a while: no test, and the refusal reported", nullptr,
         [](auto& s) { EXPECT_EQ(s.Switch({800, 600, 16}), DISP_CHANGE_BADMODE); },
         {DISP_CHANGE_BADMODE},
         {"800x600x16@60"},
         {kError3},
         {},
         ""},
        {"a refusal nobody is to hear of", nullptr,
         [](auto& s) { EXPECT_EQ(s.Switch({800, 600, 16}, {}, false), DISP_CHANGE_FAILED); },
         {DISP_CHANGE_FAILED},
         {"800x600x16@60"},
         {},
         {},
         ""},
        {"the primary display's rate is not dropped", nullptr,
         [](auto& s) { EXPECT_EQ(s.Switch({1024, 768, 32}), DISP_CHANGE_FAILED); },
         {DISP_CHANGE_FAILED},
         {"1024x768x32@60"},
         {kError2},
         {},
         ""},
        {"back from a question, on another display, without the rate it refuses",
         [](auto& s) { s.Switch({1024, 768, 32}, kSecond); },
         [](auto& s) { EXPECT_TRUE(s.ChangeBack({1280, 1024, 32, 75}, kSecond)); },
         {},
         {"\\\\.\\DISPLAY2 1280x1024x32@75", "\\\\.\\DISPLAY2 1280x1024x32"},
         {},
         {},
         ""},
        {"the natural mode: each display its own, then the primary one from the registry",
         [](auto& s) {
             s.Switch({1024, 768, 32});
             s.Switch({1024, 768, 32}, kSecond);
         },
         [](auto& s) { s.RestoreNatural(); },
         {},
         {"\\\\.\\DISPLAY2 1280x1024x32@75", "\\\\.\\DISPLAY2 1280x1024x32", "registry"},
         {},
         {},
         ""},
        {"a bad natural mode is reported, and only when asked", [](auto& s) { s.Switch({1024, 768, 32}); },
         [](auto& s) {
             s.RestoreNatural(false);
             s.RestoreNatural();
         },
         {DISP_CHANGE_BADMODE, DISP_CHANGE_BADMODE},
         {"registry", "registry"},
         {"Error 4: Natural screen settings are invalid. Please read the readme.txt file."},
         {},
         "primary 1024x768x32"},
    };
    for (Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        switcher.RestoreNatural(false);
        if (row.before) row.before(switcher);
        services.displayCalls.clear();
        services.messages.clear();
        popups.clear();
        services.displayAnswers = row.answers;
        row.act(switcher);
        std::vector<std::string> calls, boxes;
        for (const Call& call : services.displayCalls) calls.push_back(Shown(call));
        for (const auto& message : services.messages) boxes.push_back(message.text);
        EXPECT_EQ(calls, row.calls);
        EXPECT_EQ(boxes, row.boxes);
        EXPECT_EQ(popups, row.popups);
        EXPECT_EQ(Held(switcher), row.held);
    }
}

// Two programs in modes of their own (1024 x 768, then 800 x 600) on a screen in 1600 x 1200: the
// screen goes back step by step, whichever ends first, and a mode the person chose meanwhile stands.
TEST_F(DisplaySwitcherTest, ProgramModesGoBackStepByStep) {
    struct Row {
        const char* what;
        std::vector<int> ends;  // which program ends, in turn
        std::vector<std::string> after;  // the screen after each end
        bool personChooses = false;  // 1600 x 1200 while both run
    } rows[] = {
        {"the second ends first", {2, 1}, {"1024x768x32", "1600x1200x32"}},
        {"the first ends first", {1, 2}, {"800x600x16", "1600x1200x32"}},
        {"the person's choice stands", {2, 1}, {"1600x1200x32", "1600x1200x32"}, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetUp();
        tray::ProgramModes programs(switcher);
        const uint32_t ids[] = {programs.Enter({1024, 768, 32}, {}), programs.Enter({800, 600, 16}, {})};
        if (row.personChooses) switcher.Switch({1600, 1200, 32});
        services.displayCalls.clear();
        std::vector<std::string> after;
        for (int program : row.ends) {
            programs.Leave(ids[program - 1]);
            const DEVMODEA& now = *services.currentMode;
            after.push_back(std::to_string(now.dmPelsWidth) + "x" + std::to_string(now.dmPelsHeight) + "x" +
                            std::to_string(now.dmBitsPerPel));
        }
        EXPECT_EQ(after, row.after);
        EXPECT_EQ(programs.Running(), 0u);
        if (row.personChooses) {
            EXPECT_TRUE(services.displayCalls.empty());
        }
    }
}

}  // namespace
}  // namespace traytest
