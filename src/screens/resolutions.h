#pragma once
// The screen sizes the configuration screens offer: slider positions 1 to 5.
#include <cstdint>

namespace screens {

struct Resolution {
    int32_t width, height;
    const char* caption;  // as the screens show it, e.g. "1024x768"
};

inline constexpr Resolution kResolutions[] = {
    {640, 480, "640x480"}, {800, 600, "800x600"}, {1024, 768, "1024x768"}, {1280, 1024, "1280x1024"},
    {1600, 1200, "1600x1200"},
};

// The resolution of a slider position; nullptr outside 1 to 5.
inline const Resolution* ResolutionAt(int position) {
    return position >= 1 && position <= 5 ? &kResolutions[position - 1] : nullptr;
}

}  // namespace screens
