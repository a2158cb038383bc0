// The program's capture log: opened and closed by the capture engine, written by the traffic list.
#pragma once

#include "capture/log/traffic_log.h"

// The one log stream of the process, writing to the file named by theSettings.logfile.
extern capture::TrafficLog logFile;

// mode "a+" (capture start) or "w+" (emptying). Does nothing while theSettings.uselogfile is 0; when the
// file cannot be opened, shows the warning and clears theSettings.uselogfile.
void OpenLogFile(const char* mode);

// Closes the log if it is open.
void CloseLogFile();
