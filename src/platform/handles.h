// Owners of the system's handles, one type per kind of handle: each closes its handle when it goes.
#pragma once

#include <windows.h>

#include <utility>

namespace platform {

// A move-only owner of one handle. Traits give the handle type, the value that means "none", and the call
// that closes it.
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.Release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        if (this != &other) {
            Reset(other.Release());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    [[nodiscard]] bool IsValid() const { return handle_ != Traits::None(); }
    explicit operator bool() const { return IsValid(); }
    [[nodiscard]] Handle Get() const { return handle_; }

    // Gives up ownership: the caller closes the handle from now on.
    [[nodiscard]] Handle Release() { return std::exchange(handle_, Traits::None()); }

    // Closes the handle held so far and takes `handle` instead.
    void Reset(Handle handle = Traits::None()) {
        const Handle old = std::exchange(handle_, handle);
        if (old != Traits::None()) {
            Traits::Close(old);
        }
    }

private:
    Handle handle_ = Traits::None();
};

// Threads, processes, events: kernel objects whose "none" is null.
struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { (void)::CloseHandle(handle); }
};
using KernelHandle = UniqueHandle<KernelHandleTraits>;

// Files and pipes, whose "none" is INVALID_HANDLE_VALUE as CreateFile gives it.
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { (void)::CloseHandle(handle); }
};
using FileHandle = UniqueHandle<FileHandleTraits>;

// A directory search of FindFirstFile.
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle None() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { (void)::FindClose(handle); }
};
using FindHandle = UniqueHandle<FindHandleTraits>;

// A bitmap, brush, pen, font or region.
struct GdiObjectTraits {
    using Handle = HGDIOBJ;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { (void)::DeleteObject(handle); }
};
using GdiObject = UniqueHandle<GdiObjectTraits>;

// A memory device context of CreateCompatibleDC.
struct MemoryDcTraits {
    using Handle = HDC;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { (void)::DeleteDC(handle); }
};
using MemoryDc = UniqueHandle<MemoryDcTraits>;

// An icon that its owner created or loaded from a file (not a shared resource icon).
struct IconTraits {
    using Handle = HICON;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { (void)::DestroyIcon(handle); }
};
using IconHandle = UniqueHandle<IconTraits>;

// An installed hook of SetWindowsHookEx.
struct WindowsHookTraits {
    using Handle = HHOOK;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { (void)::UnhookWindowsHookEx(handle); }
};
using WindowsHook = UniqueHandle<WindowsHookTraits>;

// The device context of a window (null: the screen), from GetDC to ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), dc_(::GetDC(window)) {}
    ~WindowDc() {
        if (dc_ != nullptr) {
            (void)::ReleaseDC(window_, dc_);
        }
    }
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;

    [[nodiscard]] HDC Get() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

} // namespace platform
