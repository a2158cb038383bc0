// CIniFile over GetPrivateProfileStringA and its relatives.
#include "capture/settings/ini_file.h"

#include "capture/settings/decimal.h"
#include "capture/settings/module_file.h"
#include "capture/settings/module_paths.h"
#include "platform/module_path.h"

#include <windows.h>

#include <cstdio>

CIniFile::CIniFile() {
    const std::string executable = capture::ExecutablePath(sizeof m_path);
    // A path too long for the field keeps what fits: never written past m_path's end.
    capture::CopyBounded(m_path, sizeof m_path, capture::IniPathFor(executable, platform::IsCodePageLeadByte).c_str());
}

CIniFile::CIniFile(const char* path) {
    capture::CopyBounded(m_path, sizeof m_path, path);
}

CIniFile::~CIniFile() = default;

uint32_t CIniFile::ReadString(const char* section, const char* key, const char* defaultText, char* buffer,
                              uint32_t size) const {
    return GetPrivateProfileStringA(section, key, defaultText, buffer, size, m_path);
}

bool CIniFile::WriteString(const char* section, const char* key, const char* text) const {
    return WritePrivateProfileStringA(section, key, text, m_path) != FALSE;
}

int32_t CIniFile::ReadInt(const char* section, const char* key, int32_t defaultValue) const {
    return static_cast<int32_t>(GetPrivateProfileIntA(section, key, defaultValue, m_path));
}

bool CIniFile::WriteInt(const char* section, const char* key, int32_t value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%d", static_cast<int>(value));
    return WriteString(section, key, text);
}

uint32_t CIniFile::ReadUInt(const char* section, const char* key, uint32_t defaultValue) const {
    char defaultText[16];
    std::snprintf(defaultText, sizeof defaultText, "%u", static_cast<unsigned>(defaultValue));
    char text[500];
    (void)ReadString(section, key, defaultText, text, sizeof text);
    return capture::ParseUnsignedDecimal(text);
}

bool CIniFile::WriteUInt(const char* section, const char* key, uint32_t value) const {
    char text[16];
    std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
    return WriteString(section, key, text);
}
