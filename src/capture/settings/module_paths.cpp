// Path rules for the files that live beside the executable.
#include "capture/settings/module_paths.h"

#include <cstring>

namespace capture {

std::string IniPathFor(const std::string& executablePath, LeadBytePredicate isLeadByte) {
    const platform::LastSeparators found = platform::FindLastSeparators(executablePath, isLeadByte);
    std::string path = executablePath;
    if (found.lastDot != std::string::npos &&
        (found.lastBackslash == std::string::npos || found.lastDot > found.lastBackslash)) {
        path.resize(found.lastDot);
    }
    path += ".ini";
    return path;
}

std::string ServicesPathFor(const std::string& executablePath, LeadBytePredicate isLeadByte) {
    const platform::LastSeparators found = platform::FindLastSeparators(executablePath, isLeadByte);
    if (found.lastBackslash == std::string::npos) {
        return "services";
    }
    return executablePath.substr(0, found.lastBackslash + 1) + "services";
}

void CopyBounded(char* destination, std::size_t size, const char* text) {
    if (size == 0) {
        return;
    }
    const std::size_t length = strnlen(text, size - 1);
    std::memcpy(destination, text, length);
    destination[length] = '\0';
}

} // namespace capture
