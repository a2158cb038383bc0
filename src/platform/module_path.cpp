// Where a module of this process lives: its full path and folder, safe in double-byte code pages.
#include "platform/module_path.h"

#include <vector>

#include "platform/path_rules.h"

namespace platform {

bool IsCodePageLeadByte(unsigned char byte) {
    return ::IsDBCSLeadByte(byte) != FALSE;
}

std::string ModulePath(HMODULE module) {
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const DWORD length = ::GetModuleFileNameA(module, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        // A path that filled the buffer may have been cut: try again with more room.
        if (length < buffer.size() - 1) {
            return std::string(buffer.data(), length);
        }
        if (buffer.size() >= 32768) {
            return {}; // longer than any path the system allows
        }
        buffer.resize(buffer.size() * 2);
    }
}

std::string ModuleFolder(HMODULE module) {
    return FolderOf(ModulePath(module), IsCodePageLeadByte);
}

HMODULE ModuleContaining(const void* address) {
    HMODULE module = nullptr;
    if (!::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              static_cast<const char*>(address), &module)) {
        return nullptr;
    }
    return module;
}

} // namespace platform
