#pragma once
// Quorvex's form references: one per window kind, the most recently created window of that kind.
// The windows of the configuration screens are made through factories the program entry sets.
#include "ui/form.h"

#include <functional>

namespace tray {

class Tresolution;

struct FormReferences {
    Tresolution* resolution = nullptr;  // the host form
    ui::Form* main = nullptr;           // the current Control Center
    ui::Form* agent = nullptr;          // the notification popup made at start (never shown)
    ui::Form* wizard = nullptr;
    ui::Form* about = nullptr;
};
extern FormReferences forms;

// Each makes a new window of its kind owned by `owner` and loads it (hidden).
struct ScreenFactories {
    std::function<ui::Form*(ui::Form& owner)> controlCenter;
    std::function<ui::Form*(ui::Form& owner)> wizard;
    std::function<ui::Form*(ui::Form& owner)> about;
};
extern ScreenFactories screenFactories;

}  // namespace tray
