// Where a path's folder, name and extension begin, stepping over whole characters of double-byte code pages.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Tells whether a byte starts a double-byte character in the active code page. The trail byte of such a
// character may equal '.' or '\\', so a search for either must step over whole characters.
using LeadBytePredicate = bool (*)(unsigned char byte);

// For single-byte code pages (and tests): no byte is a lead byte.
bool NoLeadBytes(unsigned char byte);

struct LastSeparators {
    std::size_t lastDot = std::string::npos;
    std::size_t lastBackslash = std::string::npos;
};

// Positions of the last '.' and the last '\\' that are characters of their own (not trail bytes).
[[nodiscard]] LastSeparators FindLastSeparators(const std::string& path, LeadBytePredicate isLeadByte);

// The folder of a path, without its closing backslash; empty when the path has no backslash.
[[nodiscard]] std::string FolderOf(const std::string& path, LeadBytePredicate isLeadByte);

// The file name of a path without its folder and without its extension ("C:\\a.b\\prog.exe" gives "prog").
[[nodiscard]] std::string FileStemOf(const std::string& path, LeadBytePredicate isLeadByte);

} // namespace platform
