// An owned registry key with the few reads and writes the preferences use; every status is the platform's.
#include "ui/registry_key.h"

#include "ui/preference_values.h"

#include <cstdio>
#include <cstring>
#include <utility>

namespace ui {

std::string ProductKeyPath() {
    char path[64];
    std::snprintf(path, sizeof path, "SOFTWARE\\%s", "Brisklane");
    return path;
}

RegistryKey::~RegistryKey() {
    Close();
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept {
    if (this != &other) {
        Close();
        key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
}

LONG RegistryKey::Open(HKEY parent, const char* path, REGSAM access) {
    Close();
    return RegOpenKeyExA(parent, path, 0, access, &key_);
}

LONG RegistryKey::Create(HKEY parent, const char* path, REGSAM access) {
    Close();
    DWORD disposition = 0;
    return RegCreateKeyExA(parent, path, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &key_, &disposition);
}

void RegistryKey::Close() {
    if (key_ != nullptr) {
        (void)RegCloseKey(key_);
        key_ = nullptr;
    }
}

uint32_t RegistryKey::ReadNumber(const char* name, uint32_t fallback) const {
    if (key_ == nullptr)
        return fallback;
    // The query goes into a scratch buffer so that a failed read (a value longer than 4 bytes) can't leave
    // part of its data behind; only a successful read is laid over the default.
    unsigned char data[4] = {};
    DWORD size = sizeof data;
    if (RegQueryValueExA(key_, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS)
        return fallback;
    return OverlayValueBytes(fallback, data, size);
}

bool RegistryKey::HasValue(const char* name) const {
    return key_ != nullptr && RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

LONG RegistryKey::ReadText(const char* name, char* buffer, DWORD size) const {
    if (key_ == nullptr || buffer == nullptr || size == 0)
        return ERROR_INVALID_HANDLE;
    std::memset(buffer, 0, size);
    DWORD length = size;
    LONG status = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
    // A text that fills the whole buffer without its terminating zero does not fit either.
    if (status == ERROR_SUCCESS && length >= size && buffer[size - 1] != '\0')
        status = ERROR_MORE_DATA;
    if (status != ERROR_SUCCESS)
        std::memset(buffer, 0, size);
    return status;
}

LONG RegistryKey::WriteDword(const char* name, uint32_t value) const {
    const DWORD data = value;
    return RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

LONG RegistryKey::WriteText(const char* name, const std::string& text) const {
    return RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG RegistryKey::DeleteValue(const char* name) const {
    return RegDeleteValueA(key_, name);
}

} // namespace ui
