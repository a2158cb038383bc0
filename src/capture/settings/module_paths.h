// Where the capture subsystem's files sit: the INI file and the services file beside the executable.
#pragma once

#include <cstddef>
#include <string>

#include "platform/path_rules.h"

namespace capture {

using platform::LeadBytePredicate;

// The executable's path with its extension replaced by ".ini". A dot that lies in a folder name is not an
// extension: then ".ini" is appended to the whole path.
std::string IniPathFor(const std::string& executablePath, LeadBytePredicate isLeadByte);

// The file "services" in the executable's folder ("services" alone for a path without any '\\').
std::string ServicesPathFor(const std::string& executablePath, LeadBytePredicate isLeadByte);

// Copies at most size - 1 characters of text into a fixed array and always terminates it.
void CopyBounded(char* destination, std::size_t size, const char* text);

} // namespace capture
