// The capture log's two contacts with the platform: the local clock and the warning box.
#pragma once

#include "capture/log/log_format.h"

#include <string>

namespace capture {

// Local date and time with milliseconds (GetLocalTime).
LocalTime PlatformLocalTime();

// The log-open warning: a box without owner, caption "Warning", information icon, OK.
void ShowLogWarning(const std::string& text);

} // namespace capture
