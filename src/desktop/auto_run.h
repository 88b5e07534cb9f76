#pragma once
// Makes Windows start the program at logon through a value in one of the system's "Run" keys.
// Every start writes the value again, so it follows the program when it is moved.
#include "desktop/component.h"

#include <string>

namespace desktop {

enum TdskAutoExecKind {
    aekMachineRun,
    aekMachineRunOnce,
    aekUserRun,
    aekUserRunOnce,
    aekServiceRun,
    aekServiceRunOnce,
};

class TdskAutoRun : public TdskComponent {
public:
    TdskAutoRun(ui::Form& owner, std::string name);

    void Loaded() override;

    // Each setter removes the entry made with the old settings and writes the new one.
    bool AutoRun() const { return autoRun_; }
    void SetAutoRun(bool autoRun);
    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName);
    TdskAutoExecKind Kind() const { return kind_; }
    void SetKind(TdskAutoExecKind kind);

    // The value's name: the file-name part of FileName.
    std::string ValueName() const;

    // Failures (no rights to the key, for one) are silent.
    virtual void RegisterAutoRun();
    virtual void UnregisterAutoRun();

private:
    bool autoRun_ = false;
    std::string fileName_;
    TdskAutoExecKind kind_ = aekMachineRun;
};

// The root key and subkey of a kind, e.g. HKEY_LOCAL_MACHINE and
// "Software\Microsoft\Windows\CurrentVersion\Run".
HKEY AutoRunRoot(TdskAutoExecKind kind);
std::string AutoRunKey(TdskAutoExecKind kind);

}  // namespace desktop
