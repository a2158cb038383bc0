// Whether the capture window shows its traffic graph. The capture settings' INI file has a fixed set of
// keys, so the choice is a value of the capture host's own under the program's registry key:
// HKEY_CURRENT_USER\SOFTWARE\Brisklane\Capture, DWORD "ShowGraph" (0 hidden, otherwise shown).
#pragma once

#include <string>

namespace capture_host {

inline constexpr char kShowGraphValue[] = "ShowGraph";

// "SOFTWARE\\Brisklane\\Capture", under HKEY_CURRENT_USER.
std::string CaptureKeyPath();

// Shown unless the value says 0; also when the key or the value is missing or cannot be read.
bool LoadGraphShown();

// Creates the key when it is missing. False when the choice could not be stored.
[[nodiscard]] bool SaveGraphShown(bool shown);

} // namespace capture_host
