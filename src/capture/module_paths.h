// Where the capture subsystem's files sit: the INI file and the services file beside the executable.
#pragma once

#include <cstddef>
#include <string>

namespace capture {

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
LastSeparators FindLastSeparators(const std::string& path, LeadBytePredicate isLeadByte);

// The executable's path with its extension replaced by ".ini". A dot that lies in a folder name is not an
// extension: then ".ini" is appended to the whole path.
std::string IniPathFor(const std::string& executablePath, LeadBytePredicate isLeadByte);

// The file "services" in the executable's folder ("services" alone for a path without any '\\').
std::string ServicesPathFor(const std::string& executablePath, LeadBytePredicate isLeadByte);

// Copies at most size - 1 characters of text into a fixed array and always terminates it.
void CopyBounded(char* destination, std::size_t size, const char* text);

} // namespace capture
