#include "ui/layout.h"

namespace ui {

namespace {
ControlSpec Row(Kind kind, const char* name, Bounds bounds = {}, const char* caption = "") {
    ControlSpec row;
    row.kind = kind;
    row.name = name;
    row.bounds = bounds;
    row.caption = caption;
    return row;
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
ControlSpec HotKey(const char* name, Bounds bounds) { return Row(Kind::HotKey, name, bounds); }
ControlSpec ComboBox(const char* name, Bounds bounds) { return Row(Kind::ComboBox, name, bounds); }
ControlSpec Memo(const char* name, Bounds bounds) { return Row(Kind::Memo, name, bounds); }
ControlSpec ProgressBar(const char* name, Bounds bounds) {
    ControlSpec row = Row(Kind::ProgressBar, name, bounds);
    row.max = 100;
    return row;
}
ControlSpec Picture(const char* name, Bounds bounds, const char* bitmapResource) {
    ControlSpec row = Row(Kind::Picture, name, bounds);
    row.resource = bitmapResource;
    return row;
}
// A notebook and its pages carry their names as window texts, so other programs can tell them apart.
ControlSpec Notebook(const char* name, Bounds bounds) { return Row(Kind::Notebook, name, bounds, name); }
ControlSpec Page(const char* name, const char* notebook) {
    ControlSpec row = Row(Kind::Page, name, {}, name);
    row.parent = notebook;
    return row;
}
ControlSpec PopupMenu(const char* name) { return Row(Kind::PopupMenu, name); }
ControlSpec MenuItem(const char* name, const char* caption, const char* menu) {
    ControlSpec row = Row(Kind::MenuItem, name, {}, caption);
    row.parent = menu;
    return row;
}
ControlSpec Timer(const char* name) { return Row(Kind::Timer, name); }
ControlSpec Events(const char* name) { return Row(Kind::Events, name); }
ControlSpec Manifest(const char* name) { return Row(Kind::Manifest, name); }
ControlSpec StartMark(const char* name, Bounds bounds) {
    ControlSpec row = CheckBox(name, bounds, name).Checked().Hidden();
    row.startMark = true;
    return row;
}

}  // namespace ui
