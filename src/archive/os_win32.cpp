// The operating-system layer on Windows (the ANSI functions, Windows XP and later).
#include "archive/os.h"

#include "common/handles.h"
#include "common/system_services.h"

#include <utility>
#include <vector>

namespace archive::os {
namespace {

class Win32File final : public File {
public:
    explicit Win32File(common::File file) : file_(std::move(file)) {}

    size_t Read(void* buffer, size_t count) override {
        size_t done = 0;
        while (done < count) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
            DWORD got = 0;
            if (!ReadFile(file_.Get(), static_cast<char*>(buffer) + done, chunk, &got, nullptr) || got == 0) break;
            done += got;
        }
        return done;
    }
    size_t Write(const void* buffer, size_t count) override {
        size_t done = 0;
        while (done < count) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(count - done, 1u << 30));
            DWORD put = 0;
            if (!WriteFile(file_.Get(), static_cast<const char*>(buffer) + done, chunk, &put, nullptr) || put == 0)
                break;
            done += put;
        }
        return done;
    }
    bool Seek(int64_t position) override {
        LARGE_INTEGER to;
        to.QuadPart = position;
        return SetFilePointerEx(file_.Get(), to, nullptr, FILE_BEGIN) != 0;
    }
    int64_t Position() override {
        LARGE_INTEGER zero, at;
        zero.QuadPart = 0;
        if (!SetFilePointerEx(file_.Get(), zero, &at, FILE_CURRENT)) return -1;
        return at.QuadPart;
    }
    int64_t Size() override {
        LARGE_INTEGER size;
        return GetFileSizeEx(file_.Get(), &size) ? size.QuadPart : 0;
    }
    bool Flush() override { return FlushFileBuffers(file_.Get()) != 0; }
    bool SetDosDateTime(uint32_t dos) override {
        FILETIME local, utc;
        if (!DosDateTimeToFileTime(static_cast<WORD>(dos >> 16), static_cast<WORD>(dos & 0xFFFF), &local)) return false;
        if (!LocalFileTimeToFileTime(&local, &utc)) return false;
        return SetFileTime(file_.Get(), nullptr, nullptr, &utc) != 0;
    }

private:
    common::File file_;
};

std::unique_ptr<File> Wrap(HANDLE handle) {
    common::File file(handle);
    if (!file) return nullptr;
    return std::make_unique<Win32File>(std::move(file));
}

CRITICAL_SECTION* ProcessSection() {
    // Built on first use; lives until the process ends.
    static CRITICAL_SECTION* section = [] {
        auto* s = new CRITICAL_SECTION;
        InitializeCriticalSection(s);
        return s;
    }();
    return section;
}

// An in-memory dialog template: the system message box has no "to All" buttons and no edit field.
class DialogTemplate {
public:
    DialogTemplate(const std::string& caption, short cx, short cy, WORD items) {
        Align(4);
        DLGTEMPLATE t{};
        t.style = DS_MODALFRAME | DS_CENTER | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
        t.cdit = items;
        t.cx = cx;
        t.cy = cy;
        Append(&t, sizeof(t));
        Word(0);  // no menu
        Word(0);  // standard class
        Text(caption);
        Word(8);
        Text("MS Shell Dlg");
    }
    void Item(WORD id, WORD classAtom, DWORD style, short x, short y, short cx, short cy, const std::string& text) {
        Align(4);
        DLGITEMTEMPLATE item{};
        item.style = style | WS_CHILD | WS_VISIBLE;
        item.x = x;
        item.y = y;
        item.cx = cx;
        item.cy = cy;
        item.id = id;
        Append(&item, sizeof(item));
        Word(0xFFFF);
        Word(classAtom);
        Text(text);
        Word(0);  // no creation data
    }
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }

private:
    void Append(const void* data, size_t n) {
        const auto* p = static_cast<const char*>(data);
        bytes_.insert(bytes_.end(), p, p + n);
    }
    void Align(size_t n) {
        while (bytes_.size() % n) bytes_.push_back(0);
    }
    void Word(WORD w) { Append(&w, sizeof(w)); }
    void Text(const std::string& s) {
        const int n = MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, nullptr, 0);
        std::vector<wchar_t> wide(n > 0 ? n : 1);
        if (n > 0) MultiByteToWideChar(CP_ACP, 0, s.c_str(), -1, wide.data(), n);
        Append(wide.data(), wide.size() * sizeof(wchar_t));
    }
    std::vector<char> bytes_;
};

constexpr WORD kButtonClass = 0x0080, kEditClass = 0x0081, kStaticClass = 0x0082;
constexpr WORD kIdIcon = 100, kIdText = 101, kIdEdit = 102, kIdNoToAll = 103, kIdYesToAll = 104;

struct DialogState {
    std::string* value;
};

