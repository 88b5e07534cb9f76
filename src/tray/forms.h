#pragma once
// Quorvex's form references: one per window kind, the most recently created window of that kind
// that is still open. A closed Control Center or About screen is destroyed.
// The windows of the configuration screens are made through factories the program entry sets.
#include "ui/form.h"

#include <functional>
#include <vector>

namespace tray {

class Tresolution;

struct FormReferences {
    Tresolution* resolution = nullptr;  // the host form
    ui::Form* main = nullptr;           // the current Control Center, or none
    ui::Form* agent = nullptr;          // unused: each notification popup lives on its own
    ui::Form* wizard = nullptr;         // while it runs
    ui::Form* about = nullptr;          // the current About screen, or none

    // The Control Centers and About screens in existence, oldest first.
    std::vector<ui::Form*> controlCenters, abouts;
};
extern FormReferences forms;

// A window of a tracked kind calls these from its constructor and destructor: a new one becomes the
// current window of its kind; when one goes, the newest of those left takes its place, or none.
void WindowMade(ui::Form*& current, std::vector<ui::Form*>& made, ui::Form& window);
void WindowGone(ui::Form*& current, std::vector<ui::Form*>& made, ui::Form& window);

// Each makes a new window of its kind owned by `owner` and loads it (hidden).
struct ScreenFactories {
    std::function<ui::Form*(ui::Form& owner)> controlCenter;
    std::function<ui::Form*(ui::Form& owner)> wizard;
    std::function<ui::Form*(ui::Form& owner)> about;
};
extern ScreenFactories screenFactories;

}  // namespace tray
