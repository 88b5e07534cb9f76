#pragma once
// One owner per handle: move-only wrappers that close what they hold, one traits type per kind of
// handle. A kind's traits say which value means "nothing" and how the handle is given back; traits
// that need more than the handle to give it back (the window a DC came from, the DC an object is
// selected into) carry it, and the wrapper keeps it beside the handle.
#include <windows.h>
#include <wincrypt.h>
#include <wininet.h>

#include <utility>

namespace common {

template <class T, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle, Traits traits = Traits()) : handle_(handle), traits_(traits) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, Traits::Invalid())), traits_(other.traits_) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, Traits::Invalid());
            traits_ = other.traits_;
        }
        return *this;
    }

    T Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    T Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(T handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) traits_.Close(handle_);
        handle_ = handle;
    }
    // For the functions that hand a new handle back through a pointer: closes the one held.
    T* Put() {
        Reset();
        return &handle_;
    }

private:
    T handle_ = Traits::Invalid();
    [[no_unique_address]] Traits traits_;
};

// Most kinds of handle hold 0 (null) for "nothing".
template <class T>
struct NullInvalid {
    static T Invalid() { return T(); }
};
// Kernel objects (events, mutexes, threads, processes); files and find handles, whose functions
// answer INVALID_HANDLE_VALUE, not null, when they fail; registry keys; WinInet; CryptoAPI.
struct KernelHandleTraits : NullInvalid<HANDLE> { static void Close(HANDLE h) { CloseHandle(h); } };
struct FileTraits : KernelHandleTraits { static HANDLE Invalid() { return INVALID_HANDLE_VALUE; } };
struct FindTraits : FileTraits { static void Close(HANDLE h) { FindClose(h); } };
struct RegKeyTraits : NullInvalid<HKEY> { static void Close(HKEY h) { RegCloseKey(h); } };
struct InternetTraits : NullInvalid<HINTERNET> { static void Close(HINTERNET h) { InternetCloseHandle(h); } };
struct CryptProviderTraits : NullInvalid<HCRYPTPROV> { static void Close(HCRYPTPROV h) { CryptReleaseContext(h, 0); } };
struct CryptKeyTraits : NullInvalid<HCRYPTKEY> { static void Close(HCRYPTKEY h) { CryptDestroyKey(h); } };
struct CryptHashTraits : NullInvalid<HCRYPTHASH> { static void Close(HCRYPTHASH h) { CryptDestroyHash(h); } };
// GDI and USER objects. A window's DC (GetDC) goes back to the window it came from; a DC made by
// CreateCompatibleDC is deleted. A selection holds the object it replaced and selects it back, so
// the selected object is free again to be deleted or selected elsewhere.
struct GdiTraits : NullInvalid<HGDIOBJ> { static void Close(HGDIOBJ h) { DeleteObject(h); } };
struct WindowDcTraits {
    HWND window = nullptr;
    static HDC Invalid() { return nullptr; }
    void Close(HDC dc) const { ReleaseDC(window, dc); }
};
struct MemoryDcTraits : NullInvalid<HDC> { static void Close(HDC dc) { DeleteDC(dc); } };
struct SelectionTraits {
    HDC dc = nullptr;
    static HGDIOBJ Invalid() { return nullptr; }
    void Close(HGDIOBJ previous) const { SelectObject(dc, previous); }
};
struct MenuTraits : NullInvalid<HMENU> { static void Close(HMENU h) { DestroyMenu(h); } };
struct WindowTraits : NullInvalid<HWND> {
    static void Close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
struct IconTraits : NullInvalid<HICON> { static void Close(HICON h) { DestroyIcon(h); } };
// A DLL loaded at run time for functions that not every Windows version has.
struct LibraryTraits : NullInvalid<HMODULE> { static void Close(HMODULE h) { FreeLibrary(h); } };

using Handle = UniqueHandle<HANDLE, KernelHandleTraits>;
using File = UniqueHandle<HANDLE, FileTraits>;
using FindHandle = UniqueHandle<HANDLE, FindTraits>;
using RegKey = UniqueHandle<HKEY, RegKeyTraits>;
using InternetHandle = UniqueHandle<HINTERNET, InternetTraits>;
using CryptProvider = UniqueHandle<HCRYPTPROV, CryptProviderTraits>;
using CryptKey = UniqueHandle<HCRYPTKEY, CryptKeyTraits>;
using CryptHash = UniqueHandle<HCRYPTHASH, CryptHashTraits>;
using GdiObject = UniqueHandle<HGDIOBJ, GdiTraits>;
using WindowDc = UniqueHandle<HDC, WindowDcTraits>;
using MemoryDc = UniqueHandle<HDC, MemoryDcTraits>;
using Selection = UniqueHandle<HGDIOBJ, SelectionTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;
using Window = UniqueHandle<HWND, WindowTraits>;
using Icon = UniqueHandle<HICON, IconTraits>;
using Library = UniqueHandle<HMODULE, LibraryTraits>;

// The DC of `window` (null: the screen), released to that window.
inline WindowDc GetWindowDc(HWND window) { return WindowDc(GetDC(window), WindowDcTraits{window}); }
// Selects `object` into `dc` until the selection ends.
inline Selection Select(HDC dc, HGDIOBJ object) { return Selection(SelectObject(dc, object), SelectionTraits{dc}); }

}  // namespace common
