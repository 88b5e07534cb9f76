#include "ui/layout.h"

namespace ui {

namespace {
ControlSpec Row(Kind kind, const char* name, Bounds bounds = {}, const char* caption = "") {
    ControlSpec spec;
    spec.kind = kind;
    spec.name = name;
    spec.bounds = bounds;
    spec.caption = caption;
    return spec;
}
}  // namespace

ControlSpec Label(const char* name, Bounds bounds, const char* caption) { return Row(Kind::Label, name, bounds, caption); }
ControlSpec Button(const char* name, Bounds bounds, const char* caption) { return Row(Kind::Button, name, bounds, caption); }
ControlSpec CheckBox(const char* name, Bounds bounds, const char* caption) {
    return Row(Kind::CheckBox, name, bounds, caption);
}
ControlSpec RadioButton(const char* name, Bounds bounds, const char* caption) {
    return Row(Kind::RadioButton, name, bounds, caption);
}
ControlSpec GroupBox(const char* name, Bounds bounds, const char* caption) {
    return Row(Kind::GroupBox, name, bounds, caption);
}
ControlSpec TrackBar(const char* name, Bounds bounds) { return Row(Kind::TrackBar, name, bounds); }
ControlSpec ProgressBar(const char* name, Bounds bounds) {
    ControlSpec spec = Row(Kind::ProgressBar, name, bounds);
    spec.max = 100;
    return spec;
}
ControlSpec Picture(const char* name, Bounds bounds, const char* bitmapResource) {
    ControlSpec spec = Row(Kind::Picture, name, bounds);
    spec.resource = bitmapResource;
    return spec;
}
ControlSpec Notebook(const char* name, Bounds bounds) { return Row(Kind::Notebook, name, bounds); }
ControlSpec Page(const char* name, const char* notebook) {
    ControlSpec spec = Row(Kind::Page, name);
    spec.parent = notebook;
    return spec;
}
ControlSpec PopupMenu(const char* name) { return Row(Kind::PopupMenu, name); }
ControlSpec MenuItem(const char* name, const char* caption, const char* menu) {
    ControlSpec spec = Row(Kind::MenuItem, name, {}, caption);
    spec.parent = menu;
    return spec;
}
ControlSpec Timer(const char* name) { return Row(Kind::Timer, name); }
ControlSpec Events(const char* name) { return Row(Kind::Events, name); }
ControlSpec Manifest(const char* name) { return Row(Kind::Manifest, name); }

}  // namespace ui
