#pragma once
// One owner per handle: move-only wrappers that close what they hold.
#include <windows.h>

#include <utility>

namespace ui {

template <class T, class Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, Traits::Invalid());
        }
        return *this;
    }

    T Get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Invalid(); }
    T Release() { return std::exchange(handle_, Traits::Invalid()); }
    void Reset(T handle = Traits::Invalid()) {
        if (handle_ != Traits::Invalid()) Traits::Close(handle_);
        handle_ = handle;
    }

private:
    T handle_ = Traits::Invalid();
};

struct KernelHandleTraits {
    static HANDLE Invalid() { return nullptr; }
    static void Close(HANDLE h) { CloseHandle(h); }
};
struct GdiTraits {
    static HGDIOBJ Invalid() { return nullptr; }
    static void Close(HGDIOBJ h) { DeleteObject(h); }
};
struct MenuTraits {
    static HMENU Invalid() { return nullptr; }
    static void Close(HMENU h) { DestroyMenu(h); }
};
struct WindowTraits {
    static HWND Invalid() { return nullptr; }
    static void Close(HWND h) {
        if (IsWindow(h)) DestroyWindow(h);
    }
};
struct IconTraits {
    static HICON Invalid() { return nullptr; }
    static void Close(HICON h) { DestroyIcon(h); }
};

using Handle = UniqueHandle<HANDLE, KernelHandleTraits>;
using GdiObject = UniqueHandle<HGDIOBJ, GdiTraits>;
using Menu = UniqueHandle<HMENU, MenuTraits>;
using Window = UniqueHandle<HWND, WindowTraits>;
using Icon = UniqueHandle<HICON, IconTraits>;

}  // namespace ui
