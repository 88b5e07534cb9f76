#include "ui/screen.h"

#include "ui/application.h"
#include "ui/form.h"

#include <cstring>

namespace ui {

namespace {

LOGFONTA SystemHintFont() {
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
    return metrics.lfStatusFont;
}

LOGFONTA SystemIconFont() {
    LOGFONTA font{};
    SystemParametersInfoA(SPI_GETICONTITLELOGFONT, sizeof(font), &font, 0);
    return font;
}

}  // namespace

Screen& Screen::Instance() {
    static Screen screen;
    return screen;
}

Screen::Screen() : hintFont_(SystemHintFont()), iconFont_(SystemIconFont()) {}

Form* Screen::ActiveForm() const { return activeWindow_ ? App().FindForm(activeWindow_) : nullptr; }

void Screen::CheckActive() {
    HWND active = GetActiveWindow();
    if (!App().FindForm(active)) active = nullptr;
    HWND focus = active ? GetFocus() : nullptr;
    if (focus && focus != active && !IsChild(active, focus)) focus = nullptr;
    if (active != activeWindow_) {
        activeWindow_ = active;
        if (OnActiveFormChange) OnActiveFormChange();
    }
    if (focus != activeControl_) {
        activeControl_ = focus;
        if (OnActiveControlChange) OnActiveControlChange();
    }
}

bool Screen::SameFont(const LOGFONTA& a, const LOGFONTA& b) { return std::memcmp(&a, &b, sizeof(a)) == 0; }

void Screen::SetHintFont(const LOGFONTA& font) {
    if (SameFont(font, hintFont_)) return;
    hintFont_ = font;
    hintFontHandle_.Reset();
    if (OnHintFontChange) OnHintFontChange();
}

HFONT Screen::HintFontHandle() {
    if (!hintFontHandle_) hintFontHandle_.Reset(CreateFontIndirectA(&hintFont_));
    return static_cast<HFONT>(hintFontHandle_.Get());
}

void Screen::SetIconFont(const LOGFONTA& font) {
    if (SameFont(font, iconFont_)) return;
    iconFont_ = font;
    if (OnIconFontChange) OnIconFontChange();
}

void Screen::RefreshFonts() {
    SetHintFont(SystemHintFont());
    SetIconFont(SystemIconFont());
}

MouseSettings& Mouse() {
    static MouseSettings settings;
    return settings;
}

}  // namespace ui
