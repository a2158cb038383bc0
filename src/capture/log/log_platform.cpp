// The local clock and the warning box of the capture log.
#include "capture/log/log_platform.h"

#include "framework/message_box.h"

#include <windows.h>

namespace capture {

LocalTime PlatformLocalTime() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

void ShowLogWarning(const std::string& text) {
    (void)fw::ShowMessageBox(nullptr, text.c_str(), "Warning", MB_OK | MB_ICONINFORMATION);
}

} // namespace capture
