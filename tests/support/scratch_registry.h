#pragma once
// HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER of this process redirected to scratch keys for an object's
// life (RegOverridePredefKey): a test writes machine and user values, policies among them, that no
// other test program running beside it sees.
#include <windows.h>
#include <shlwapi.h>

#include <string>

namespace testsupport {

class ScratchRegistry {
public:
    ScratchRegistry() : path_("Software\\QvTest\\Registry" + std::to_string(GetCurrentProcessId())) {
        RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\Machine").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &machine_, nullptr);
        RegCreateKeyExA(HKEY_CURRENT_USER, (path_ + "\\User").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &user_,
                        nullptr);
        redirected_ = RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_) == ERROR_SUCCESS &&
                      RegOverridePredefKey(HKEY_CURRENT_USER, user_) == ERROR_SUCCESS;
    }
    ~ScratchRegistry() {
        RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
        RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
        RegCloseKey(machine_);
        RegCloseKey(user_);
        SHDeleteKeyA(HKEY_CURRENT_USER, path_.c_str());
        // Fails while another test still uses it.
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QvTest");
    }
    ScratchRegistry(const ScratchRegistry&) = delete;
    ScratchRegistry& operator=(const ScratchRegistry&) = delete;

    // False when the system refused to redirect a root: the test would write the real registry.
    bool Redirected() const { return redirected_; }
    HKEY Root(bool machine) const { return machine ? machine_ : user_; }
    // Sets a DWORD value under `key` of the machine's or the user's root.
    void SetDword(bool machine, const char* key, const char* name, DWORD value) const {
        HKEY opened = nullptr;
        RegCreateKeyExA(Root(machine), key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
        RegSetValueExA(opened, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof(value));
        RegCloseKey(opened);
    }
    void SetText(bool machine, const char* key, const char* name, const std::string& text) const {
        HKEY opened = nullptr;
        RegCreateKeyExA(Root(machine), key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &opened, nullptr);
        RegSetValueExA(opened, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
        RegCloseKey(opened);
    }

private:
    std::string path_;
    HKEY machine_ = nullptr, user_ = nullptr;
    bool redirected_ = false;
};

}  // namespace testsupport
