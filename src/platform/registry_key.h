// An owned registry key with the few reads and writes the program uses; every status is the platform's.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace platform {

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

    // Up to `size` bytes of the value, whatever its type, into `data`; `size` becomes the bytes read. A value
    // longer than `size` fails with ERROR_MORE_DATA and leaves `data` alone.
    [[nodiscard]] LONG ReadBytes(const char* name, unsigned char* data, DWORD& size) const;
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

} // namespace platform
