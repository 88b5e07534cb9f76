#pragma once
// The screen sizes the configuration screens offer on their sliders: the display's own, or, when the
// system lists none, five fixed sizes.
#include "common/display_modes.h"
#include "ui/form.h"

#include <cstdint>
#include <string>
#include <vector>

namespace screens {

struct Resolution {
    int32_t width, height;
    const char* caption;  // as the screens show it, e.g. "1024x768"
};

// The fixed sizes, slider positions 1 to 5.
inline constexpr Resolution kResolutions[] = {
    {640, 480, "640x480"}, {800, 600, "800x600"}, {1024, 768, "1024x768"}, {1280, 1024, "1280x1024"},
    {1600, 1200, "1600x1200"},
};

// What a slider offers: its sizes in position order (position 1 first).
struct OfferedSizes {
    std::vector<common::ScreenSize> sizes;
    bool listed = false;  // the display's own; false: the fixed five, every depth allowed

    // The size of a slider position; nullptr outside the slider's range.
    const common::ScreenSize* At(int position) const {
        return position >= 1 && position <= static_cast<int>(sizes.size()) ? &sizes[position - 1] : nullptr;
    }
    int Count() const { return static_cast<int>(sizes.size()); }
};

inline OfferedSizes FixedSizes() {
    OfferedSizes offered;
    for (const Resolution& r : kResolutions) offered.sizes.push_back({r.width, r.height, true, true, true});
    return offered;
}

// `device`: a display's device name; nullptr for the primary display.
inline OfferedSizes ReadOfferedSizes(const char* device = nullptr) {
    OfferedSizes offered{common::ListedScreenSizes(device), true};
    return offered.sizes.empty() ? FixedSizes() : offered;
}

// The depth radio buttons b8, b16 and b32 of a configuration screen.
class DepthButtons {
public:
    explicit DepthButtons(ui::Form& form) : buttons_{{form, "b8"}, {form, "b16"}, {form, "b32"}} {}

    // The checked depth; 16 when none is.
    int32_t Checked() const { return ui::CheckedValue({{buttons_[0], 8}, {buttons_[1], 16}, {buttons_[2], 32}}, 16); }
    void Check(int32_t depth) {
        for (int i = 0; i < 3; ++i)
            if (kDepths[i] == depth) buttons_[i]->SetChecked(true);
    }
    void Disable() {
        for (auto& button : buttons_) button->SetEnabled(false);
    }
    // The buttons follow the chosen size: those it offers are enabled, the others disabled. A checked
    // button that gets disabled gives way to the highest depth offered.
    void Follow(const common::ScreenSize& size) {
        bool lostCheck = false;
        for (int i = 0; i < 3; ++i) {
            buttons_[i]->SetEnabled(size.Offers(kDepths[i]));
            lostCheck = lostCheck || (buttons_[i]->Checked() && !size.Offers(kDepths[i]));
        }
        if (lostCheck && size.HighestDepth()) Check(size.HighestDepth());
    }

private:
    static constexpr int32_t kDepths[] = {8, 16, 32};
    ui::Bound<ui::TRadioButton> buttons_[3];
};

// The slider position nearest to the screen's size now.
inline int NearestToScreen(const OfferedSizes& offered, const char* device = nullptr) {
    const common::CurrentMode screen = common::ScreenModeNow(device);
    return static_cast<int>(common::NearestSize(offered.sizes, screen.width, screen.height)) + 1;
}

}  // namespace screens
