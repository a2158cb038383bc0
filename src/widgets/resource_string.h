// String resources of the application's resource module, read whole whatever their length.
#pragma once

#include <windows.h>

#include <string>

namespace widgets {

// The module whose resources the widgets load: the application's instance, or the executable without one.
HINSTANCE ResourceModule();

// The string resource `id`, or an empty string when there is none.
std::string LoadResourceString(UINT id);

} // namespace widgets
