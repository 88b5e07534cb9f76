// Every window of both programs, as they run, against its layout table: each control's class,
// text, place, size, visibility, enabled and checked state, and the fonts and colours of the texts.
#include "driver.h"
#include "layout.h"
#include "layouts.h"
#include "support/signing.h"

#include <commctrl.h>

#include <gtest/gtest.h>

namespace e2e {

constexpr POINT kNoBackground{-1, -1};

// ---- Quorvex ----

ExpectedWindow HostForm() {
    return {"Tresolution", "Quorvex", 315, 136, kNoFrame, false, false, false, false, kCentred, 0, 220, RGB(0, 0, 0),
            kNoBackground, RGB(0, 0, 0), "Tahoma", -11, RGB(55, 72, 132), {
        {.name = "luser", .cls = kLabel, .text = "nazwa usera", .left = 64, .top = 112, .state = kHidden},
        {.name = "info", .cls = kLabel, .text = "info", .left = 136, .top = 112, .width = 61, .height = 13, .state = kHidden},
        {.name = "wersja", .cls = kLabel, .text = "Loading...", .left = 238, .top = 16, .width = 49, .height = 13,
         .state = kKeepsRight, .color = RGB(213, 103, 4)},
        {.name = "startup", .cls = kButton, .text = "startup", .left = 8, .top = 112, .width = 57, .height = 17,
         .state = kHidden | kChecked},
    }};
}

ExpectedWindow Popup() {
    // Placed near the bottom right corner of the screen at its first activation.
    return {"Tagent", "Quorvex", 242, 89, kNoFrame, false, false, false, false, ScreenWidth() - 280,
            ScreenHeight() - 145, 220, kNoKey, kNoBackground, kAnyColor, "Tahoma", -11, RGB(50, 49, 79), {
        {.name = "info", .cls = kLabel, .text = "Gathering info...", .left = 8, .top = 32, .width = 225, .height = 49},
        {.name = "startup", .cls = kButton, .text = "startup", .left = 40, .top = 8, .width = 97, .height = 17,
         .state = kHidden | kChecked},
    }};
}

constexpr COLORREF kQuestion = RGB(0xA5, 0xE0, 0xE7);
constexpr COLORREF kStep = RGB(0x20, 0x21, 0x2F);
constexpr COLORREF kWizardTip = RGB(0xF2, 0x70, 0x4F);

ExpectedWindow Wizard() {
    ExpectedWindow w{"Twizard", "Quorvex First Configuration Wizard", 602, 640, kSizeableFrame, true, false, false,
                     false, 196, 114, 0, kNoKey, {2, 2}, RGB(0x50, 0x70, 0xC5), "Tahoma", -11, RGB(0xF0, 0xFA, 0xFB), {
        {.name = "Label1", .cls = kLabel, .text = "Welcome in Quorvex!", .left = 8, .top = 8, .fontHeight = -16,
         .bold = true, .color = RGB(0x38, 0x3A, 0x52)},
        {.name = "Label2", .cls = kLabel, .text = "You are a new user in Quorvex. You need to configure this program in "
                                                  "order to work with it successfully.", .left = 8, .top = 32},
        {.name = "Label3", .cls = kLabel, .text = "What is this pogram used for?", .left = 8, .top = 56, .color = kQuestion},
        {.name = "Label4", .cls = kLabel, .text = "Quorvex personalizes your display settings (like screen resolution "
                                                  "and color depth) in WindowsXP and applies them", .left = 8, .top = 72},
        {.name = "Label5", .cls = kLabel, .text = "every time you log on to your windows account.", .left = 8, .top = 88},
        {.name = "Label6", .cls = kLabel, .text = "What should I do in order to start working with this software?",
         .left = 8, .top = 112, .color = kQuestion},
        {.name = "Label7", .cls = kLabel, .text = "Everything you need to do now is to select a type of configuration. "
                                                  "You can eighter do it manually, by selecting your", .left = 8, .top = 128},
        {.name = "Label8", .cls = kLabel, .text = "desired display mode or select an automatic configuration and let the "
                                                  "program do the job for you.", .left = 8, .top = 144},
        {.name = "startup", .cls = kButton, .text = "startup", .left = 8, .top = 160, .width = 97, .height = 17,
         .state = kHidden | kChecked},
        {.name = "silnik", .cls = kContainer, .text = "silnik", .left = 8, .top = 184, .width = 577, .height = 369},
        {.name = "Label11", .cls = kLabel, .text = "If you feel confused with all this stuff, just select automatic "
                                                   "configuration and click on the \"Next\" button.", .left = 8, .top = 560},
        {.name = "Label12", .cls = kLabel, .text = "Than, select low or high resolution and click on the \"Finish\" "
                                                   "button.", .left = 8, .top = 576},

        {.name = "Default", .cls = kContainer, .text = "Default", .in = "silnik", .width = 577, .height = 369},
        {.name = "Label9", .cls = kLabel, .text = "Configuration step 1: Configuration type.", .in = "Default", .left = 8,
         .top = 8, .fontHeight = -13, .bold = true, .color = kStep},
        {.name = "Label10", .cls = kLabel, .text = "Please select your desired configuration mode:", .in = "Default",
         .left = 8, .top = 32},
        {.name = "manual", .cls = kButton, .text = "Manual configuration (you'll be able to enter your desired settings)",
         .in = "Default", .left = 16, .top = 56, .width = 353, .height = 17},
        {.name = "auto", .cls = kButton, .text = "Automatic configuration (program will select the best settings for "
                                                 "you)", .in = "Default", .left = 16, .top = 80, .width = 385, .height = 17,
         .state = kChecked},
        {.name = "Button1", .cls = kButton, .text = "Next", .in = "Default", .left = 488, .top = 112, .width = 75,
         .height = 25, .state = kDisabled},

        {.name = "manualna", .cls = kContainer, .text = "manualna", .in = "silnik", .width = 577, .height = 369,
         .state = kHidden},
        {.name = "Label14", .cls = kLabel, .text = "Configuration step 2: Manual configuration - display mode.",
         .in = "manualna", .left = 8, .top = 8, .fontHeight = -13, .bold = true, .color = kStep},
        {.name = "Label15", .cls = kLabel, .text = "Quorvex allows you to choose more resolutions than WindowsXP, but "
                                                   "some of them may not be supported", .in = "manualna", .left = 8, .top = 32},
        {.name = "Label16", .cls = kLabel, .text = "by your hardware. If some configuration fails the compatibility "
                                                   "test, just try another one. You'll surely find a", .in = "manualna",
         .left = 8, .top = 48},
        {.name = "Label17", .cls = kLabel, .text = "right one.", .in = "manualna", .left = 8, .top = 64},
        {.name = "Label18", .cls = kLabel, .text = "TIP:", .in = "manualna", .left = 8, .top = 88, .bold = true,
         .color = kWizardTip},
        {.name = "Label19", .cls = kLabel, .text = "The best settings for most machines are:", .in = "manualna", .left = 8,
         .top = 104, .color = kWizardTip},
        {.name = "Label20", .cls = kLabel, .text = "Resolution: 800x600 or 1024x768", .in = "manualna", .left = 24,
         .top = 120, .color = kWizardTip},
        {.name = "Label21", .cls = kLabel, .text = "Color depth: 16 or 32 Bit", .in = "manualna", .left = 24, .top = 136,
         .color = kWizardTip},
        {.name = "Label22", .cls = kLabel, .text = "Use this slider to select desired screen resolution:",
         .in = "manualna", .left = 8, .top = 168},
        {.name = "sliderDesc", .cls = kLabel, .text = "1024x768", .in = "manualna", .left = 296, .top = 168,
         .bold = true},
        {.name = "slider", .cls = kTrackBar, .text = "", .in = "manualna", .left = 16, .top = 184, .width = 545,
         .height = 33},
        {.name = "Label23", .cls = kLabel, .text = "640x480", .in = "manualna", .left = 24, .top = 216},
        {.name = "Label24", .cls = kLabel, .text = "800x600", .in = "manualna", .left = 136, .top = 216},
        {.name = "Label25", .cls = kLabel, .text = "1024x768", .in = "manualna", .left = 264, .top = 216},
        {.name = "Label26", .cls = kLabel, .text = "1280x1024", .in = "manualna", .left = 392, .top = 216},
        {.name = "Label27", .cls = kLabel, .text = "1600x1200", .in = "manualna", .left = 504, .top = 216},
        {.name = "Label28", .cls = kLabel, .text = "Select desired color depth:", .in = "manualna", .left = 8, .top = 240},
        {.name = "b8", .cls = kButton, .text = "8 Bit - very few colors", .in = "manualna", .left = 16, .top = 256,
         .width = 129, .height = 17},
        {.name = "b16", .cls = kButton, .text = "16 Bit - average number of colors", .in = "manualna", .left = 168,
         .top = 256, .width = 185, .height = 17, .state = kChecked},
        {.name = "b32", .cls = kButton, .text = "32 Bit - plenty of them", .in = "manualna", .left = 384, .top = 256,
         .width = 137, .height = 17},
        {.name = "Label29", .cls = kLabel, .text = "Click here to test if your desired settings are supported on this "
                                                   "machine:", .in = "manualna", .left = 8, .top = 288},
        {.name = "Button2", .cls = kButton, .text = "Test", .in = "manualna", .left = 368, .top = 280, .width = 75,
         .height = 25, .bold = true},
        {.name = "Button3", .cls = kButton, .text = "Next Step", .in = "manualna", .left = 488, .top = 328, .width = 75,
         .height = 25, .state = kDisabled},
        {.name = "Button4", .cls = kButton, .text = "Back", .in = "manualna", .left = 408, .top = 328, .width = 75,
         .height = 25},

        {.name = "automatyczna", .cls = kContainer, .text = "automatyczna", .in = "silnik", .width = 577, .height = 369,
         .state = kHidden},
        {.name = "Label13", .cls = kLabel, .text = "Configuration step 2: Automatic configuration - type of user.",
         .in = "automatyczna", .left = 8, .top = 8, .fontHeight = -13, .bold = true, .color = kStep},
        {.name = "Label30", .cls = kLabel, .text = "Quorvex can configure itself in 3 ways. Please select the type that "
                                                   "you think is the best for you.", .in = "automatyczna", .left = 8, .top = 32},
        {.name = "typ1", .cls = kButton, .text = "Type 1 - very low resolution.", .in = "automatyczna", .left = 8,
         .top = 56, .width = 185, .height = 17},
        {.name = "Label31", .cls = kLabel, .text = "Pros: everything on the screen (fonts etc.) is VERY big.",
         .in = "automatyczna", .left = 16, .top = 80},
        {.name = "Label32", .cls = kLabel, .text = "Cons: there is little space on the screen and you need to scroll "
                                                   "everything all the time.", .in = "automatyczna", .left = 16, .top = 96},
        {.name = "typ2", .cls = kButton, .text = "Type 2 - medium resolution.", .in = "automatyczna", .left = 8,
         .top = 120, .width = 377, .height = 17},
        {.name = "Label33", .cls = kLabel, .text = "Pros: fonts, images and windows are large, and therefore it is "
                                                   "easier to read them.", .in = "automatyczna", .left = 16, .top = 144},
        {.name = "Label34", .cls = kLabel, .text = "Cons: there still isn't enough place on the screen for most users.",
         .in = "automatyczna", .left = 16, .top = 160},
        {.name = "typ3", .cls = kButton, .text = "Type 3 - high resolution.", .in = "automatyczna", .left = 8,
         .top = 184, .width = 193, .height = 17, .state = kChecked},
        {.name = "Label35", .cls = kLabel, .text = "Pros: you have a lot of space on the screen, desktop and in windows, "
                                                   "in most cases you don't have to scroll", .in = "automatyczna",
         .left = 16, .top = 208},
        {.name = "Label36", .cls = kLabel, .text = "anything.", .in = "automatyczna", .left = 32, .top = 224},
        {.name = "Label37", .cls = kLabel, .text = "Cons: fonts are rather small and sometimes it's difficult to read "
                                                   "them.", .in = "automatyczna", .left = 16, .top = 240,
         .color = RGB(0xE6, 0x6F, 0x59)},
        {.name = "Button6", .cls = kButton, .text = "Next", .in = "automatyczna", .left = 496, .top = 336, .width = 75,
         .height = 25},

        {.name = "koniec", .cls = kContainer, .text = "koniec", .in = "silnik", .width = 577, .height = 369,
         .state = kHidden},
        {.name = "Label38", .cls = kLabel, .text = "Configuration is now finished.", .in = "koniec", .left = 8, .top = 8,
         .fontHeight = -15, .bold = true, .color = RGB(0x11, 0x3D, 0x42)},
        {.name = "Label39", .cls = kLabel, .text = "Quorvex is now configured. If you ever want to change display "
                                                   "settings, use program's \"Control Center\"", .in = "koniec",
         .left = 8, .top = 32},
        {.name = "Label40", .cls = kLabel, .text = "instead of Windows display settings panel.", .in = "koniec", .left = 8,
         .top = 48},
        {.name = "Label41", .cls = kLabel, .text = "How to open Quorvex's control center?", .in = "koniec", .left = 8,
         .top = 72, .color = kQuestion},
        {.name = "Label42", .cls = kLabel, .text = "Quorvex displays an icon in system tray (the bottom bar with a "
                                                   "clock). Just right-click on that icon and select", .in = "koniec",
         .left = 8, .top = 88},
        {.name = "Label43", .cls = kLabel, .text = "\"Open Control Center\". Program will then display a new window with "
                                                   "configuration options.", .in = "koniec", .left = 8, .top = 104},
        {.name = "Label44", .cls = kLabel, .text = "These settings were selected:", .in = "koniec", .left = 8, .top = 136,
         .color = RGB(0xB7, 0xE7, 0xEC)},
        {.name = "Label45", .cls = kLabel, .text = "Resolution:", .in = "koniec", .left = 16, .top = 160},
        {.name = "Label46", .cls = kLabel, .text = "Caption:", .in = "koniec", .left = 16, .top = 184},
        {.name = "konResolution", .cls = kLabel, .text = "Gathering info...", .in = "koniec", .left = 96, .top = 160},
        {.name = "konDepth", .cls = kLabel, .text = "Gathering info...", .in = "koniec", .left = 96, .top = 184},
        {.name = "Button5", .cls = kButton, .text = "Finish", .in = "koniec", .left = 488, .top = 328, .width = 75,
         .height = 25},
    }};
    w.outerSize = true;
    return w;
}

constexpr COLORREF kCenterTip = RGB(0xD9, 0x2B, 0x11);
constexpr COLORREF kCenterHeading = RGB(0x41, 0x4A, 0x69);
constexpr COLORREF kCenterValue = RGB(0x55, 0x57, 0x5B);

ExpectedWindow ControlCenter() {
    return {"Tmain", "Quorvex Control Center", 522, 450, kFixedFrame, true, true, false, false, kCentred, 0, 0,
            kNoKey, kNoBackground, kAnyColor, "Tahoma", -11, RGB(0x34, 0x3C, 0x56), {
        {.name = "Label22", .cls = kLabel, .text = "Copyright (c) 2004-2026 The Quorvex team. All rights reserved.",
         .left = 16, .top = 427},
        {.name = "GroupBox1", .cls = kButton, .text = "Current system settings:", .left = 8, .top = 80, .width = 233,
         .height = 209},
        {.name = "Label1", .cls = kLabel, .text = "Current WindowsXP user:", .in = "GroupBox1", .left = 8, .top = 24},
        {.name = "mainUser", .cls = kLabel, .text = "Gathering information...", .in = "GroupBox1", .left = 8, .top = 40,
         .width = 217, .height = 13, .bold = true, .color = RGB(0x50, 0x5B, 0x83)},
        {.name = "Label3", .cls = kLabel, .text = "Current display settings:", .in = "GroupBox1", .left = 8, .top = 64},
        {.name = "Label4", .cls = kLabel, .text = "Resolution:", .in = "GroupBox1", .left = 16, .top = 88},
        {.name = "Label5", .cls = kLabel, .text = "Width:", .in = "GroupBox1", .left = 32, .top = 112},
        {.name = "Label6", .cls = kLabel, .text = "Height:", .in = "GroupBox1", .left = 32, .top = 128},
        {.name = "Label7", .cls = kLabel, .text = "Color depth:", .in = "GroupBox1", .left = 16, .top = 152},
        {.name = "Label8", .cls = kLabel, .text = "Bits per pixel:", .in = "GroupBox1", .left = 32, .top = 176},
        {.name = "mainX", .cls = kLabel, .text = "Gathering info...", .in = "GroupBox1", .left = 120, .top = 112,
         .width = 95, .height = 13, .bold = true, .color = kCenterValue},
        {.name = "mainY", .cls = kLabel, .text = "Gathering info...", .in = "GroupBox1", .left = 120, .top = 128,
         .width = 95, .height = 13, .bold = true, .color = kCenterValue},
        {.name = "mainDepth", .cls = kLabel, .text = "Gathering info...", .in = "GroupBox1", .left = 120, .top = 176,
         .width = 95, .height = 13, .bold = true, .color = kCenterValue},
        {.name = "GroupBox2", .cls = kButton, .text = "Your display and system preferences:", .left = 256, .top = 80,
         .width = 257, .height = 281},
        {.name = "Label12", .cls = kLabel, .text = "TIP:", .in = "GroupBox2", .left = 8, .top = 24, .bold = true,
         .color = kCenterTip},
        {.name = "Label13", .cls = kLabel, .text = "The best setings for most users are:", .in = "GroupBox2", .left = 8,
         .top = 40, .color = kCenterTip},
        {.name = "Label14", .cls = kLabel, .text = "1024x768 resolution and 32 Bit color depth.", .in = "GroupBox2",
         .left = 8, .top = 56, .color = kCenterTip},
        {.name = "Label15", .cls = kLabel, .text = "Select your preferred screen resolution:", .in = "GroupBox2",
         .left = 8, .top = 88, .color = kCenterHeading},
        {.name = "Label16", .cls = kLabel, .text = "Selected:", .in = "GroupBox2", .left = 8, .top = 112},
        {.name = "mainResolutionDesc", .cls = kLabel, .text = "None. Use slider.", .in = "GroupBox2", .left = 56,
         .top = 112, .width = 193, .height = 13, .bold = true},
        {.name = "mainResolution", .cls = kTrackBar, .text = "", .in = "GroupBox2", .left = 16, .top = 128, .width = 225,
         .height = 33},
        {.name = "Label18", .cls = kLabel, .text = "640x480", .in = "GroupBox2", .left = 24, .top = 160},
        {.name = "Label19", .cls = kLabel, .text = "1600x1200", .in = "GroupBox2", .left = 184, .top = 160},
        {.name = "Label20", .cls = kLabel, .text = "Select your preferred screen color depth:", .in = "GroupBox2",
         .left = 8, .top = 200, .color = kCenterHeading},
        {.name = "b8", .cls = kButton, .text = "8 Bit", .in = "GroupBox2", .left = 16, .top = 224, .width = 41, .height = 17},
        {.name = "b16", .cls = kButton, .text = "16 Bit", .in = "GroupBox2", .left = 64, .top = 224, .width = 49,
         .height = 17},
        {.name = "b32", .cls = kButton, .text = "32 Bit", .in = "GroupBox2", .left = 120, .top = 224, .width = 49,
         .height = 17},
        {.name = "b64", .cls = kButton, .text = "64 Bit", .in = "GroupBox2", .left = 176, .top = 224, .width = 49,
         .height = 17, .state = kDisabled},
        {.name = "Label21", .cls = kLabel, .text = "TIP: 32 Bit color depth is normal.", .in = "GroupBox2", .left = 16,
         .top = 248, .color = kCenterTip},
        {.name = "Button1", .cls = kButton, .text = "Apply settings", .left = 8, .top = 304, .width = 113, .height = 25,
         .bold = true},
        {.name = "Button5", .cls = kButton, .text = "Check for updates", .left = 128, .top = 304, .width = 113,
         .height = 25},
        {.name = "Button3", .cls = kButton, .text = "Help", .left = 8, .top = 336, .width = 113, .height = 25},
        {.name = "Button4", .cls = kButton, .text = "About", .left = 128, .top = 336, .width = 113, .height = 25},
        {.name = "Button6", .cls = kButton, .text = "Hotkeys...", .left = 8, .top = 368, .width = 113, .height = 25},
        {.name = "Button7", .cls = kButton, .text = "Program shortcut...", .left = 128, .top = 368, .width = 113,
         .height = 25},
        {.name = "startup", .cls = kButton, .text = "startup", .left = 16, .top = 368, .width = 57, .height = 17,
         .state = kHidden | kChecked},
        {.name = "mainUpdates", .cls = kButton, .text = "Check for updates automatically", .left = 8, .top = 400,
         .width = 233, .height = 17, .state = kChecked},
        {.name = "Button2", .cls = kButton, .text = "Close Control Center", .left = 400, .top = 396, .width = 113,
         .height = 25},
    }};
}

constexpr COLORREF kWarning = RGB(0xC6, 0x23, 0x06);

ExpectedWindow About() {
    return {"Tabout", "Quorvex About Screen", 437, 346, kFixedFrame, true, false, false, false, kCentred, 0, 0, kNoKey,
            kNoBackground, kAnyColor, "Tahoma", -11, RGB(0x35, 0x38, 0x5E), {
        {.name = "Label12", .cls = kLabel, .text = "Copyright (c) 2004-2026 The Quorvex team.", .left = 8, .top = 320},
        {.name = "GroupBox1", .cls = kButton, .text = "Program Information:", .left = 8, .top = 80, .width = 417,
         .height = 97},
        {.name = "Label1", .cls = kLabel, .text = "Program name:", .in = "GroupBox1", .left = 8, .top = 24},
        {.name = "Label2", .cls = kLabel, .text = "Program version:", .in = "GroupBox1", .left = 8, .top = 48},
        {.name = "Label3", .cls = kLabel, .text = "Program author:", .in = "GroupBox1", .left = 8, .top = 72},
        {.name = "Label4", .cls = kLabel, .text = "Quorvex", .in = "GroupBox1", .left = 136, .top = 24, .bold = true},
        {.name = "wersja", .cls = kLabel, .text = "Gathering info...", .in = "GroupBox1", .left = 136, .top = 48,
         .bold = true},
        {.name = "Label6", .cls = kLabel, .text = "The Quorvex team, help@quorvex.example", .in = "GroupBox1",
         .left = 136, .top = 72, .bold = true},
        {.name = "GroupBox2", .cls = kButton, .text = "License:", .left = 8, .top = 184, .width = 417, .height = 121},
        {.name = "Label7", .cls = kLabel, .text = "", .in = "GroupBox2", .left = 8, .top = 24},
        {.name = "Label8", .cls = kLabel, .text = "", .in = "GroupBox2", .left = 8, .top = 40},
        {.name = "Label9", .cls = kLabel, .text = "ATTENTION: I do not take responsibility for any damage or data loss "
                                                  "that this", .in = "GroupBox2", .left = 8, .top = 64, .color = kWarning},
        {.name = "Label10", .cls = kLabel, .text = "software could possibly cause to your computer. USE THIS PROGRAM AT "
                                                   "YOUR", .in = "GroupBox2", .left = 8, .top = 80, .color = kWarning},
        {.name = "Label11", .cls = kLabel, .text = "OWN RISK!!!", .in = "GroupBox2", .left = 8, .top = 96,
         .color = kWarning},
        {.name = "Button1", .cls = kButton, .text = "I agree", .left = 344, .top = 312, .width = 75, .height = 25},
    }};
}

// ---- Fetchwell ----

constexpr COLORREF kValue = RGB(0xFF, 0xF5, 0xBF);
constexpr COLORREF kCredit = RGB(0xFF, 0xEA, 0x71);
const char kClickCheck[] = "Click on the \"Check\" button!";

// The labels size themselves to their texts: the designer's sizes (357 x 13 for Label2 and so on)
// belong to the designer's font and texts, so what is checked is the size of the text in its font.
ExpectedWindow UpdateWindow() {
    return {"Tupdate", "Quorvex Fetchwell", 384, 527, kFixedFrame, true, false, false, false, kCentred, 0, 0, kNoKey,
            {2, 2}, RGB(0xFA, 0xA4, 0x30), "Tahoma", -11, RGB(0xFF, 0xFD, 0xF2), {
        {.name = "Label1", .cls = kLabel, .text = "Quorvex Fetchwell Center", .left = 8, .top = 8, .fontHeight = -19,
         .bold = true, .color = RGB(0x36, 0x5B, 0x98)},
        {.name = "Label2", .cls = kLabel, .text = "Welcome in Quorvex's update system. With this program you can easily",
         .left = 8, .top = 40},
        {.name = "Label3", .cls = kLabel, .text = "download and install updates to this product. If an update is "
                                                  "available on", .left = 8, .top = 56},
        {.name = "Label4", .cls = kLabel, .text = "the server, it will be automatically downloaded and installed. Then, "
                                                  "program", .left = 8, .top = 72},
        {.name = "Label5", .cls = kLabel, .text = "will be restarted in the new version.", .left = 8, .top = 88},
        {.name = "Label12", .cls = kLabel, .text = "Download progress:", .left = 40, .top = 368},
        {.name = "Label13", .cls = kLabel, .text = "Quorvex and Fetchwell (c) 2004-2026 The Quorvex developers.",
         .left = 8, .top = 480, .color = kCredit},
        {.name = "Label14", .cls = kLabel, .text = "Unpacking uses zlib by J. Gailly and M. Adler.", .left = 8,
         .top = 496, .color = kCredit},
        {.name = "GroupBox1", .cls = kButton, .text = "Info about new version:", .left = 32, .top = 112, .width = 321,
         .height = 137},
        {.name = "Label6", .cls = kLabel, .text = "Version name:", .in = "GroupBox1", .left = 8, .top = 24, .bold = true},
        {.name = "Label7", .cls = kLabel, .text = "Release date:", .in = "GroupBox1", .left = 8, .top = 48, .bold = true},
        {.name = "Label8", .cls = kLabel, .text = "File size:", .in = "GroupBox1", .left = 8, .top = 72, .bold = true},
        {.name = "wersja", .cls = kLabel, .text = kClickCheck, .in = "GroupBox1", .left = 112, .top = 24,
         .bold = true, .color = kValue},
        {.name = "release", .cls = kLabel, .text = kClickCheck, .in = "GroupBox1", .left = 112, .top = 48,
         .bold = true, .color = kValue},
        {.name = "rozmiar", .cls = kLabel, .text = kClickCheck, .in = "GroupBox1", .left = 112, .top = 72,
         .bold = true, .color = kValue},
        {.name = "Button1", .cls = kButton, .text = "Check", .in = "GroupBox1", .left = 232, .top = 96, .width = 75,
         .height = 25, .state = kDisabled},
        {.name = "Label15", .cls = kLabel, .text = "Release notes:", .left = 40, .top = 256},
        {.name = "notes", .cls = kEdit, .text = "", .left = 40, .top = 272, .width = 305, .height = 89},
        {.name = "Button2", .cls = kButton, .text = "Download", .left = 256, .top = 408, .width = 91, .height = 25,
         .state = kDisabled},
        {.name = "Button4", .cls = kButton, .text = "Skip this version", .left = 144, .top = 408, .width = 105,
         .height = 25, .state = kDisabled},
        {.name = "postep", .cls = kProgressBar, .text = "", .left = 40, .top = 384, .width = 305, .height = 17},
        {.name = "Button3", .cls = kButton, .text = "Exit", .left = 256, .top = 440, .width = 91, .height = 25},
        {.name = "startup", .cls = kButton, .text = "startup", .left = 48, .top = 432, .width = 97, .height = 17,
         .state = kHidden | kChecked},
    }};
}

// ---- the walks ----

namespace {

void Look(HWND window, const ExpectedWindow& expected, const std::vector<Change>& changes, const std::string& shot) {
    Screenshot("layouts/" + shot);
    SCOPED_TRACE(shot);
    ExpectLayout(window, expected, changes);
}

// The buttons the taskbar shows besides "Start" (Wine draws their titles itself, so only the
// buttons can be seen from outside).
int TaskbarButtons() {
    return static_cast<int>(Controls(FindWindowA("Shell_TrayWnd", nullptr), kButton).size()) - 1;
}

bool PageShown(HWND wizard, const char* page) {
    for (const SeenControl& c : Walk(wizard))
        if (c.cls == kContainer && c.text == page) return c.visible;
    return false;
}

TEST(Layout, EveryWindowOfQuorvex) {
    ASSERT_EQ(ScreenWidth(), 1024);
    const std::string dir = NewProgramDirectory("layout-quorvex");
    Process quorvex(dir + "Quorvex.exe", dir);
    HWND wizard = WaitWindow("Twizard", quorvex.Id());
    ASSERT_NE(wizard, nullptr);
    const std::string user = UserName();
    HWND host = FindVisibleWindow("Tresolution", quorvex.Id());
    // The wizard runs inside the start-up sequence: the user is known, the version not yet.
    Look(host, HostForm(), {{"luser", Change::Text, user}, {"startup", Change::Unchecked}}, "splash");

    // The slider offers the Wine desktop's own 14 sizes from 640 x 480 to 1600 x 1200 and opens at the
    // screen's 1024 x 768; its captions name the sizes at a quarter of its length from each other.
    const std::vector<Change> activated{{"startup", Change::Unchecked}, {"Button1", Change::Enabled},
                                        {"Label24", Change::Text, "1024x768"}, {"Label25", Change::Text, "1280x960"},
                                        {"Label26", Change::Text, "1400x1050"}};
    Look(wizard, Wizard(), activated, "wizard-default");
    EXPECT_EQ(TaskbarButtons(), 1);  // Quorvex's

    ASSERT_TRUE(Click(wizard, "Manual configuration (you'll be able to enter your desired settings)"));
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return PageShown(wizard, "manualna"); }, 5000));
    auto manual = activated;
    manual.insert(manual.end(), {{"manual", Change::Checked}, {"auto", Change::Unchecked},
                                 {"Default", Change::Hidden}, {"manualna", Change::Shown}});
    Look(wizard, Wizard(), manual, "wizard-manual");

    ASSERT_TRUE(Click(wizard, "Back"));
    ASSERT_TRUE(WaitFor([&] { return PageShown(wizard, "Default"); }, 5000));
    ASSERT_TRUE(Click(wizard, "Automatic configuration (program will select the best settings for you)"));
    ASSERT_TRUE(WaitFor([&] { return Click(wizard, "Next"); }, 5000));
    ASSERT_TRUE(WaitFor([&] { return PageShown(wizard, "automatyczna"); }, 5000));
    auto automatic = activated;
    automatic.insert(automatic.end(), {{"Default", Change::Hidden}, {"automatyczna", Change::Shown}});
    Look(wizard, Wizard(), automatic, "wizard-automatic");

    // Type 3 (1024 x 768) passes at 32 bits per pixel on the test desktop.
    ASSERT_TRUE(Click(wizard, "Next"));  // the page's own "Next" is the only visible one now
    ASSERT_TRUE(WaitFor([&] { return PageShown(wizard, "koniec"); }, 5000));
    auto finished = activated;
    finished.insert(finished.end(), {{"Default", Change::Hidden}, {"koniec", Change::Shown},
                                     {"konResolution", Change::Text, "1024x768"}, {"konDepth", Change::Text, "32 Bit"}});
    Look(wizard, Wizard(), finished, "wizard-finish");

    ASSERT_TRUE(Click(wizard, "Finish"));
    HWND popup = WaitWindow("Tagent", quorvex.Id());
    ASSERT_NE(popup, nullptr);
    Look(popup, Popup(),
         {{"info", Change::Text, "Screen resolution was changed successfully."}, {"startup", Change::Unchecked}},
         "popup");

    ASSERT_TRUE(WaitFor([&] { return Text(host).size() && FindControl(host, kLabel, "2.0"); }, 5000));
    Look(host, HostForm(),
         {{"luser", Change::Text, user}, {"startup", Change::Unchecked}, {"wersja", Change::Text, "2.0"},
          {"info", Change::Text, "Screen resolution was changed successfully."}},
         "splash-ready");
    // The splash goes; the Control Center comes from the tray menu.
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(host); }, 10000));

    HWND menu = OpenTrayMenu();
    ASSERT_NE(menu, nullptr);
    // Wine keeps a menu's items in the owning process, so the menu is looked at, not read.
    Screenshot("layouts/tray-menu");
    PostMessageA(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(menu); }, 5000));
    ASSERT_TRUE(ChooseFromTrayMenu(1));
    HWND center = WaitWindow("Tmain", quorvex.Id());
    HDC dc = GetDC(nullptr);
    const std::string depth = std::to_string(GetDeviceCaps(dc, BITSPIXEL));
    ReleaseDC(nullptr, dc);
    Look(center, ControlCenter(),
         {{"startup", Change::Unchecked}, {"mainUser", Change::Text, user}, {"mainX", Change::Text, "1024"},
          {"mainY", Change::Text, "768"}, {"mainDepth", Change::Text, depth},
          {"mainResolutionDesc", Change::Text, "1024x768"}, {"b32", Change::Checked}},
         "control-center");

    ASSERT_TRUE(Click(center, "About"));
    HWND about = WaitWindow("Tabout", quorvex.Id());
    Look(about, About(), {{"wersja", Change::Text, "2.0"}}, "about");

    // Leaves as a user would, so no icon of a killed program stays in the notification area.
    ASSERT_TRUE(Click(about, "I agree"));
    ASSERT_TRUE(Click(center, "Close Control Center"));
    ASSERT_TRUE(ChooseFromTrayMenu(6));  // Exit
    EXPECT_EQ(quorvex.WaitExit(10000), 0);
}

