#pragma once
// The archiver placed on a form: a component of the form's layout that owns one TZipArchiver.
#include "archive/archiver.h"
#include "ui/component.h"

namespace updater {

class ZipComponent : public ui::Component {
public:
    ZipComponent(ui::Form& owner, std::string name) : ui::Component(owner, name) { archiver.Name = Name(); }
    archive::TZipArchiver archiver;
};

}  // namespace updater
