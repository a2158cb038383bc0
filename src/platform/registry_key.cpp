// An owned registry key with the few reads and writes the preferences use; every status is the platform's.
#include "platform/registry_key.h"

#include <cstring>
#include <utility>
#include <vector>

namespace platform {

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

LONG RegistryKey::ReadBytes(const char* name, unsigned char* data, DWORD& size) const {
    if (key_ == nullptr) {
        return ERROR_INVALID_HANDLE;
    }
    // Read into a scratch buffer first, so that a failed read can't leave part of its data behind.
    std::vector<unsigned char> scratch(size);
    DWORD got = size;
    const LONG status = RegQueryValueExA(key_, name, nullptr, nullptr, scratch.data(), &got);
    if (status == ERROR_SUCCESS) {
        std::memcpy(data, scratch.data(), got);
        size = got;
    }
    return status;
}

bool RegistryKey::HasValue(const char* name) const {
    return key_ != nullptr && RegQueryValueExA(key_, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

LONG RegistryKey::ReadText(const char* name, char* buffer, DWORD size) const {
    if (key_ == nullptr || buffer == nullptr || size == 0) {
        return ERROR_INVALID_HANDLE;
    }
    std::memset(buffer, 0, size);
    DWORD length = size;
    LONG status = RegQueryValueExA(key_, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &length);
    // A text that fills the whole buffer without its terminating zero does not fit either.
    if (status == ERROR_SUCCESS && length >= size && buffer[size - 1] != '\0') {
        status = ERROR_MORE_DATA;
    }
    if (status != ERROR_SUCCESS) {
        std::memset(buffer, 0, size);
    }
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

} // namespace platform
