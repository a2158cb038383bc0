// The program's own registry key, which the main dialog's preferences and its statistics write under. Plain
// text, so every folder may include it (the capture program too) without the platform's headers.
#pragma once

#include <string>

namespace platform {

// "SOFTWARE\\Brisklane", under HKEY_CURRENT_USER.
[[nodiscard]] std::string ProductKeyPath();

} // namespace platform
