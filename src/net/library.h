// An owned handle of a library loaded at run time, with typed look-up of its entry points.
#pragma once

#include <windows.h>

#include <utility>

namespace net {

class Library {
public:
    Library() = default;
    explicit Library(const char* name) : module_(LoadLibraryA(name)) {}
    ~Library() {
        if (module_ != nullptr)
            (void)FreeLibrary(module_);
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    Library(Library&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
    Library& operator=(Library&& other) noexcept {
        if (this != &other) {
            Library old(std::move(*this));
            module_ = std::exchange(other.module_, nullptr);
        }
        return *this;
    }

    [[nodiscard]] bool IsLoaded() const { return module_ != nullptr; }

    // The entry point `name` as a function pointer of type F; null when missing or not loaded.
    template <typename F>
    [[nodiscard]] F Entry(const char* name) const {
        if (module_ == nullptr)
            return nullptr;
        return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module_, name)));
    }

private:
    HMODULE module_ = nullptr;
};

} // namespace net
