// An owned registry key with the few reads and writes the preferences use; every status is the platform's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace ui {

// The program's own key under HKEY_CURRENT_USER ("SOFTWARE\\Brisklane") and the current user's Run key.
[[nodiscard]] std::string ProductKeyPath();
constexpr const char* kRunKeyPath = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

class RegistryKey {
public:
    RegistryKey() = default;
    ~RegistryKey();
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;

    // Opens an existing key; never creates one.
    [[nodiscard]] LONG Open(HKEY parent, const char* path, REGSAM access);
    // Creates the key when missing (non-volatile, no class, default security), else opens it.
    [[nodiscard]] LONG Create(HKEY parent, const char* path, REGSAM access);
    void Close();

    [[nodiscard]] bool IsOpen() const { return key_ != nullptr; }
    [[nodiscard]] HKEY Get() const { return key_; }

    // A number read the 4-byte way: up to four bytes of the value, whatever its type, over `fallback`
    // taken as a little-endian 32-bit number; `fallback` itself when the value can't be read (or the key is
    // not open).
    [[nodiscard]] uint32_t ReadNumber(const char* name, uint32_t fallback) const;
    // True when the value exists (its data is not read).
    [[nodiscard]] bool HasValue(const char* name) const;
    // A string value into a caller's buffer of `size` bytes; the text is always zero-terminated.
    [[nodiscard]] LONG ReadText(const char* name, char* buffer, DWORD size) const;

    [[nodiscard]] LONG WriteDword(const char* name, uint32_t value) const;
    // A REG_SZ value stored with its terminating zero (length + 1 bytes).
    [[nodiscard]] LONG WriteText(const char* name, const std::string& text) const;
    [[nodiscard]] LONG DeleteValue(const char* name) const;

private:
    HKEY key_ = nullptr;
};

} // namespace ui
