// The executable's path and the active code page's lead bytes, from the platform.
#include "capture/module_file.h"

#include <windows.h>

#include <vector>

namespace capture {

std::string ExecutablePath(uint32_t maxChars) {
    std::vector<char> path(maxChars + 1, '\0');
    const DWORD length = GetModuleFileNameA(nullptr, path.data(), maxChars);
    // A cut-short path may come back without its terminating zero; length never exceeds maxChars.
    return std::string(path.data(), length <= maxChars ? length : maxChars);
}

bool IsCodePageLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace capture
