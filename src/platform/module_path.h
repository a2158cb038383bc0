// Where a module of this process lives: its full path and folder, safe in double-byte code pages.
#pragma once

#include <windows.h>

#include <string>

namespace platform {

// True for a byte that starts a double-byte character in the active ANSI code page.
[[nodiscard]] bool IsCodePageLeadByte(unsigned char byte);

// The full path of `module`'s file (null: the executable), however long; empty when the system can't say.
[[nodiscard]] std::string ModulePath(HMODULE module = nullptr);

// The folder of `module`'s file, without its closing backslash.
[[nodiscard]] std::string ModuleFolder(HMODULE module = nullptr);

// The module whose code or data holds `address` (a DLL finds itself this way); null when none does.
[[nodiscard]] HMODULE ModuleContaining(const void* address);

} // namespace platform
