// CIniFile: a thin accessor of one INI file through the platform's private-profile calls.
#pragma once

#include <cstdint>

class CIniFile {
public:
    // The executable's path with its extension replaced by ".ini".
    CIniFile();
    // An explicit file (at most 499 characters are kept).
    explicit CIniFile(const char* path);
    virtual ~CIniFile();

    CIniFile(const CIniFile&) = delete;
    CIniFile& operator=(const CIniFile&) = delete;

    // Characters placed in the buffer (the default text when the key is absent); always terminated.
    uint32_t ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                        uint32_t size) const;
    // Creates the file, the section and the key as needed.
    [[nodiscard]] bool WriteString(const char* section, const char* key, const char* text) const;

    int32_t ReadInt(const char* section, const char* key, int32_t defaultValue) const;
    [[nodiscard]] bool WriteInt(const char* section, const char* key, int32_t value) const;

    // Read as text and converted like the C library's unsigned conversion (see capture/settings/decimal.h).
    uint32_t ReadUInt(const char* section, const char* key, uint32_t defaultValue) const;
    [[nodiscard]] bool WriteUInt(const char* section, const char* key, uint32_t value) const;

    const char* Path() const { return m_path; }

protected:
    char m_path[500] = {};
};
