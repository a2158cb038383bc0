// The registry as the tests arrange and read it.
#include "registry.h"

#include <gtest/gtest.h>

#include "platform/registry_key.h"

namespace testsupport {

void CleanProgramRegistry() {
    (void)RegDeleteTreeA(HKEY_CURRENT_USER, kProductKey);
    (void)RegDeleteKeyA(HKEY_CURRENT_USER, kProductKey);
    DeleteValue(kRunKey, "Brisklane");
}

bool ReadRawValue(HKEY root, const char* key, const char* name, DWORD& type, std::vector<unsigned char>& data) {
    platform::RegistryKey handle;
    if (handle.Open(root, key, KEY_QUERY_VALUE) != ERROR_SUCCESS) {
        return false;
    }
    DWORD size = 0;
    LONG status = RegQueryValueExA(handle.Get(), name, nullptr, &type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        data.assign(size, 0);
        status = RegQueryValueExA(handle.Get(), name, nullptr, &type, data.data(), &size);
        data.resize(size);
    }
    return status == ERROR_SUCCESS;
}

long long ReadDwordValue(const char* key, const char* name) {
    DWORD type = 0;
    std::vector<unsigned char> data;
    if (!ReadRawValue(HKEY_CURRENT_USER, key, name, type, data) || type != REG_DWORD || data.size() != 4) {
        return -1;
    }
    return static_cast<long long>(data[0] | data[1] << 8 | data[2] << 16 | static_cast<uint32_t>(data[3]) << 24);
}

void WriteRawValue(const char* key, const char* name, DWORD type, const void* data, DWORD size) {
    platform::RegistryKey handle;
    ASSERT_EQ(handle.Create(HKEY_CURRENT_USER, key, KEY_SET_VALUE), ERROR_SUCCESS) << key;
    ASSERT_EQ(RegSetValueExA(handle.Get(), name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS) << name;
}

void WriteTextValue(const char* key, const char* name, const std::string& text) {
    WriteRawValue(key, name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

bool KeyExists(const char* key) {
    platform::RegistryKey handle;
    return handle.Open(HKEY_CURRENT_USER, key, KEY_QUERY_VALUE) == ERROR_SUCCESS;
}

void DeleteValue(const char* key, const char* name) {
    platform::RegistryKey handle;
    if (handle.Open(HKEY_CURRENT_USER, key, KEY_SET_VALUE) == ERROR_SUCCESS) {
        (void)handle.DeleteValue(name);
    }
}

} // namespace testsupport