INT_PTR CALLBACK OverwriteProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SendDlgItemMessageA(dialog, kIdIcon, STM_SETICON, reinterpret_cast<WPARAM>(LoadIcon(nullptr, IDI_QUESTION)), 0);
            MessageBeep(MB_ICONQUESTION);
            return TRUE;
        case WM_COMMAND: {
            const WORD id = LOWORD(wParam);
            if (id == IDYES || id == IDNO || id == kIdNoToAll || id == kIdYesToAll) {
                EndDialog(dialog, id);
                return TRUE;
            }
            if (id == IDCANCEL) {
                EndDialog(dialog, IDNO);
                return TRUE;
            }
            break;
        }
    }
    return FALSE;
}

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            SetWindowLongPtrA(dialog, DWLP_USER, lParam);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
                char buffer[1024] = {};
                GetDlgItemTextA(dialog, kIdEdit, buffer, sizeof(buffer));
                state->value->assign(buffer);
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            break;
    }
    return FALSE;
}

class Win32Prompts final : public Prompts {
public:
    OverwriteAnswer ConfirmOverwrite(const std::string& text, const std::string& caption) override {
        DialogTemplate t(caption, 286, 74, 6);
        t.Item(kIdIcon, kStaticClass, SS_ICON, 8, 8, 21, 20, "");
        t.Item(kIdText, kStaticClass, SS_LEFT | SS_NOPREFIX, 38, 8, 240, 36, text);
        t.Item(IDYES, kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, 38, 52, 56, 14, "&Yes");
        t.Item(IDNO, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 98, 52, 56, 14, "&No");
        t.Item(kIdNoToAll, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 158, 52, 56, 14, "N&o to All");
        t.Item(kIdYesToAll, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 218, 52, 56, 14, "Yes to &All");
        const INT_PTR answer = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), GetActiveWindow(),
                                                       OverwriteProc, 0);
        switch (answer) {
            case IDYES: return OverwriteAnswer::Yes;
            case kIdNoToAll: return OverwriteAnswer::NoToAll;
            case kIdYesToAll: return OverwriteAnswer::YesToAll;
            default: return OverwriteAnswer::No;
        }
    }

    FailureAnswer ProcessFailure(const std::string& text, const std::string& caption) override {
        switch (common::Services().MessageBoxA(GetActiveWindow(), text, caption, MB_ABORTRETRYIGNORE | MB_ICONQUESTION)) {
            case IDRETRY: return FailureAnswer::Retry;
            case IDIGNORE: return FailureAnswer::Ignore;
            default: return FailureAnswer::Abort;
        }
    }

    bool RequestVolume(const std::string& text, const std::string& caption) override {
        return common::Services().MessageBoxA(GetActiveWindow(), text, caption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
    }

    bool InputPassword(const std::string& caption, const std::string& prompt, std::string& value) override {
        DialogTemplate t(caption, 180, 63, 4);
        t.Item(kIdText, kStaticClass, SS_LEFT | SS_NOPREFIX, 4, 8, 172, 10, prompt);
        t.Item(kIdEdit, kEditClass, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 4, 19, 172, 12, value);
        t.Item(IDOK, kButtonClass, BS_DEFPUSHBUTTON | WS_TABSTOP, 67, 41, 50, 14, "OK");
        t.Item(IDCANCEL, kButtonClass, BS_PUSHBUTTON | WS_TABSTOP, 121, 41, 50, 14, "Cancel");
        std::string typed;
        DialogState state{&typed};
        const INT_PTR answer = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), t.Get(), GetActiveWindow(),
                                                       PasswordProc, reinterpret_cast<LPARAM>(&state));
        if (answer != IDOK) return false;
        value = typed;
        return true;
    }
};

Prompts* gPrompts = nullptr;

}  // namespace

