// The registry as the tests arrange and read it: the program's own values removed, raw values read and
// written under HKEY_CURRENT_USER.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace testsupport {

constexpr const char* kProductKey = "Software\\Brisklane";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

// Removes the product key and the Run key's "Brisklane" value, so that a test starts as a first start does.
void CleanProgramRegistry();

// Reads a value's type and raw bytes; false when it does not exist.
[[nodiscard]] bool ReadRawValue(HKEY root, const char* key, const char* name, DWORD& type,
                                std::vector<unsigned char>& data);
// A REG_DWORD value of HKEY_CURRENT_USER, or -1 (as 64-bit) when missing or of another type.
[[nodiscard]] long long ReadDwordValue(const char* key, const char* name);
// Writes a value of HKEY_CURRENT_USER, creating its key; a failure fails the test.
void WriteRawValue(const char* key, const char* name, DWORD type, const void* data, DWORD size);
void WriteTextValue(const char* key, const char* name, const std::string& text);
[[nodiscard]] bool KeyExists(const char* key);
void DeleteValue(const char* key, const char* name);

} // namespace testsupport