TEST(Layout, TheUpdateWindowBeforeAndAfterAnOffer) {
    const std::string dir = NewProgramDirectory("layout-fetchwell");
    WriteFile(dir + "version.txt", "[Quorvex]\r\nupdate=1\r\n");
    const std::string served = QV_JOURNEY_SERVED;
    const std::string list = testsupport::UpdateList(
        7, "package", "wersja=Quorvex 2.1\r\nrelease=2026-12-01\r\nrozmiar=1.2 MB\r\nnotes=Faster.\\nSmaller.\r\n");
    WriteFile(served + "update.txt", list);
    WriteFile(served + "update.txt.sig", testsupport::Sign(list, FileText(QV_TEST_KEY_BLOB)));
    Process fetchwell(dir + "Fetchwell.exe", dir);
    HWND form = WaitWindow("Tupdate", fetchwell.Id());
    ASSERT_NE(form, nullptr);
    Look(form, UpdateWindow(), {{"startup", Change::Unchecked}, {"Button1", Change::Enabled}}, "fetchwell");
    EXPECT_EQ(TaskbarButtons(), 1);  // Fetchwell's, the only program running

    ASSERT_TRUE(Click(form, "Check"));
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(FindControl(form, kButton, "Download")); }, 10000));
    Look(form, UpdateWindow(),
         {{"startup", Change::Unchecked}, {"Button1", Change::Enabled}, {"Button2", Change::Enabled},
          {"Button4", Change::Enabled}, {"wersja", Change::Text, "Quorvex 2.1"},
          {"release", Change::Text, "2026-12-01"}, {"rozmiar", Change::Text, "1.2 MB"},
          {"notes", Change::Text, "Faster.\r\nSmaller."}},
         "fetchwell-offer");
    ASSERT_TRUE(Click(form, "Exit"));
    EXPECT_EQ(fetchwell.WaitExit(10000), 0);
    EXPECT_TRUE(EndProcessOfWindow("Twizard"));  // Exit starts Quorvex again
}

}  // namespace
}  // namespace e2e
