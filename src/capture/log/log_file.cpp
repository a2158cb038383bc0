// The program's capture log over the settings, the local clock and the warning box.
#include "capture/log/log_file.h"

#include "capture/log/log_platform.h"
#include "capture/settings/settings.h"

#include <memory>

capture::TrafficLog logFile(std::make_unique<capture::StdioLogSink>(), capture::PlatformLocalTime,
                            capture::ShowLogWarning);

void OpenLogFile(const char* mode) {
    logFile.OpenLogFile(theSettings, mode);
}

void CloseLogFile() {
    logFile.CloseLogFile();
}
