#include "common/system_services.h"
#include "support/scripted_services.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace {

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::toupper(c); });
    return text;
}

TEST(Win32Services, ProcessSnapshotListsThisProgram) {
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
    std::string self = path;
    self = Upper(self.substr(self.find_last_of("\\/") + 1));

    const auto names = common::Win32Services().ProcessImageNames();
    ASSERT_FALSE(names.empty());
    const bool found = std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        std::string base = name.substr(name.find_last_of("\\/:") == std::string::npos ? 0 : name.find_last_of("\\/:") + 1);
        return Upper(base) == self;
    });
    EXPECT_TRUE(found) << self;
}

TEST(Win32Services, UserNameIsKnown) {
    std::string name;
    ASSERT_TRUE(common::Win32Services().GetUserNameA(name));
    EXPECT_FALSE(name.empty());
}

TEST(ScriptedServices, InstallsItselfForItsLifetime) {
    EXPECT_EQ(&common::Services(), &common::Win32Services());
    {
        testsupport::ScriptedServices scripted;
        scripted.displayAnswers = {DISP_CHANGE_BADMODE};
        EXPECT_EQ(&common::Services(), &scripted);

        DEVMODEA mode{};
        mode.dmSize = sizeof(mode);
        mode.dmPelsWidth = 800;
        EXPECT_EQ(common::Services().ChangeDisplaySettingsA(&mode, CDS_TEST), DISP_CHANGE_BADMODE);
        EXPECT_EQ(common::Services().ChangeDisplaySettingsA(nullptr, 0), DISP_CHANGE_SUCCESSFUL);
        ASSERT_EQ(scripted.displayCalls.size(), 2u);
        EXPECT_EQ(scripted.displayCalls[0].mode.dmPelsWidth, 800u);
        EXPECT_EQ(scripted.displayCalls[0].flags, static_cast<DWORD>(CDS_TEST));
        EXPECT_FALSE(scripted.displayCalls[1].hasMode);

        // Unscripted metrics come from the real system.
        scripted.metrics[SM_CXSCREEN] = 640;
        EXPECT_EQ(common::Services().GetSystemMetrics(SM_CXSCREEN), 640);
        EXPECT_EQ(common::Services().GetSystemMetrics(SM_CYSCREEN), ::GetSystemMetrics(SM_CYSCREEN));
    }
    EXPECT_EQ(&common::Services(), &common::Win32Services());
}

}  // namespace
