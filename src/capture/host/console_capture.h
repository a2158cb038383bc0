// The capture host's console mode: one capture without any window, then the flows as CSV and the status
// line on standard output. Needs no display.
#pragma once

#include "capture/host/host_options.h"

namespace capture_host {

// Captures on options.adapter until its data end (a replayed file or a stream has ended) or options.seconds
// have passed, saving the received records to options.packetsOut when it is given. Exit code: 0 done, 1
// capture could not start, 3 the packets could not all be saved. Message boxes become lines on standard
// error.
int RunConsoleCapture(const capture::HostOptions& options);

// Writes to standard output or standard error, attaching to the parent's console when the process has
// none of its own.
void WriteOutput(const char* text, bool error);

} // namespace capture_host
