#include "desktop/auto_run.h"

#include "common/exception.h"

namespace desktop {

namespace {

bool IsNtPlatform() {
    OSVERSIONINFOA version{};
    version.dwOSVersionInfoSize = sizeof(version);
    return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Services start before anybody logs on only on Windows 95, 98 and ME; the NT platform has no such keys.
bool Skipped(TdskAutoExecKind kind) {
    static const bool nt = IsNtPlatform();
    return (kind == aekServiceRun || kind == aekServiceRunOnce) && nt;
}

class Key {
public:
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    // Opens `kind`'s key with full access, creating it when asked; throws when that fails.
    void Open(TdskAutoExecKind kind, bool create) {
        const std::string path = AutoRunKey(kind);
        const LONG result = create ? RegCreateKeyExA(AutoRunRoot(kind), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                     KEY_ALL_ACCESS, nullptr, &key_, nullptr)
                                   : RegOpenKeyExA(AutoRunRoot(kind), path.c_str(), 0, KEY_ALL_ACCESS, &key_);
        if (result != ERROR_SUCCESS) {
            key_ = nullptr;
            throw common::Exception("Unable to open the " + path + " key");
        }
    }
    HKEY Get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

}  // namespace

HKEY AutoRunRoot(TdskAutoExecKind kind) {
    return kind == aekUserRun || kind == aekUserRunOnce ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
}

std::string AutoRunKey(TdskAutoExecKind kind) {
    static const char* const tails[] = {"Run", "RunOnce", "Run", "RunOnce", "RunServices", "RunServicesOnce"};
    return std::string("Software\\Microsoft\\Windows\\CurrentVersion\\") + tails[kind];
}

TdskAutoRun::TdskAutoRun(ui::Form& owner, std::string name)
    : TdskComponent(owner, std::move(name)), fileName_(ExecutablePath()) {}

void TdskAutoRun::Loaded() { RegisterAutoRun(); }

void TdskAutoRun::SetAutoRun(bool autoRun) {
    if (autoRun == autoRun_) return;
    UnregisterAutoRun();
    autoRun_ = autoRun;
    RegisterAutoRun();
}

void TdskAutoRun::SetFileName(const std::string& fileName) {
    if (fileName == fileName_) return;
    UnregisterAutoRun();
    fileName_ = fileName;
    RegisterAutoRun();
}

void TdskAutoRun::SetKind(TdskAutoExecKind kind) {
    if (kind == kind_) return;
    UnregisterAutoRun();
    kind_ = kind;
    RegisterAutoRun();
}

std::string TdskAutoRun::ValueName() const {
    const size_t separator = fileName_.find_last_of("\\:/");
    return separator == std::string::npos ? fileName_ : fileName_.substr(separator + 1);
}

void TdskAutoRun::UnregisterAutoRun() {
    if (Skipped(kind_)) return;
    try {
        Key key;
        key.Open(kind_, false);
        const std::string name = ValueName();
        if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            RegDeleteValueA(key.Get(), name.c_str());
    } catch (const common::Exception&) {
        // Nothing to remove where we may not look.
    }
}

void TdskAutoRun::RegisterAutoRun() {
    UnregisterAutoRun();
    if (!autoRun_ || Skipped(kind_)) return;
    try {
        Key key;
        key.Open(kind_, true);
        // Unquoted, a path with a space would let Windows start "C:\Program.exe" in its place.
        const std::string data = fileName_.find(' ') != std::string::npos ? "\"" + fileName_ + "\"" : fileName_;
        const DWORD type = fileName_.find('%') != std::string::npos ? REG_EXPAND_SZ : REG_SZ;
        RegSetValueExA(key.Get(), ValueName().c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    } catch (const common::Exception&) {
        // Without rights to the key (a limited account) the program simply does not start at logon.
    }
}

}  // namespace desktop