std::unique_ptr<File> OpenFile(const std::string& path, OpenAccess access, Share share) {
    const DWORD rights = access == OpenAccess::Read ? GENERIC_READ : (GENERIC_READ | GENERIC_WRITE);
    const DWORD sharing = share == Share::DenyWrite ? FILE_SHARE_READ : (FILE_SHARE_READ | FILE_SHARE_WRITE);
    return Wrap(::CreateFileA(path.c_str(), rights, sharing, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<File> CreateNewFile(const std::string& path) {
    return Wrap(::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::unique_ptr<File> CreateTempFileIn(const std::string& folder, std::string& path) {
    char name[MAX_PATH + 16];
    std::string dir = folder.empty() ? std::string(".") : folder;
    if (!GetTempFileNameA(dir.c_str(), "za", 0, name)) return nullptr;
    auto file = Wrap(::CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        ::DeleteFileA(name);
        return nullptr;
    }
    path.assign(name);
    return file;
}

uint32_t GetAttributes(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a == INVALID_FILE_ATTRIBUTES ? kNoAttributes : a;
}

bool SetAttributes(const std::string& path, uint32_t attributes) {
    return SetFileAttributesA(path.c_str(), attributes) != 0;
}

bool RemoveFile(const std::string& path) { return ::DeleteFileA(path.c_str()) != 0; }

bool MoveOver(const std::string& from, const std::string& to) {
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool FileExists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool MakeDirectory(const std::string& path) { return ::CreateDirectoryA(path.c_str(), nullptr) != 0; }

int32_t FileDosDateTime(const std::string& path) {
    WIN32_FIND_DATAA data;
    if (!common::FindHandle(FindFirstFileA(path.c_str(), &data))) return -1;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return -1;
    FILETIME local;
    WORD date, time;
    if (!FileTimeToLocalFileTime(&data.ftLastWriteTime, &local) || !FileTimeToDosDateTime(&local, &date, &time))
        return -1;
    return static_cast<int32_t>((static_cast<uint32_t>(date) << 16) | time);
}

std::string CurrentDirectory() {
    char buffer[MAX_PATH + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof(buffer), buffer);
    std::string dir = (n > 0 && n < sizeof(buffer)) ? std::string(buffer, n) : std::string();
    if (!dir.empty() && dir.back() != '\\') dir += '\\';
    return dir;
}

bool ChangeDirectory(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

std::string OemToAnsiText(const std::string& text) {
    std::vector<char> buffer(text.size() + 1);
    ::OemToCharBuffA(text.data(), buffer.data(), static_cast<DWORD>(text.size()));
    return std::string(buffer.data(), text.size());
}

namespace {

// Strict UTF-8 to UTF-16: an overlong form, a surrogate, a value past U+10FFFF or a broken
// sequence becomes one "_" per offending byte.
std::wstring Utf8ToWide(const std::string& text) {
    std::wstring out;
    size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = static_cast<unsigned char>(text[i]);
        size_t extra = 0;
        uint32_t code = lead, least = 0;
        if (lead >= 0xC2 && lead <= 0xDF) extra = 1, code = lead & 0x1F, least = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF) extra = 2, code = lead & 0x0F, least = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4) extra = 3, code = lead & 0x07, least = 0x10000;
        bool valid = lead < 0x80 || extra > 0;
        for (size_t k = 1; valid && k <= extra; ++k) {
            const unsigned char c = i + k < text.size() ? static_cast<unsigned char>(text[i + k]) : 0;
            if ((c & 0xC0) != 0x80) valid = false;
            code = (code << 6) | (c & 0x3F);
        }
        if (valid && (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))) valid = false;
        if (!valid) {
            out += L'_';
            ++i;
            continue;
        }
        if (code >= 0x10000) {
            code -= 0x10000;
            out += static_cast<wchar_t>(0xD800 + (code >> 10));
            out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
        } else {
            out += static_cast<wchar_t>(code);
        }
        i += 1 + extra;
    }
    return out;
}

}  // namespace

std::string Utf8ToAnsiText(const std::string& text) {
    const std::wstring wide = Utf8ToWide(text);
    if (wide.empty()) return std::string();
    // No best fit: a full-width full stop or solidus must not turn into "." or "\".
    const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, "_", nullptr);
    if (n <= 0) return std::string(wide.size(), '_');
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(), n, "_",
                        nullptr);
    return out;
}

unsigned char OemToAnsiChar(unsigned char c) {
    char in = static_cast<char>(c), out = 0;
    ::OemToCharBuffA(&in, &out, 1);
    return static_cast<unsigned char>(out);
}

unsigned char AnsiToOemChar(unsigned char c) {
    char in = static_cast<char>(c), out = 0;
    ::CharToOemBuffA(&in, &out, 1);
    return static_cast<unsigned char>(out);
}

uint32_t gLocaleOverride = 0;

uint32_t UserLocaleId() { return gLocaleOverride ? gLocaleOverride : GetUserDefaultLCID(); }
void SetLocaleId(uint32_t lcid) { gLocaleOverride = lcid; }

int CompareChar(uint32_t lcid, unsigned char a, unsigned char b, bool ignoreCase) {
    const char x = static_cast<char>(a), y = static_cast<char>(b);
    return CompareStringA(lcid, ignoreCase ? NORM_IGNORECASE : 0, &x, 1, &y, 1) - CSTR_EQUAL;
}

unsigned char UpperChar(unsigned char c) {
    char x = static_cast<char>(c);
    CharUpperBuffA(&x, 1);
    return static_cast<unsigned char>(x);
}

unsigned char LowerChar(unsigned char c) {
    char x = static_cast<char>(c);
    CharLowerBuffA(&x, 1);
    return static_cast<unsigned char>(x);
}

void LockProcess() { EnterCriticalSection(ProcessSection()); }
void UnlockProcess() { LeaveCriticalSection(ProcessSection()); }

Prompts& CurrentPrompts() {
    static Win32Prompts system;
    return gPrompts ? *gPrompts : system;
}

void SetPrompts(Prompts* prompts) { gPrompts = prompts; }

}  // namespace archive::os
