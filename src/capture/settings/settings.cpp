// CSettings: load on construction, save on destruction, through CIniFile.
#include "capture/settings/settings.h"

#include <windows.h>

#include "platform/handles.h"

int32_t logSizeLimit = 1 << 20;

namespace {

bool IsReadOnly(const char* path) {
    const DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// At exit the line goes to the error stream the process was given, or to the console it was started from.
void WriteErrorLine(const std::string& line) {
    OutputDebugStringA(line.c_str());
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (error == nullptr || error == INVALID_HANDLE_VALUE) {
        (void)AttachConsole(ATTACH_PARENT_PROCESS);
        error = GetStdHandle(STD_ERROR_HANDLE);
    }
    DWORD written = 0;
    if (error != nullptr && error != INVALID_HANDLE_VALUE) {
        (void)WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    }
}

} // namespace

CSettings::CSettings() {
    Load();
}

CSettings::CSettings(const char* iniPath) : CIniFile(iniPath) {
    Load();
}

CSettings::~CSettings() {
    if (Save()) {
        return;
    }
    std::string problem = SaveProblem();
    if (problem.empty()) {
        problem = "writing \"" + std::string(m_path) + "\" failed";
    }
    WriteErrorLine("The settings could not be saved: " + problem + ".\r\n");
}

std::string CSettings::SaveProblem() const {
    if (IsReadOnly(m_path)) {
        return "\"" + std::string(m_path) + "\" is read-only";
    }
    // Opening the file for writing asks the folder and the file; a file made only for asking goes again.
    const bool exists = GetFileAttributesA(m_path) != INVALID_FILE_ATTRIBUTES;
    const platform::FileHandle file(CreateFileA(
        m_path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        exists ? OPEN_EXISTING : CREATE_NEW, exists ? FILE_ATTRIBUTE_NORMAL : FILE_FLAG_DELETE_ON_CLOSE, nullptr));
    if (file.IsValid()) {
        return {};
    }
    return "\"" + std::string(m_path) + "\" cannot be written (error " + std::to_string(GetLastError()) + ")";
}

bool CSettings::Save() const {
    // Windows refuses to write a read-only file, but Wine lets an administrator: the file decides, not who asks.
    return !IsReadOnly(m_path) && capture::SaveSettingsValues(*this, *this);
}

void CSettings::Load() {
    logSizeLimit = capture::LoadSettingsValues(*this, *this);
}
