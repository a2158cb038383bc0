// The executable's own path and the code page's lead-byte test, for the files kept beside the program.
#pragma once

#include <cstdint>
#include <string>

namespace capture {

// The full path of the process's executable, at most maxChars characters (a longer path comes back cut).
std::string ExecutablePath(uint32_t maxChars);

// True for a byte that starts a double-byte character in the active ANSI code page.
bool IsCodePageLeadByte(unsigned char byte);

} // namespace capture
