// The capture host's console mode: one capture without a visible window, then the flows as CSV and the
// status line on standard output.
#pragma once

#include "capture/host/host_options.h"

namespace capture_host {

// Captures on options.adapter until options.seconds have passed or, without them, until the first idle
// second (for a replayed file: its end). Exit code: 0 done, 1 capture could not start, 2 the list and the
// table disagreed. Message boxes become lines on standard error.
int RunConsoleCapture(const capture::HostOptions& options);

// Writes to standard output or standard error, attaching to the parent's console when the process has
// none of its own.
void WriteOutput(const char* text, bool error);

} // namespace capture_host
