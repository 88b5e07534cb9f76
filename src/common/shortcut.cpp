#include "common/shortcut.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <vector>

namespace common {

namespace {
// COM for the calling thread for as long as this lives; a thread that has it already keeps it.
class ComScope {
public:
    ComScope() : started_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComScope() {
        if (started_) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;

private:
    bool started_;
};

template <class T>
struct Released {
    T* p = nullptr;
    ~Released() {
        if (p) p->Release();
    }
};

std::wstring Wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(size > 0 ? size : 1));
    MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, wide.data(), size);
    return wide.data();
}
}  // namespace

bool SaveShortcut(const std::string& path, const Shortcut& shortcut) {
    const ComScope com;
    Released<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link.p))))
        return false;
    link.p->SetPath(shortcut.target.c_str());
    link.p->SetArguments(shortcut.arguments.c_str());
    link.p->SetWorkingDirectory(shortcut.workingDirectory.c_str());
    link.p->SetIconLocation(shortcut.iconPath.c_str(), 0);
    link.p->SetDescription(shortcut.description.c_str());
    Released<IPersistFile> file;
    if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p)))) return false;
    return SUCCEEDED(file.p->Save(Wide(path).c_str(), TRUE));
}

std::string DesktopFolder() {
    char folder[MAX_PATH] = {};
    if (!SHGetSpecialFolderPathA(nullptr, folder, CSIDL_DESKTOPDIRECTORY, TRUE)) return {};
    std::string path = folder;
    if (!path.empty() && path.back() != '\\') path += '\\';
    return path;
}

}  // namespace common
