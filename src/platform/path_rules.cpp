// Where a path's folder, name and extension begin, stepping over whole characters of double-byte code pages.
#include "platform/path_rules.h"

namespace platform {

bool NoLeadBytes(unsigned char) {
    return false;
}

LastSeparators FindLastSeparators(const std::string& path, LeadBytePredicate isLeadByte) {
    LastSeparators found;
    std::size_t i = 0;
    while (i < path.size()) {
        const auto byte = static_cast<unsigned char>(path[i]);
        // A lead byte at the very end has no trail byte; it is then a character of its own.
        if (isLeadByte(byte) && i + 1 < path.size()) {
            i += 2;
            continue;
        }
        if (byte == '.') {
            found.lastDot = i;
        } else if (byte == '\\') {
            found.lastBackslash = i;
        }
        ++i;
    }
    return found;
}

std::string FolderOf(const std::string& path, LeadBytePredicate isLeadByte) {
    const LastSeparators found = FindLastSeparators(path, isLeadByte);
    return found.lastBackslash == std::string::npos ? std::string() : path.substr(0, found.lastBackslash);
}

std::string FileStemOf(const std::string& path, LeadBytePredicate isLeadByte) {
    const LastSeparators found = FindLastSeparators(path, isLeadByte);
    const std::size_t start = found.lastBackslash == std::string::npos ? 0 : found.lastBackslash + 1;
    const bool hasExtension = found.lastDot != std::string::npos && found.lastDot >= start;
    return path.substr(start, hasExtension ? found.lastDot - start : std::string::npos);
}

} // namespace platform
