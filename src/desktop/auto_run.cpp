#include "desktop/auto_run.h"

#include "common/exception.h"
#include "common/handles.h"

#include <optional>

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

// `kind`'s key with full access, created when asked; throws when it cannot be had.
common::RegKey OpenKey(TdskAutoExecKind kind, bool create) {
    const std::string path = AutoRunKey(kind);
    common::RegKey key;
    const LONG result = create ? RegCreateKeyExA(AutoRunRoot(kind), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_ALL_ACCESS, nullptr, key.Put(), nullptr)
                               : RegOpenKeyExA(AutoRunRoot(kind), path.c_str(), 0, KEY_ALL_ACCESS, key.Put());
    if (result != ERROR_SUCCESS) {
        key.Release();  // not a key: nothing to close
        throw common::Exception("Unable to open the " + path + " key");
    }
    return key;
}

// The user's own key that stands in for a machine key.
std::optional<TdskAutoExecKind> UserFallback(TdskAutoExecKind kind) {
    if (kind == aekMachineRun) return aekUserRun;
    if (kind == aekMachineRunOnce) return aekUserRunOnce;
    return std::nullopt;
}

// Each of these fails silently: where the account may not look there is nothing to do.
bool WriteValue(TdskAutoExecKind kind, const std::string& name, const std::string& data, DWORD type) {
    try {
        const common::RegKey key = OpenKey(kind, true);
        return RegSetValueExA(key.Get(), name.c_str(), 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
    } catch (const common::Exception&) {
        return false;
    }
}

void DeleteValue(TdskAutoExecKind kind, const std::string& name) {
    try {
        const common::RegKey key = OpenKey(kind, false);
        if (RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS)
            RegDeleteValueA(key.Get(), name.c_str());
    } catch (const common::Exception&) {
    }
}

// The value's data as text; empty when it cannot be read.
std::string ReadValue(TdskAutoExecKind kind, const std::string& name) {
    common::RegKey key;
    if (RegOpenKeyExA(AutoRunRoot(kind), AutoRunKey(kind).c_str(), 0, KEY_QUERY_VALUE, key.Put()) != ERROR_SUCCESS) {
        key.Release();
        return {};
    }
    char data[MAX_PATH + 3] = {};
    DWORD size = sizeof(data) - 1;
    const LONG result =
        RegQueryValueExA(key.Get(), name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    return result == ERROR_SUCCESS ? std::string(data) : std::string();
}

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
    const std::string name = ValueName();
    DeleteValue(kind_, name);
    // The entry this account got in place of a machine-wide one it could not write.
    if (const auto fallback = UserFallback(kind_)) DeleteValue(*fallback, name);
}

void TdskAutoRun::RegisterAutoRun() {
    UnregisterAutoRun();
    if (!autoRun_ || Skipped(kind_)) return;
    const std::string name = ValueName();
    // Unquoted, a path with a space would let Windows start "C:\Program.exe" in its place.
    const std::string data = fileName_.find(' ') != std::string::npos ? "\"" + fileName_ + "\"" : fileName_;
    const DWORD type = fileName_.find('%') != std::string::npos ? REG_EXPAND_SZ : REG_SZ;
    if (WriteValue(kind_, name, data, type)) return;
    // A standard account may not write the machine's key (Windows Vista and later; registry
    // virtualization does not cover it). The same entry for this user still starts the program at
    // this user's logon, unless the machine's key already holds it: two would start two copies.
    const auto fallback = UserFallback(kind_);
    if (!fallback || ReadValue(kind_, name) == data) return;
    WriteValue(*fallback, name, data, type);
}

}  // namespace desktop
