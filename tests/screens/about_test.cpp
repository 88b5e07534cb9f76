// The About screen: the version copied from the host form at every activation, and "I agree".
#include "control_center_fixture.h"

#include <cstring>
#include <fstream>
#include <iterator>

namespace screenstest {
namespace {

using AboutTest = ControlCenterTest;

TEST_F(AboutTest, TheVersionIsCopiedFromTheHostFormAtEveryActivation) {
    CreateHost();
    host->Find<ui::TMenuItem>("About1").Click();
    ui::Form& about = *host->About();
    EXPECT_EQ(GetWindow(about.Handle(), GW_OWNER), host->Handle());
    EXPECT_EQ(Text(about, "wersja"), "Loading...");

    StartUp();
    EXPECT_EQ(Text(about, "wersja"), "Loading...");  // until the window is activated again
    auto& center = Open();
    SetActiveWindow(about.Handle());
    ui::App().ProcessMessages();
    EXPECT_EQ(GetActiveWindow(), about.Handle());
    EXPECT_EQ(Text(about, "wersja"), "2.0");

    // One opened now shows it at once.
    Press(center, "Button4");
    EXPECT_EQ(Text(*host->About(), "wersja"), "2.0");
}

TEST_F(AboutTest, ItHasNoCloseBoxAndIAgreeHidesThatWindow) {
    CreateHost();
    StartUp();
    host->Find<ui::TMenuItem>("About1").Click();
    ui::Form& first = *host->About();
    host->Find<ui::TMenuItem>("About1").Click();
    ui::Form& second = *host->About();
    ASSERT_NE(&first, &second);

    EXPECT_EQ(first.Caption(), "Quorvex About Screen");
    const RECT client = Client(first.Handle());
    EXPECT_EQ(client.right, 437);
    EXPECT_EQ(client.bottom, 346);
    const LONG style = GetWindowLongA(first.Handle(), GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_FALSE(style & (WS_SYSMENU | WS_THICKFRAME));

    Press(first, "Button1");
    ui::App().ProcessMessages();
    EXPECT_EQ(host->About(), &second);
    EXPECT_TRUE(second.Visible());
    HWND secondWindow = second.Handle();
    Press(second, "Button1");
    ui::App().ProcessMessages();
    EXPECT_FALSE(IsWindow(secondWindow));
    EXPECT_EQ(host->About(), nullptr);
}

// The pictures are stored packed: unpacked, every one has exactly the pixels of its BMP file.
TEST(Pictures, UnpackToTheirDesignedPixels) {
    const struct {
        const char* resource;
        const char* file;
    } pictures[] = {{"SPLASH", "splash.bmp"}, {"AGENT", "agent.bmp"}, {"MAINBG", "main.bmp"}, {"ABOUTBG", "about.bmp"}};
    for (const auto& picture : pictures) {
        std::ifstream file(std::string(QV_RES_DIR) + picture.file, std::ios::binary);
        const std::string bmp((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        ASSERT_GT(bmp.size(), 54u) << picture.file;
        uint32_t pixelsAt;
        std::memcpy(&pixelsAt, bmp.data() + 10, sizeof(pixelsAt));
        // Read back in the file's own format: its header and palette.
        std::string info(bmp.data() + 14, pixelsAt - 14);
        auto* header = reinterpret_cast<BITMAPINFO*>(info.data());
        const int height = std::abs(header->bmiHeader.biHeight);
        const size_t stride = (header->bmiHeader.biWidth * header->bmiHeader.biBitCount + 31) / 32 * 4;
        ASSERT_GE(bmp.size(), pixelsAt + stride * height) << picture.file;
        std::string pixels(stride * height, '\0');
        HBITMAP bitmap = ui::LoadPicture(picture.resource);
        ASSERT_NE(bitmap, nullptr) << picture.resource;
        HDC screen = GetDC(nullptr);
        EXPECT_EQ(GetDIBits(screen, bitmap, 0, height, pixels.data(), header, DIB_RGB_COLORS), height);
        ReleaseDC(nullptr, screen);
        DeleteObject(bitmap);
        EXPECT_TRUE(pixels == bmp.substr(pixelsAt, pixels.size())) << picture.resource << ": the pixels differ";
    }
}

}  // namespace
}  // namespace screenstest
