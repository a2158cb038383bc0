// A library loaded at run time, with typed look-up of its entry points; unloaded when its owner goes.
#pragma once

#include <windows.h>

#include "platform/handles.h"

namespace platform {

struct LibraryTraits {
    using Handle = HMODULE;
    static Handle None() { return nullptr; }
    static void Close(Handle handle) { (void)::FreeLibrary(handle); }
};

class Library {
public:
    Library() = default;
    // LoadLibraryExA with `flags` (0: the plain LoadLibrary search).
    explicit Library(const char* name, DWORD flags = 0) : module_(::LoadLibraryExA(name, nullptr, flags)) {}

    [[nodiscard]] bool IsLoaded() const { return module_.IsValid(); }
    [[nodiscard]] HMODULE Module() const { return module_.Get(); }

    // The entry point `name` as a function pointer of type F; null when missing or not loaded.
    template <typename F>
    [[nodiscard]] F Entry(const char* name) const {
        if (!IsLoaded()) {
            return nullptr;
        }
        return reinterpret_cast<F>(reinterpret_cast<void (*)()>(::GetProcAddress(module_.Get(), name)));
    }

private:
    UniqueHandle<LibraryTraits> module_;
};

} // namespace platform
