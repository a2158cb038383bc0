// The program's own registry key, which the main dialog's preferences, its statistics and the capture host
// all write under: plain text, so every folder may include it without the platform's headers.
#pragma once

#include <string>

namespace platform {

// "SOFTWARE\\Brisklane", under HKEY_CURRENT_USER.
[[nodiscard]] std::string ProductKeyPath();

} // namespace platform
